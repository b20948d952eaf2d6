#pragma once

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "support/ExpectError.h"

#include <string>
#include <string_view>

namespace zorvek::test {

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace zorvek::test
