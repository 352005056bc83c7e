#include "observe/AccessibilityReader.h"

#include "observe/ObserveLog.h"

#include <QList>

#include <array>

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
    return node.frame;
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
            return trimmed;
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

void appendMenuBarItems(AccessibilityPort& port, const AXNode& menuBar, QDeadlineTimer deadline,
                        QList<GuideElement>& out)
{
    const QList<AXNodeAttributes> bar = port.read({menuBar}, nullptr, deadline);
    if (bar.isEmpty() || bar.first().children.isEmpty())
        return;
    const QString role = QStringLiteral("AXMenuBarItem");
    for (const AXNodeAttributes& item : port.read(bar.first().children, nullptr, deadline)) {
        std::optional<GuideElement> element = makeElement(item, role, true);
        if (element && element->title != QLatin1String("Apple"))
            out.append(*element);
    }
}

struct Pending
{
    AXNode node;
    int depth;
};

// Breadth first, one level per batch so the backend can keep a level's requests in flight
// together. Visits nodes in exactly the order of a node-by-node walk of a single work list.
void walkWindow(AccessibilityPort& port, const AXNode& window,
                const std::optional<AXNodeAttributes>& windowAttributes, QDeadlineTimer deadline,
                QList<GuideElement>& out)
{
    QList<Pending> level{{window, 0}};
    int visited = 0;
    bool first = true;
    while (!level.isEmpty()) {
        const qsizetype budget = std::min<qsizetype>(level.size(), maxVisitedNodes - visited);
        if (budget <= 0 || out.size() >= maxElements)
            return;
        level.resize(budget);
        QList<AXNode> batch;
        batch.reserve(budget);
        for (const Pending& p : level)
            batch.append(p.node);
        QList<AXNodeAttributes> attributes = first && windowAttributes
                                                 ? QList<AXNodeAttributes>{*windowAttributes}
                                                 : port.read(batch, &roles(), deadline);
        first = false;
        attributes.resize(batch.size());

        QList<Pending> next;
        for (qsizetype i = 0; i < level.size(); ++i) {
            if (visited >= maxVisitedNodes || out.size() >= maxElements)
                return;
            const AXNodeAttributes& node = attributes[i];
            const QString role = node.role.trimmed();
            if (!role.isEmpty() && roles().contains(role)) {
                if (std::optional<GuideElement> element = makeElement(node, role, false))
                    out.append(*element);
            }
            ++visited;
            // Menu bars are read from the application; where a platform keeps the menu bar
            // inside the window, its items are not listed a second time.
            if (level[i].depth > maxExpandedDepth || role == QLatin1String("AXMenuBar"))
                continue;
            for (const AXNode& child : node.children)
                next.append({child, level[i].depth + 1});
        }
        level = std::move(next);
    }
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
        label = QStringLiteral("(unlabeled)");
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
        }
    }
    if (nodes.menuBar)
        appendMenuBarItems(port, *nodes.menuBar, deadline, snapshot.elements);
    if (window)
        walkWindow(port, *window, windowAttributes, deadline, snapshot.elements);
    qCDebug(lcObserve) << "read" << snapshot.elements.size() << "elements of" << pid
                       << (deadline.hasExpired() ? "(cut short at the deadline)" : "");
    return snapshot;
}

} // namespace AccessibilityReader
