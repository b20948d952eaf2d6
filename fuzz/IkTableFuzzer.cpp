// parseIkTable over any bytes.

#include "base/UserMessageError.h"
#include "tables/IkTable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        zorvek::parseIkTable(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}
