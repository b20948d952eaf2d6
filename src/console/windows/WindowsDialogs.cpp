#include "console/windows/WindowsDialogs.h"

#include "base/TextEncoding.h"

#include <algorithm>

namespace zorvek {

std::wstring dialogFilter(const FileFilter& filter) {
    std::wstring text;
    for (const std::string_view part : {filter.label1, filter.pattern1, filter.label2, filter.pattern2}) {
        text += utf8ToWide(part);
        text += L'\0';
    }
    text += L'\0';
    return text;
}

FileDialog::FileDialog(Kind kind, const FileFilter& filter, HWND owner, std::string_view defaultExtension,
                       const std::u16string& initialName)
    : kind_(kind),
      filter_(dialogFilter(filter)),
      defaultExtension_(utf8ToWide(defaultExtension)),
      path_(dialogPathUnits) {
    const std::size_t kept = std::min(initialName.size(), path_.size() - 1);
    std::copy_n(initialName.begin(), kept, path_.begin());
    request_.lStructSize = sizeof(OPENFILENAMEW);
    request_.hwndOwner = owner;
    request_.lpstrFilter = filter_.c_str();
    request_.nFilterIndex = 1;
    request_.lpstrFile = path_.data();
    request_.nMaxFile = static_cast<DWORD>(path_.size());
    if (kind == Kind::Save) {
        request_.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
        request_.Flags = saveDialogFlags;
    } else {
        request_.Flags = openDialogFlags;
    }
}

std::optional<std::filesystem::path> FileDialog::show() {
    const BOOL chosen = kind_ == Kind::Save ? GetSaveFileNameW(&request_) : GetOpenFileNameW(&request_);
    if (!chosen) {
        return std::nullopt;  // a cancel, or a dialog that could not be shown: both count as a cancel
    }
    return std::filesystem::path(std::wstring(path_.data()));
}

}  // namespace zorvek
