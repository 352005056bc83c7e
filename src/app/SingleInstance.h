// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>

/// Cuewell runs once per desktop session: a later start asks the running one to bring its
/// panel forward (or, started with --quit, to quit), then ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Request
    {
        /// Only asks whether one runs (a second start at login).
        none,
        open,
        quit,
    };

    explicit SingleInstance(QObject* parent = nullptr);

    /// True when another Cuewell runs in this session and has been sent `request`.
    bool forwardToRunning(Request request = Request::open);

    /// Listens for later starts; `onRequest` runs on the main thread for each request.
    void listen(std::function<void(Request)> onRequest);

    /// The socket's path.
    QString name() const { return m_name; }

private:
    QString m_name;
    QLocalServer m_server;
};
