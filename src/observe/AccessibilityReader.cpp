// SPDX-License-Identifier: GPL-3.0-or-later
#include "observe/AccessibilityReader.h"

#include "core/DisplayText.h"
#include "core/NumericRange.h"
#include "core/OutsideText.h"
#include "observe/ObserveLog.h"

#include <QList>

#include <algorithm>
#include <array>
#include <deque>
#include <utility>

namespace AccessibilityReader {

const QSet<QString>& roles()
{
    static const QSet<QString> set{QStringLiteral("AXButton"),
                                   QStringLiteral("AXMenuItem"),
                                   QStringLiteral("AXMenuBarItem"),
                                   QStringLiteral("AXTextField"),
                                   QStringLiteral("AXTextArea"),
                                   QStringLiteral("AXCheckBox"),
                                   QStringLiteral("AXRadioButton"),
                                   QStringLiteral("AXPopUpButton"),
                                   QStringLiteral("AXMenuButton"),
                                   QStringLiteral("AXComboBox"),
                                   QStringLiteral("AXLink"),
                                   QStringLiteral("AXSlider"),
                                   QStringLiteral("AXDisclosureTriangle"),
                                   QStringLiteral("AXSearchField")};
    return set;
}

const QSet<QString>& popupRoles()
{
    static const QSet<QString> set = roles() + QSet<QString>{QStringLiteral("AXListItem")};
    return set;
}

const QSet<QString>& textRoles()
{
    static const QSet<QString> set{QStringLiteral("AXTextField"), QStringLiteral("AXTextArea"),
                                   QStringLiteral("AXComboBox"), QStringLiteral("AXSearchField")};
    return set;
}

QString readableRole(QStringView role)
{
    QString kind;
    if (role.size() <= 2)
        return kind;
    for (const QChar c : role.mid(2)) {
        if (c.isUpper() && !kind.isEmpty())
            kind += u' ';
        kind += c.toLower();
    }
    return kind;
}

std::optional<QRectF> usableFrame(const AXNodeAttributes& node)
{
    if (!node.frame || !(node.frame->width() > minimumExtent) ||
        !(node.frame->height() > minimumExtent))
        return std::nullopt;
    return NumericRange::boundedRect(*node.frame);
}

namespace {

std::optional<QString> firstLabel(const AXNodeAttributes& node)
{
    const std::array<const QString*, 6> sources{
        &node.title,       &node.description, &node.titleElementValue,
        &node.placeholder, &node.help,        &node.identifier};
    for (const QString* source : sources) {
        const QString trimmed = source->trimmed();
        if (!trimmed.isEmpty())
            return OutsideText::tamed(trimmed, DisplayText::maxGraphemes);
    }
    return std::nullopt;
}

std::optional<AXNode> chooseWindow(const AXApplicationNodes& nodes)
{
    if (nodes.focusedWindow)
        return nodes.focusedWindow;
    if (nodes.mainWindow)
        return nodes.mainWindow;
    if (!nodes.windows.isEmpty())
        return nodes.windows.first();
    return std::nullopt;
}

struct Pending
{
    AXNode node;
    int depth;
    /// The children of the node's parent: where a text beside it would be.
    const QList<AXNode>* siblings;
    /// What of the node can be on screen: its window and the scrolled areas it is in.
    std::optional<QRectF> clip;
    /// The innermost scrolled area it is in (an index into the walk's areas), or -1.
    qsizetype area = -1;
};

// A scrolled area met on the walk, and the controls of it that lie out of its view.
struct ScrolledArea
{
    QRectF visible;
    int hiddenBelow = 0;
    int hiddenAbove = 0;
};

// One read: the walks of its parts share the limits, and the texts beside unlabelled fields
// are gathered for all of them at the end.
class TreeWalk
{
public:
    /// `listed` elements count against the limit already (the menu bar's).
    TreeWalk(AccessibilityPort& port, QDeadlineTimer deadline, qsizetype listed)
        : m_port(port), m_deadline(deadline), m_elements(listed)
    {
    }

