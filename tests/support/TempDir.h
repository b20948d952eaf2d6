#pragma once

#include "base/FileIo.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zorvek::test {

// A fresh folder, removed with everything in it when the test ends (the
// motions in it kept first where ZORVEK_TEST_MOTIONS_DIR asks).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    std::filesystem::path write(std::string_view name, std::span<const std::uint8_t> bytes) const;
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
    std::string testFolder_;
};

Bytes readBytes(const std::filesystem::path& path);

}  // namespace zorvek::test
