// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/LayerShellSurface.h"

#include "platform/linux/LinuxLog.h"

#include <QSocketNotifier>

#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>

#include <array>
#include <cmath>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A shared-memory picture the compositor reads until it releases it.
struct Buffer
{
    wl_buffer* buffer = nullptr;
    void* data = nullptr;
    size_t bytes = 0;
    QSize size;
    bool busy = false;

    ~Buffer()
    {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (data)
            munmap(data, bytes);
    }
};

struct Output
{
    wl_output* output = nullptr;
    QString name;
};

} // namespace

struct LayerShellSurface::Wayland
{
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    std::unique_ptr<QSocketNotifier> notifier;

    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    QString surfaceOutput;
    bool configured = false;
    std::array<std::unique_ptr<Buffer>, 2> buffers;
    // What is to be shown once the compositor has configured the surface.
    QImage pending;
    QPoint pendingAt;

    ~Wayland()
    {
        destroySurface();
        for (auto& b : buffers)
            b.reset();
        for (auto& o : outputs)
            wl_output_destroy(o->output);
        if (layerShell)
            zwlr_layer_shell_v1_destroy(layerShell);
        if (shm)
            wl_shm_destroy(shm);
        if (compositor)
            wl_compositor_destroy(compositor);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    void destroySurface()
    {
        if (layerSurface)
            zwlr_layer_surface_v1_destroy(layerSurface);
        if (surface)
            wl_surface_destroy(surface);
        layerSurface = nullptr;
        surface = nullptr;
        configured = false;
    }

    wl_output* outputNamed(const QString& name) const
    {
        for (const auto& o : outputs) {
            if (o->name == name)
                return o->output;
        }
        return nullptr;
    }

    void createSurface(const QString& output)
    {
        surface = wl_compositor_create_surface(compositor);
        // No input region at all: every click goes to the window beneath.
        wl_region* nothing = wl_compositor_create_region(compositor);
        wl_surface_set_input_region(surface, nothing);
        wl_region_destroy(nothing);
        layerSurface = zwlr_layer_shell_v1_get_layer_surface(
            layerShell, surface, outputNamed(output), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
            "cuewell-highlight");
        surfaceOutput = output;
        static const zwlr_layer_surface_v1_listener listener = {
            [](void* self, zwlr_layer_surface_v1* s, uint32_t serial, uint32_t, uint32_t) {
                zwlr_layer_surface_v1_ack_configure(s, serial);
                auto* w = static_cast<Wayland*>(self);
                w->configured = true;
                w->attachPending();
            },
            [](void* self, zwlr_layer_surface_v1*) {
                // The compositor took the surface away (its output went): made anew next time.
                static_cast<Wayland*>(self)->destroySurface();
            },
        };
        zwlr_layer_surface_v1_add_listener(layerSurface, &listener, this);
        zwlr_layer_surface_v1_set_anchor(layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                           ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
        // Placed by its margins from the output's corner, whatever panels reserve.
        zwlr_layer_surface_v1_set_exclusive_zone(layerSurface, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface, 0);
    }

    Buffer* freeBuffer(QSize size)
    {
        for (auto& b : buffers) {
            if (b && !b->busy && b->size == size)
                return b.get();
        }
        for (auto& b : buffers) {
            if (!b || !b->busy) {
                b = makeBuffer(size);
                return b.get();
            }
        }
        return nullptr;
    }

    std::unique_ptr<Buffer> makeBuffer(QSize size)
    {
        const int stride = size.width() * 4;
        const size_t bytes = size_t(stride) * size_t(size.height());
        const int fd = memfd_create("cuewell-highlight", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0) {
            if (fd >= 0)
                close(fd);
            return nullptr;
        }
        auto b = std::make_unique<Buffer>();
        b->data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (b->data == MAP_FAILED) {
            b->data = nullptr;
            close(fd);
            return nullptr;
        }
        b->bytes = bytes;
        b->size = size;
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int(bytes));
        b->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                              WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        static const wl_buffer_listener released = {
            [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; },
        };
        wl_buffer_add_listener(b->buffer, &released, b.get());
        return b;
    }

    void attachPending()
    {
        if (!configured || pending.isNull() || !surface)
            return;
        const QSize size = pending.size();
        Buffer* buffer = freeBuffer(size);
        if (!buffer || !buffer->buffer)
            return; // the compositor still reads both: the next picture comes soon
        // ARGB8888 is Qt's premultiplied ARGB32 on little-endian machines, row for row.
        const QImage picture = pending.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(static_cast<uchar*>(buffer->data) + size_t(y) * size_t(size.width()) * 4,
                        picture.constScanLine(y), size_t(size.width()) * 4);
        const int scale = std::max(1, int(std::ceil(pending.devicePixelRatio())));
        zwlr_layer_surface_v1_set_size(layerSurface, uint32_t(size.width() / scale),
                                       uint32_t(size.height() / scale));
        zwlr_layer_surface_v1_set_margin(layerSurface, pendingAt.y(), 0, 0, pendingAt.x());
        wl_surface_set_buffer_scale(surface, scale);
        wl_surface_attach(surface, buffer->buffer, 0, 0);
        wl_surface_damage_buffer(surface, 0, 0, size.width(), size.height());
        wl_surface_commit(surface);
        buffer->busy = true;
        pending = QImage();
        wl_display_flush(display);
    }

    void dispatch()
    {
        if (wl_display_dispatch(display) < 0) {
            qCInfo(lcLinux) << "the compositor closed the highlight's connection";
            notifier->setEnabled(false);
        }
    }
};

LayerShellSurface::LayerShellSurface(QObject* parent)
    : QObject(parent), m_wayland(std::make_unique<Wayland>())
{
    Wayland& w = *m_wayland;
    w.display = wl_display_connect(nullptr);
    if (!w.display)
        return;
    w.registry = wl_display_get_registry(w.display);
    static const wl_registry_listener globals = {
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
            auto* w = static_cast<Wayland*>(data);
            if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
                w->compositor = static_cast<wl_compositor*>(
                    wl_registry_bind(registry, name, &wl_compositor_interface, 4));
            } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
                w->shm =
                    static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
            } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
                w->layerShell = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(
                    registry, name, &zwlr_layer_shell_v1_interface, std::min(version, 3u)));
            } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 4) {
                auto output = std::make_unique<Output>();
                output->output = static_cast<wl_output*>(
                    wl_registry_bind(registry, name, &wl_output_interface, 4));
                static const wl_output_listener named = {
                    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                       const char*, int32_t) {},
                    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
                    [](void*, wl_output*) {},
                    [](void*, wl_output*, int32_t) {},
                    [](void* data, wl_output*, const char* outputName) {
                        static_cast<Output*>(data)->name = QString::fromUtf8(outputName);
                    },
                    [](void*, wl_output*, const char*) {},
                };
                wl_output_add_listener(output->output, &named, output.get());
                w->outputs.push_back(std::move(output));
            }
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(w.registry, &globals, &w);
    // Two round trips: the globals, then what the outputs say of themselves. At start-up only;
    // the compositor answers at once.
    wl_display_roundtrip(w.display);
    wl_display_roundtrip(w.display);
    w.notifier =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(w.display), QSocketNotifier::Read);
    connect(w.notifier.get(), &QSocketNotifier::activated, this, [this] { m_wayland->dispatch(); });
    if (!isAvailable())
        qCInfo(lcLinux) << "the compositor offers no layer shell: no highlight can be shown";
}

LayerShellSurface::~LayerShellSurface() = default;

bool LayerShellSurface::isAvailable() const
{
    return m_wayland->layerShell && m_wayland->compositor && m_wayland->shm;
}

void LayerShellSurface::show(const QImage& picture, QPoint topLeft, const QString& output)
{
    Wayland& w = *m_wayland;
    if (!isAvailable() || picture.isNull())
        return;
    if (w.surface && w.surfaceOutput != output)
        w.destroySurface();
    if (!w.surface) {
        w.createSurface(output);
        // The first commit carries no picture: the compositor answers with a configure.
        zwlr_layer_surface_v1_set_size(w.layerSurface, 1, 1);
        wl_surface_commit(w.surface);
    }
    w.pending = picture;
    w.pendingAt = topLeft;
    w.attachPending();
    wl_display_flush(w.display);
}

void LayerShellSurface::hide()
{
    Wayland& w = *m_wayland;
    w.pending = QImage();
    w.destroySurface();
    if (w.display)
        wl_display_flush(w.display);
}
