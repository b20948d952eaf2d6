#pragma once

#include "base/Math.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

struct IkLink {
    std::uint32_t boneId = 0;
    Vec3 lowerLimit;  // radians
    Vec3 upperLimit;  // radians
};

// A link whose six limits are all 0 is not limited.
inline bool hasLimits(const IkLink& link) {
    return link.lowerLimit != Vec3{} || link.upperLimit != Vec3{};
}

struct IkTableEntry {
    std::u16string ikName;
    std::int32_t parentIk = -1;
    Vec3 offset;
    std::uint32_t targetBoneId = 0;
    std::uint32_t loopCount = 0;
    float limitAngle = 0;  // radians
    std::vector<IkLink> links;
};

// Rows of iks.dat in file order; a row's index counts data rows only.
using IkTable = std::vector<IkTableEntry>;

// Parses the bytes of iks.dat; throws UserMessageError with the file's messages.
IkTable parseIkTable(std::string_view fileBytes);

// Reads "iks.dat" from the folder; "iks.datを開けませんでした" when it cannot be read.
IkTable loadIkTable(const std::filesystem::path& folder);

}  // namespace zorvek
