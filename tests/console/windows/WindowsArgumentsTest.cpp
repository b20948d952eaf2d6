// Arguments from the wide command line, and what the command line and the
// file helpers do with names in any script.
#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "cli/CommandLine.h"
#include "console/ReportStream.h"
#include "console/TypedPaths.h"
#include "console/windows/WindowsArguments.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

struct SplitCase {
    const char* name;
    std::u16string commandLine;
    std::vector<std::string> arguments;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLineSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, givesUtf8Arguments) {
    EXPECT_EQ(splitCommandLine(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsArguments, CommandLineSplit,
    testing::Values(SplitCase{"plain", u"zorvek.exe convert a.dff", {"zorvek.exe", "convert", "a.dff"}},
                    SplitCase{"quotedWithSpaces",
                              u"\"C:\\Program Files\\zorvek.exe\" rescale \"a b.dff\" c.dff 2",
                              {"C:\\Program Files\\zorvek.exe", "rescale", "a b.dff", "c.dff", "2"}},
                    SplitCase{"japanese",
                              u"zorvek.exe convert C:\\モデル\\ヒーロー.dff -d 出力",
                              {"zorvek.exe", "convert", "C:\\モデル\\ヒーロー.dff", "-d", "出力"}},
                    SplitCase{
                        "outsideTheBasicPlane", u"zorvek.exe \U0001F600.dff", {"zorvek.exe", "\xf0\x9f\x98\x80.dff"}},
                    SplitCase{"emptyQuotedArgument", u"zorvek.exe \"\" x", {"zorvek.exe", "", "x"}},
                    SplitCase{"escapedQuote", u"zorvek.exe a\\\"b", {"zorvek.exe", "a\"b"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(Utf8Arguments, giveACStyleArgvEndedByNull) {
    Utf8Arguments arguments({"zorvek.exe", "convert", "モデル.dff"});
    ASSERT_EQ(arguments.count(), 3);
    EXPECT_STREQ(arguments.values()[0], "zorvek.exe");
    EXPECT_STREQ(arguments.values()[2], "モデル.dff");
    EXPECT_EQ(arguments.values()[3], nullptr);
}

TEST(Utf8Arguments, ofThisProgramStartWithItsName) {
    Utf8Arguments arguments;
    ASSERT_GE(arguments.count(), 1);
    EXPECT_NE(std::string(arguments.values()[0]).find("tests"), std::string::npos) << arguments.values()[0];
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

TEST(WindowsCommandLine, rescalesBetweenJapaneseNamesGivenAsUtf8) {
    const test::TempDir folder;
    const Bytes empty;
    writeFileAtomically(folder.path() / utf8ToPath("入力.dff"), empty);
    Utf8Arguments arguments({"zorvek.exe", "rescale", pathToUtf8(folder.path() / utf8ToPath("入力.dff")),
                             pathToUtf8(folder.path() / utf8ToPath("出力.dff")), "2"});
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    std::unique_ptr<std::FILE, FileCloser> err(std::tmpfile());
    const int status = runCommandLine(arguments.count(), arguments.values(), out.get(), err.get());
    // An empty file is no model: what matters is that the file was found by its name.
    EXPECT_EQ(status, 1);
    EXPECT_EQ(contents(out.get()), "読み込んでいます...\n出力しています...\n");
    EXPECT_EQ(contents(err.get()).find("ファイルを開けませんでした"), std::string::npos) << contents(err.get());
    EXPECT_FALSE(fs::exists(folder.path() / utf8ToPath("出力.dff")));
}

TEST(WindowsCommandLine, aTablesFolderWithAJapaneseNameIsFound) {
    const test::TempDir folder;
    std::filesystem::create_directory(folder.path() / utf8ToPath("テーブル"));
    const std::string tables = pathToUtf8(folder.path() / utf8ToPath("テーブル"));
    Utf8Arguments found({"zorvek.exe", "convert", "a.dff", "--tables", tables});
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    std::unique_ptr<std::FILE, FileCloser> err(std::tmpfile());
    // The folder passes the check and holds no tables.
    EXPECT_EQ(runCommandLine(found.count(), found.values(), out.get(), err.get()), 1);
    EXPECT_EQ(contents(err.get()), "エラー: bones.datを開けませんでした\n");

    Utf8Arguments missing({"zorvek.exe", "convert", "a.dff", "--tables", tables + "無し"});
    std::unique_ptr<std::FILE, FileCloser> usage(std::tmpfile());
    EXPECT_EQ(runCommandLine(missing.count(), missing.values(), out.get(), usage.get()), 2);
    EXPECT_NE(contents(usage.get()).find("Directory does not exist: " + tables + "無し"), std::string::npos)
        << contents(usage.get());
}

TEST(WindowsTypedPaths, aLeadingTildeIsTheProfileFolderWhateverItsName) {
    const wchar_t* saved = _wgetenv(L"USERPROFILE");
    const std::wstring previous = saved ? saved : L"";
    ASSERT_EQ(_wputenv_s(L"USERPROFILE", L"C:\\Users\\ユーザー"), 0);
    const fs::path typed = typedPathToAbsolute("~/モデル.dff");
    _wputenv_s(L"USERPROFILE", previous.c_str());
    EXPECT_EQ(typed.wstring(), L"C:\\Users\\ユーザー\\モデル.dff");
}

TEST(WindowsReportStream, aFileGetsPlainUtf8Lines) {
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    EXPECT_FALSE(reportColourAllowed(file.get()));
    writeReportLine(file.get(), "警告: 一", Colour::Warning);
    writeReportLine(file.get(), "二", std::nullopt);
    EXPECT_EQ(contents(file.get()), "警告: 一\n二\n");
}

TEST(WindowsFiles, japaneseNamesAreWrittenReadAndReplacedInBinary) {
    const test::TempDir folder;
    const fs::path path = folder.path() / utf8ToPath("モデル\U0001F600.pmx");
    // Bytes that text mode would change: a line feed, a carriage return, Ctrl-Z.
    const Bytes first{'a', '\n', 'b', '\r', 0x1A, 'c', 0x00};
    writeFileAtomically(path, first);
    EXPECT_EQ(readWholeFile(path), first);
    const Bytes second{0x1A, '\n'};
    writeFileAtomically(path, second);
    EXPECT_EQ(readWholeFile(path), second);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(WindowsFiles, aMissingJapaneseNameCannotBeOpened) {
    const test::TempDir folder;
    EXPECT_USER_ERROR(readWholeFile(folder.path() / utf8ToPath("無い.dff")), "ファイルを開けませんでした");
}

}  // namespace
}  // namespace zorvek
