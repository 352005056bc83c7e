// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiStyle.h"

#include "core/Appearance.h"

namespace UiStyle {

QFont font(TextStyle style, const QFont& base)
{
    QFont f = base;
    const double size = base.pointSizeF() > 0 ? base.pointSizeF() : 10;
    switch (style) {
    case TextStyle::body:
        break;
    case TextStyle::caption:
        f.setPointSizeF(size * Appearance::captionScale);
        break;
    case TextStyle::callout:
        f.setPointSizeF(size * Appearance::calloutScale);
        break;
    case TextStyle::headline:
        f.setBold(true);
        break;
    case TextStyle::title:
        f.setPointSizeF(size * Appearance::titleScale);
        f.setBold(true);
        break;
    }
    return f;
}

QColor secondary(const QPalette& palette)
{
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.62);
    return text;
}

QLabel* label(const QString& text, TextStyle style, bool secondaryColour, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font(style, l->font()));
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    if (secondaryColour) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, secondary(p));
        l->setPalette(p);
    }
    return l;
}

} // namespace UiStyle
