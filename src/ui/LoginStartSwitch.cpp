// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LoginStartSwitch.h"

#include "core/Texts.h"
#include "platform/LoginStartPort.h"

#include <QSignalBlocker>

LoginStartSwitch::LoginStartSwitch(LoginStartPort& desktop, QObject* parent)
    : QObject(parent), m_desktop(desktop)
{
}

void LoginStartSwitch::bind(QAbstractButton* box)
{
    box->setCheckable(true);
    box->setChecked(m_desktop.startsAtLogin());
    box->show();
    connect(box, &QAbstractButton::toggled, this, &LoginStartSwitch::ask);
    m_boxes.append(box);
}

void LoginStartSwitch::bind(QAction* item)
{
    item->setText(Texts::startAtLogin());
    item->setToolTip(Texts::startAtLoginHelp());
    item->setCheckable(true);
    item->setChecked(m_desktop.startsAtLogin());
    connect(item, &QAction::toggled, this, &LoginStartSwitch::ask);
    m_items.append(item);
}

void LoginStartSwitch::ask(bool on)
{
    m_desktop.setStartsAtLogin(on);
    refresh();
}

void LoginStartSwitch::refresh()
{
    // A write that failed leaves the controls as the desktop is, not as they were clicked.
    const bool on = m_desktop.startsAtLogin();
    for (QAbstractButton* box : std::as_const(m_boxes)) {
        if (!box)
            continue;
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    for (QAction* item : std::as_const(m_items)) {
        if (!item)
            continue;
        const QSignalBlocker quiet(item);
        item->setChecked(on);
    }
}
