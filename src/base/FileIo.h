#pragma once

#include "base/LargeArrays.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace zorvek {

using Bytes = std::vector<std::uint8_t>;

// The whole file in one read; throws FileAccessError "ファイルを開けませんでした"
// when it cannot be read (or is 2 GiB or larger, which RenderWare offsets cannot address).
Bytes readWholeFile(const std::filesystem::path& path);

// The same into memory that is not zeroed first and, for a large file, lies
// in huge pages: a large model's bytes cost one copy from the page cache.
ByteBlock readLargeFile(const std::filesystem::path& path);

// Writes the file completely or not at all: a temporary file beside the
// target, flushed and checked, then renamed over it. Throws
// "ファイルを開けませんでした" when the temporary file cannot be created and
// "ファイルに書き込めませんでした" when a write fails; the target is then untouched.
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// True when both paths name the same file: equal text, or the same existing
// file under another spelling or through a link.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

struct ByteRange {
    std::size_t offset = 0;
    std::size_t size = 0;
};

// The same for bytes that differ from the file at `source` only inside
// `changed`: the file is copied inside the kernel where the system can (as cp
// does), then only the changed ranges are written, which saves writing a large
// model through memory again. Falls back to writing every byte.
void writePatchedCopyAtomically(const std::filesystem::path& path, const std::filesystem::path& source,
                                std::span<const std::uint8_t> bytes, std::span<const ByteRange> changed);

}  // namespace zorvek
