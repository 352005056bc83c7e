// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

/// A frame drawn as a rounded card with a light tint behind its contents: the step card in
/// orange, the permission cards in the palette's secondary colour (so dark themes carry through).
class RoundedCard : public QFrame
{
    Q_OBJECT
public:
    enum class Tint
    {
        accent,
        neutral
    };

    explicit RoundedCard(Tint tint, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tint m_tint;
};
