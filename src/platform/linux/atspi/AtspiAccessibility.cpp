// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiAccessibility.h"

#include "core/NumericRange.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/atspi/AtspiQuirks.h"
#include "platform/linux/atspi/AtspiRoles.h"
#include "platform/linux/atspi/AtspiTypes.h"

#include <atspi/atspi-constants.h>

#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QThread>

#include <algorithm>

namespace {

const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString componentInterface = QStringLiteral("org.a11y.atspi.Component");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString registryService = QStringLiteral("org.a11y.atspi.Registry");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString nullPath = QStringLiteral("/org/a11y/atspi/null");

bool hasState(const QList<uint>& states, uint state)
{
    const qsizetype word = state / 32;
    return word < states.size() && (states[word] & (1u << (state % 32))) != 0;
}

AXNode toNode(const AtspiReference& reference)
{
    return AXNode{reference.service, reference.path.path()};
}

QList<AXNode> toNodes(const AtspiReferences& references)
{
    QList<AXNode> nodes;
    nodes.reserve(references.size());
    for (const AtspiReference& reference : references) {
        if (reference.path.path() != nullPath)
            nodes.append(toNode(reference));
    }
    return nodes;
}

template <typename T> std::optional<T> valueOf(QDBusPendingCall& pending)
{
    QDBusPendingReply<T> reply = pending;
    reply.waitForFinished();
    if (reply.isError()) {
        qCDebug(lcLinux) << "AT-SPI request failed:" << reply.error().name();
        return std::nullopt;
    }
    return reply.value();
}

QString textOf(QDBusPendingCall& pending)
{
    const std::optional<QDBusVariant> value = valueOf<QDBusVariant>(pending);
    return value ? value->variant().toString() : QString();
}

QString labelText(QDBusPendingCall& pending, bool gtk4)
{
    return AtspiQuirks::label(textOf(pending), gtk4);
}

std::optional<QRectF> rectOf(QDBusPendingCall& pending)
{
    const std::optional<AtspiRect> r = valueOf<AtspiRect>(pending);
    if (!r)
        return std::nullopt;
    return NumericRange::boundedRect(QRectF(r->x, r->y, r->width, r->height));
}

} // namespace

struct AtspiAccessibility::Structure
{
    uint role = 0;
    QList<uint> states;
    bool readable = false;
    QList<AXNode> children;

    bool showing() const { return hasState(states, ATSPI_STATE_SHOWING); }

    // An expanded control, or a menu (or menu item with a submenu) selected or focused while
    // its menu is open: GTK 3 selects the open menu of a menu bar, Qt focuses it.
    bool opensPopup() const
    {
        if (hasState(states, ATSPI_STATE_EXPANDED))
            return true;
        const bool menu = role == ATSPI_ROLE_MENU || role == ATSPI_ROLE_MENU_ITEM;
        return menu &&
               (hasState(states, ATSPI_STATE_SELECTED) || hasState(states, ATSPI_STATE_FOCUSED));
    }
};

AtspiAccessibility::AtspiAccessibility(std::unique_ptr<AtspiWindowGeometry> geometry)
    : m_geometry(std::move(geometry))
{
    registerAtspiTypes();
}

AtspiAccessibility::~AtspiAccessibility() = default;

QDBusConnection AtspiAccessibility::bus()
{
    QMutexLocker lock(&m_lock);
    return m_bus;
}

bool AtspiAccessibility::connected()
{
    return AtspiBus::connection().isConnected();
}

bool AtspiAccessibility::isTrusted()
{
    return AtspiBus::isReadable();
}

QDBusPendingCall AtspiAccessibility::call(const AXNode& node, const QString& interface,
                                          const QString& method, const QVariantList& arguments,
                                          QDeadlineTimer deadline)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    // Every request of a read ends at the same moment, so waiting on them one after another
    // never adds their timeouts up.
    const int remaining = static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
    return bus().asyncCall(message, remaining);
}

QDBusPendingCall AtspiAccessibility::extentsOf(const AXNode& node, uint coordinates,
                                               QDeadlineTimer deadline)
{
    return call(node, componentInterface, QStringLiteral("GetExtents"), {coordinates}, deadline);
}

QDBusPendingCall AtspiAccessibility::property(const AXNode& node, const QString& interface,
                                              const QString& name, QDeadlineTimer deadline)
{
    // Properties are read one by one: GetAll brings some toolkits down.
    return call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                {interface, name}, deadline);
}

