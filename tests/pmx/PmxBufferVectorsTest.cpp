// The vector appends write each component as its own little-endian float,
// in order, after whatever the buffer holds already.
#include "pmx/PmxBuffer.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

TEST(PmxBufferVectors, Vec3ComponentsInOrder) {
    PmxBuffer buffer(1);
    buffer.appendVec3({1.0f, -2.0f, 0.5f});
    EXPECT_EQ(buffer.release(), (Bytes{0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x3F}));
}

TEST(PmxBufferVectors, Vec4ComponentsInOrder) {
    PmxBuffer buffer(1);
    buffer.appendVec4({0.0f, 1.0f, -1.0f, 2.0f});
    EXPECT_EQ(buffer.release(), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF,
                                       0x00, 0x00, 0x00, 0x40}));
}

TEST(PmxBufferVectors, AppendsFollowEarlierBytesAcrossGrowth) {
    // No reserved room: every append has to grow the buffer and keep what came before.
    PmxBuffer buffer(2);
    Bytes expected;
    for (int i = 0; i < 100; ++i) {
        buffer.appendU8(0xAA);
        buffer.appendVec2({-0.0f, 1.0f});
        buffer.appendBoneIndex(-1);
        expected.insert(expected.end(), {0xAA, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x80, 0x3F, 0xFF, 0xFF});
    }
    EXPECT_EQ(buffer.size(), expected.size());
    EXPECT_EQ(buffer.release(), expected);
}

}  // namespace
}  // namespace zorvek
