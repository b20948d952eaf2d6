#include "pmx/MmdModelReader.h"

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "pmx/PmdReader.h"
#include "pmx/PmxReader.h"

#include <algorithm>
#include <string_view>

namespace zorvek {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

}  // namespace

PmxModel readMmdModel(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, "PMX ")) {
        return readPmx(bytes);
    }
    if (startsWith(bytes, "Pmd")) {
        return readPmd(bytes);
    }
    throw UserMessageError("PMXファイルでもPMDファイルでもありません");
}

PmxModel readMmdModelFile(const std::filesystem::path& path) {
    const ByteBlock bytes = readLargeFile(path);
    return readMmdModel(bytes.span());
}

}  // namespace zorvek