void AtspiAccessibility::watchChanges(qint64 pid, std::function<void(AXChange)> changed)
{
    if (!m_changeWatch) {
        m_changeWatch = std::make_unique<AtspiChangeWatch>(
            [this](const QString& service) -> std::optional<qint64> {
                QMutexLocker lock(&m_lock);
                const auto it = m_pidsByService.constFind(service);
                return it == m_pidsByService.constEnd() ? std::nullopt : std::optional(*it);
            });
    }
    m_changeWatch->watch(pid, std::move(changed));
}

std::optional<qint64> AtspiAccessibility::pidOf(const QString& service, QDeadlineTimer deadline)
{
    {
        QMutexLocker lock(&m_lock);
        if (const auto it = m_pidsByService.constFind(service); it != m_pidsByService.constEnd())
            return *it;
    }
    QDBusPendingCall pending = call(
        AXNode{QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"),
        {service}, deadline);
    const std::optional<uint> pid = valueOf<uint>(pending);
    if (!pid)
        return std::nullopt;
    QMutexLocker lock(&m_lock);
    m_pidsByService.insert(service, *pid);
    return *pid;
}

// GTK 4 gives extents relative to the window rather than the screen, and leaves groups that
// are on screen without the showing state. On Wayland every toolkit counts from its window.
bool AtspiAccessibility::placesRelativeToWindow(const QString& service, QDeadlineTimer deadline)
{
    const bool everyToolkit = m_geometry->everyToolkitCountsFromItsWindow();
    {
        QMutexLocker lock(&m_lock);
        if (const auto it = m_gtk4.constFind(service); it != m_gtk4.constEnd())
            return *it || everyToolkit;
    }
    const AXNode root{service, rootPath};
    const QString application = QStringLiteral("org.a11y.atspi.Application");
    QDBusPendingCall name = property(root, application, QStringLiteral("ToolkitName"), deadline);
    QDBusPendingCall version = property(root, application, QStringLiteral("Version"), deadline);
    const QString toolkit = textOf(name);
    const bool gtk4 =
        toolkit == QLatin1String("GTK") && textOf(version).startsWith(QLatin1String("4."));
    QMutexLocker lock(&m_lock);
    m_gtk4.insert(service, gtk4);
    m_gecko.insert(service, toolkit == QLatin1String("Gecko"));
    m_qt.insert(service, toolkit == QLatin1String("Qt"));
    return gtk4 || everyToolkit;
}

bool AtspiAccessibility::isGecko(const QString& service)
{
    QMutexLocker lock(&m_lock);
    return m_gecko.value(service, false);
}

// GTK 4 has no screen coordinates: 4.8 counts both kinds from the window, 4.18 answers 0,0 for
// every screen position. Window coordinates are right in both. Qt on Wayland takes its window
// to be at the corner of the monitor it is on, and adds that corner to its screen positions.
uint AtspiAccessibility::placeCoordinates(const QString& service)
{
    const bool qtOnWayland = m_geometry->everyToolkitCountsFromItsWindow() && isQt(service);
    return isGtk4(service) || qtOnWayland ? ATSPI_COORD_TYPE_WINDOW : ATSPI_COORD_TYPE_SCREEN;
}

bool AtspiAccessibility::isQt(const QString& service)
{
    QMutexLocker lock(&m_lock);
    return m_qt.value(service, false);
}

bool AtspiAccessibility::isGtk4(const QString& service)
{
    QMutexLocker lock(&m_lock);
    return m_gtk4.value(service, false);
}

// Each window's extent tells which of the application's windows it is, and so where its
// contents count from. An application drawn at a scale of its own (GTK 4 at GDK_SCALE=2 on X11)
// counts in its own pixels: the main window's size tells the scale, as for other toolkits.
void AtspiAccessibility::learnWindowOrigins(const QList<AXNode>& windows, qint64 pid,
                                            QDeadlineTimer deadline)
{
    QList<QDBusPendingCall> extents;
    for (const AXNode& window : windows) {
        extents.append(extentsOf(window, ATSPI_COORD_TYPE_WINDOW, deadline));
    }
    double scale = 1;
    if (const std::optional<AtspiRect> main =
            windows.isEmpty() ? std::nullopt : valueOf<AtspiRect>(extents.first()))
        scale = m_geometry->drawingScaleOf(pid, QSizeF(main->width, main->height));
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const std::optional<AtspiRect> content = valueOf<AtspiRect>(extents[i]);
        if (!content)
            continue;
        m_origins.setScale(windows[i], scale);
        const std::optional<QPointF> origin =
            m_geometry->originOf(pid, QSizeF(content->width, content->height) * scale);
        qCDebug(lcLinux) << "window of" << pid << "has extent" << content->x << content->y
                         << content->width << content->height << "and counts from"
                         << origin.value_or(QPointF(-1, -1));
        if (origin)
            m_origins.set(windows[i], *origin);
    }
}

