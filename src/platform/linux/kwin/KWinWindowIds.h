// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

#include <optional>

/// KWin names windows by UUID; the ports by number. A window keeps its number while it is
/// listed; a number is never given twice.
class KWinWindowIds
{
public:
    quint64 idOf(const QString& handle);
    std::optional<QString> handleOf(quint64 id) const;
    /// Forgets the windows not in `handles` (those closed since the last list).
    void keepOnly(const QList<QString>& handles);

private:
    QHash<QString, quint64> m_ids;
    QHash<quint64, QString> m_handles;
    quint64 m_next = 1;
};
