// What the open and save dialogs are asked for: the filters, flags,
// default extensions and initial names, with room for long paths.
#include "base/TextEncoding.h"
#include "console/TypedPaths.h"
#include "console/windows/WindowsDialogs.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

TEST(DialogFilter, isFourNulEndedStringsAndOneMoreNul) {
    const std::wstring expected = wide(u"DFFファイル (*.dff)") + L'\0' + L"*.dff" + L'\0' +
                                  wide(u"すべてのファイル (*.*)") + L'\0' + L"*" + L'\0' + L'\0';
    EXPECT_EQ(dialogFilter(dffFilter), expected);
    EXPECT_EQ(dialogFilter(pmxFilter), wide(u"PMXファイル (*.pmx)") + L'\0' + L"*.pmx" + L'\0' +
                                           wide(u"すべてのファイル (*.*)") + L'\0' + L"*" + L'\0' + L'\0');
}

TEST(FileDialog, openAsksForAnExistingFileWithTheDffFilter) {
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    const FileDialog dialog(FileDialog::Kind::Open, dffFilter, owner);
    const OPENFILENAMEW& request = dialog.request();
    EXPECT_EQ(request.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(request.hwndOwner, owner);
    EXPECT_EQ(std::wstring(request.lpstrFilter, dialogFilter(dffFilter).size()), dialogFilter(dffFilter));
    EXPECT_EQ(request.nFilterIndex, 1u);
    EXPECT_EQ(request.nMaxFile, 32768u);
    EXPECT_EQ(request.lpstrFile[0], L'\0');
    EXPECT_EQ(request.Flags, 11014148u);
    EXPECT_EQ(request.lpstrDefExt, nullptr);
    EXPECT_EQ(request.lpstrTitle, nullptr);
    EXPECT_EQ(request.lpstrInitialDir, nullptr);
    EXPECT_EQ(request.Flags & OFN_NOCHANGEDIR, 0u);
}

TEST(FileDialog, saveStartsWithTheSourceNameAndAsksBeforeReplacing) {
    const std::filesystem::path source = utf8ToPath("C:\\モデル\\x.tar.dff");
    const FileDialog dialog(FileDialog::Kind::Save, pmxFilter, nullptr, "pmx", utf8ToUtf16(initialSaveName(source)));
    const OPENFILENAMEW& request = dialog.request();
    EXPECT_EQ(request.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(std::wstring(request.lpstrFilter, dialogFilter(pmxFilter).size()), dialogFilter(pmxFilter));
    EXPECT_EQ(request.nFilterIndex, 1u);
    EXPECT_EQ(std::wstring(request.lpstrFile), L"x.tar");
    EXPECT_EQ(request.nMaxFile, 32768u);
    EXPECT_EQ(request.Flags, 11010054u);
    ASSERT_NE(request.lpstrDefExt, nullptr);
    EXPECT_EQ(std::wstring(request.lpstrDefExt), L"pmx");
}

TEST(FileDialog, aLongInitialNameIsKeptWhole) {
    const std::u16string name(1000, u'名');
    const FileDialog dialog(FileDialog::Kind::Save, dffFilter, nullptr, "dff", name);
    EXPECT_EQ(std::wstring(dialog.request().lpstrFile), wide(name));
    EXPECT_EQ(std::wstring(dialog.request().lpstrDefExt), L"dff");
}

TEST(FileDialog, aNameLongerThanTheBufferIsCutAndStillEnded) {
    const std::u16string name(dialogPathUnits + 10, u'a');
    const FileDialog dialog(FileDialog::Kind::Save, dffFilter, nullptr, "dff", name);
    EXPECT_EQ(std::wstring(dialog.request().lpstrFile).size(), dialogPathUnits - 1);
}

}  // namespace
}  // namespace zorvek
