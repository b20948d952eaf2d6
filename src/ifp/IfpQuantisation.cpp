#include "ifp/IfpQuantisation.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace zorvek {

std::optional<std::int16_t> roundToI16(double value) {
    if (!(value > -32768.5 && value < 32767.5)) {
        return std::nullopt;
    }
    const int whole = static_cast<int>(value);  // toward zero
    const double fraction = value - whole;      // exact for values this small
    const int rounded = fraction >= 0.5 ? whole + 1 : fraction <= -0.5 ? whole - 1 : whole;
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::array<std::int16_t, 4> compressedRotation(const Vec4& rotation) {
    const double parts[] = {rotation.x, rotation.y, rotation.z, rotation.w};
    double lengthSquared = 0;
    for (const double part : parts) {
        lengthSquared += part * part;
    }
    if (!(lengthSquared > 0) || !std::isfinite(lengthSquared)) {
        throw std::invalid_argument("an IFP key's rotation of length zero or not finite");
    }
    const double length = std::sqrt(lengthSquared);
    std::array<std::int16_t, 4> stored{};
    for (std::size_t i = 0; i < stored.size(); ++i) {
        // Within ±1 once normalised: 16 bits always hold it.
        const std::optional<std::int16_t> part = roundToI16(parts[i] / length * anp3::rotationScale);
        if (!part) {
            throw std::logic_error("a normalised IFP rotation outside ±1");
        }
        stored[i] = *part;
    }
    return stored;
}

Vec4 storedRotation(const Vec4& rotation) {
    const std::array<std::int16_t, 4> stored = compressedRotation(rotation);
    const auto read = [](std::int16_t part) { return static_cast<float>(part / anp3::rotationScale); };
    return {read(stored[0]), read(stored[1]), read(stored[2]), read(stored[3])};
}

}  // namespace zorvek
