#pragma once

#include "console/Console.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// commdlg.h needs the declarations of windows.h first.
#include <commdlg.h>

namespace zorvek {

// Room for the longest path Windows knows (32767 characters and the NUL), so
// that a model deep in a folder tree can be chosen.
inline constexpr std::size_t dialogPathUnits = 32768;

// The system's open or save dialog, in its wide form so that a path in any
// script comes back whole. The request points into this object, which
// therefore stays where it was made.
class FileDialog {
public:
    enum class Kind { Open, Save };

    // The save dialog starts with initialName and appends defaultExtension to a
    // name typed without one; the open dialog takes neither.
    FileDialog(Kind kind, const FileFilter& filter, HWND owner, std::string_view defaultExtension = {},
               const std::u16string& initialName = {});
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    const OPENFILENAMEW& request() const { return request_; }

    // The chosen path; nothing when the user cancelled or the dialog failed.
    std::optional<std::filesystem::path> show();

private:
    Kind kind_;
    std::wstring filter_;
    std::wstring defaultExtension_;
    std::vector<wchar_t> path_;
    OPENFILENAMEW request_{};
};

// The filter as the dialog takes it: label, pattern, label, pattern, each ended
// by a NUL, and one more NUL after the last.
std::wstring dialogFilter(const FileFilter& filter);

// The open dialog takes only existing files; the save dialog asks before
// replacing one. Neither keeps the current folder: the tables are read before
// any dialog, and the dialogs return full paths.
inline constexpr DWORD openDialogFlags =
    OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
inline constexpr DWORD saveDialogFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;

}  // namespace zorvek
