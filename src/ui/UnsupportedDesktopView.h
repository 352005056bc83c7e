// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

/// What Cuewell shows, instead of its panel, in a session it cannot serve: which session it
/// found, where it does run, and a way to quit.
class UnsupportedDesktopView : public QWidget
{
    Q_OBJECT
public:
    /// `session` names the session as a person would ("sway on Wayland").
    explicit UnsupportedDesktopView(const QString& session, QWidget* parent = nullptr);

signals:
    void quitRequested();
};
