#include "base/LargeArrays.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <utility>

namespace zorvek {
namespace {

// Sizes on both sides of the 2 MiB from which blocks are taken in huge pages.
class ByteBlockSizes : public testing::TestWithParam<std::size_t> {};

TEST_P(ByteBlockSizes, EveryByteCanBeWrittenAndReadBack) {
    ByteBlock block(GetParam());
    ASSERT_EQ(block.size(), GetParam());
    for (std::size_t i = 0; i < block.size(); ++i) {
        block.data()[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::span<const std::uint8_t> bytes = block.span();
    ASSERT_EQ(bytes.size(), GetParam());
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        wrong += bytes[i] != static_cast<std::uint8_t>(i * 7) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ByteBlockSizes,
                         testing::Values(std::size_t{0}, std::size_t{1}, (std::size_t{2} << 20) - 1,
                                         std::size_t{2} << 20, (std::size_t{5} << 20) + 3));

TEST(ByteBlock, AMoveLeavesTheSourceEmpty) {
    ByteBlock source(16);
    source.data()[15] = 0x5A;
    ByteBlock target = std::move(source);
    EXPECT_EQ(source.size(), 0u);
    EXPECT_TRUE(source.span().empty());
    ASSERT_EQ(target.size(), 16u);
    EXPECT_EQ(target.end()[-1], 0x5A);
}

// Growing past 2 MiB moves the values from an ordinary block into a huge-page
// one and frees each with the size it was allocated with.
TEST(LargeArray, KeepsItsValuesWhileGrowingPastTheHugePageSize) {
    LargeArray<std::uint32_t> values;
    constexpr std::uint32_t count = (3u << 20) / sizeof(std::uint32_t);
    for (std::uint32_t i = 0; i < count; ++i) {
        values.push_back(i ^ 0x9E3779B9u);
    }
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        wrong += values[i] != (i ^ 0x9E3779B9u) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
    values.shrink_to_fit();
    EXPECT_EQ(values.size(), count);
    EXPECT_EQ(values.back(), (count - 1) ^ 0x9E3779B9u);
}

}  // namespace
}  // namespace zorvek