// An application drawn at a scale of its own (GDK_SCALE, QT_SCALE_FACTOR) on X11 counts its
// screen positions in its own pixels: its main window's size against the X server's tells how
// many, for all its windows (a menu half its size is no sign of anything).
void AtspiAccessibility::learnWindowScales(const QList<AXNode>& windows, qint64 pid,
                                           QDeadlineTimer deadline)
{
    if (windows.isEmpty())
        return;
    QDBusPendingCall extents = extentsOf(windows.first(), ATSPI_COORD_TYPE_SCREEN, deadline);
    const std::optional<QRectF> counted = rectOf(extents);
    const double scale = counted ? m_geometry->drawingScaleOf(pid, counted->size()) : 1.0;
    if (scale != 1)
        qCDebug(lcLinux) << "the windows of" << pid << "are drawn at" << scale;
    for (const AXNode& window : windows)
        m_origins.setScale(window, scale);
}

std::optional<AXNode> AtspiAccessibility::application(qint64 pid, QDeadlineTimer deadline)
{
    // Each read starts on a live connection: one lost with a restarted bus is made again.
    QDBusConnection live = AtspiBus::connection();
    {
        QMutexLocker lock(&m_lock);
        m_bus = live;
    }
    if (!live.isConnected() || deadline.hasExpired())
        return std::nullopt;
    QDBusPendingCall pending = call(AXNode{registryService, rootPath}, accessibleInterface,
                                    QStringLiteral("GetChildren"), {}, deadline);
    const std::optional<AtspiReferences> applications = valueOf<AtspiReferences>(pending);
    if (!applications)
        return std::nullopt;
    for (const AtspiReference& app : *applications) {
        if (pidOf(app.service, deadline) == pid)
            return toNode(app);
    }
    return std::nullopt;
}

AXApplicationNodes AtspiAccessibility::applicationNodes(const AXNode& application,
                                                        QDeadlineTimer deadline)
{
    AXApplicationNodes nodes;
    m_origins.startRead();
    m_drawnShifts.startRead();
    m_walkParents.clear();
    {
        QMutexLocker lock(&m_lock);
        m_menuPopups.clear();
    }
    const QList<Structure> app = readStructure({application}, deadline);
    if (app.isEmpty())
        return nodes;
    const QList<AXNode>& windows = app.first().children;
    const QList<Structure> windowStates = readStructure(windows, deadline);
    std::optional<AXNode> modal;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        if (!windowStates[i].readable || !windowStates[i].showing())
            continue;
        // Toolkits give their popup windows (context menus, combo-box lists) the plain window
        // role; the application's own windows are frames and dialogs.
        if (windowStates[i].role == ATSPI_ROLE_WINDOW) {
            nodes.popups.append(windows[i]);
            continue;
        }
        nodes.windows.append(windows[i]);
        if (!nodes.focusedWindow && hasState(windowStates[i].states, ATSPI_STATE_ACTIVE))
            nodes.focusedWindow = windows[i];
        if (hasState(windowStates[i].states, ATSPI_STATE_MODAL))
            modal = windows[i];
    }
    // A modal dialog (the latest opened) is where the task is, even while the user has brought
    // its parent forward: the parent takes no input until the dialog closes.
    if (modal)
        nodes.focusedWindow = modal;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const uint role = windowStates[i].role;
        if (nodes.windows.contains(windows[i]) && !(nodes.focusedWindow == windows[i]) &&
            (role == ATSPI_ROLE_DIALOG || role == ATSPI_ROLE_ALERT))
            nodes.dialogs.append(windows[i]);
    }
    // Without an active window, the first showing frame is the application's main window.
    if (!nodes.windows.isEmpty())
        nodes.mainWindow = nodes.windows.first();
    if (placesRelativeToWindow(application.service, deadline)) {
        if (const std::optional<qint64> pid = pidOf(application.service, deadline)) {
            // Popups in windows of their own count from those windows where every toolkit
            // does (GTK 3 menus on Wayland); GTK 4 keeps its popovers in its windows' trees.
            learnWindowOrigins(m_geometry->everyToolkitCountsFromItsWindow()
                                   ? nodes.windows + nodes.popups
                                   : nodes.windows,
                               *pid, deadline);
            rememberPopupWindows(application.service, *pid);
        }
    } else if (const std::optional<qint64> pid = pidOf(application.service, deadline)) {
        learnWindowScales(nodes.windows + nodes.popups, *pid, deadline);
    }
    if (const std::optional<AXNode> window =
            nodes.focusedWindow ? nodes.focusedWindow : nodes.mainWindow) {
        nodes.menuBar = findMenuBar(*window, deadline);
        // The menu bar is read before the walk down from its window reaches it.
        if (nodes.menuBar)
            m_origins.inherit(*window, {*nodes.menuBar});
    }
    return nodes;
}

