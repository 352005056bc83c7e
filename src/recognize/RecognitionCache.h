// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognitionPort.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QMutex>

#include <functional>

/// What the engine found on the latest images (blocks of windows), looked up by their pixels:
/// the same pixels always give the same lines, so a part of a window that has not changed since
/// it was last read (while the user typed a goal, or beside what a click changed) is not read
/// again. A recognition still under way is
/// shared: whoever asks for the same pixels meanwhile waits for it instead of starting another.
/// Safe to use from several threads at once.
class RecognitionCache
{
public:
    /// Pixels kept, in bytes: a few windows' worth. The latest image is always kept.
    static constexpr qsizetype defaultBudget = 16 * 1024 * 1024;

    explicit RecognitionCache(qsizetype budget = defaultBudget) : m_budget(budget) {}

    /// The lines on `image`: remembered ones, or those `recognize` finds (blocking the caller
    /// while it or another caller recognises the same pixels).
    QList<RecognizedLine>
    linesOn(const QImage& image,
            const std::function<QList<RecognizedLine>(const QImage&)>& recognize);

    /// How many answers came from memory or from another caller's recognition.
    qsizetype reused() const;

private:
    struct Entry
    {
        quint64 id;
        size_t key;
        QImage image;
        QFuture<QList<RecognizedLine>> lines;
    };

    static size_t keyOf(const QImage& image);
    void forget(quint64 id);

    mutable QMutex m_mutex;
    const qsizetype m_budget;
    QList<Entry> m_entries; // most recent first
    qsizetype m_bytes = 0;
    quint64 m_lastId = 0;
    qsizetype m_reused = 0;
};