    // Breadth first, one level per batch so the backend can keep a level's requests in flight
    // together; visits nodes in exactly the order of a node-by-node walk of one work list.
    // Popups met on the way are not entered but handed to `popups`, to be walked first.
    // A window's walk is clipped to the window: controls the application keeps showing but
    // scrolled out of its view are not on screen.
    void walk(QList<AXNode> roots, const std::optional<AXNodeAttributes>& rootAttributes,
              const QSet<QString>& elementRoles, QList<GuideElement>& out, QList<AXNode>* popups,
              const std::optional<QRectF>& clip = std::nullopt)
    {
        QList<Pending> level;
        for (const AXNode& root : roots)
            level.append({root, 0, nullptr, clip});
        bool first = true;
        // Scrolled areas are read for their frames, which clip what they hold, and scroll bars
        // for how far they can move.
        const QSet<QString> detailRoles =
            elementRoles + QSet<QString>{scrollAreaRole, scrollBarRole, ShownTextRoles::paragraph,
                                         ShownTextRoles::heading};
        while (!level.isEmpty()) {
            const qsizetype budget = std::min<qsizetype>(level.size(), maxVisitedNodes - m_visited);
            if (budget <= 0 || m_elements >= maxElements)
                return;
            level.resize(budget);
            QList<AXNode> batch;
            batch.reserve(budget);
            for (const Pending& p : level)
                batch.append(p.node);
            m_levels.push_back(first && rootAttributes
                                   ? QList<AXNodeAttributes>{*rootAttributes}
                                   : m_port.read(batch, &detailRoles, m_deadline));
            first = false;
            QList<AXNodeAttributes>& attributes = m_levels.back();
            attributes.resize(batch.size());
            QList<Pending> next;
            for (qsizetype i = 0; i < level.size(); ++i) {
                if (m_visited >= maxVisitedNodes || m_elements >= maxElements)
                    return;
                ++m_visited;
                const AXNodeAttributes& node = attributes[i];
                m_loading = m_loading || node.busy;
                if (node.popup && popups) {
                    popups->append(level[i].node);
                    continue;
                }
                visit(node, level[i], elementRoles, out);
                noteScrollBar(node, level[i]);
                noteShownText(node, level[i]);
                // Menu bars are read from the application; where a platform keeps the menu bar
                // inside the window, its items are not listed a second time.
                if (level[i].depth > maxExpandedDepth || node.role.trimmed() == menuBarRole)
                    continue;
                const Pending inside = scrolledInto(node, level[i]);
                if (inside.clip && inside.clip->isEmpty())
                    continue; // a scrolled area wholly out of view
                for (const AXNode& child : node.children) {
                    if (node.open && popups)
                        popups->append(child);
                    else
                        next.append(
                            {child, level[i].depth + 1, &node.children, inside.clip, inside.area});
                }
            }
            level = std::move(next);
        }
    }

    /// The scrolled area with the most controls out of its view; below wins a tie.
    std::optional<ScrollHint> scrollHint() const
    {
        std::optional<ScrollHint> hint;
        int most = 0;
        for (const ScrolledArea& area : m_areas) {
            const int hidden = std::max(area.hiddenBelow, area.hiddenAbove);
            if (hidden > most && !area.visible.isEmpty()) {
                most = hidden;
                hint = ScrollHint{area.visible, area.hiddenBelow >= area.hiddenAbove};
            }
        }
        return hint;
    }

    /// The texts of the paragraphs and headings in view, in the order met, read in one batch:
    /// a long page's many others are not asked for theirs.
    QList<TextLine> shownTexts()
    {
        QList<AXNode> nodes;
        for (const auto& [node, frame] : m_inView)
            nodes.append(node);
        QList<TextLine> texts;
        const QList<QString> read =
            nodes.isEmpty() ? QList<QString>{} : m_port.shownTexts(nodes, m_deadline);
        for (qsizetype i = 0; i < read.size() && i < m_inView.size(); ++i) {
            const QString text = OutsideText::tamed(read[i].trimmed(), DisplayText::maxGraphemes);
            if (!text.isEmpty())
                texts.append({text, m_inView[i].second});
        }
        return texts;
    }

    /// Whether a node met on the walk was still loading what it shows.
    bool metLoading() const { return m_loading; }