// Menu bars sit near the top of a window's tree; a short breadth-first search finds one.
std::optional<AXNode> AtspiAccessibility::findMenuBar(const AXNode& window, QDeadlineTimer deadline)
{
    constexpr int maxDepth = 5;
    constexpr qsizetype maxNodes = 300;
    QList<AXNode> level{window};
    qsizetype seen = 0;
    for (int depth = 0; depth <= maxDepth && !level.isEmpty() && seen < maxNodes; ++depth) {
        const QList<Structure> structure = readStructure(level, deadline);
        QList<AXNode> next, menuBars;
        for (qsizetype i = 0; i < level.size(); ++i) {
            if (structure[i].role == ATSPI_ROLE_MENU_BAR && structure[i].showing())
                menuBars.append(level[i]);
            next.append(structure[i].children);
        }
        if (const std::optional<AXNode> drawn = firstDrawn(menuBars, deadline))
            return drawn;
        seen += level.size();
        level = next.mid(0, maxNodes - seen);
    }
    return std::nullopt;
}

std::optional<AXNode> AtspiAccessibility::firstDrawn(const QList<AXNode>& menuBars,
                                                     QDeadlineTimer deadline)
{
    QList<QDBusPendingCall> extents;
    for (const AXNode& bar : menuBars) {
        extents.append(extentsOf(bar, ATSPI_COORD_TYPE_SCREEN, deadline));
    }
    for (qsizetype i = 0; i < menuBars.size(); ++i) {
        const std::optional<QRectF> frame = rectOf(extents[i]);
        if (frame && AtspiQuirks::isDrawnMenuBar(*frame))
            return menuBars[i];
    }
    return std::nullopt;
}

QList<AtspiAccessibility::Structure> AtspiAccessibility::readStructure(const QList<AXNode>& batch,
                                                                       QDeadlineTimer deadline)
{
    QList<Structure> out(batch.size());
    if (deadline.hasExpired())
        return out;
    // A long level (a web page's hundreds of paragraphs, most of them scrolled away) asks for
    // children only once it knows which nodes show: a third fewer calls. A short one asks for
    // everything at once, saving the second round trip.
    const bool childrenAfter = batch.size() > childrenAfterStatesAbove;
    QList<QDBusPendingCall> roles, states, children;
    for (const AXNode& node : batch) {
        // Sending takes time too: a huge batch stops at the deadline, the rest unread.
        if (deadline.hasExpired())
            break;
        roles.append(call(node, accessibleInterface, QStringLiteral("GetRole"), {}, deadline));
        states.append(call(node, accessibleInterface, QStringLiteral("GetState"), {}, deadline));
        if (!childrenAfter)
            children.append(
                call(node, accessibleInterface, QStringLiteral("GetChildren"), {}, deadline));
    }
    QList<qsizetype> walked;
    for (qsizetype i = 0; i < roles.size(); ++i) {
        const std::optional<uint> role = valueOf<uint>(roles[i]);
        const std::optional<QList<uint>> state = valueOf<QList<uint>>(states[i]);
        if (!role || !state || state->isEmpty())
            continue;
        out[i].role = *role;
        out[i].states = *state;
        out[i].readable = true;
        // Closed menus and hidden pages stay in the tree; what is not showing is not walked.
        if (hasState(*state, ATSPI_STATE_VISIBLE) &&
            AtspiQuirks::showsWhenVisible(*role, isGtk4(batch[i].service),
                                          isGecko(batch[i].service)))
            out[i].states[0] |= 1u << ATSPI_STATE_SHOWING;
        if (out[i].showing() || *role == ATSPI_ROLE_APPLICATION)
            walked.append(i);
    }
    if (childrenAfter) {
        for (const qsizetype i : std::as_const(walked))
            children.append(
                call(batch[i], accessibleInterface, QStringLiteral("GetChildren"), {}, deadline));
    }
    for (qsizetype k = 0; k < walked.size(); ++k) {
        const qsizetype i = walked[k];
        if (const std::optional<AtspiReferences> kids =
                valueOf<AtspiReferences>(children[childrenAfter ? k : i]))
            out[i].children = toNodes(*kids);
    }
    readChildrenByIndex(batch, out, deadline);
    return out;
}

