// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

/// A picture shown above every window on a Wayland compositor that offers the layer shell
/// (KWin, wlroots desktops), letting every click and key through to the windows beneath. It
/// speaks to the compositor on a connection of its own, beside Qt's: Qt makes every window an
/// ordinary one, which a Wayland client can neither place nor keep above the others.
class LayerShellSurface : public QObject
{
    Q_OBJECT
public:
    /// Connects to the compositor of WAYLAND_DISPLAY.
    explicit LayerShellSurface(QObject* parent = nullptr);
    ~LayerShellSurface() override;

    /// Whether the compositor offers the layer shell (and so whether `show` shows anything).
    bool isAvailable() const;

    /// Shows `picture` (device pixels; `picture.devicePixelRatio()` of them make a logical
    /// one) with its top-left at `topLeft`, logical pixels from the top-left of the output
    /// called `output` (the compositor's choice when no output has that name). A picture
    /// arriving while the compositor still holds the last two is dropped: the next one comes.
    void show(const QImage& picture, QPoint topLeft, const QString& output);
    void hide();

private:
    struct Wayland;
    std::unique_ptr<Wayland> m_wayland;
};
