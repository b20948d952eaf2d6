#pragma once

#include "base/UserMessageError.h"

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace zorvek {

// An output that exists already and that the job was not allowed to replace.
// The job states the fact; how the user allows replacing is the front-end's to say.
class ExistingOutputError : public UserMessageError {
public:
    explicit ExistingOutputError(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    // "出力ファイルが既に存在します<hint>: <path>".
    std::string message(std::string_view replaceHint) const;

private:
    std::filesystem::path path_;
};

// What a front-end adds to the messages of failures.
struct FailureWording {
    // A file error names its file after the message: where one run touches many
    // files. The menu's single commands have just shown the path they asked for.
    bool nameFile = false;
    // How the user allows an existing output to be replaced (the command line names its flag).
    std::string_view replaceHint{};
};

// The text that follows "エラー: ": the message of a UserMessageError (with the
// additions the wording asks for), or what to say of an error that is not one
// of ours (out of memory, a library's exception).
std::string describeFailure(const std::exception& error, const FailureWording& wording = {});

}  // namespace zorvek