void AtspiAccessibility::readChildrenByIndex(const QList<AXNode>& batch, QList<Structure>& out,
                                             QDeadlineTimer deadline)
{
    QList<qsizetype> managing;
    QList<QDBusPendingCall> counts;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (!out[i].showing() || !out[i].children.isEmpty() ||
            !AtspiQuirks::listsChildrenByIndex(
                out[i].role, hasState(out[i].states, ATSPI_STATE_MANAGES_DESCENDANTS)))
            continue;
        managing.append(i);
        counts.append(
            property(batch[i], accessibleInterface, QStringLiteral("ChildCount"), deadline));
    }
    QList<QList<QDBusPendingCall>> children;
    for (qsizetype k = 0; k < managing.size(); ++k) {
        const std::optional<QDBusVariant> count = valueOf<QDBusVariant>(counts[k]);
        const int n =
            std::clamp(count ? count->variant().toInt() : 0, 0, AtspiQuirks::maxChildrenByIndex);
        children.append(QList<QDBusPendingCall>());
        for (int index = 0; index < n; ++index)
            children.last().append(call(batch[managing[k]], accessibleInterface,
                                        QStringLiteral("GetChildAtIndex"), {index}, deadline));
    }
    for (qsizetype k = 0; k < managing.size(); ++k) {
        for (QDBusPendingCall& child : children[k]) {
            if (const std::optional<AtspiReference> node = valueOf<AtspiReference>(child))
                out[managing[k]].children.append(toNode(*node));
        }
    }
}

QList<AXNodeAttributes> AtspiAccessibility::read(const QList<AXNode>& batch,
                                                 const QSet<QString>* detailRoles,
                                                 QDeadlineTimer deadline)
{
    const QList<Structure> structure = readStructure(batch, deadline);
    QList<AXNodeAttributes> out(batch.size());
    QList<qsizetype> detailed;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const Structure& s = structure[i];
        if (!s.readable)
            continue;
        AXNodeAttributes& node = out[i];
        const bool showing = s.showing() || s.role == ATSPI_ROLE_APPLICATION;
        // A node that is not on screen cannot be used; it keeps no role the reader acts on.
        node.role = showing ? AtspiRoles::mapped(s.role, hasState(s.states, ATSPI_STATE_MULTI_LINE))
                            : QString();
        node.enabled =
            hasState(s.states, ATSPI_STATE_ENABLED) || hasState(s.states, ATSPI_STATE_SENSITIVE);
        node.children = s.children;
        node.open = showing && s.opensPopup();
        node.busy = showing && hasState(s.states, ATSPI_STATE_BUSY);
        if (showing && (!detailRoles || detailRoles->contains(node.role)))
            detailed.append(i);
    }
    learnDrawnPanes(batch, structure, deadline);
    readDetails(batch, detailed, out, deadline);
    readScrollRanges(batch, structure, out, deadline);
    anchorPopovers(batch, structure, out, deadline);
    fitMenuItems(batch, out);
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (const double scale = m_origins.scaleOf(batch[i]);
            scale != 1 && out[i].frame && !out[i].popup)
            *out[i].frame = QRectF(out[i].frame->topLeft() * scale, out[i].frame->size() * scale);
        if (const std::optional<QPointF> origin = m_origins.of(batch[i]);
            origin && out[i].frame && !out[i].popup)
            out[i].frame->translate(*origin);
        if (!anchorOpenMenu(batch[i], out[i], deadline))
            m_origins.inherit(batch[i], out[i].children);
        m_drawnShifts.inherit(batch[i], out[i].children);
        m_walkParents.remember(batch[i], out[i].children);
    }
    return out;
}

// Where every toolkit counts from its own window, the items of an open menu are shown by the
// popup window beside the menu's title, but GTK 3 gives them in a space of its own: the items
// are fitted into that popup as they are read. GTK 4's popovers are anchored by their size.
bool AtspiAccessibility::anchorOpenMenu(const AXNode& menu, const AXNodeAttributes& attributes,
                                        QDeadlineTimer deadline)
{
    if (!attributes.open || !attributes.frame || !m_geometry->everyToolkitCountsFromItsWindow() ||
        isGtk4(menu.service))
        return false;
    const std::optional<qint64> pid = pidOf(menu.service, deadline);
    const std::optional<QRectF> popup =
        pid ? m_geometry->popupBeside(*pid, *attributes.frame) : std::nullopt;
    if (!popup)
        return false;
    QMutexLocker lock(&m_lock);
    for (const AXNode& child : attributes.children)
        m_menuPopups.insert(child.service + child.path, *popup);
    return true;
}

