// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>

/// The panel's text styles and colours, derived from the desktop's font and palette so that
/// dark themes and large fonts carry through.
namespace UiStyle {

enum class TextStyle
{
    body,
    caption,
    callout,
    headline,
    title
};

QFont font(TextStyle style, const QFont& base);

/// Secondary (dimmed) text colour of a palette.
QColor secondary(const QPalette& palette);

/// A label in a text style; `secondaryColour` dims it.
QLabel* label(const QString& text, TextStyle style, bool secondaryColour = false,
              QWidget* parent = nullptr);

} // namespace UiStyle
