// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's views against a model wired to fakes: every enabling and visibility rule, the
// texts, and the switch between the explainer and the main view. Saves pictures of the panel
// in the build tree.
#include "SessionRig.h"
#include "core/DisplayText.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayView.h"
#include "ui/ContentView.h"
#include "ui/ElementList.h"
#include "ui/ExplainerView.h"
#include "ui/MainView.h"
#include "ui/ModelRow.h"
#include "ui/PermissionCard.h"
#include "ui/StatusLine.h"
#include "ui/Translations.h"
#include "ui/WaitingIndicator.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

void savePicture(QWidget& widget, const QString& name)
{
    QDir().mkpath(QStringLiteral(CUEWELL_PICTURES_DIR));
    widget.grab().save(QStringLiteral(CUEWELL_PICTURES_DIR "/") + name);
}

} // namespace

class PanelViewsTest : public QObject
{
    Q_OBJECT

    struct Panel
    {
        SessionRig rig;
        std::unique_ptr<ContentView> content;

        explicit Panel(bool seenExplainer = true)
        {
            rig.settings.setValue(QStringLiteral("seenExplainer"), seenExplainer);
            GuideModel& model = rig.start();
            content = std::make_unique<ContentView>(model, rig.permissions);
            content->resize(480, 640);
            content->show();
            QTRY_COMPARE(model.serverState(), ServerState::running);
        }
        GuideModel& model() { return *rig.model; }
        MainView& main() { return *content->mainView(); }

