// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoundedCard.h"

#include "core/Appearance.h"
#include "ui/UiStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double cornerRadius = 10;
constexpr double accentOpacity = 0.15;
constexpr double neutralOpacity = 0.1;
} // namespace

RoundedCard::RoundedCard(Tint tint, QWidget* parent) : QFrame(parent), m_tint(tint) {}

void RoundedCard::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = m_tint == Tint::accent ? Appearance::orange : UiStyle::secondary(palette());
    fill.setAlphaF(m_tint == Tint::accent ? accentOpacity : neutralOpacity);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(path, fill);
    QFrame::paintEvent(event);
}
