// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QHash>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>

/// An accessibility tree held in memory. Nodes are addressed by path; `read` answers from the
/// table and counts its calls so tests can tell whether a tree was read at all.
class FakeAccessibility : public AccessibilityPort
{
public:
    bool trusted = true;
    QHash<qint64, AXNode> applications;
    QHash<QString, AXApplicationNodes> applicationNodesByPath;
    QHash<QString, AXNodeAttributes> nodes;
    /// The text each paragraph or heading shows, by path.
    QHash<QString, QString> texts;
    std::atomic<int> readCalls{0};
    std::atomic<int> nodesRead{0};
    /// Each read of an application takes this long, as a slow one would.
    std::atomic<int> slowReadMs{0};
    std::atomic<bool> reading{false};
    /// Called on the reading thread as each read of an application begins, with how many began
    /// before it: the tree can change between reads as an application's does. Set it with
    /// `change` once reads may be under way.
    std::function<void(int)> beforeEachRead;

    /// The application whose changes are listened to, and where they go.
    qint64 watchedPid = 0;
    std::function<void(AXChange)> changeHandler;

    static AXNode node(const QString& path) { return AXNode{QStringLiteral("fake"), path}; }

    /// Changes the tree while a read may be under way on another thread, as an application
    /// does when it finishes loading a page.
    void change(const std::function<void()>& changing)
    {
        const QMutexLocker locked(&m_lock);
        changing();
    }

    /// Adds a node and returns its handle.
    AXNode add(const QString& path, AXNodeAttributes attributes)
    {
        nodes.insert(path, std::move(attributes));
        return node(path);
    }

    bool isTrusted() override { return trusted; }

    void watchChanges(qint64 pid, std::function<void(AXChange)> changed) override
    {
        watchedPid = pid;
        changeHandler = std::move(changed);
    }
    /// The watched application says it changed, as the desktop would pass on.
    void report(AXChange change)
    {
        if (changeHandler)
            changeHandler(change);
    }

    std::optional<AXNode> application(qint64 pid, QDeadlineTimer) override
    {
        reading = true;
        std::function<void(int)> hook;
        int before = 0;
        {
            const QMutexLocker locked(&m_lock);
            hook = beforeEachRead;
            before = m_applicationReads++;
        }
        if (hook)
            hook(before);
        if (slowReadMs > 0)
            QThread::msleep(static_cast<unsigned long>(slowReadMs.load()));
        ++readCalls;
        const auto it = applications.constFind(pid);
        return it == applications.constEnd() ? std::nullopt : std::optional<AXNode>(*it);
    }

    AXApplicationNodes applicationNodes(const AXNode& application, QDeadlineTimer) override
    {
        ++readCalls;
        return applicationNodesByPath.value(application.path);
    }

    QList<AXNodeAttributes> read(const QList<AXNode>& batch, const QSet<QString>* detailRoles,
                                 QDeadlineTimer) override
    {
        ++readCalls;
        nodesRead += static_cast<int>(batch.size());
        const QMutexLocker locked(&m_lock);
        QList<AXNodeAttributes> out;
        for (const AXNode& n : batch) {
            AXNodeAttributes node = nodes.value(n.path);
            if (detailRoles && !detailRoles->contains(node.role)) {
                // Like the real backend: only role, enabled and children for other nodes.
                AXNodeAttributes bare;
                bare.role = node.role;
                bare.enabled = node.enabled;
                bare.children = node.children;
                bare.open = node.open;
                bare.popup = node.popup;
                bare.busy = node.busy;
                node = bare;
            }
            out.append(node);
        }
        return out;
    }

    QList<QString> shownTexts(const QList<AXNode>& batch, QDeadlineTimer) override
    {
        const QMutexLocker locked(&m_lock);
        QList<QString> out;
        for (const AXNode& n : batch)
            out.append(texts.value(n.path));
        return out;
    }

private:
    QMutex m_lock;
    int m_applicationReads = 0;
};
