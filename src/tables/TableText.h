#pragma once

#include "base/FileIo.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

// The lines of a table file as the Windows text reader with "ccs=UTF-16LE" delivers them: UTF-16LE, with an
// FF FE mark skipped and an EF BB BF mark switching to UTF-8; a CR directly before an LF is dropped, lines end
// at LF and a last line without LF is still a line. Names keep their UTF-16 code units unchanged.
// Returns nothing for a file that starts with the big-endian mark FE FF, which that reader refuses to open.
std::optional<std::vector<std::u16string>> decodeTableLines(std::string_view fileBytes);

// The file's bytes; any failure to read it becomes a UserMessageError with `cannotOpenMessage`.
Bytes readTableFile(const std::filesystem::path& path, std::string_view cannotOpenMessage);

// Empty lines and lines whose first character is '#' carry no row.
bool isSkippedTableLine(std::u16string_view line);

}  // namespace zorvek