    /// The texts beside the fields that had no label, read in one batch.
    QList<TextLine> labelsBesideUnlabelledFields()
    {
        QList<TextLine> labels;
        if (m_besideUnlabelled.isEmpty())
            return labels;
        const QList<AXNodeAttributes> read =
            m_port.read(m_besideUnlabelled, &labelRoles(), m_deadline);
        for (const AXNodeAttributes& node : read) {
            if (node.role.trimmed() != staticTextRole)
                continue;
            const std::optional<QRectF> frame = usableFrame(node);
            const QString text =
                OutsideText::tamed(node.title.trimmed(), DisplayText::maxGraphemes);
            if (frame && !text.isEmpty())
                labels.append({text, *frame});
        }
        return labels;
    }

private:
    void visit(const AXNodeAttributes& node, const Pending& pending,
               const QSet<QString>& elementRoles, QList<GuideElement>& out)
    {
        const QString role = node.role.trimmed();
        if (role.isEmpty() || !elementRoles.contains(role))
            return;
        std::optional<GuideElement> element = makeElement(node, role, false);
        if (!element || isInnerPartOfListed(*element, out) || isOutOfView(*element, pending))
            return;
        if (element->title == unlabeled && pending.siblings) {
            for (const AXNode& sibling : *pending.siblings) {
                if (!m_besideUnlabelled.contains(sibling) && !(sibling == pending.node))
                    m_besideUnlabelled.append(sibling);
            }
        }
        out.append(*element);
        ++m_elements;
    }

    // What a scrolled area shows of its children: its visible part, inside what already
    // showed of it. Its children are in it.
    Pending scrolledInto(const AXNodeAttributes& node, const Pending& pending)
    {
        const std::optional<QRectF> frame = usableFrame(node);
        if (node.role.trimmed() != scrollAreaRole || !frame)
            return pending;
        Pending inside = pending;
        inside.clip = pending.clip ? pending.clip->intersected(*frame) : *frame;
        m_areas.append({*inside.clip});
        inside.area = m_areas.size() - 1;
        return inside;
    }

    // A scroll bar that can move further says that what it scrolls holds more out of view: the
    // part of the view beside it (left of a vertical bar, above a horizontal one), even where
    // the application does not list what is out of view (Qt 5 lists it, Firefox does not).
    void noteScrollBar(const AXNodeAttributes& node, const Pending& pending)
    {
        const std::optional<QRectF> bar = usableFrame(node);
        if (node.role.trimmed() != scrollBarRole || !bar || !node.scrollRange || !pending.clip)
            return;
        const auto [value, least, most] = *node.scrollRange;
        if (!(most > least))
            return;
        const QRectF& view = *pending.clip;
        const QRectF scrolled =
            bar->height() > bar->width()
                ? QRectF(view.left(), bar->top(), bar->left() - view.left(), bar->height())
                : QRectF(bar->left(), view.top(), bar->width(), bar->top() - view.top());
        const QRectF visible = scrolled.intersected(view);
        if (!visible.isEmpty())
            m_areas.append({visible, value < most ? 1 : 0, value > least ? 1 : 0});
    }

    void noteShownText(const AXNodeAttributes& node, const Pending& pending)
    {
        const QString role = node.role.trimmed();
        if (!ShownTextRoles::contains(role) || m_inView.size() >= maxShownTexts)
            return;
        const std::optional<QRectF> frame = usableFrame(node);
        if (frame && (!pending.clip || pending.clip->contains(frame->center())))
            m_inView.append({pending.node, *frame});
    }

    // A control the application keeps showing but scrolled out of its window or area: not on
    // screen, though it tells which way the area would scroll to show it.
    bool isOutOfView(const GuideElement& element, const Pending& pending)
    {
        const QPointF centre = element.frame.center();
        if (!pending.clip || pending.clip->contains(centre))
            return false;
        if (pending.area >= 0) {
            ScrolledArea& area = m_areas[pending.area];
            const bool above =
                centre.y() < area.visible.top() ||
                (centre.y() <= area.visible.bottom() && centre.x() < area.visible.left());
            ++(above ? area.hiddenAbove : area.hiddenBelow);
        }
        return true;
    }

    // A control inside one of the same kind and name is its inner part, one control to the
    // user (GTK 4's menu button holds a toggle button of its name).
    static bool isInnerPartOfListed(const GuideElement& element, const QList<GuideElement>& listed)
    {
        return std::any_of(listed.begin(), listed.end(), [&element](const GuideElement& outer) {
            return outer.role == element.role && outer.title == element.title &&
                   outer.frame.contains(element.frame);
        });
    }

    static const QSet<QString>& labelRoles()
    {
        static const QSet<QString> set{staticTextRole};
        return set;
    }

