#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zorvek {

// The 64 interpolation bytes of a VMD bone key: one Bezier curve from (0, 0)
// to (127, 127) for each of X, Y, Z (position) and R (rotation), given by its
// control points (x1, y1) and (x2, y2).
//
// Row 0 (bytes 0-15) holds them grouped by coordinate:
//   X.x1 Y.x1 Z.x1 R.x1  X.y1 Y.y1 Z.y1 R.y1  X.x2 Y.x2 Z.x2 R.x2  X.y2 Y.y2 Z.y2 R.y2
// Rows 1 to 3 repeat row 0 starting one, two and three values later, and fill
// the freed end with 01 then 00 (01 | 01 00 | 01 00 00), as MMD writes them.
// Readers such as three.js take the curves from row 0 alone (bytes c, c + 4,
// c + 8 and c + 12 for curve c); the repeated rows are there for MMD.
struct VmdCurve {
    std::uint8_t x1, y1, x2, y2;
};

// A straight line: the motion runs at an even pace between two keys.
inline constexpr VmdCurve linearVmdCurve{20, 20, 107, 107};

constexpr std::array<std::uint8_t, 64> vmdInterpolation(VmdCurve x, VmdCurve y, VmdCurve z, VmdCurve r) {
    const VmdCurve curves[4] = {x, y, z, r};
    std::array<std::uint8_t, 16> row0{};
    for (std::size_t c = 0; c < 4; ++c) {
        row0[c] = curves[c].x1;
        row0[4 + c] = curves[c].y1;
        row0[8 + c] = curves[c].x2;
        row0[12 + c] = curves[c].y2;
    }
    std::array<std::uint8_t, 64> bytes{};
    for (std::size_t row = 0; row < 4; ++row) {
        for (std::size_t i = 0; i + row < 16; ++i) {
            bytes[row * 16 + i] = row0[i + row];
        }
        if (row > 0) {
            bytes[row * 16 + 16 - row] = 1;
        }
    }
    return bytes;
}

inline constexpr std::array<std::uint8_t, 64> linearVmdInterpolation =
    vmdInterpolation(linearVmdCurve, linearVmdCurve, linearVmdCurve, linearVmdCurve);

}  // namespace zorvek
