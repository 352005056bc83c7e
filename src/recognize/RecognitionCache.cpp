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
    {
        QMutexLocker lock(&m_mutex);
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            // Equal keys are confirmed pixel by pixel: a hash collision never gives wrong text.
            if (m_entries[i].key == key && m_entries[i].image == image) {
                const QFuture<QList<RecognizedLine>> known = m_entries[i].lines;
                m_entries.move(i, 0);
                ++m_reused;
                lock.unlock();
                return known.result();
            }
        }
        promise.start();
        m_entries.prepend({key, image, promise.future()});
        m_bytes += image.sizeInBytes();
        while (m_bytes > m_budget && m_entries.size() > 1)
            m_bytes -= m_entries.takeLast().image.sizeInBytes();
    }
    QList<RecognizedLine> lines = recognize(image);
    promise.addResult(lines);
    promise.finish();
    return lines;
}

qsizetype RecognitionCache::reused() const
{
    QMutexLocker lock(&m_mutex);
    return m_reused;
}
