#include "vmd/VmdInterpolation.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace zorvek {
namespace {

// Four different curves show where each control point goes: X = 1 2 3 4,
// Y = 5 6 7 8, Z = 9 10 11 12, R = 13 14 15 16 as (x1, y1, x2, y2).
TEST(VmdInterpolation, RowsOfControlPointsShiftedByOne) {
    constexpr std::array<std::uint8_t, 64> bytes =
        vmdInterpolation({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16});
    const std::array<std::uint8_t, 64> expected = {
        1,  5,  9,  13, 2,  6,  10, 14, 3,  7,  11, 15, 4,  8,  12, 16,  //
        5,  9,  13, 2,  6,  10, 14, 3,  7,  11, 15, 4,  8,  12, 16, 1,   //
        9,  13, 2,  6,  10, 14, 3,  7,  11, 15, 4,  8,  12, 16, 1,  0,   //
        13, 2,  6,  10, 14, 3,  7,  11, 15, 4,  8,  12, 16, 1,  0,  0,   //
    };
    EXPECT_EQ(bytes, expected);
}

}  // namespace
}  // namespace zorvek
