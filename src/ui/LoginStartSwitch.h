// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QList>
#include <QObject>
#include <QPointer>

class LoginStartPort;

/// Every "Start Cuewell when I log in" control (the panel's check box, the tray menu's item)
/// shows what the desktop holds; toggling one asks the desktop, and all show its answer.
class LoginStartSwitch : public QObject
{
    Q_OBJECT
public:
    explicit LoginStartSwitch(LoginStartPort& desktop, QObject* parent = nullptr);

    /// Binds the panel's box (named by the panel) and shows it.
    void bind(QAbstractButton* box);
    /// Names the tray menu's item and binds it.
    void bind(QAction* item);
    /// Reads the desktop's answer again: the user may have changed it in the desktop's settings.
    void refresh();

private:
    void ask(bool on);

    LoginStartPort& m_desktop;
    QList<QPointer<QAbstractButton>> m_boxes;
    QList<QPointer<QAction>> m_items;
};
