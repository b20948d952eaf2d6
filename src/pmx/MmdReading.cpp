#include "pmx/MmdReading.h"

#include <charconv>
#include <limits>

namespace zorvek::mmd {

UserMessageError ReadPlace::brokenFile() const {
    std::string path(format_);
    for (std::string_view part : {section_, field_}) {
        if (!part.empty()) {
            path += '\\';
            path += part;
        }
    }
    return UserMessageError("ファイルが壊れています (" + path + ")");
}

std::string versionText(float version) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, version);
    return std::string(text, result.ptr);
}

std::uint8_t vertexIndexWidth(std::size_t count) {
    if (count <= std::size_t{std::numeric_limits<std::uint8_t>::max()} + 1) {
        return 1;
    }
    return count <= std::size_t{std::numeric_limits<std::uint16_t>::max()} + 1 ? 2 : 4;
}

std::uint8_t signedIndexWidth(std::size_t count) {
    if (count <= std::size_t{std::numeric_limits<std::int8_t>::max()} + 1) {
        return 1;
    }
    return count <= std::size_t{std::numeric_limits<std::int16_t>::max()} + 1 ? 2 : 4;
}

}  // namespace zorvek::mmd