    AccessibilityPort& m_port;
    QDeadlineTimer m_deadline;
    int m_visited = 0;
    qsizetype m_elements;
    // Every level read stays here for the whole read: the sibling lists point into it.
    std::deque<QList<AXNodeAttributes>> m_levels;
    QList<AXNode> m_besideUnlabelled;
    QList<ScrolledArea> m_areas;
    bool m_loading = false;
    QList<std::pair<AXNode, QRectF>> m_inView;
};

QList<GuideElement> menuBarItems(AccessibilityPort& port, const AXNode& menuBar,
                                 QDeadlineTimer deadline, QList<AXNode>& openMenus)
{
    QList<GuideElement> items;
    const QList<AXNodeAttributes> bar = port.read({menuBar}, nullptr, deadline);
    if (bar.isEmpty() || bar.first().children.isEmpty())
        return items;
    const QString role = QStringLiteral("AXMenuBarItem");
    // A menu bar is read in one batch: it is bounded as a window's tree is.
    const QList<AXNode> children = bar.first().children.mid(0, maxVisitedNodes);
    for (const AXNodeAttributes& item : port.read(children, nullptr, deadline)) {
        if (item.open)
            openMenus += item.children;
        std::optional<GuideElement> element = makeElement(item, role, true);
        if (element && element->title != QLatin1String("Apple"))
            items.append(*element);
    }
    return items;
}

} // namespace

std::optional<GuideElement> makeElement(const AXNodeAttributes& node, const QString& role,
                                        bool menuBar)
{
    const std::optional<QRectF> frame = usableFrame(node);
    if (!frame || node.enabled == false)
        return std::nullopt;
    std::optional<QString> label = firstLabel(node);
    if (!label) {
        if (!textRoles().contains(role))
            return std::nullopt;
        label = unlabeled;
    }
    return GuideElement{
        0, readableRole(role), *label, *frame, GuideElement::Source::accessibility, menuBar};
}

AXSnapshot read(AccessibilityPort& port, qint64 pid)
{
    AXSnapshot snapshot;
    if (!port.isTrusted())
        return snapshot;
    const QDeadlineTimer deadline(readBudgetMs);
    const std::optional<AXNode> application = port.application(pid, deadline);
    if (!application)
        return snapshot;
    const AXApplicationNodes nodes = port.applicationNodes(*application, deadline);
    const std::optional<AXNode> window = chooseWindow(nodes);

    std::optional<AXNodeAttributes> windowAttributes;
    if (window) {
        const QList<AXNodeAttributes> read = port.read({*window}, nullptr, deadline);
        if (!read.isEmpty()) {
            windowAttributes = read.first();
            snapshot.windowFrame = usableFrame(*windowAttributes);
            snapshot.windowTitle =
                OutsideText::tamed(windowAttributes->title.trimmed(), DisplayText::maxGraphemes);
        }
    }
    // What the user is looking at is read first, while the budget is whole: the open popups
    // known at once, then the window (which may hold more of them), then those found in it.
    QList<AXNode> popups = nodes.popups;
    QList<GuideElement> menuBar;
    if (nodes.menuBar)
        menuBar = menuBarItems(port, *nodes.menuBar, deadline, popups);
    TreeWalk walk(port, deadline, menuBar.size());
    QList<GuideElement> inPopups;
    walk.walk(popups, std::nullopt, popupRoles(), inPopups, nullptr);
    QList<GuideElement> inDialogs;
    QList<AXNode> popupsInWindow;
    QList<AXNode> dialogs = nodes.dialogs;
    if (window)
        dialogs.removeAll(*window);
    walk.walk(dialogs, std::nullopt, roles(), inDialogs, &popupsInWindow);
    QList<GuideElement> inWindow;
    if (window)
        walk.walk({*window}, windowAttributes, roles(), inWindow, &popupsInWindow,
                  snapshot.windowFrame);
    for (const AXNode& popup : std::as_const(popups))
        popupsInWindow.removeAll(popup); // a popup listed both ways is read once
    walk.walk(popupsInWindow, std::nullopt, popupRoles(), inPopups, nullptr);
    snapshot.elements = inPopups + inDialogs + menuBar + inWindow;
    snapshot.labels = walk.labelsBesideUnlabelledFields();
    snapshot.scrollHint = walk.scrollHint();
    snapshot.loading = walk.metLoading();
    snapshot.shownTexts = walk.shownTexts();
    snapshot.complete = !deadline.hasExpired();
    qCDebug(lcObserve) << "read" << snapshot.elements.size() << "elements of" << pid << "in"
                       << popups.size() + popupsInWindow.size() << "popup roots"
                       << (deadline.hasExpired() ? "(cut short at the deadline)" : "");
    return snapshot;
}

} // namespace AccessibilityReader
