// The console with piped input and output: every answer is a line, nothing is
// coloured, and the transcript matches the scripted console's.
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "console/terminal/TerminalConsole.h"
#include "support/PipedConsoleCases.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "ui/PathPrompts.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <functional>
#include <thread>

namespace zorvek {
namespace {

// Runs the body on a console reading the answers from a pipe and writing to
// another; returns every byte written.
std::string runPiped(const std::string& answers, const std::function<void(TerminalConsole&)>& body) {
    int input[2];
    int output[2];
    EXPECT_EQ(pipe(input), 0);
    EXPECT_EQ(pipe(output), 0);
    std::thread writer([&] {
        std::string_view rest = answers;
        while (!rest.empty()) {
            const ssize_t count = write(input[1], rest.data(), rest.size());
            if (count <= 0) {
                break;
            }
            rest.remove_prefix(static_cast<std::size_t>(count));
        }
        close(input[1]);
    });
    std::string written;
    std::thread reader([&] {
        char block[4096];
        ssize_t count;
        while ((count = read(output[0], block, sizeof block)) > 0) {
            written.append(block, static_cast<std::size_t>(count));
        }
    });
    {
        TerminalConsole console(input[0], output[1]);
        body(console);
    }
    close(output[1]);
    writer.join();
    reader.join();
    close(input[0]);
    close(output[0]);
    return written;
}

using test::KeyCase;

class PipedKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(PipedKeys, takeTheFirstCharacterOfEachLine) {
    const KeyCase& c = GetParam();
    std::vector<std::optional<int>> keys;
    const std::string output = runPiped(c.answers, [&](TerminalConsole& console) {
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            keys.push_back(console.readKey(c.echo));
        }
    });
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(output, c.output);
}

std::vector<KeyCase> pipedKeyCases() {
    std::vector<KeyCase> cases = test::pipedKeyCasesOnEveryPlatform();
    cases.insert(cases.end(),
                 {
                     KeyCase{"twoByteCharacter", "\xc3\xa9!\n", true, {0xe9}, "\xc3\xa9"},
                     KeyCase{"fourByteCharacter", "\xf0\x9f\x98\x80\n", true, {0x1f600}, "\xf0\x9f\x98\x80"},
                     KeyCase{"cutSequenceIsItsFirstByte", "\xe6\x97\n", true, {0xe6}, ""},
                     KeyCase{"controlCharacterNotEchoed", "\t\n", true, {'\t'}, ""},
                 });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, PipedKeys, testing::ValuesIn(pipedKeyCases()),
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

TEST_P(PipedLines, areEchoedWithTheirLineEnd) {
    const LineCase& c = GetParam();
    std::vector<std::optional<std::string>> lines;
    const std::string output = runPiped(c.answers, [&](TerminalConsole& console) {
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            lines.push_back(console.readLine());
        }
    });
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(output, c.output);
}

const std::optional<std::string> noLine = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    TerminalConsole, PipedLines,
    testing::Values(LineCase{"plain", "abc\n", {"abc", noLine}, "abc\n"}, LineCase{"crlf", "abc\r\n", {"abc"}, "abc\n"},
                    LineCase{"empty", "\n", {""}, "\n"}, LineCase{"lastWithoutLineEnd", "x", {"x", noLine}, "x\n"},
                    LineCase{"nothing", "", {noLine}, ""}, LineCase{"blanksKept", "  a b \n", {"  a b "}, "  a b \n"},
                    LineCase{"several", "one\ntwo\n", {"one", "two", noLine}, "one\ntwo\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(TerminalConsolePipe, keyThenLineReadConsecutiveLines) {
    std::optional<int> key;
    std::optional<std::string> line;
    const std::string output = runPiped("a rest\nline\n", [&](TerminalConsole& console) {
        key = console.readKey(true);
        line = console.readLine();
    });
    EXPECT_EQ(key, 'a');
    EXPECT_EQ(line, "line");
    EXPECT_EQ(output, "aline\n");
}

TEST(TerminalConsolePipe, overlongLineIsCutAndTheNextLineIsIntact) {
    const std::string longLine(longestAnswerLine + 5000, 'x');
    std::optional<std::string> first;
    std::optional<std::string> second;
    runPiped(longLine + "\nnext\n", [&](TerminalConsole& console) {
        first = console.readLine();
        second = console.readLine();
    });
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, std::string(longestAnswerLine, 'x'));
    EXPECT_EQ(second, "next");
}

TEST(TerminalConsolePipe, writesNoEscapeSequences) {
    const std::string output = runPiped("", [](TerminalConsole& console) { test::writeEveryColour(console); });
    EXPECT_EQ(output, "見出し\newi\n");
}

TEST(TerminalConsolePipe, colourIsNotAllowedOnAPipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    EXPECT_FALSE(TerminalConsole::colourAllowed(ends[0]));
    EXPECT_FALSE(TerminalConsole::colourAllowed(ends[1]));
    close(ends[0]);
    close(ends[1]);
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

TEST(TerminalConsolePipe, dialogueReadsAsTheScriptedConsolesTranscript) {
    const test::TempDir dir;
    dir.write("model.dff", "x");
    dir.write("model.pmx", "y");
    const std::string folder = pathToUtf8(dir.path());
    const std::string answers = "3x\n\n  .png  .bmp\n" + folder + "/missing.dff\n" + folder + "/model.dff\n" + folder +
                                "/model\nn\n" + folder + "/new\n1.5\nz\n";

    test::ScriptedConsole scripted(answers);
    runDialogue(scripted);
    const std::string output = runPiped(answers, [&](TerminalConsole& console) { runDialogue(console); });

    EXPECT_EQ(output, scripted.plainText());
    EXPECT_NE(output.find("ファイルが見つかりません: " + folder + "/missing.dff\n"), std::string::npos);
    EXPECT_NE(output.find(folder + "/new.pmx\n"), std::string::npos);
    EXPECT_EQ(scripted.answersLeft(), 0u);
}

TEST(TerminalConsolePipe, dialogueEndsCleanlyWhenInputRunsOut) {
    const std::string answers = "3\n\nword\n";
    test::ScriptedConsole scripted(answers);
    runDialogue(scripted);
    const std::string output = runPiped(answers, [&](TerminalConsole& console) { runDialogue(console); });
    EXPECT_EQ(output, scripted.plainText());
    EXPECT_NE(output.find("操作はキャンセルされました\n"), std::string::npos);
}

}  // namespace
}  // namespace zorvek
