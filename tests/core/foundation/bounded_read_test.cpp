#include "foundation/bounded_read.h"

#include <QBuffer>
#include <QByteArray>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct ReadCase
{
    const char *name;
    qint64 size;     // bytes the device holds
    qint64 limit;    // most bytes to read
    qint64 expected; // size the caller believed
};

std::ostream &operator<<(std::ostream &out, const ReadCase &c)
{
    return out << c.name;
}

// Every byte differs from its neighbours, so a chunk read twice or skipped
// shows.
QByteArray pattern(qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 131 + i / 251) & 0xff);
    return bytes;
}

class ReadAtMostTest : public testing::TestWithParam<ReadCase>
{
};

// The bytes come whole and in order up to the limit, whatever the caller
// expected: a file that grew or shrank since it was looked at is read as it
// now is, and one larger than the limit gives exactly the limit, so the
// caller can tell it is too large.
TEST_P(ReadAtMostTest, GivesTheDevicesBytesUpToTheLimit)
{
    const ReadCase &c = GetParam();
    const QByteArray content = pattern(c.size);
    const QByteArray want = content.left(qsizetype(std::max<qint64>(0, std::min(c.size, c.limit))));

    QBuffer buffer;
    buffer.setData(content);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(readAtMost(buffer, c.limit, c.expected), want);

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    ASSERT_EQ(file.write(content), c.size);
    ASSERT_TRUE(file.seek(0));
    EXPECT_EQ(readAtMost(file, c.limit, c.expected), want);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ReadAtMostTest,
    testing::Values(ReadCase{"empty", 0, 100, 0}, ReadCase{"oneByte", 1, 100, 1},
                    ReadCase{"exactlyAsExpected", 5000, 1 << 20, 5000},
                    ReadCase{"grewSinceLooked", 70000, 1 << 20, 3000},
                    ReadCase{"shrankSinceLooked", 10, 1 << 20, 9000},
                    ReadCase{"nothingExpected", 12289, 1 << 20, 0},
                    ReadCase{"firstChunkBoundary", 4096, 1 << 20, 0},
                    ReadCase{"atTheLimit", 8192, 8192, 8192},
                    ReadCase{"oneOverTheLimit", 8193, 8192, 8193},
                    ReadCase{"farOverTheLimit", 100000, 5000, 100000},
                    ReadCase{"limitUnderFirstChunk", 3000, 10, 3000},
                    ReadCase{"noLimit", 50, 0, 50}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

// Reading starts where the device stands, as QIODevice::read does.
TEST(ReadAtMostTest, ReadsFromTheCurrentPosition)
{
    QBuffer buffer;
    buffer.setData(pattern(6000));
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    ASSERT_TRUE(buffer.seek(1000));
    EXPECT_EQ(readAtMost(buffer, 10000, 6000), pattern(6000).mid(1000));
}

} // namespace
