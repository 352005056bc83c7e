// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a server sends, cut anywhere, end as a response, a refusal or a wait for more;
// never a body larger than the cap, and never a change once the reading has ended.
#include "model_client/HttpResponseReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr qint64 cap = 4096;
    if (size == 0)
        return 0;
    // The first byte says where the bytes are cut into two reads.
    const size_t cut = data[0] % size;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1,
                               static_cast<qsizetype>(size - 1));
    HttpResponseReader reader(cap);
    const HttpResponseReader::State first = reader.feed(bytes.first(
        static_cast<qsizetype>(std::min<size_t>(cut, static_cast<size_t>(bytes.size())))));
    const HttpResponseReader::State second =
        reader.feed(bytes.sliced(static_cast<qsizetype>(std::min<size_t>(cut, bytes.size()))));
    if (first != HttpResponseReader::State::reading && second != first)
        __builtin_trap(); // an ended reading stays ended
    reader.connectionClosed();
    if (reader.body().size() > cap)
        __builtin_trap();
    return 0;
}
