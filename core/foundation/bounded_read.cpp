#include "bounded_read.h"

#include <QIODevice>

#include <algorithm>

namespace {

// The smallest buffer worth a read call.
constexpr qint64 kFirstChunk = 4096;

} // namespace

QByteArray readAtMost(QIODevice &device, qint64 limit, qint64 expected)
{
    QByteArray bytes;
    if (limit <= 0)
        return bytes;
    // A byte more than expected: a file of the expected size is then read
    // whole and its end seen without growing the buffer.
    qint64 capacity = std::min(limit, std::max(kFirstChunk, expected + 1));
    qint64 used = 0;
    bytes.resize(qsizetype(capacity));
    for (;;) {
        const qint64 got = device.read(bytes.data() + used, capacity - used);
        if (got <= 0)
            break;
        used += got;
        if (used < capacity)
            continue;
        if (capacity >= limit)
            break;
        capacity = std::min(limit, capacity * 2);
        bytes.resize(qsizetype(capacity));
    }
    bytes.truncate(qsizetype(used));
    return bytes;
}
