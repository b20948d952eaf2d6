#pragma once

// How ANP3's compressed keys store a rotation and a translation: what the game
// reads back is what these give, so that code choosing keys can work with the
// values the file will hold.

#include "base/Math.h"
#include "ifp/Anp3Layout.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zorvek {

// The nearest 16-bit integer, halves away from zero as std::lround rounds,
// by integer arithmetic alone: neither the rounding mode nor the C library
// can change it. Nothing for a value outside 16 bits or NaN.
std::optional<std::int16_t> roundToI16(double value);

// The rotation normalised, keeping its sign, in 1/4096. Throws
// std::invalid_argument for a rotation of length zero or not finite.
std::array<std::int16_t, 4> compressedRotation(const Vec4& rotation);

// The rotation as the game reads it back: compressedRotation over 4096.
Vec4 storedRotation(const Vec4& rotation);

}  // namespace zorvek