// The items of one open menu, read together, start at the top-left corner of its popup.
void AtspiAccessibility::fitMenuItems(const QList<AXNode>& batch,
                                      const QList<AXNodeAttributes>& out)
{
    QHash<QPair<qreal, qreal>, QPointF> corners; // popup's corner -> items' least x and y
    QList<std::optional<QRectF>> popups(batch.size());
    {
        QMutexLocker lock(&m_lock);
        for (qsizetype i = 0; i < batch.size(); ++i) {
            const auto it = m_menuPopups.constFind(batch[i].service + batch[i].path);
            if (it == m_menuPopups.constEnd())
                continue;
            popups[i] = *it;
            if (!out[i].frame || out[i].frame->isEmpty())
                continue;
            const QPair<qreal, qreal> key(it->x(), it->y());
            const QPointF least = corners.value(key, out[i].frame->topLeft());
            corners.insert(key, QPointF(std::min(least.x(), out[i].frame->x()),
                                        std::min(least.y(), out[i].frame->y())));
        }
    }
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (!popups[i])
            continue;
        const auto least = corners.constFind({popups[i]->x(), popups[i]->y()});
        if (least != corners.constEnd())
            m_origins.set(batch[i], popups[i]->topLeft() - *least);
    }
}

// A GTK 4 popover is a window of its own, but its subtree sits in its parent window's tree at
// a position that is neither window- nor screen-relative. The popup window of exactly its size
// shows it: the subtree is anchored there.
void AtspiAccessibility::anchorPopovers(const QList<AXNode>& batch,
                                        const QList<Structure>& structure,
                                        QList<AXNodeAttributes>& out, QDeadlineTimer deadline)
{
    // Where windows are known without asking, a popover menu is anchored even when its popup
    // has not been listed yet: the popup maps a moment after the tree says it is open.
    const bool live = m_geometry->knowsWindowsWithoutAsking();
    QList<qsizetype> candidates;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const Structure& s = structure[i];
        if (s.showing() && isGtk4(batch[i].service) &&
            (s.role == ATSPI_ROLE_MENU || s.role == ATSPI_ROLE_FILLER) &&
            ((live && s.role == ATSPI_ROLE_MENU) || !popupWindowsOf(batch[i].service).isEmpty()))
            candidates.append(i);
    }
    QList<QDBusPendingCall> extents;
    for (const qsizetype i : candidates) {
        extents.append(extentsOf(batch[i], ATSPI_COORD_TYPE_WINDOW, deadline));
    }
    for (qsizetype k = 0; k < candidates.size(); ++k) {
        const std::optional<AtspiRect> r = valueOf<AtspiRect>(extents[k]);
        if (!r || r->width <= 0 || r->height <= 0)
            continue;
        const qsizetype i = candidates[k];
        const bool waitForIt = live && structure[i].role == ATSPI_ROLE_MENU;
        const double scale = m_origins.scaleOf(batch[i]);
        const std::optional<WindowInfo> popup =
            popupSized(batch[i].service, QSizeF(r->width, r->height) * scale,
                       waitForIt ? deadline : QDeadlineTimer());
        if (!popup)
            continue;
        m_origins.set(batch[i], popup->frame.topLeft() - QPointF(r->x, r->y) * scale);
        out[i].frame = popup->frame;
        out[i].popup = true;
    }
}

// The application's popup window of `size`; waits for one to be listed until `deadline`, or
// for as long as a popup takes to map, whichever is sooner.
std::optional<WindowInfo> AtspiAccessibility::popupSized(const QString& service, QSizeF size,
                                                         QDeadlineTimer deadline)
{
    constexpr int mapMs = 500;
    constexpr int pollMs = 20;
    const qint64 left =
        deadline.isForever() ? mapMs : std::max<qint64>(deadline.remainingTime(), 0);
    const QDeadlineTimer wait(std::min<qint64>(mapMs, left));
    for (;;) {
        for (const WindowInfo& popup : popupWindowsOf(service)) {
            if (popup.frame.size() == size)
                return popup;
        }
        if (wait.hasExpired())
            return std::nullopt;
        QThread::msleep(pollMs);
    }
}

void AtspiAccessibility::rememberPopupWindows(const QString& service, qint64 pid)
{
    if (m_geometry->knowsWindowsWithoutAsking())
        return; // asked afresh each time instead (popupWindowsOf)
    const QList<WindowInfo> popups = m_geometry->popups(pid);
    QMutexLocker lock(&m_lock);
    m_popupWindows.insert(service, popups);
}

// A list kept current without asking also shows a popup that opened while the read went on
// (a popover maps a moment after its tree says it is open).
QList<WindowInfo> AtspiAccessibility::popupWindowsOf(const QString& service)
{
    QMutexLocker lock(&m_lock);
    const qint64 pid = m_pidsByService.value(service);
    if (!m_geometry->knowsWindowsWithoutAsking() || pid == 0)
        return m_popupWindows.value(service);
    lock.unlock();
    return m_geometry->popups(pid);
}

