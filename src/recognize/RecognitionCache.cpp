// SPDX-License-Identifier: GPL-3.0-or-later
#include "recognize/RecognitionCache.h"

#include <QHashFunctions>
#include <QMutexLocker>
#include <QPromise>

#include <algorithm>

RecognitionCache::Key RecognitionCache::keyOf(const QImage& image)
{
    // Two digests with unrelated seeds: pixels that differ give the same pair with odds of
    // about one in 2^128, and the seeds are unknown outside this process.
    static const size_t seed = QHashSeed::globalSeed();
    static const size_t otherSeed = seed ^ 0x9e3779b97f4a7c15ULL;
    const auto bytes = static_cast<size_t>(image.sizeInBytes());
    return {image.size(), image.format(), qHashBits(image.constBits(), bytes, seed),
            qHashBits(image.constBits(), bytes, otherSeed)};
}

QList<RecognizedLine>
RecognitionCache::linesOn(const QImage& image,
                          const std::function<QList<RecognizedLine>(const QImage&)>& recognize)
{
    const Key key = keyOf(image);
    QPromise<QList<RecognizedLine>> promise;
    quint64 id = 0;
    {
        QMutexLocker lock(&m_mutex);
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].key == key) {
                QFuture<QList<RecognizedLine>> known = m_entries[i].lines;
                m_entries.move(i, 0);
                ++m_reused;
                lock.unlock();
                known.waitForFinished();
                // A read that failed left no lines to share; this caller reads for itself.
                return known.resultCount() > 0 ? known.result() : recognize(image);
            }
        }
        promise.start();
        id = ++m_lastId;
        m_entries.prepend({id, key, promise.future()});
        while (m_entries.size() > std::max<qsizetype>(m_capacity, 1))
            m_entries.removeLast();
    }
    QList<RecognizedLine> lines;
    try {
        lines = recognize(image);
    } catch (...) {
        // The engine gave up (out of memory, say): nothing is remembered for these pixels, and
        // as for any failure the block has no lines.
        forget(id);
        promise.finish();
        return {};
    }
    promise.addResult(lines);
    promise.finish();
    return lines;
}

void RecognitionCache::forget(quint64 id)
{
    QMutexLocker lock(&m_mutex);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].id == id) {
            m_entries.removeAt(i);
            return;
        }
    }
}

qsizetype RecognitionCache::reused() const
{
    QMutexLocker lock(&m_mutex);
    return m_reused;
}
