#pragma once

// Checks on the message of an expected UserMessageError.

#include "base/UserMessageError.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvek::test {

// What userErrorOf returns when the action throws no UserMessageError.
inline const std::string noUserError = "(no error)";

// The message of the UserMessageError that the action throws, or noUserError.
template <typename Action>
std::string userErrorOf(Action&& action) {
    try {
        action();
    } catch (const UserMessageError& error) {
        return error.what();
    }
    return noUserError;
}

}  // namespace zorvek::test

// Expects the statement to throw a UserMessageError with exactly this message.
#define EXPECT_USER_ERROR(statement, message) \
    EXPECT_EQ(::zorvek::test::userErrorOf([&] { statement; }), std::string(message))
