#include "ifp/IfpReader.h"

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "ifp/Anp3Reader.h"
#include "ifp/AnpkReader.h"

#include <algorithm>
#include <string_view>

namespace zorvek {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace

IfpFile readIfp(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, "ANP3")) {
        return readAnp3(bytes);
    }
    if (startsWith(bytes, "ANPK")) {
        return readAnpk(bytes);
    }
    throw UserMessageError("IFPファイルではありません");
}

IfpFile readIfpFile(const std::filesystem::path& path) {
    const Bytes bytes = readWholeFile(path);
    return readIfp(bytes);
}

}  // namespace zorvek
