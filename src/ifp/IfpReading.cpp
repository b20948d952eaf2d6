#include "ifp/IfpReading.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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

namespace {

bool isFinite(const IfpKey& key) {
    const float values[] = {key.rotation.x,    key.rotation.y,    key.rotation.z,    key.rotation.w,
                            key.translation.x, key.translation.y, key.translation.z, key.time};
    return std::all_of(std::begin(values), std::end(values), [](float value) { return std::isfinite(value); });
}

}  // namespace

void appendKey(const IfpPath& path, std::vector<IfpKey>& keys, const IfpKey& key, std::string& failure) {
    if (isFinite(key) && (keys.empty() || key.time >= keys.back().time)) {
        keys.push_back(key);
    } else if (failure.empty()) {
        failure = path.brokenFile().what();
    }
}

}  // namespace zorvek
