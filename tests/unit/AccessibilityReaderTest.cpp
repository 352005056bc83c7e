// SPDX-License-Identifier: GPL-3.0-or-later
// The tree walk over a fake tree: limits, the label rule, the enabled and frame rules and the
// menu bar.
#include "observe/AccessibilityReader.h"
#include "FakeAccessibility.h"

#include <QTest>

namespace {

constexpr qint64 pid = 5;

AXNodeAttributes control(const QString& role, const QString& title = QString(),
                         QRectF frame = QRectF(10, 10, 20, 20))
{
    AXNodeAttributes a;
    a.role = role;
    a.title = title;
    a.frame = frame;
    return a;
}

// An application whose focused window holds `children`.
struct Tree
{
    FakeAccessibility port;
    AXApplicationNodes top;

    explicit Tree(const QList<AXNodeAttributes>& children = {})
    {
        port.applications.insert(pid, FakeAccessibility::node(QStringLiteral("/app")));
        AXNodeAttributes window =
            control(QStringLiteral("AXWindow"), QStringLiteral("Doc"), QRectF(0, 0, 500, 400));
        for (qsizetype i = 0; i < children.size(); ++i)
            window.children.append(port.add(QStringLiteral("/w/%1").arg(i), children[i]));
        top.focusedWindow = port.add(QStringLiteral("/w"), window);
    }

    AXSnapshot read()
    {
        port.applicationNodesByPath.insert(QStringLiteral("/app"), top);
        return AccessibilityReader::read(port, pid);
    }

    void setMenuBar(const QList<AXNodeAttributes>& items)
    {
        AXNodeAttributes bar;
        for (qsizetype i = 0; i < items.size(); ++i)
            bar.children.append(port.add(QStringLiteral("/bar/%1").arg(i), items[i]));
        top.menuBar = port.add(QStringLiteral("/bar"), bar);
    }
};

QStringList titles(const AXSnapshot& s)
{
    QStringList out;
    for (const GuideElement& e : s.elements)
        out.append(e.title);
    return out;
}

} // namespace

class AccessibilityReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readableRoles()
    {
        QCOMPARE(AccessibilityReader::readableRole(u"AXPopUpButton"),
                 QStringLiteral("pop up button"));
        QCOMPARE(AccessibilityReader::readableRole(u"AXCheckBox"), QStringLiteral("check box"));
        QCOMPARE(AccessibilityReader::readableRole(u"AXLink"), QStringLiteral("link"));
        QCOMPARE(AccessibilityReader::readableRole(u"AX"), QString());
    }

    void hugeLabelsAreBoundedAsTheyAreRead()
    {
        // An application may name a control with anything: a book, or one letter carrying half
        // a million marks. What the list, the prompt and the card get is bounded either way.
        const QString stacked = QStringLiteral("Z") + QString(500'000, QChar(0x0301));
        const QString book(1'000'000, u'w');
        AXNodeAttributes described = control(QStringLiteral("AXButton"));
        described.description = stacked;
        Tree tree({control(QStringLiteral("AXButton"), book), described});
        const QStringList read = titles(tree.read());
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0], book.left(500));
        QVERIFY2(read[1].size() < 20, qPrintable(QString::number(read[1].size())));
        QVERIFY(read[1].startsWith(u'Z'));
    }

    void untrustedReadsNothing()
    {
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("OK"))});
        tree.port.trusted = false;
        const AXSnapshot s = tree.read();
        QVERIFY(s.elements.isEmpty());
        QVERIFY(!s.windowFrame);
        QCOMPARE(tree.port.readCalls.load(), 0);
    }

    void labelSourcesInOrder()
    {
        AXNodeAttributes described = control(QStringLiteral("AXButton"), QStringLiteral(" \n "));
        described.description = QStringLiteral("Close");
        described.help = QStringLiteral("Closes");
        AXNodeAttributes labelled = control(QStringLiteral("AXTextField"));
        labelled.titleElementValue = QStringLiteral("  Name: ");
        labelled.placeholder = QStringLiteral("Your name");
        AXNodeAttributes identified = control(QStringLiteral("AXCheckBox"));
        identified.identifier = QStringLiteral("wrap-lines");
        Tree tree({described, labelled, identified, control(QStringLiteral("AXSearchField")),
                   control(QStringLiteral("AXButton"))});
        const AXSnapshot s = tree.read();
        QCOMPARE(titles(s), QStringList({"Close", "Name:", "wrap-lines", "(unlabeled)"}));
        QCOMPARE(s.elements[1].role, QStringLiteral("text field"));
        QCOMPARE(s.elements[3].role, QStringLiteral("search field"));
        QCOMPARE(s.windowFrame, QRectF(0, 0, 500, 400));
    }

    void enabledAndFrameRules()
    {
        AXNodeAttributes disabled = control(QStringLiteral("AXButton"), QStringLiteral("Off"));
        disabled.enabled = false;
        AXNodeAttributes enabled = control(QStringLiteral("AXButton"), QStringLiteral("On"));
        enabled.enabled = true;
        AXNodeAttributes noFrame = control(QStringLiteral("AXButton"), QStringLiteral("Nowhere"));
        noFrame.frame.reset();
        Tree tree(
            {disabled, enabled, noFrame,
             control(QStringLiteral("AXButton"), QStringLiteral("Thin"), QRectF(0, 0, 1.0, 30)),
             control(QStringLiteral("AXButton"), QStringLiteral("Wide"), QRectF(0, 0, 1.5, 1.5)),
             control(QStringLiteral("AXGroup"), QStringLiteral("Not a control")),
             control(QStringLiteral("axbutton"), QStringLiteral("Wrong case"))});
        QCOMPARE(titles(tree.read()), QStringList({"On", "Wide"}));
    }

    void framesNearTheIntegerLimitsAreBounded()
    {
        // Such an element lies outside every window and is not listed from one; made into
        // an element all the same (as in a popup, which is not clipped), it is bounded.
        const std::optional<GuideElement> far = AccessibilityReader::makeElement(
            control(QStringLiteral("AXButton"), QStringLiteral("Far"),
                    QRectF(2147483000, -2147483000, 4e9, 30)),
            QStringLiteral("AXButton"), false);
        QVERIFY(far);
        QVERIFY(far->frame.right() <= 2e6 && far->frame.top() >= -1e6 && far->frame.width() <= 1e6);
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("Far"),
                           QRectF(2147483000, -2147483000, 4e9, 30))});
        QVERIFY(tree.read().elements.isEmpty());
    }

    void windowChoiceFallsBack()
    {
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("OK"))});
        const AXNode window = *tree.top.focusedWindow;
        tree.top.focusedWindow.reset();
        QVERIFY(tree.read().elements.isEmpty());
        tree.top.windows = {window};
        QCOMPARE(titles(tree.read()), QStringList{"OK"});
        // A window whose frame cannot be read is still walked.
        tree.port.nodes[window.path].frame.reset();
        const AXSnapshot s = tree.read();
        QVERIFY(!s.windowFrame);
        QCOMPARE(s.elements.size(), 1);
    }

    void menuBarItemsComeFirstWithoutApple()
    {
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("OK"))});
        tree.setMenuBar({control(QStringLiteral("AXMenu"), QStringLiteral(" Apple ")),
                         control(QStringLiteral("AXMenu"), QStringLiteral("File")),
                         control(QStringLiteral("AXMenu"))});
        const AXSnapshot s = tree.read();
        QCOMPARE(titles(s), QStringList({"File", "OK"}));
        QVERIFY(s.elements[0].isMenuBar);
        QCOMPARE(s.elements[0].role, QStringLiteral("menu bar item"));
        QVERIFY(!s.elements[1].isMenuBar);
    }

    void elementLimitCountsMenuBarItems()
    {
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("A")),
                   control(QStringLiteral("AXButton"), QStringLiteral("B"))});
        QList<AXNodeAttributes> items;
        for (int i = 0; i < 399; ++i)
            items.append(control(QStringLiteral("AXMenu"), QStringLiteral("m%1").arg(i)));
        tree.setMenuBar(items);
        QCOMPARE(tree.read().elements.last().title, QStringLiteral("A"));
        QCOMPARE(tree.read().elements.size(), 400);

        items.append(control(QStringLiteral("AXMenu"), QStringLiteral("m399")));
        items.append(control(QStringLiteral("AXMenu"), QStringLiteral("m400")));
        tree.setMenuBar(items);
        QCOMPARE(tree.read().elements.size(), 401); // no limit on the menu bar; no window walk

        // A menu bar of 100,000 items is read no further than a window would be.
        tree.setMenuBar(QList<AXNodeAttributes>(
            100000, control(QStringLiteral("AXMenu"), QStringLiteral("m"))));
        tree.port.nodesRead = 0;
        QCOMPARE(tree.read().elements.size(), AccessibilityReader::maxVisitedNodes);
        QVERIFY(tree.port.nodesRead <= AccessibilityReader::maxVisitedNodes + 2);
    }

    void depthAndNodeLimits()
    {
        // A chain of groups 35 deep with a button at every level.
        Tree tree;
        AXNode parent = *tree.top.focusedWindow;
        for (int depth = 1; depth <= 35; ++depth) {
            AXNodeAttributes node = control(QStringLiteral("AXButton"), QString::number(depth));
            const AXNode child = tree.port.add(QStringLiteral("/chain/%1").arg(depth), node);
            tree.port.nodes[parent.path].children = {child};
            parent = child;
        }
        const AXSnapshot deep = tree.read();
        QCOMPARE(deep.elements.size(), 30); // depth 30 is examined, its children never visited
        QCOMPARE(deep.elements.last().title, QStringLiteral("30"));

        // A wide window: 5000 unlabelled groups and a labelled button at the end.
        QList<AXNodeAttributes> wide(5000, control(QStringLiteral("AXGroup")));
        wide.append(control(QStringLiteral("AXButton"), QStringLiteral("Far")));
        Tree broad(wide);
        QVERIFY(broad.read().elements.isEmpty());
        QVERIFY(broad.port.nodesRead <= 4000 + 2);
    }

    void onlyWhatTheWindowShowsIsListedOnce()
    {
        // A settings page scrolled in its 500x400 window: a check box the application still
        // calls showing lies below the window's edge; a GTK 4 menu button holds a toggle
        // button of its own name; a split button holds a smaller button named otherwise.
        Tree tree(
            {control(QStringLiteral("AXCheckBox"), QStringLiteral("Below"),
                     QRectF(20, 430, 40, 20)),
             control(QStringLiteral("AXCheckBox"), QStringLiteral("Half out"),
                     QRectF(20, 390, 40, 30)),
             control(QStringLiteral("AXButton"), QStringLiteral("Menu"), QRectF(400, 10, 34, 34)),
             control(QStringLiteral("AXButton"), QStringLiteral("Open recent"),
                     QRectF(10, 10, 77, 34))});
        tree.port.nodes[QStringLiteral("/w/2")].children = {tree.port.add(
            QStringLiteral("/w/2/0"),
            control(QStringLiteral("AXButton"), QStringLiteral("Menu"), QRectF(405, 15, 24, 24)))};
        tree.port.nodes[QStringLiteral("/w/3")].children = {tree.port.add(
            QStringLiteral("/w/3/0"),
            control(QStringLiteral("AXButton"), QStringLiteral("Open"), QRectF(20, 15, 59, 24)))};
        const AXSnapshot snapshot = tree.read();
        QCOMPARE(titles(snapshot),
                 (QStringList{QStringLiteral("Menu"), QStringLiteral("Open recent"),
                              QStringLiteral("Open")}));
        QCOMPARE(snapshot.elements.first().frame, QRectF(400, 10, 34, 34)); // the whole button
        QCOMPARE(snapshot.windowTitle, QStringLiteral("Doc"));
    }

    void aScrolledViewTellsWhereToScroll()
    {
        // Nothing out of view, nothing to scroll to.
        QVERIFY(
            !Tree({control(QStringLiteral("AXButton"), QStringLiteral("OK"))}).read().scrollHint);

        // A settings page in a Qt 5 dialog: its vertical bar at the top of its range says that
        // more lies below, in the view left of the bar; one at the end of its range, above.
        AXNodeAttributes bar =
            control(QStringLiteral("AXScrollBar"), QString(), QRectF(450, 50, 14, 300));
        bar.scrollRange = std::array<double, 3>{0, 0, 165};
        const std::optional<ScrollHint> below = Tree({bar}).read().scrollHint;
        QVERIFY(below);
        QCOMPARE(below->area, QRectF(0, 50, 450, 300));
        QVERIFY(below->down);
        bar.scrollRange = std::array<double, 3>{165, 0, 165};
        QVERIFY(!Tree({bar}).read().scrollHint->down);
        // A bar that cannot move, or that does not say, tells nothing.
        bar.scrollRange = std::array<double, 3>{0, 0, 0};
        QVERIFY(!Tree({bar}).read().scrollHint);
        bar.scrollRange.reset();
        QVERIFY(!Tree({bar}).read().scrollHint);

        // A list that holds controls below its view, as GTK 3 and Qt list them, points down.
        AXNodeAttributes list =
            control(QStringLiteral("AXScrollArea"), QString(), QRectF(20, 20, 200, 100));
        Tree tree({list});
        QList<AXNode> items;
        for (int i = 0; i < 3; ++i) {
            items.append(
                tree.port.add(QStringLiteral("/w/0/%1").arg(i),
                              control(QStringLiteral("AXButton"), QStringLiteral("Item %1").arg(i),
                                      QRectF(30, 150 + 30 * i, 100, 20))));
        }
        tree.port.nodes[QStringLiteral("/w/0")].children = items;
        const AXSnapshot snapshot = tree.read();
        QVERIFY(snapshot.elements.isEmpty());
        QCOMPARE(snapshot.scrollHint->area, QRectF(20, 20, 200, 100));
        QVERIFY(snapshot.scrollHint->down);
    }

    void aDocumentGivesTheTextOfItsParagraphsInView()
    {
        // A document in a scrolled view: a heading and a paragraph in view, one below it, an
        // empty paragraph between them, and a link inside the paragraph, listed on its own.
        Tree tree({control(QStringLiteral("AXScrollArea"), QString(), QRectF(0, 50, 500, 300))});
        const auto text = [&tree](const QString& role, const QString& shown, QRectF frame) {
            tree.port.texts.insert(QStringLiteral("/w/0/%1").arg(tree.port.texts.size()), shown);
            return control(role, QString(), frame);
        };
        tree.port.nodes[QStringLiteral("/w/0")].children = {
            tree.port.add(QStringLiteral("/w/0/0"),
                          text(QStringLiteral("AXHeading"), QStringLiteral("Chapter 1"),
                               QRectF(20, 60, 400, 30))),
            tree.port.add(QStringLiteral("/w/0/1"),
                          text(QStringLiteral("AXParagraph"), QString(), QRectF(20, 95, 400, 15))),
            tree.port.add(QStringLiteral("/w/0/2"),
                          text(QStringLiteral("AXParagraph"), QStringLiteral("It began  well."),
                               QRectF(20, 110, 400, 45))),
            tree.port.add(QStringLiteral("/w/0/3"),
                          text(QStringLiteral("AXParagraph"), QStringLiteral("Out of view."),
                               QRectF(20, 380, 400, 45)))};
        tree.port.nodes[QStringLiteral("/w/0/2")].children = {tree.port.add(
            QStringLiteral("/w/0/2/0"),
            control(QStringLiteral("AXLink"), QStringLiteral("well"), QRectF(80, 110, 30, 15)))};
        const AXSnapshot snapshot = tree.read();
        QCOMPARE(snapshot.shownTexts.size(), 2);
        QCOMPARE(snapshot.shownTexts[0].text, QStringLiteral("Chapter 1"));
        QCOMPARE(snapshot.shownTexts[0].frame, QRectF(20, 60, 400, 30));
        QCOMPARE(snapshot.shownTexts[1].text, QStringLiteral("It began  well."));
        QCOMPARE(titles(snapshot), QStringList{QStringLiteral("well")});
    }

    void aDialogBesideTheWindowIsReadBeforeIt()
    {
        // LibreOffice's tip of the day does not block the document window the user brought
        // forward; it still floats above it, and its OK is what the user sees first.
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("Bold"))});
        AXNodeAttributes dialog =
            control(QStringLiteral("AXWindow"), QStringLiteral("Tip"), QRectF(100, 100, 200, 100));
        dialog.children = {tree.port.add(
            QStringLiteral("/tip/ok"),
            control(QStringLiteral("AXButton"), QStringLiteral("OK"), QRectF(250, 170, 40, 20)))};
        // The window read is never read twice as a dialog of its own.
        tree.top.dialogs = {tree.port.add(QStringLiteral("/tip"), dialog), *tree.top.focusedWindow};
        const AXSnapshot snapshot = tree.read();
        QCOMPARE(titles(snapshot), (QStringList{QStringLiteral("OK"), QStringLiteral("Bold")}));
        QCOMPARE(snapshot.windowTitle, QStringLiteral("Doc"));
    }

    void openPopupsComeFirst()
    {
        // A combo box whose list is open and a popover shown inside the window; an open "Edit"
        // menu of the menu bar; a context menu that is a top-level node of its own.
        AXNodeAttributes combo = control(QStringLiteral("AXComboBox"), QStringLiteral("Size"));
        combo.open = true;
        AXNodeAttributes popover = control(QStringLiteral("AXGroup"));
        popover.popup = true;
        Tree tree({control(QStringLiteral("AXButton"), QStringLiteral("OK")), combo, popover});
        const auto addChild = [&](const QString& parent, const QString& path,
                                  const AXNodeAttributes& child) {
            tree.port.nodes[parent].children.append(tree.port.add(path, child));
        };
        addChild(QStringLiteral("/w/1"), QStringLiteral("/list"),
                 control(QStringLiteral("AXGroup")));
        // The items of an open list are what the user picks there; in the window they are not.
        addChild(QStringLiteral("/list"), QStringLiteral("/list/big"),
                 control(QStringLiteral("AXListItem"), QStringLiteral("Big")));
        addChild(QStringLiteral("/w"), QStringLiteral("/w/row"),
                 control(QStringLiteral("AXListItem"), QStringLiteral("Row")));
        addChild(QStringLiteral("/w/2"), QStringLiteral("/popover/new"),
                 control(QStringLiteral("AXMenuItem"), QStringLiteral("New Window")));
        AXNodeAttributes edit = control(QStringLiteral("AXMenu"), QStringLiteral("Edit"));
        edit.open = true;
        tree.setMenuBar({control(QStringLiteral("AXMenu"), QStringLiteral("File")), edit});
        addChild(QStringLiteral("/bar/1"), QStringLiteral("/edit/paste"),
                 control(QStringLiteral("AXMenuItem"), QStringLiteral("Paste")));
        AXNodeAttributes context = control(QStringLiteral("AXWindow"));
        context.children = {
            tree.port.add(QStringLiteral("/context/copy"),
                          control(QStringLiteral("AXMenuItem"), QStringLiteral("Copy")))};
        tree.top.popups = {tree.port.add(QStringLiteral("/context"), context)};

        // Popups are walked together, a level at a time, before the menu bar and the window.
        const AXSnapshot s = tree.read();
        QCOMPARE(titles(s),
                 QStringList({"Paste", "Copy", "Big", "New Window", "File", "Edit", "OK", "Size"}));
        QVERIFY(!s.elements[0].isMenuBar);
        QVERIFY(s.elements[4].isMenuBar);
    }

    void openPopupsAreReadBeforeABigWindowSpendsTheBudget()
    {
        Tree tree(QList<AXNodeAttributes>(5000, control(QStringLiteral("AXGroup"))));
        AXNodeAttributes menu = control(QStringLiteral("AXWindow"));
        menu.children = {
            tree.port.add(QStringLiteral("/menu/open"),
                          control(QStringLiteral("AXMenuItem"), QStringLiteral("Open")))};
        tree.top.popups = {tree.port.add(QStringLiteral("/menu"), menu)};
        QCOMPARE(titles(tree.read()), QStringList{"Open"});
    }

    void textsBesideUnlabelledFieldsAreGathered()
    {
        // A form: each entry has its label as a sibling, as toolkits without label relations
        // lay them out. A labelled field's siblings are not read.
        Tree tree({control(QStringLiteral("AXStaticText"), QStringLiteral("Name"),
                           QRectF(10, 10, 40, 20)),
                   control(QStringLiteral("AXTextField"), QString(), QRectF(60, 10, 100, 20)),
                   control(QStringLiteral("AXStaticText"), QStringLiteral("   "),
                           QRectF(10, 40, 40, 20))});
        const AXSnapshot s = tree.read();
        QCOMPARE(titles(s), QStringList{"(unlabeled)"});
        QCOMPARE(s.labels.size(), 1);
        QCOMPARE(s.labels.first().text, QStringLiteral("Name"));
        QCOMPARE(s.labels.first().frame, QRectF(10, 10, 40, 20));

        Tree labelled({control(QStringLiteral("AXStaticText"), QStringLiteral("Name")),
                       control(QStringLiteral("AXTextField"), QStringLiteral("Name"))});
        QVERIFY(labelled.read().labels.isEmpty());
    }
};

QTEST_GUILESS_MAIN(AccessibilityReaderTest)
#include "AccessibilityReaderTest.moc"
