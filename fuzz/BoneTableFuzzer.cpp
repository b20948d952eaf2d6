// parseBoneTable over any bytes.

#include "base/UserMessageError.h"
#include "tables/BoneTable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        zorvek::parseBoneTable(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}
