// SPDX-License-Identifier: GPL-3.0-or-later
// What some toolkits report differently, on values recorded from the applications that do:
// gnome-text-editor 43 (GTK 4.8), LibreOffice Writer 7.4 (GTK 3) and Firefox 153 ESR, on X11
// under openbox.
#include "platform/linux/atspi/AtspiQuirks.h"

#include <atspi/atspi-constants.h>

#include <QTest>

class AtspiQuirksTest : public QObject
{
    Q_OBJECT

private slots:
    void gtk4NamesThatAreNoLabels()
    {
        // The text view of gnome-text-editor and a GTK 4 page switcher's label, unnamed.
        QCOMPARE(AtspiQuirks::label(QStringLiteral("EditorSourceView"), true), QString());
        QCOMPARE(AtspiQuirks::label(QStringLiteral("GtkLabel"), true), QString());
        QCOMPARE(AtspiQuirks::label(QStringLiteral("AdwSplitButton"), true), QString());
        // gnome-calculator's keys: the label twice.
        QCOMPARE(AtspiQuirks::label(QStringLiteral("7 7"), true), QStringLiteral("7"));
        // Real labels stay, however they are written.
        for (const char* kept :
             {"Display Overview Map", "PowerPoint", "Open recent document (Ctrl+K)", "OK", "7 8",
              "GtkLabel is a widget"})
            QCOMPARE(AtspiQuirks::label(QString::fromUtf8(kept), true), QString::fromUtf8(kept));
        // Firefox's switches, named by the object they embed.
        QCOMPARE(AtspiQuirks::label(QStringLiteral("\uFFFC"), false), QString());
        QCOMPARE(AtspiQuirks::label(QStringLiteral("Bing \uFFFC"), false), QStringLiteral("Bing "));
        // Other toolkits are taken at their word.
        QCOMPARE(AtspiQuirks::label(QStringLiteral("EditorSourceView"), false),
                 QStringLiteral("EditorSourceView"));
        QCOMPARE(AtspiQuirks::label(QStringLiteral("7 7"), false), QStringLiteral("7 7"));
    }

    void whatIsOnScreenThoughNotSaidToShow()
    {
        // Firefox's settings page: its panel is visible, not showing, and holds what shows.
        QVERIFY(AtspiQuirks::showsWhenVisible(ATSPI_ROLE_PANEL, false, true));
        // A paragraph of a long web page below the window is visible and not showing: it
        // stays unwalked, or a long page would be read whole.
        QVERIFY(!AtspiQuirks::showsWhenVisible(ATSPI_ROLE_PARAGRAPH, false, true));
        QVERIFY(!AtspiQuirks::showsWhenVisible(ATSPI_ROLE_SECTION, false, true));
        // GTK 4 leaves groups of every kind without the state.
        QVERIFY(AtspiQuirks::showsWhenVisible(ATSPI_ROLE_FILLER, true, false));
        // Other toolkits are taken at their word.
        QVERIFY(!AtspiQuirks::showsWhenVisible(ATSPI_ROLE_PANEL, false, false));
    }

    void libreOfficeDrawsAMenuBarOfNoHeight()
    {
        QVERIFY(!AtspiQuirks::isDrawnMenuBar(QRectF(0, 19, 1600, 0)));
        QVERIFY(!AtspiQuirks::isDrawnMenuBar(QRectF()));
        QVERIFY(AtspiQuirks::isDrawnMenuBar(QRectF(0, 19, 1600, 25)));
    }

    void aDocumentsParagraphsAreAskedForOneByOne()
    {
        // Writer's document text manages its descendants and lists none at once; a Calc sheet
        // manages its cells too, millions of them, which are never asked for one by one.
        QVERIFY(AtspiQuirks::listsChildrenByIndex(ATSPI_ROLE_DOCUMENT_TEXT, true));
        QVERIFY(!AtspiQuirks::listsChildrenByIndex(ATSPI_ROLE_DOCUMENT_TEXT, false));
        QVERIFY(!AtspiQuirks::listsChildrenByIndex(ATSPI_ROLE_TABLE, true));
    }

    void libreOfficesOwnPaneMovesBelowTheMenuBar()
    {
        // The GTK container below the 25-pixel menu bar, and the root pane in it that says it
        // is at the top of the window.
        const QRectF container(0, 44, 1600, 956);
        const QRectF rootPane(0, 19, 1600, 956);
        QCOMPARE(AtspiQuirks::drawnPaneShift(container, rootPane), QPointF(0, 25));
        // Where it is, or a container of another size (the frame around it): nothing moves.
        QCOMPARE(AtspiQuirks::drawnPaneShift(rootPane, rootPane), std::nullopt);
        QCOMPARE(AtspiQuirks::drawnPaneShift(QRectF(0, 0, 1600, 1000), rootPane), std::nullopt);
        QCOMPARE(AtspiQuirks::drawnPaneShift(QRectF(), rootPane), std::nullopt);

        // In the pane, the toolbar's "New" answers the same extent for screen and window; the
        // GTK style box embedded beside it answers each correctly, and stays.
        QVERIFY(AtspiQuirks::isDrawnByPane(QRectF(4, 21, 44, 35), QRectF(4, 21, 44, 35)));
        QVERIFY(!AtspiQuirks::isDrawnByPane(QRectF(4, 85, 153, 34), QRectF(4, 66, 153, 34)));
    }
};

QTEST_GUILESS_MAIN(AtspiQuirksTest)
#include "AtspiQuirksTest.moc"
