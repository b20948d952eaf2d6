#pragma once

#include "base/FileIo.h"
#include "base/UserMessageError.h"

#include <string>
#include <string_view>

namespace zorvek::test {

// The message of the UserMessageError the action throws, or a marker when it throws none.
template <typename Action>
std::string userErrorOf(Action&& action) {
    try {
        action();
    } catch (const UserMessageError& error) {
        return error.what();
    }
    return "(no error)";
}

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace zorvek::test