void AtspiAccessibility::readDetails(const QList<AXNode>& batch, const QList<qsizetype>& detailed,
                                     QList<AXNodeAttributes>& out, QDeadlineTimer deadline)
{
    // Most controls are named by their name or description; only the others need the label
    // sources further down, read in a second wave. Paragraphs and headings are read for their
    // place alone (a long page has hundreds): the text of those in view is asked for apart.
    QList<QDBusPendingCall> names, descriptions, extents, windowExtents;
    QList<std::optional<QPointF>> shifts;
    QList<bool> placeOnly;
    for (const qsizetype i : detailed) {
        const AXNode& node = batch[i];
        placeOnly.append(ShownTextRoles::contains(out[i].role));
        names.append(placeOnly.last()
                         ? QDBusPendingCall::fromCompletedCall(QDBusMessage())
                         : property(node, accessibleInterface, QStringLiteral("Name"), deadline));
        descriptions.append(placeOnly.last() ? QDBusPendingCall::fromCompletedCall(QDBusMessage())
                                             : property(node, accessibleInterface,
                                                        QStringLiteral("Description"), deadline));
        extents.append(extentsOf(node, placeCoordinates(node.service), deadline));
        // Inside a drawn pane, the extent in the window's coordinates tells the pane's own
        // controls (which move) from the GTK widgets embedded among them (which stay).
        shifts.append(m_drawnShifts.of(node));
        windowExtents.append(shifts.last() ? extentsOf(node, ATSPI_COORD_TYPE_WINDOW, deadline)
                                           : QDBusPendingCall::fromCompletedCall(QDBusMessage()));
    }
    QList<qsizetype> unnamed;
    for (qsizetype k = 0; k < detailed.size(); ++k) {
        const qsizetype i = detailed[k];
        AXNodeAttributes& node = out[i];
        const bool gtk4 = isGtk4(batch[i].service);
        node.title = labelText(names[k], gtk4);
        node.description = labelText(descriptions[k], gtk4);
        node.frame = rectOf(extents[k]);
        if (node.frame && shifts[k]) {
            const std::optional<QRectF> inWindow = rectOf(windowExtents[k]);
            if (inWindow && AtspiQuirks::isDrawnByPane(*node.frame, *inWindow))
                node.frame->translate(*shifts[k]);
        }
        if (node.title.trimmed().isEmpty() && node.description.trimmed().isEmpty() && !placeOnly[k])
            unnamed.append(i);
    }
    readFurtherLabels(batch, unnamed, out, deadline);
}

void AtspiAccessibility::readFurtherLabels(const QList<AXNode>& batch,
                                           const QList<qsizetype>& unnamed,
                                           QList<AXNodeAttributes>& out, QDeadlineTimer deadline)
{
    QList<QDBusPendingCall> relations, attributes, helps, ids;
    for (const qsizetype i : unnamed) {
        const AXNode& node = batch[i];
        relations.append(
            call(node, accessibleInterface, QStringLiteral("GetRelationSet"), {}, deadline));
        attributes.append(
            call(node, accessibleInterface, QStringLiteral("GetAttributes"), {}, deadline));
        helps.append(property(node, accessibleInterface, QStringLiteral("HelpText"), deadline));
        ids.append(property(node, accessibleInterface, QStringLiteral("AccessibleId"), deadline));
    }
    // The node labelling another one gives its name, or failing that its text.
    QList<QDBusPendingCall> labelNames, labelTexts;
    QList<qsizetype> labelled;
    for (qsizetype k = 0; k < unnamed.size(); ++k) {
        AXNodeAttributes& node = out[unnamed[k]];
        const AtspiAttributes attrs =
            valueOf<AtspiAttributes>(attributes[k]).value_or(AtspiAttributes{});
        node.placeholder = attrs.value(QStringLiteral("placeholder-text"));
        node.help = textOf(helps[k]);
        node.identifier = textOf(ids[k]);
        if (node.identifier.isEmpty())
            node.identifier = attrs.value(QStringLiteral("id"));
        for (const AtspiRelation& relation :
             valueOf<AtspiRelations>(relations[k]).value_or(AtspiRelations{})) {
            if (relation.type != ATSPI_RELATION_LABELLED_BY || relation.targets.isEmpty())
                continue;
            const AXNode label = toNode(relation.targets.first());
            labelNames.append(
                property(label, accessibleInterface, QStringLiteral("Name"), deadline));
            labelTexts.append(
                call(label, textInterface, QStringLiteral("GetText"), {0, -1}, deadline));
            labelled.append(unnamed[k]);
            break;
        }
    }
    for (qsizetype k = 0; k < labelled.size(); ++k) {
        QString label = textOf(labelNames[k]);
        if (label.trimmed().isEmpty())
            label = valueOf<QString>(labelTexts[k]).value_or(QString());
        out[labelled[k]].titleElementValue =
            AtspiQuirks::label(label, isGtk4(batch[labelled[k]].service));
    }
}

