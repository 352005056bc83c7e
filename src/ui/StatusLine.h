// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

/// The panel's one-line status. Assistive technology reads it as what it shows, and is told of
/// each new status as of a notification that has just been shown, so a screen reader speaks it
/// without the focus moving there.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    /// Shows `status` (bounded in length) and announces it.
    void setStatus(const QString& status);
};
