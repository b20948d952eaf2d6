#include "base/BlockWriter.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorvek {
namespace {

TEST(BlockWriter, LittleEndianValuesAndPaddedTexts) {
    BlockWriter buffer(4 + 1 + 5);
    buffer.appendU32(0x01020304);
    buffer.appendU8(0xFE);
    buffer.appendFixedText("ab", 5);
    const ByteBlock block = buffer.finish();
    EXPECT_EQ(Bytes(block.begin(), block.end()), (Bytes{0x04, 0x03, 0x02, 0x01, 0xFE, 'a', 'b', 0, 0, 0}));
}

TEST(BlockWriter, RefusesToWritePastItsSize) {
    BlockWriter buffer(3);
    EXPECT_THROW(buffer.appendU32(1), std::logic_error);
    EXPECT_EQ(buffer.written(), 0u);
}

TEST(BlockWriter, RefusesToFinishShort) {
    BlockWriter buffer(5);
    buffer.appendU32(1);
    EXPECT_THROW(buffer.finish(), std::logic_error);
}

TEST(BlockWriter, RefusesATextLongerThanItsField) {
    BlockWriter buffer(2);
    EXPECT_THROW(buffer.appendFixedText("abc", 2), std::logic_error);
}

}  // namespace
}  // namespace zorvek
