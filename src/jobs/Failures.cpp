#include "jobs/Failures.h"

#include "base/TextEncoding.h"

#include <new>
#include <utility>

namespace zorvek {

ExistingOutputError::ExistingOutputError(std::filesystem::path path)
    : UserMessageError("出力ファイルが既に存在します: " + pathToUtf8(path)), path_(std::move(path)) {}

std::string ExistingOutputError::message(std::string_view replaceHint) const {
    return "出力ファイルが既に存在します" + std::string(replaceHint) + ": " + pathToUtf8(path_);
}

std::string describeFailure(const std::exception& error, const FailureWording& wording) {
    if (const auto* existing = dynamic_cast<const ExistingOutputError*>(&error)) {
        return existing->message(wording.replaceHint);
    }
    if (const auto* file = dynamic_cast<const FileAccessError*>(&error); file != nullptr && wording.nameFile) {
        return std::string(file->what()) + ": " + pathToUtf8(file->path());
    }
    if (dynamic_cast<const UserMessageError*>(&error) != nullptr) {
        return error.what();
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return "メモリが足りません";
    }
    return std::string("予期しないエラーが発生しました (") + error.what() + ")";
}

}  // namespace zorvek
