#pragma once

#include <stdexcept>
#include <string>

namespace zorvek {

// Every expected failure carries one complete message for the user, printed
// after "エラー: ". Messages are UTF-8.
class UserMessageError : public std::runtime_error {
public:
    explicit UserMessageError(const std::string& message) : std::runtime_error(message) {}
};

// The user cancelled a prompt (an empty path, or the end of input inside a
// command). Not an error: the command reports it and returns to the menu.
class OperationCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "operation cancelled"; }
};

}  // namespace zorvek
