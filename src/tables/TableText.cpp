#include "tables/TableText.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"

#include <cstdint>

namespace zorvek {

namespace {

bool startsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

// A trailing odd byte is not a whole code unit and is dropped.
std::u16string decodeUtf16Le(std::string_view bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(low | (high << 8));
    }
    return text;
}

std::vector<std::u16string> splitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lineFeed = text.find(u'\n', start);
        const std::size_t end = lineFeed == std::u16string_view::npos ? text.size() : lineFeed;
        std::u16string_view line = text.substr(start, end - start);
        // Only a CR that the LF follows belongs to the line end; a CR anywhere else is text.
        if (lineFeed != std::u16string_view::npos && line.ends_with(u'\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::optional<std::vector<std::u16string>> decodeTableLines(std::string_view fileBytes) {
    constexpr std::string_view utf16LeMark = "\xFF\xFE";
    constexpr std::string_view utf16BeMark = "\xFE\xFF";
    constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
    if (startsWith(fileBytes, utf16BeMark)) {
        return std::nullopt;
    }
    if (startsWith(fileBytes, utf8Mark)) {
        return splitLines(utf8ToUtf16(fileBytes.substr(utf8Mark.size())));
    }
    if (startsWith(fileBytes, utf16LeMark)) {
        fileBytes.remove_prefix(utf16LeMark.size());
    }
    return splitLines(decodeUtf16Le(fileBytes));
}

Bytes readTableFile(const std::filesystem::path& path, std::string_view cannotOpenMessage) {
    try {
        return readWholeFile(path);
    } catch (const UserMessageError&) {
        throw UserMessageError(std::string(cannotOpenMessage));
    }
}

bool isSkippedTableLine(std::u16string_view line) {
    return line.empty() || line.front() == u'#';
}

}  // namespace zorvek
