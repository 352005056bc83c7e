// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/OverlayPort.h"

#include <QList>

/// Remembers what it was asked to show.
class FakeOverlay : public OverlayPort
{
public:
    struct Shown
    {
        QRectF frame;
        QString text;
        QString title;
    };
    QList<Shown> shown;
    int hides = 0;
    bool visible = false;

    void show(const QRectF& frame, const QString& text, const QString& title) override
    {
        shown.append({frame, text, title});
        visible = true;
    }
    void hide() override
    {
        ++hides;
        visible = false;
    }
};
