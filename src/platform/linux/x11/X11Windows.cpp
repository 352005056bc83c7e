// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11Windows.h"

#include "core/Texts.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/x11/X11FrameStream.h"

#include <xcb/composite.h>

#include <QScreen>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <unistd.h>

X11Windows::X11Windows(QObject* parent)
    : QObject(parent), m_queries(m_x), m_readiness(m_x, m_queries)
{
    if (!m_x.isValid()) {
        qCWarning(lcLinux) << "no X display";
        return;
    }
    xcb_connection_t* c = m_x.get();
    m_hasComposite = m_x.hasExtension("Composite");
    m_hasDamage = m_x.hasExtension("DAMAGE");
    if (m_hasComposite)
        xReply(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
    if (m_hasDamage) {
        xReply(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
        m_damageEvent = xcb_get_extension_data(c, &xcb_damage_id)->first_event;
    }
    m_activeAtom = m_x.ewmh()->_NET_ACTIVE_WINDOW;

    // Activations, and the maps and unmaps of popups.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, m_x.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    m_lastActive = m_queries.activeWindow();

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Windows::processEvents);
}

X11Windows::~X11Windows() = default;

bool X11Windows::compositorRunning()
{
    if (!m_x.isValid())
        return false;
    const xcb_atom_t selection = m_x.atom("_NET_WM_CM_S0");
    auto owner = xReply(xcb_get_selection_owner_reply(
        m_x.get(), xcb_get_selection_owner(m_x.get(), selection), nullptr));
    return owner && owner->owner != XCB_NONE;
}

qint64 X11Windows::ownPid() const
{
    return getpid();
}

bool X11Windows::isTerminated(qint64 pid)
{
    return pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

void X11Windows::onActivation(std::function<void(const RunningApp&)> handler)
{
    m_onActivation = std::move(handler);
}

std::optional<RunningApp> X11Windows::frontmostApplication()
{
    if (!m_x.isValid())
        return std::nullopt;
    const xcb_window_t window = m_queries.activeWindow();
    return window == XCB_NONE ? std::nullopt : applicationOf(window);
}

// Events can also be queued by replies read elsewhere, so everything queued is handled.
void X11Windows::processEvents()
{
    xcb_connection_t* c = m_x.get();
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
        auto event = xReply(raw);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(raw);
            if (property->window == m_x.root() && property->atom == m_activeAtom)
                activeWindowChanged();
        } else if (m_hasDamage && type == m_damageEvent + XCB_DAMAGE_NOTIFY) {
            const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(raw);
            xcb_damage_subtract(c, damage->damage, XCB_NONE, XCB_NONE);
            m_readiness.damaged(
                damage->drawable,
                QRect(damage->area.x, damage->area.y, damage->area.width, damage->area.height),
                QSize(damage->geometry.width, damage->geometry.height));
            if (X11FrameStream* stream = m_streams.value(damage->damage))
                stream->damaged();
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(raw);
            m_readiness.windowMapped(map->window, map->override_redirect);
        } else if (type == XCB_UNMAP_NOTIFY) {
            const xcb_window_t gone = reinterpret_cast<xcb_unmap_notify_event_t*>(raw)->window;
            m_readiness.windowUnmapped(gone);
            endStreamsOf(gone);
        } else if (type == XCB_DESTROY_NOTIFY) {
            const xcb_window_t gone = reinterpret_cast<xcb_destroy_notify_event_t*>(raw)->window;
            m_readiness.windowDestroyed(gone);
            endStreamsOf(gone);
        }
    }
    xcb_flush(c);
}

void X11Windows::endStreamsOf(xcb_window_t window)
{
    const QList<X11FrameStream*> streams = m_streams.values();
    for (X11FrameStream* stream : streams) {
        if (stream->window() == window)
            stream->windowGone();
    }
}

// The active window is announced first as none, then as the window, sometimes twice.
void X11Windows::activeWindowChanged()
{
    const xcb_window_t window = m_queries.activeWindow();
    if (window == XCB_NONE || window == m_lastActive)
        return;
    m_lastActive = window;
    if (!m_onActivation)
        return;
    if (const std::optional<RunningApp> app = applicationOf(window))
        m_onActivation(*app);
}

std::optional<RunningApp> X11Windows::applicationOf(xcb_window_t window)
{
    const std::optional<qint64> pid = m_queries.pidOf(window);
    if (!pid)
        return std::nullopt;
    RunningApp app;
    app.pid = *pid;
    app.name = m_queries.classOf(window);
    app.regular = m_queries.layerOf(window) == X11WindowQueries::normalLayer &&
                  !m_queries.hasState(window, m_x.ewmh()->_NET_WM_STATE_SKIP_TASKBAR);
    return app;
}

