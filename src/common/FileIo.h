#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace zorvek {

using Bytes = std::vector<std::uint8_t>;

// The whole file in one read; throws UserMessageError "ファイルを開けませんでした"
// when it cannot be read (or is 2 GiB or larger, which RenderWare offsets cannot address).
Bytes readWholeFile(const std::filesystem::path& path);

// Writes the file completely or not at all: a temporary file beside the
// target, flushed and checked, then renamed over it. Throws
// "ファイルを開けませんでした" when the temporary file cannot be created and
// "ファイルに書き込めませんでした" when a write fails; the target is then untouched.
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace zorvek
