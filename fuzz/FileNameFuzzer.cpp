// A name read from a file made into a file name: whatever the bytes, the name
// joined to a folder stays inside it, on either system's spelling of paths.

#include "base/SafeFileName.h"
#include "base/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::string safe = zorvek::safeFileName(name);
    if (safe.empty() || safe.size() > 200 || safe == "." || safe == ".." || safe.front() == '.' || safe.back() == '.' ||
        safe.back() == ' ' || zorvek::safeFileName(safe) != safe) {
        std::abort();
    }
    for (const char c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::string_view("/\\<>:\"|?*").find(c) != std::string_view::npos) {
            std::abort();
        }
    }
    const std::filesystem::path folder = "folder";
    const std::filesystem::path joined = (folder / zorvek::utf8ToPath(safe + ".png")).lexically_normal();
    if (joined.parent_path() != folder) {
        std::abort();
    }
    return 0;
}