Result<QList<WindowInfo>> X11Windows::onScreenWindows()
{
    if (!m_x.isValid())
        return Failure(Texts::noXDisplay());
    std::optional<QList<WindowInfo>> windows = m_queries.onScreenWindows();
    QMetaObject::invokeMethod(this, &X11Windows::processEvents, Qt::QueuedConnection);
    if (!windows)
        return Failure(Texts::windowsNotListed());
    return *windows;
}

QList<ScreenInfo> X11Windows::screens()
{
    // Rectangles between components are X root-window pixels, so the scale of a capture is 1.
    QList<ScreenInfo> list;
    for (const QScreen* screen : qtScreensMainFirst()) {
        const QRect g = screen->geometry();
        const qreal dpr = screen->devicePixelRatio();
        list.append({QRectF(g.x() * dpr, g.y() * dpr, g.width() * dpr, g.height() * dpr), 1.0});
    }
    return list;
}

QList<DisplayLayout> X11Windows::displayLayouts()
{
    QList<DisplayLayout> list;
    for (const QScreen* screen : qtScreensMainFirst())
        list.append({QRectF(screen->availableGeometry()), screen->devicePixelRatio()});
    return list;
}

bool X11Windows::hasCurrentPixels(quint64 windowId)
{
    return m_readiness.hasPixels(static_cast<xcb_window_t>(windowId));
}

QList<WindowInfo> X11Windows::popups(qint64 pid)
{
    return m_x.isValid() ? m_queries.popups(pid) : QList<WindowInfo>{};
}

void X11Windows::prepareCapture(qint64 pid)
{
    if (canCapture())
        m_readiness.prepare(pid);
}

void X11Windows::onDrawn(std::function<void(qint64 pid)> drawn)
{
    m_readiness.onDrawn(std::move(drawn));
}

Result<QImage> X11Windows::windowPixels(quint64 windowId, QSize pixelSize)
{
    const auto window = static_cast<xcb_window_t>(windowId);
    if (!canCapture())
        return Failure(Texts::noComposite());
    if (!m_readiness.redirect(window))
        return Failure(Texts::windowGone());
    xcb_connection_t* c = m_x.get();
    auto geometry = xReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry)
        return Failure(Texts::windowGone());
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    auto named =
        xReply(xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, window, pixmap)));
    if (named) {
        qCDebug(lcLinux) << "naming a window's pixmap failed: X error" << named->error_code;
        return Failure(Texts::windowNotOnScreen());
    }
    auto image =
        xReply(xcb_get_image_reply(c,
                                   xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0,
                                                 geometry->width, geometry->height, ~0u),
                                   nullptr));
    xcb_free_pixmap(c, pixmap);
    QMetaObject::invokeMethod(this, &X11Windows::processEvents, Qt::QueuedConnection);
    const qsizetype expected = qsizetype(geometry->width) * geometry->height * 4;
    if (!image || xcb_get_image_data_length(image.get()) < expected)
        return Failure(Texts::pixelsUnreadable());
    const QImage::Format format =
        geometry->depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // The reply's buffer is freed on return: the image must own a copy of the pixels.
    QImage pixels = QImage(xcb_get_image_data(image.get()), geometry->width, geometry->height,
                           geometry->width * 4, format)
                        .convertToFormat(QImage::Format_RGB32)
                        .copy();
    if (pixels.size() != pixelSize && pixelSize.isValid())
        pixels = pixels.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return pixels;
}

std::unique_ptr<FrameStreamPort> X11Windows::frameStream(quint64 windowId, QSize pixelSize)
{
    if (!canCapture())
        return nullptr;
    return std::make_unique<X11FrameStream>(*this, static_cast<xcb_window_t>(windowId), pixelSize);
}

bool X11Windows::startStream(X11FrameStream* stream)
{
    const xcb_window_t window = stream->window();
    if (!m_readiness.redirect(window))
        return false;
    xcb_connection_t* c = m_x.get();
    const xcb_damage_damage_t damage = xcb_generate_id(c);
    xcb_damage_create(c, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    stream->setDamage(damage);
    m_streams.insert(damage, stream);
    // A freshly redirected window has to draw itself again; ask it to.
    xcb_clear_area(c, 1, window, 0, 0, 0, 0);
    xcb_flush(c);
    return true;
}

void X11Windows::stopStream(X11FrameStream* stream)
{
    if (m_streams.remove(stream->damage()) && m_x.isValid()) {
        xcb_damage_destroy(m_x.get(), stream->damage());
        xcb_flush(m_x.get());
    }
}
