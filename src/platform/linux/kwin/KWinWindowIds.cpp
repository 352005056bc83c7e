// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinWindowIds.h"

#include <QSet>

quint64 KWinWindowIds::idOf(const QString& handle)
{
    if (const auto known = m_ids.constFind(handle); known != m_ids.constEnd())
        return *known;
    const quint64 id = m_next++;
    m_ids.insert(handle, id);
    m_handles.insert(id, handle);
    return id;
}

std::optional<QString> KWinWindowIds::handleOf(quint64 id) const
{
    if (const auto known = m_handles.constFind(id); known != m_handles.constEnd())
        return *known;
    return std::nullopt;
}

void KWinWindowIds::keepOnly(const QList<QString>& handles)
{
    const QSet<QString> kept(handles.begin(), handles.end());
    for (auto it = m_ids.begin(); it != m_ids.end();) {
        if (kept.contains(it.key())) {
            ++it;
            continue;
        }
        m_handles.remove(it.value());
        it = m_ids.erase(it);
    }
}
