#include "base/SafeFileName.h"

#include "base/TextEncoding.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zorvek {

namespace {

// Bytes left for the extension and a "<model>_" prefix within the 255 that
// ext4 and NTFS take for one name.
constexpr std::size_t maxNameBytes = 200;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isForbidden(char32_t c) {
    return c < 0x20 || c == 0x7F || std::u32string_view(U"<>:\"|?*").find(c) != std::u32string_view::npos;
}

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

// Windows opens the device for any of these names, whatever follows the
// first dot and with blanks before it: "nul.walk" and "CON .png" included.
bool isDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 30> devices{
        "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5",   "com6",
        "com7", "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6",   "lpt7",
        "lpt8", "lpt9", "com¹", "com²", "com³", "lpt¹", "lpt²", "lpt³", "conin$", "conout$"};
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    return std::find(devices.begin(), devices.end(), asciiLower(stem)) != devices.end();
}

// A drive ("C:") or what a path part may be without naming a file.
bool isDroppedPart(std::string_view part, bool first) {
    const bool drive = first && part.size() == 2 && part[1] == ':' &&
                       ((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= 'a' && part[0] <= 'z'));
    return drive || part.empty() || part == "." || part == "..";
}

std::vector<std::string_view> nameParts(std::string_view name) {
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || isSeparator(name[i])) {
            const std::string_view part = name.substr(begin, i - begin);
            if (!isDroppedPart(part, begin == 0)) {
                parts.push_back(part);
            }
            begin = i + 1;
        }
    }
    return parts;
}

// Each character kept or replaced by "_", whole UTF-8 sequences at a time.
void appendCleaned(std::string& out, std::string_view part) {
    for (std::size_t i = 0; i < part.size();) {
        char32_t codePoint = 0;
        const std::size_t length = decodeUtf8(part, i, codePoint);
        if (length == 0 || isForbidden(codePoint)) {
            out += '_';
            i += length == 0 ? 1 : length;
            continue;
        }
        out.append(part.substr(i, length));
        i += length;
    }
}

// Cut on a character boundary, so that the name stays UTF-8; a cut that
// leaves a dot or a blank at the end has it replaced too.
void cutToLength(std::string& name, std::size_t length) {
    if (name.size() > length) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
            --length;
        }
        name.resize(length);
    }
    for (auto it = name.rbegin(); it != name.rend() && (*it == '.' || *it == ' '); ++it) {
        *it = '_';
    }
}

}  // namespace

std::string safeFileName(std::string_view name) {
    std::string safe;
    for (const std::string_view part : nameParts(name)) {
        if (!safe.empty()) {
            safe += '_';
        }
        appendCleaned(safe, part);
    }
    if (!safe.empty() && safe.front() == '.') {
        safe.front() = '_';
    }
    cutToLength(safe, maxNameBytes);
    if (safe.empty() || isDeviceName(safe)) {
        cutToLength(safe, maxNameBytes - 1);
        // One character, not the string "_": mingw's GCC 12 at -O3 takes a
        // string inserted at 0 for an overlapping copy (a false -Wrestrict).
        safe.insert(safe.begin(), '_');
    }
    return safe;
}

}  // namespace zorvek
