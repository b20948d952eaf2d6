#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace zorvek {

// Every expected failure carries one complete message for the user, printed
// after "エラー: ". Messages are UTF-8.
class UserMessageError : public std::runtime_error {
public:
    explicit UserMessageError(const std::string& message) : std::runtime_error(message) {}
};

// A file that could not be opened or written. The menu shows the message as
// it is, right after the path it asked for; the command line, which may run
// many files, adds the file's name.
class FileAccessError : public UserMessageError {
public:
    FileAccessError(const std::string& message, std::filesystem::path path)
        : UserMessageError(message), path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The user cancelled a prompt (an empty path, or the end of input inside a
// command). Not an error: the command reports it and returns to the menu.
class OperationCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "operation cancelled"; }
};

}  // namespace zorvek
