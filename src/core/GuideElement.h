// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHashFunctions>
#include <QRectF>
#include <QString>
#include <QtGlobal>

/// One actionable element of the target window that the model and the user can choose.
/// Rectangles are global top-left-origin points.
struct GuideElement
{
    enum class Source
    {
        accessibility,
        text
    };

    qint64 id = 0;
    QString role;
    QString title;
    QRectF frame;
    Source source = Source::accessibility;
    bool isMenuBar = false;

    friend bool operator==(const GuideElement&, const GuideElement&) = default;
};

inline size_t qHash(const GuideElement& element, size_t seed = 0)
{
    const QRectF& f = element.frame;
    return qHashMulti(seed, element.id, element.role, element.title, f.x(), f.y(), f.width(),
                      f.height(), static_cast<int>(element.source), element.isMenuBar);
}