// A root pane the size of the GTK container holding it but placed elsewhere is a part drawn by
// the application's own toolkit, which reports it where it is not; its subtree moves.
void AtspiAccessibility::learnDrawnPanes(const QList<AXNode>& batch,
                                         const QList<Structure>& structure, QDeadlineTimer deadline)
{
    QList<qsizetype> panes;
    QList<QDBusPendingCall> containers, extents;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (structure[i].role != ATSPI_ROLE_ROOT_PANE || !structure[i].showing() ||
            isGtk4(batch[i].service))
            continue;
        // The container is the node that lists the pane: LibreOffice names its own frame as
        // the pane's parent instead.
        const std::optional<AXNode> container = m_walkParents.of(batch[i]);
        if (!container)
            continue;
        panes.append(i);
        containers.append(extentsOf(*container, ATSPI_COORD_TYPE_SCREEN, deadline));
        extents.append(extentsOf(batch[i], ATSPI_COORD_TYPE_SCREEN, deadline));
    }
    for (qsizetype k = 0; k < panes.size(); ++k) {
        const std::optional<QRectF> pane = rectOf(extents[k]);
        const std::optional<QRectF> container = rectOf(containers[k]);
        if (const std::optional<QPointF> shift =
                container && pane ? AtspiQuirks::drawnPaneShift(*container, *pane) : std::nullopt) {
            qCDebug(lcLinux) << "a drawn pane of" << batch[panes[k]].service << "moves by"
                             << *shift;
            m_drawnShifts.set(batch[panes[k]], *shift);
        }
    }
}

// Asked for by length: LibreOffice refuses a range past the end, and a paragraph of megabytes
// is not fetched whole. The characters standing for embedded objects (a link inside a
// paragraph of a web page, listed on its own) are dropped.
QList<QString> AtspiAccessibility::shownTexts(const QList<AXNode>& batch, QDeadlineTimer deadline)
{
    QList<QDBusPendingCall> lengths;
    for (const AXNode& node : batch)
        lengths.append(property(node, textInterface, QStringLiteral("CharacterCount"), deadline));
    QList<QDBusPendingCall> calls;
    for (qsizetype k = 0; k < batch.size(); ++k) {
        const std::optional<QDBusVariant> length = valueOf<QDBusVariant>(lengths[k]);
        const int end = std::clamp(length ? length->variant().toInt() : 0, 0, maxShownTextLength);
        calls.append(
            end > 0 ? call(batch[k], textInterface, QStringLiteral("GetText"), {0, end}, deadline)
                    : QDBusPendingCall::fromCompletedCall(QDBusMessage()));
    }
    QList<QString> texts;
    for (QDBusPendingCall& pending : calls) {
        QString text = valueOf<QString>(pending).value_or(QString());
        text.remove(QChar::ObjectReplacementCharacter);
        texts.append(text.simplified());
    }
    return texts;
}

// Where each showing scroll bar stands: how much of what it scrolls lies out of view.
void AtspiAccessibility::readScrollRanges(const QList<AXNode>& batch,
                                          const QList<Structure>& structure,
                                          QList<AXNodeAttributes>& out, QDeadlineTimer deadline)
{
    static const QString valueInterface = QStringLiteral("org.a11y.atspi.Value");
    QList<qsizetype> bars;
    QList<std::array<QDBusPendingCall, 3>> values;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        if (structure[i].role != ATSPI_ROLE_SCROLL_BAR || !structure[i].showing())
            continue;
        bars.append(i);
        values.append(
            {property(batch[i], valueInterface, QStringLiteral("CurrentValue"), deadline),
             property(batch[i], valueInterface, QStringLiteral("MinimumValue"), deadline),
             property(batch[i], valueInterface, QStringLiteral("MaximumValue"), deadline)});
    }
    for (qsizetype k = 0; k < bars.size(); ++k) {
        std::array<double, 3> range{};
        bool read = true;
        for (size_t j = 0; j < range.size(); ++j) {
            const std::optional<QDBusVariant> value = valueOf<QDBusVariant>(values[k][j]);
            read = read && value && value->variant().canConvert<double>();
            if (read)
                range[j] = NumericRange::boundedCoordinate(value->variant().toDouble());
        }
        if (read)
            out[bars[k]].scrollRange = range;
    }
}
