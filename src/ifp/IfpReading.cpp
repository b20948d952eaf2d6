#include "ifp/IfpReading.h"

#include <cmath>

namespace zorvek {

UserMessageError IfpPath::brokenFile() const {
    std::string path;
    for (const std::string& part : parts_) {
        if (!path.empty()) {
            path += '\\';
        }
        path += part;
    }
    return UserMessageError("ファイルが壊れています (" + path + ")");
}

std::string partName(const std::string& name, std::size_t number) {
    if (!name.empty()) {
        return name;
    }
    // Appended rather than "#" + std::to_string(number): mingw's GCC 12 at -O3
    // takes that form for an overlapping copy (a false -Wrestrict).
    std::string numbered = "#";
    numbered += std::to_string(number);
    return numbered;
}

void appendKey(const ByteReader& reader, std::vector<IfpKey>& keys, const IfpKey& key) {
    const float earliest = keys.empty() ? 0.0f : keys.back().time;
    // Written so that a NaN time fails too.
    if (!(key.time >= earliest) || !std::isfinite(key.time)) {
        reader.fail();
    }
    keys.push_back(key);
}

}  // namespace zorvek
