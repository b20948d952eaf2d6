#include "vmd/VmdBuffer.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorvek {
namespace {

TEST(VmdBuffer, LittleEndianValuesAndPaddedTexts) {
    VmdBuffer buffer(4 + 1 + 5);
    buffer.appendU32(0x01020304);
    buffer.appendU8(0xFE);
    buffer.appendFixedText("ab", 5);
    const ByteBlock block = buffer.finish();
    EXPECT_EQ(Bytes(block.begin(), block.end()), (Bytes{0x04, 0x03, 0x02, 0x01, 0xFE, 'a', 'b', 0, 0, 0}));
}

TEST(VmdBuffer, RefusesToWritePastItsSize) {
    VmdBuffer buffer(3);
    EXPECT_THROW(buffer.appendU32(1), std::logic_error);
    EXPECT_EQ(buffer.written(), 0u);
}

TEST(VmdBuffer, RefusesToFinishShort) {
    VmdBuffer buffer(5);
    buffer.appendU32(1);
    EXPECT_THROW(buffer.finish(), std::logic_error);
}

TEST(VmdBuffer, RefusesATextLongerThanItsField) {
    VmdBuffer buffer(2);
    EXPECT_THROW(buffer.appendFixedText("abc", 2), std::logic_error);
}

}  // namespace
}  // namespace zorvek
