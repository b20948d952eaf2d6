// The vector appends write each component as its own little-endian float,
// in order, after whatever the buffer holds already.
#include "pmx/PmxBuffer.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

Bytes finished(PmxBuffer& buffer) {
    const ByteBlock bytes = buffer.finish();
    return Bytes(bytes.begin(), bytes.end());
}

TEST(PmxBufferVectors, Vec3ComponentsInOrder) {
    PmxBuffer buffer(1, 12);
    buffer.appendVec3({1.0f, -2.0f, 0.5f});
    EXPECT_EQ(finished(buffer), (Bytes{0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x3F}));
}

TEST(PmxBufferVectors, Vec4ComponentsInOrder) {
    PmxBuffer buffer(1, 16);
    buffer.appendVec4({0.0f, 1.0f, -1.0f, 2.0f});
    EXPECT_EQ(finished(buffer),
              (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x40}));
}

TEST(PmxBufferVectors, AppendsFollowEarlierBytes) {
    Bytes expected;
    for (int i = 0; i < 100; ++i) {
        expected.insert(expected.end(), {0xAA, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x80, 0x3F, 0xFF, 0xFF});
    }
    PmxBuffer buffer(2, expected.size());
    for (int i = 0; i < 100; ++i) {
        buffer.appendU8(0xAA);
        buffer.appendVec2({-0.0f, 1.0f});
        buffer.appendBoneIndex(-1);
    }
    EXPECT_EQ(buffer.written(), expected.size());
    EXPECT_EQ(finished(buffer), expected);
}

// A record taken in one piece and filled with the store functions lands
// where the appends would have put it.
TEST(PmxBufferVectors, StoresFillATakenRecord) {
    PmxBuffer buffer(2, 4 + 12 + 2 + 1);
    buffer.appendU32(7);
    std::uint8_t* const record = buffer.take(12 + 2);
    std::uint8_t* at = PmxBuffer::store(record, Vec3{1.0f, 0.0f, -1.0f});
    at = buffer.storeBoneIndex(at, 300);
    EXPECT_EQ(at, record + 14);
    buffer.appendU8(9);
    EXPECT_EQ(finished(buffer), (Bytes{0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x80, 0xBF, 0x2C, 0x01, 0x09}));
}

}  // namespace
}  // namespace zorvek
