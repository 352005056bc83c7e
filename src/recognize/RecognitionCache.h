// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognitionPort.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QSize>

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
    /// Blocks remembered: a few windows' worth.
    static constexpr qsizetype defaultCapacity = 256;

    explicit RecognitionCache(qsizetype capacity = defaultCapacity) : m_capacity(capacity) {}

    /// The lines on `image`: remembered ones, or those `recognize` finds (blocking the caller
    /// while it or another caller recognises the same pixels).
    QList<RecognizedLine>
    linesOn(const QImage& image,
            const std::function<QList<RecognizedLine>(const QImage&)>& recognize);

    /// How many answers came from memory or from another caller's recognition.
    qsizetype reused() const;

private:
    /// What identifies an image's pixels: its shape and two independent 64-bit digests of them,
    /// seeded afresh in each process. The pixels themselves are not kept: a large window's
    /// blocks would hold megabytes for as long as they are remembered.
    struct Key
    {
        QSize size;
        QImage::Format format;
        size_t digest;
        size_t check;

        bool operator==(const Key&) const = default;
    };

    struct Entry
    {
        quint64 id;
        Key key;
        QFuture<QList<RecognizedLine>> lines;
    };

    static Key keyOf(const QImage& image);
    void forget(quint64 id);

    mutable QMutex m_mutex;
    const qsizetype m_capacity;
    QList<Entry> m_entries; // most recent first
    quint64 m_lastId = 0;
    qsizetype m_reused = 0;
};
