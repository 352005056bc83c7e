// SPDX-License-Identifier: GPL-3.0-or-later
#include "recognize/RecognitionCache.h"

#include <QHashFunctions>
#include <QMutexLocker>
#include <QPromise>

size_t RecognitionCache::keyOf(const QImage& image)
{
    return qHashMulti(qHashBits(image.constBits(), static_cast<size_t>(image.sizeInBytes())),
                      image.width(), image.height(), static_cast<int>(image.format()));
}

QList<RecognizedLine>
RecognitionCache::linesOn(const QImage& image,
                          const std::function<QList<RecognizedLine>(const QImage&)>& recognize)
{
    const size_t key = keyOf(image);
    QPromise<QList<RecognizedLine>> promise;
    quint64 id = 0;
    {
        QMutexLocker lock(&m_mutex);
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            // Equal keys are confirmed pixel by pixel: a hash collision never gives wrong text.
            if (m_entries[i].key == key && m_entries[i].image == image) {
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
        m_entries.prepend({id, key, image, promise.future()});
        m_bytes += image.sizeInBytes();
        while (m_bytes > m_budget && m_entries.size() > 1)
            m_bytes -= m_entries.takeLast().image.sizeInBytes();
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
            m_bytes -= m_entries.takeAt(i).image.sizeInBytes();
            return;
        }
    }
}

qsizetype RecognitionCache::reused() const
{
    QMutexLocker lock(&m_mutex);
    return m_reused;
}
