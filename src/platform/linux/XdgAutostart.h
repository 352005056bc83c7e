// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LoginStartPort.h"

#include <QString>
#include <QStringList>

/// The user's XDG autostart entry for Cuewell, `$XDG_CONFIG_HOME/autostart/cuewell.desktop`,
/// which every freedesktop session reads at login.
class XdgAutostart : public LoginStartPort
{
public:
    /// `command` is the program to start and its arguments.
    explicit XdgAutostart(QStringList command);

    bool startsAtLogin() const override;
    bool setStartsAtLogin(bool on) override;

    QString entryPath() const;
    /// The entry's text: what is written when the switch goes on.
    QString entry() const;

    /// `arguments` as the Exec key of a desktop entry holds them: quoted where needed, then
    /// escaped as a desktop entry's string.
    static QString execValue(const QStringList& arguments);

private:
    QStringList m_command;
};
