#pragma once

#include "base/FileIo.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// A file's bytes as a private, writable copy-on-write view: a large model is
// not read through memory, and only the pages that are changed are copied.
// Falls back to reading the file where mapping is not available.
class MappedFile {
public:
    // Throws UserMessageError "ファイルを開けませんでした" as readWholeFile does.
    explicit MappedFile(const std::filesystem::path& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<std::uint8_t> bytes() { return {data_, size_}; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
    Bytes fallback_;
};

}  // namespace zorvek