        void runStep()
        {
            model().setGoal(QStringLiteral("save it"));
            main().goalField()->setFocus();
            QTest::keyClick(main().goalField(), Qt::Key_Return);
            QTRY_COMPARE(model().status(), Texts::stepReady(1));
        }
    };

private slots:
    void onePickPerClick()
    {
        Panel panel;
        panel.runStep();
        ElementList* list = panel.main().elementList();
        list->setExpanded(true);
        QListView* rows = list->rows();
        const QPoint first = rows->visualRect(rows->model()->index(0, 0)).center();
        const auto picks = [&] { return panel.model().steps().size() - 1; };

        // A double-click as a mouse makes it: a click, then a second press that is the double
        // click, then its release.
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(picks(), 1); // one pick

        // Under a style that activates items on a single click, a click is still one pick.
        class SingleClickStyle : public QProxyStyle
        {
        public:
            int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* data) const override
            {
                if (hint == QStyle::SH_ItemView_ActivateItemOnSingleClick)
                    return 1;
                return QProxyStyle::styleHint(hint, option, widget, data);
            }
        };
        SingleClickStyle style;
        rows->setStyle(&style);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                          rows->visualRect(rows->model()->index(1, 0)).center());
        QCOMPARE(picks(), 2);
        QCOMPARE(panel.model().steps().last().label, QStringLiteral("button \u201CSave\u201D"));

        // Return on the current row picks it, once.
        rows->setCurrentIndex(rows->model()->index(0, 0));
        rows->setFocus();
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(picks(), 3);
        QCOMPARE(panel.model().steps().last().label,
                 QStringLiteral("menu bar item \u201CFile\u201D"));
        rows->setStyle(nullptr);
    }

    void hugeTextsFromOutsideAreDrawnBounded()
    {
        Panel panel;
        const QString huge(2 * 1024 * 1024, u'a');
        panel.rig.modelServer.reply = QStringLiteral(R"({"id": 2, "explanation": "%1"})").arg(huge);
        panel.runStep();
        // Recorded bounded (it goes into every later prompt), drawn bounded in the panel and on
        // the card.
        QCOMPARE(panel.model().steps().last().explanation, huge.left(DisplayText::maxGraphemes));
        QVERIFY(panel.main().stepExplanation()->text().size() <= DisplayText::maxGraphemes + 1);
        for (const QString& line : panel.main().historyLines())
            QVERIFY(line.size() <= DisplayText::maxGraphemes + 1);
        OverlayController overlay([] { return false; });
        overlay.show(QRectF(10, 10, 50, 20), huge, QStringLiteral("button"));
        QVERIFY(overlay.view()->shownText().size() <= DisplayText::maxGraphemes + 1);

        // One user-perceived character of half a million combining marks: the panel, the card
        // and the history get a few code units of it, not the whole.
        const QString stacked = QStringLiteral("Z") + QString(500'000, QChar(0x0301));
        panel.rig.modelServer.reply =
            QStringLiteral(R"({"id": 2, "explanation": "%1"})").arg(stacked);
        panel.runStep();
        QTRY_VERIFY(!panel.model().steps().isEmpty() &&
                    panel.model().steps().last().explanation.startsWith(u'Z'));
        QVERIFY(panel.model().steps().last().explanation.size() <= 1 + OutsideText::maxMarksInARun);
        QVERIFY(panel.main().stepExplanation()->text().size() < 100);
        for (const QString& line : panel.main().historyLines())
            QVERIFY(line.size() <= DisplayText::maxGraphemes * OutsideText::unitsPerGrapheme + 1);
        overlay.show(QRectF(10, 10, 50, 20), stacked, stacked);
        QVERIFY(overlay.view()->shownText().size() < 100);

        // A server offering 200,000 models: the picker offers a bounded few, the chosen one
        // among them.
        QStringList names;
        for (int i = 0; i < 200000; ++i)
            names.append(QStringLiteral("model-%1").arg(i, 6, 10, QLatin1Char('0')));
        panel.rig.modelServer.listings.insert_or_assign(Provider::ollama, names);
        panel.model().setSelectedModel(names.last());
        panel.model().refreshModels();
        QTRY_COMPARE(panel.model().models().size(), names.size());
        QComboBox* picker = panel.main().modelRow()->modelPicker();
        QVERIFY(picker->count() <= 501);
        QCOMPARE(picker->currentData().toString(), names.last());
    }

    void theOverlayDrawsAnyRectangleItIsGiven()
    {
        // Extents near the integer limits, from a broken application, are drawn (clamped)
        // without an out-of-range conversion.
        OverlayController overlay([] { return false; });
        overlay.show(QRectF(2147483000.0, -2147483000.0, 4e9, 30), QStringLiteral("Far away"),
                     QStringLiteral("button"));
        QVERIFY(overlay.view());
        QVERIFY(!overlay.view()->grab().isNull());
        QVERIFY(overlay.coveredBy(QRectF(-1e300, 1e300, 1e300, 1e300), QStringLiteral("x")));
        overlay.hide();
    }

    void idleMainView()
    {
        Panel panel;
        MainView& view = panel.main();
        QCOMPARE(panel.content->currentWidget(), &view);
        QCOMPARE(view.targetLine()->text(), QStringLiteral("Helping with: Mousepad"));
        QVERIFY(view.targetLine()->isVisible());
        QVERIFY(!view.windowLine()->isVisible()); // no window read yet
        QVERIFY(view.goButton()->isEnabled());
        QVERIFY(!view.nextButton()->isEnabled());
        QVERIFY(!view.stopButton()->isEnabled());
        QVERIFY(!view.spinner()->isVisible());
        QCOMPARE(view.statusLine()->text(), Texts::typeAGoal());
        QVERIFY(!view.accessibilityNotice()->isVisible());
        QVERIFY(!view.stepCard()->isVisible());
        QVERIFY(!view.historyHeading()->isVisible());
        QVERIFY(!view.elementList()->isVisible());

        panel.rig.windows.activate({9, QString(), true});
        QTRY_VERIFY(!view.targetLine()->isVisible());

        // "Follow my clicks" is on at first; switching it off is remembered.
        QVERIFY(view.followClicksBox()->isChecked());
        view.followClicksBox()->click();
        QVERIFY(!panel.model().followClicks());
        QCOMPARE(panel.rig.settings.value(QStringLiteral("followClicks")).toBool(), false);
    }

    void aGermanDesktopGetsAGermanPanel()
    {
        const Translations german(QLocale(QLocale::German, QLocale::Germany));
        Panel panel;
        // The model was asked for its sentence in German; the control's name stays as shown.
        panel.rig.modelServer.reply =
            QStringLiteral(R"({"id": 2, "explanation": "Klicken Sie auf Save."})");
        panel.runStep();
        MainView& view = panel.main();
        QCOMPARE(panel.model().status(), QStringLiteral("Schritt 1 bereit."));
        QCOMPARE(view.nextButton()->text(), QStringLiteral("Nächster Schritt"));
        QCOMPARE(view.followClicksBox()->text(), QStringLiteral("Meinen Klicks folgen"));
        QCOMPARE(view.stepExplanation()->text(), QStringLiteral("Klicken Sie auf Save."));
        QCOMPARE(view.stepHeading()->text(), QStringLiteral("Als Nächstes: Schaltfläche „Save“"));
        QVERIFY(panel.rig.modelServer.asked.last().system.contains(
            QStringLiteral(" Write the explanation in German.\n\nGoal: ")));
        savePicture(*panel.content, QStringLiteral("main-view-de.png"));
    }

    void theWindowLineNamesTheWindowOfTheTargetOnly()
    {
        Panel panel;
        MainView& view = panel.main();
        panel.runStep();
        QVERIFY(view.windowLine()->isVisible());
        // Another application: what was read of the last one is not shown as its window.
        panel.rig.windows.activate({9, QStringLiteral("Calculator"), true});
        QTRY_COMPARE(view.targetLine()->text(), QStringLiteral("Helping with: Calculator"));
        QVERIFY(!view.windowLine()->isVisible());
    }

    void stepFillsTheViewAndStopEmptiesIt()
    {
        Panel panel;
        MainView& view = panel.main();
        panel.runStep();
        QVERIFY(view.nextButton()->isEnabled());
        QVERIFY(view.stopButton()->isEnabled());
        QVERIFY(view.stepCard()->isVisible());
        QCOMPARE(view.stepHeading()->text(), QStringLiteral("Next: button \u201CSave\u201D"));
        QCOMPARE(view.stepExplanation()->text(), QStringLiteral("Click Save."));
        QCOMPARE(view.windowLine()->text(), QStringLiteral("Reading window: Notes.txt - Mousepad"));
        QVERIFY(view.windowLine()->isVisible());
        QCOMPARE(view.historyLines(),
                 QStringList{QStringLiteral("1. button \u201CSave\u201D \u2014 Click Save.")});
        ElementList* list = view.elementList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->header()->text(), QStringLiteral("Detected elements (2)"));
        QVERIFY(!list->isExpanded()); // collapsed by default
        savePicture(*panel.content, QStringLiteral("main-view.png"));

        // A row picked by hand becomes the next step.
        list->setExpanded(true);
        QTest::mouseClick(list->rows()->viewport(), Qt::LeftButton, {},
                          list->rows()->visualRect(list->rows()->model()->index(0, 0)).center());
        QCOMPARE(panel.model().steps().size(), 2);
        QCOMPARE(view.stepHeading()->text(),
                 QStringLiteral("Next: menu bar item \u201CFile\u201D"));
        QCOMPARE(view.historyLines().size(), 2);

        QTest::mouseClick(view.stopButton(), Qt::LeftButton);
        QVERIFY(!view.nextButton()->isEnabled());
        QVERIFY(!view.stopButton()->isEnabled());
        QVERIFY(!view.stepCard()->isVisible());
        QVERIFY(!view.historyHeading()->isVisible());
        QVERIFY(view.historyLines().isEmpty());
        QVERIFY(!view.elementList()->isVisible());
    }

    void busyStepDisablesGoAndNext()
    {
        Panel panel;
        MainView& view = panel.main();
        panel.runStep();
        panel.rig.modelServer.held = true;
        QTest::mouseClick(view.nextButton(), Qt::LeftButton);
        QTRY_VERIFY(panel.model().isBusy());
        QVERIFY(!view.goButton()->isEnabled());
        QVERIFY(!view.nextButton()->isEnabled());
        QVERIFY(view.stopButton()->isEnabled());
        QVERIFY(view.spinner()->isVisible());
        QVERIFY(view.goalField()->isEnabled());
        QTRY_COMPARE(panel.rig.modelServer.asked.size(), 2);
        panel.rig.modelServer.release();
        QTRY_VERIFY(!panel.model().isBusy());
        QVERIFY(!view.spinner()->isVisible());
    }

    void theTimeWaitedShowsBesideTheStatusWhileARequestIsOut()
    {
        Panel panel;
        MainView& view = panel.main();
        qint64 nowMs = 5'000;
        view.waitingIndicator()->setClock([&nowMs] { return nowMs; });
        QVERIFY(!view.waitingTime()->isVisible());
        panel.rig.modelServer.held = true;
        panel.model().setGoal(QStringLiteral("save it"));
        panel.model().submit();
        QTRY_COMPARE(panel.rig.modelServer.asked.size(), 1);
        QVERIFY(view.waitingTime()->isVisible());
        QCOMPARE(view.waitingTime()->text(), QStringLiteral("0 s"));
        QVERIFY(!view.waitingHint()->isVisible());

        nowMs += 9'999;
        view.waitingIndicator()->update();
        QCOMPARE(view.waitingTime()->text(), QStringLiteral("9 s"));
        QVERIFY(!view.waitingHint()->isVisible());
        nowMs += 1;
        view.waitingIndicator()->update();
        QCOMPARE(view.waitingTime()->text(), QStringLiteral("10 s"));
        QVERIFY(view.waitingHint()->isVisible());
        // The status line keeps what it says while the time runs beside it.
        QCOMPARE(view.statusLine()->text(), Texts::asking(QStringLiteral("llava:7b")));
        savePicture(panel.main(), QStringLiteral("waiting.png"));
        // From half the longest wait on, the time shows how much of it is gone.
        nowMs += WaitingIndicator::limitMs / 2 - 10'000;
        view.waitingIndicator()->update();
        QCOMPARE(view.waitingTime()->text(), QStringLiteral("120 s of 240 s"));
        savePicture(panel.main(), QStringLiteral("waiting-long.png"));

        panel.rig.modelServer.release();
        QTRY_COMPARE(panel.model().status(), QStringLiteral("Step 1 ready."));
        QVERIFY(!view.waitingTime()->isVisible());
        QVERIFY(!view.waitingHint()->isVisible());
    }

    void serverDownTurnsTheStatusOrange()
    {
        Panel panel;
        MainView& view = panel.main();
        const QColor normal = view.statusLine()->palette().color(QPalette::WindowText);
        panel.rig.modelServer.listings.insert_or_assign(Provider::ollama,
                                                        Failure(QStringLiteral("refused")));
        panel.model().refreshModels();
        QTRY_COMPARE(panel.model().serverState(), ServerState::down);
        QCOMPARE(view.statusLine()->palette().color(QPalette::WindowText), QColor(255, 149, 0));
        QCOMPARE(view.modelRow()->notice()->text(), Texts::notRunning());
        QVERIFY(view.modelRow()->notice()->isVisible());
        QVERIFY(!view.modelRow()->modelPicker()->isVisible());
        panel.rig.modelServer.listings.insert_or_assign(Provider::ollama, QStringList{});
        panel.model().refreshModels();
        QTRY_COMPARE(panel.model().serverState(), ServerState::running);
        QCOMPARE(view.statusLine()->palette().color(QPalette::WindowText), normal);
        QCOMPARE(view.modelRow()->notice()->text(), Texts::noModels());
    }

    void modelRowWritesTheModel()
    {
        Panel panel;
        ModelRow* row = panel.main().modelRow();
        panel.rig.modelServer.listings.insert_or_assign(
            Provider::ollama, QStringList{QStringLiteral("a-model"), QStringLiteral("llava:7b")});
        QTest::mouseClick(row->refreshButton(), Qt::LeftButton);
        QTRY_COMPARE(row->modelPicker()->count(), 2);
        QCOMPARE(row->refreshButton()->toolTip(), Texts::refreshModels());
        QCOMPARE(row->modelPicker()->currentText(), QStringLiteral("llava:7b"));
        row->modelPicker()->setCurrentIndex(0);
        emit row->modelPicker()->activated(0);
        QCOMPARE(panel.model().selectedModel(), QStringLiteral("a-model"));

        QCOMPARE(row->providerButton(1)->text(), QStringLiteral("LM Studio"));
        QTest::mouseClick(row->providerButton(1), Qt::LeftButton);
        QCOMPARE(panel.model().provider(), Provider::lmStudio);
        QVERIFY(row->notice()->isVisible()); // the list is emptied at once
        QTRY_COMPARE(row->notice()->text(), Texts::notRunning());
    }

    void noticeFollowsAccessibility()
    {
        Panel panel;
        panel.rig.permissions.accessibility = false;
        panel.model().refreshPermissions();
        QVERIFY(panel.main().accessibilityNotice()->isVisible());
        QCOMPARE(panel.main().accessibilityNotice()->text(), Texts::accessibilityNotice());
        panel.rig.permissions.accessibility = true;
        QTRY_VERIFY_WITH_TIMEOUT(!panel.main().accessibilityNotice()->isVisible(), 3000);
    }

    void focusTokenPutsTheCursorInTheGoal()
    {
        Panel panel;
        panel.content->activateWindow();
        QApplication::setActiveWindow(panel.content.get());
        panel.main().goButton()->setFocus();
        panel.model().increaseFocusToken();
        QTRY_VERIFY(panel.main().goalField()->hasFocus());
    }

    void explainerAndBack()
    {
        Panel panel(false);
        ExplainerView* explainer = panel.content->explainer();
        QCOMPARE(panel.content->currentWidget(), explainer);
        panel.rig.permissions.accessibility = false;
        panel.model().refreshPermissions();
        // Capture is what the desktop offers: nothing to grant or open, only what it takes.
        QVERIFY(explainer->screenCard()->grantedShown());
        QVERIFY(!explainer->screenCard()->allowButton());
        QVERIFY(!explainer->screenCard()->settingsButton());
        QVERIFY(explainer->screenCard()->remedyLabel()->isHidden());
        QVERIFY(!explainer->accessibilityCard()->grantedShown());
        QVERIFY(explainer->accessibilityCard()->allowButton()->isEnabled());
        QVERIFY(explainer->accessibilityCard()->settingsButton()->isEnabled());
        savePicture(*panel.content, QStringLiteral("explainer.png"));

        // Allow asks the desktop; the one-second re-check shows the outcome.
        QTest::mouseClick(explainer->accessibilityCard()->allowButton(), Qt::LeftButton);
        QCOMPARE(panel.rig.permissions.requests, 1);
        panel.rig.permissions.accessibility = true;
        QTRY_VERIFY_WITH_TIMEOUT(explainer->accessibilityCard()->grantedShown(), 2500);

        // Where no settings can be opened, the card says what to do.
        panel.rig.permissions.canOpenSettings = false;
        QTest::mouseClick(explainer->accessibilityCard()->settingsButton(), Qt::LeftButton);
        QVERIFY(explainer->accessibilityCard()->remedyLabel()->isVisible());

        // A display that cannot capture: the card says so and what to do.
        panel.rig.permissions.capture = false;
        panel.model().refreshPermissions();
        QVERIFY(!explainer->screenCard()->grantedShown());
        QVERIFY(explainer->screenCard()->remedyLabel()->isVisible());
        QCOMPARE(explainer->screenCard()->remedyLabel()->text(),
                 panel.rig.permissions.captureAdvice().remedy);
        panel.rig.permissions.capture = true;
        panel.model().refreshPermissions();

        QTest::keyClick(explainer, Qt::Key_Return);
        QCOMPARE(panel.content->currentWidget(), panel.content->mainView());
        panel.rig.settings.sync();
        QVERIFY(panel.rig.settings.value(QStringLiteral("seenExplainer")).toBool());

        QTest::mouseClick(panel.main().permissionsButton(), Qt::LeftButton);
        QCOMPARE(panel.content->currentWidget(), explainer);
    }

    void controlsHaveAccessibleNames()
    {
        Panel panel;
        MainView& view = panel.main();
        for (QWidget* w : view.findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QComboBox*>(w);
            if (!control)
                continue;
            const QString name =
                w->accessibleName().isEmpty()
                    ? (qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                                                         : QString())
                    : w->accessibleName();
            QVERIFY2(!name.isEmpty(), qPrintable(w->metaObject()->className()));
        }
    }
};

QTEST_MAIN(PanelViewsTest)
#include "PanelViewsTest.moc"
