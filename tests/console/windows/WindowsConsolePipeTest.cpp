// The Windows console with piped input and output: every answer is a line,
// nothing is coloured, text is UTF-8 with CR LF line ends, and the transcript
// matches the scripted console's.
#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "console/windows/WindowsConsole.h"
#include "support/PipedConsoleCases.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "ui/MainMenu.h"
#include "ui/PathPrompts.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <windows.h>

namespace zorvek {
namespace {

// Runs the body on a console reading the answers from a pipe and writing to
// another; returns every byte written.
std::string runPiped(const std::string& answers, const std::function<void(WindowsConsole&)>& body) {
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    EXPECT_TRUE(CreatePipe(&inputRead, &inputWrite, nullptr, 0));
    EXPECT_TRUE(CreatePipe(&outputRead, &outputWrite, nullptr, 0));
    std::thread writer([&] {
        std::string_view rest = answers;
        while (!rest.empty()) {
            DWORD count = 0;
            if (!WriteFile(inputWrite, rest.data(), static_cast<DWORD>(rest.size()), &count, nullptr) || count == 0) {
                break;
            }
            rest.remove_prefix(count);
        }
        CloseHandle(inputWrite);
    });
    std::string written;
    std::thread reader([&] {
        char block[4096];
        DWORD count = 0;
        while (ReadFile(outputRead, block, sizeof block, &count, nullptr) && count > 0) {
            written.append(block, count);
        }
    });
    {
        WindowsConsole console(inputRead, outputWrite);
        body(console);
    }
    CloseHandle(outputWrite);
    writer.join();
    reader.join();
    CloseHandle(inputRead);
    CloseHandle(outputRead);
    return written;
}

using test::KeyCase;

class PipedKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(PipedKeys, takeTheFirstCharacterOfEachLine) {
    const KeyCase& c = GetParam();
    std::vector<std::optional<int>> keys;
    const std::string output = runPiped(c.answers, [&](WindowsConsole& console) {
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            keys.push_back(console.readKey(c.echo));
        }
    });
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(output, c.output);
}

std::vector<KeyCase> pipedKeyCases() {
    std::vector<KeyCase> cases = test::pipedKeyCasesOnEveryPlatform();
    // In a pipe Ctrl-Z is a byte like any other, not the end of input.
    cases.push_back(KeyCase{"ctrlZIsAKey", "\x1a\nq\n", true, {0x1a, 'q'}, "q"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(WindowsConsole, PipedKeys, testing::ValuesIn(pipedKeyCases()),
                         [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

struct LineCase {
    const char* name;
    std::string answers;
    std::vector<std::optional<std::string>> lines;
    std::string output;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class PipedLines : public testing::TestWithParam<LineCase> {};

TEST_P(PipedLines, areEchoedWithCrLf) {
    const LineCase& c = GetParam();
    std::vector<std::optional<std::string>> lines;
    const std::string output = runPiped(c.answers, [&](WindowsConsole& console) {
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            lines.push_back(console.readLine());
        }
    });
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(output, c.output);
}

const std::optional<std::string> noLine = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    WindowsConsole, PipedLines,
    testing::Values(LineCase{"plain", "abc\n", {"abc", noLine}, "abc\r\n"},
                    LineCase{"crlf", "abc\r\n", {"abc"}, "abc\r\n"}, LineCase{"empty", "\n", {""}, "\r\n"},
                    LineCase{"lastWithoutLineEnd", "x", {"x", noLine}, "x\r\n"}, LineCase{"nothing", "", {noLine}, ""},
                    LineCase{
                        "japanesePath", "C:\\モデル\\a b.dff\n", {"C:\\モデル\\a b.dff"}, "C:\\モデル\\a b.dff\r\n"},
                    LineCase{"bytesKeptAsTheyAre",
                             std::string("\x1a\xff\x00z\n", 5),
                             {std::string("\x1a\xff\x00z", 4)},
                             std::string("\x1a\xff\x00z\r\n", 6)},
                    LineCase{"several", "one\ntwo\n", {"one", "two", noLine}, "one\r\ntwo\r\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(WindowsConsolePipe, overlongLineIsCutAndTheNextLineIsIntact) {
    const std::string longLine(longestWindowsAnswer + 70000, 'x');
    std::optional<std::string> first;
    std::optional<std::string> second;
    runPiped(longLine + "\nnext\n", [&](WindowsConsole& console) {
        first = console.readLine();
        second = console.readLine();
    });
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, std::string(longestWindowsAnswer, 'x'));
    EXPECT_EQ(second, "next");
}

TEST(WindowsConsolePipe, writesUtf8WithCrLfAndNoAttributes) {
    const std::string output = runPiped("", [](WindowsConsole& console) {
        console.setTitle("ZORVEK");
        console.setColour(Colour::Heading);
        console.write("見出し");
        console.endLine();
        console.setDefaultColour();
        console.setColour(Colour::Error);
        console.write("赤");
        console.setColour(Colour::Warning);
        console.write("黄\n");
        console.setColour(Colour::Input);
        console.write("白");
        console.setDefaultColour();
    });
    EXPECT_EQ(output, "見出し\r\n赤黄\r\n白");
}

TEST(WindowsConsolePipe, textIsWrittenInTheOrderOfTheCalls) {
    const std::string output = runPiped("k\n", [&](WindowsConsole& console) {
        console.write("プロンプト> ");
        console.readKey(true);
        console.write("後");
    });
    EXPECT_EQ(output, "プロンプト> k後");
}

// A whole dialogue built from the shared forms, as the commands build theirs.
void runDialogue(Console& console) {
    printHeading(console, "DFFをPMXに変換します");
    console.write("実行する操作を選択してください> ");
    console.setColour(Colour::Input);
    const std::optional<int> key = readChoiceKey(console);
    console.setDefaultColour();
    console.endLine();
    printLine(console, "key " + std::to_string(key.value_or(0)));
    console.write("テクスチャの拡張子を入力してください> ");
    console.setColour(Colour::Input);
    const std::string word = readWord(console);
    console.setDefaultColour();
    console.endLine();
    printWarning(console, "word " + word);
    const std::optional<std::filesystem::path> source = chooseOpenPath(console);
    if (source) {
        console.endLine();
        chooseSavePath(console, pmxFilter, "pmx", *source);
    }
    console.write("倍率を入力してください> ");
    console.setColour(Colour::Input);
    try {
        const std::string number = readNumberLine(console);
        console.setDefaultColour();
        printError(console, "number " + number);
    } catch (const OperationCancelled&) {
        console.setDefaultColour();
        printCancelled(console);
    }
    waitAnyKey(console);
}

TEST(WindowsConsolePipe, dialogueReadsAsTheScriptedConsolesTranscriptWithCrLf) {
    const test::TempDir dir;
    // A narrow name would be taken in the system's code page: the names go in as UTF-8 paths.
    writeFileAtomically(dir.path() / utf8ToPath("モデル.dff"), Bytes{'x'});
    writeFileAtomically(dir.path() / utf8ToPath("モデル.pmx"), Bytes{'y'});
    const std::string folder = pathToUtf8(dir.path());
    const std::string answers = "3x\n\n  .png  .bmp\n" + folder + "\\missing.dff\n" + folder + "\\モデル.dff\n" +
                                folder + "\\モデル\nn\n" + folder + "\\新しい\n1.5\nz\n";

    test::ScriptedConsole scripted(answers);
    runDialogue(scripted);
    const std::string output = runPiped(answers, [&](WindowsConsole& console) { runDialogue(console); });

    EXPECT_EQ(output, toWindowsLineEnds(scripted.plainText()));
    EXPECT_NE(output.find("ファイルが見つかりません: " + folder + "\\missing.dff\r\n"), std::string::npos);
    EXPECT_NE(output.find(folder + "\\モデル.pmx は既に存在します。上書きしますか? (y/n)> n\r\n"), std::string::npos)
        << output;
    EXPECT_NE(output.find(folder + "\\新しい.pmx\r\n"), std::string::npos);
    EXPECT_EQ(scripted.answersLeft(), 0u);
}

TEST(WindowsConsolePipe, dialogueEndsCleanlyWhenInputRunsOut) {
    const std::string answers = "3\n\nword\n";
    test::ScriptedConsole scripted(answers);
    runDialogue(scripted);
    const std::string output = runPiped(answers, [&](WindowsConsole& console) { runDialogue(console); });
    EXPECT_EQ(output, toWindowsLineEnds(scripted.plainText()));
    EXPECT_NE(output.find("操作はキャンセルされました\r\n"), std::string::npos);
}

TEST(WindowsConsolePipe, theMenuRunsAsOnTheScriptedConsole) {
    const std::filesystem::path data = std::filesystem::path(ZORVEK_SOURCE_DIR) / "data";
    const std::string answers = "1\n\nz\nx\n5\n\n4\n";
    test::ScriptedConsole scripted(answers);
    EXPECT_EQ(runInteractiveProgram(scripted, data), 0);
    int status = -1;
    const std::string output =
        runPiped(answers, [&](WindowsConsole& console) { status = runInteractiveProgram(console, data); });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, toWindowsLineEnds(scripted.plainText()));
    EXPECT_NE(output.find("> 1\r\n\r\n\r\nVMDをIFPに変換します\r\n"), std::string::npos) << output;
    EXPECT_NE(output.find("> z\r\n有効な文字を入力してください\r\n"), std::string::npos) << output;
    EXPECT_TRUE(output.ends_with("実行する操作を選択してください> 4\r\n")) << output;
}

TEST(WindowsLineEnds, everyNewlineGetsACarriageReturn) {
    EXPECT_EQ(toWindowsLineEnds(""), "");
    EXPECT_EQ(toWindowsLineEnds("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(toWindowsLineEnds("日本\n"), "日本\r\n");
}

}  // namespace
}  // namespace zorvek
