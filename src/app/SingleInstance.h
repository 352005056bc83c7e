// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>

/// Cuewell runs once per desktop session: a second start asks the running one to bring its
/// panel forward, then ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    /// True when another Cuewell runs in this session and has been asked to open its panel.
    bool forwardToRunning();

    /// Listens for later starts; `onOpen` runs on the main thread for each.
    void listen(std::function<void()> onOpen);

    /// The socket's path.
    QString name() const { return m_name; }

private:
    QString m_name;
    QLocalServer m_server;
};
