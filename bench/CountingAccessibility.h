// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QElapsedTimer>

#include <atomic>

/// Counts the nodes a read asks about.
class CountingAccessibility : public AccessibilityPort
{
public:
    explicit CountingAccessibility(AccessibilityPort& inner) : m_inner(inner) {}
    std::atomic<int> nodes{0};
    std::atomic<int> batches{0};
    std::atomic<qint64> findingNs{0};

    bool isTrusted() override { return m_inner.isTrusted(); }
    std::optional<AXNode> application(qint64 pid, QDeadlineTimer d) override
    {
        QElapsedTimer t;
        t.start();
        auto app = m_inner.application(pid, d);
        findingNs += t.nsecsElapsed();
        return app;
    }
    AXApplicationNodes applicationNodes(const AXNode& app, QDeadlineTimer d) override
    {
        QElapsedTimer t;
        t.start();
        auto nodes = m_inner.applicationNodes(app, d);
        findingNs += t.nsecsElapsed();
        return nodes;
    }
    QList<AXNodeAttributes> read(const QList<AXNode>& batch, const QSet<QString>* roles,
                                 QDeadlineTimer d) override
    {
        nodes += static_cast<int>(batch.size());
        ++batches;
        return m_inner.read(batch, roles, d);
    }
    QList<QString> shownTexts(const QList<AXNode>& batch, QDeadlineTimer d) override
    {
        return m_inner.shownTexts(batch, d);
    }
    void watchChanges(qint64 pid, std::function<void(AXChange)> changed) override
    {
        m_inner.watchChanges(pid, std::move(changed));
    }

private:
    AccessibilityPort& m_inner;
};
