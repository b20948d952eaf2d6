// The pieces under the terminal console: UTF-8 keys, the line editor's prompt,
// and the output that hands its current line to the editor.
#include "console/Console.h"
#include "console/terminal/LineEditor.h"
#include "console/terminal/TerminalInput.h"
#include "console/terminal/TerminalKeys.h"
#include "console/terminal/TerminalOutput.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace zorvek {
namespace {

struct CharacterCase {
    const char* name;
    std::string text;
    int code;
    std::size_t length;
    bool valid;
};

void PrintTo(const CharacterCase& c, std::ostream* out) {
    *out << c.name;
}

class FirstCharacter : public testing::TestWithParam<CharacterCase> {};

TEST_P(FirstCharacter, decodes) {
    const CharacterCase& c = GetParam();
    const Utf8Character character = decodeFirstCharacter(c.text);
    EXPECT_EQ(character.code, c.code);
    EXPECT_EQ(character.length, c.length);
    EXPECT_EQ(character.valid, c.valid);
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, FirstCharacter,
                         testing::Values(CharacterCase{"ascii", "ab", 'a', 1, true},
                                         CharacterCase{"twoBytes", "\xc3\xa9", 0xe9, 2, true},
                                         CharacterCase{"threeBytes", "日本", 0x65e5, 3, true},
                                         CharacterCase{"fourBytes", "\xf0\x9f\x98\x80", 0x1f600, 4, true},
                                         CharacterCase{"loneContinuation", "\x80x", 0x80, 1, false},
                                         CharacterCase{"overlongTwoBytes", "\xc0\xaf", 0xc0, 1, false},
                                         CharacterCase{"overlongThreeBytes", "\xe0\x80\xaf", 0xe0, 1, false},
                                         CharacterCase{"surrogate", "\xed\xa0\x80", 0xed, 1, false},
                                         CharacterCase{"beyondUnicode", "\xf4\x90\x80\x80", 0xf4, 1, false},
                                         CharacterCase{"cutShort", "\xe6\x97", 0xe6, 1, false},
                                         CharacterCase{"badContinuation", "\xe6x\x80", 0xe6, 1, false},
                                         CharacterCase{"empty", "", 0, 0, false}),
                         [](const testing::TestParamInfo<CharacterCase>& info) { return info.param.name; });

struct AnswerKeyCase {
    const char* name;
    std::string line;
    int code;
    std::string echo;
};

void PrintTo(const AnswerKeyCase& c, std::ostream* out) {
    *out << c.name;
}

class AnswerKey : public testing::TestWithParam<AnswerKeyCase> {};

TEST_P(AnswerKey, isTheFirstCharacter) {
    const AnswerKeyCase& c = GetParam();
    const KeyPress key = keyFromAnswerLine(c.line);
    EXPECT_EQ(key.code, c.code);
    EXPECT_EQ(key.echo, c.echo);
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, AnswerKey,
                         testing::Values(AnswerKeyCase{"letter", "yes", 'y', "y"}, AnswerKeyCase{"empty", "", '\r', ""},
                                         AnswerKeyCase{"blank", " x", ' ', " "},
                                         AnswerKeyCase{"japanese", "はい", 0x306f, "は"},
                                         AnswerKeyCase{"delete", "\x7f", 0x7f, ""},
                                         AnswerKeyCase{"c1Control", "\xc2\x85", 0x85, ""},
                                         AnswerKeyCase{"escape", "\x1b[A", 0x1b, ""}),
                         [](const testing::TestParamInfo<AnswerKeyCase>& info) { return info.param.name; });

struct PromptCase {
    const char* name;
    std::string prompt;
    std::string expected;
};

void PrintTo(const PromptCase& c, std::ostream* out) {
    *out << c.name;
}

class TypingColour : public testing::TestWithParam<PromptCase> {};

TEST_P(TypingColour, goesBeforeTheLastVisibleCharacter) {
    EXPECT_EQ(promptWithTypingColour(GetParam().prompt, "<C>"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, TypingColour,
                         testing::Values(PromptCase{"plain", "path> ", "path>\1<C>\2 "},
                                         PromptCase{"japaneseLast", "名前は", "名前\1<C>\2は"},
                                         PromptCase{"markedSequenceAtEnd", "a> \1\x1b[0m\2", "a>\1<C>\2 \1\x1b[0m\2"},
                                         PromptCase{"markedSequencesAround", "\1S\2x\1E\2", "\1S\2\1<C>\2x\1E\2"},
                                         PromptCase{"onlyInvisible", "\1\x1b[0m\2", "\1\x1b[0m\2"},
                                         PromptCase{"empty", "", ""}),
                         [](const testing::TestParamInfo<PromptCase>& info) { return info.param.name; });

// A pipe whose written bytes can be collected.
class PipeEnds {
public:
    PipeEnds() {
        EXPECT_EQ(pipe(ends_), 0);
        fcntl(ends_[0], F_SETFL, O_NONBLOCK);
    }
    ~PipeEnds() {
        close(ends_[0]);
        close(ends_[1]);
    }
    int writeEnd() const { return ends_[1]; }
    int readEnd() const { return ends_[0]; }
    std::string written() const {
        std::string bytes;
        char block[4096];
        ssize_t count;
        while ((count = read(ends_[0], block, sizeof block)) > 0) {
            bytes.append(block, static_cast<std::size_t>(count));
        }
        return bytes;
    }

private:
    int ends_[2];
};

TEST(TerminalOutput, handsOverTheUnwrittenLineWithItsColoursMarked) {
    PipeEnds pipe;
    TerminalOutput output(pipe.writeEnd());
    output.write("before\n");
    output.writeInvisible("\x1b[96m");
    output.write("prompt> ");
    EXPECT_EQ(output.takeCurrentLine(), "\1\x1b[96m\2prompt> ");
    EXPECT_EQ(pipe.written(), "before\n");
}

TEST(TerminalOutput, erasesTheShownPartOfTheLineItHandsOver) {
    PipeEnds pipe;
    TerminalOutput output(pipe.writeEnd());
    output.write("ab");
    output.flush();
    output.write("cd");
    EXPECT_EQ(output.takeCurrentLine(), "abcd");
    EXPECT_EQ(pipe.written(), "ab\r\x1b[K");
}

TEST(TerminalOutput, aLineOfOnlyColourChangesNeedsNoErasing) {
    PipeEnds pipe;
    TerminalOutput output(pipe.writeEnd());
    output.write("x\n");
    output.writeInvisible("\x1b[0m");
    output.flush();
    EXPECT_EQ(output.takeCurrentLine(), "\1\x1b[0m\2");
    EXPECT_EQ(pipe.written(), "x\n\x1b[0m");
}

TEST(TerminalOutput, titleIsWrittenAtOnceAndIsNoPartOfTheLine) {
    PipeEnds pipe;
    TerminalOutput output(pipe.writeEnd());
    output.write("p> ");
    output.writeOutOfLine("\x1b]0;T\x07");
    EXPECT_EQ(pipe.written(), "p> \x1b]0;T\x07");
    EXPECT_EQ(output.takeCurrentLine(), "p> ");
    EXPECT_EQ(pipe.written(), "\r\x1b[K");
}

TEST(TerminalOutput, noteLineShownKeepsTheEditorsPromptAsTheLine) {
    PipeEnds pipe;
    TerminalOutput output(pipe.writeEnd());
    output.noteLineShown("p> ");
    output.write("x");
    EXPECT_EQ(output.takeCurrentLine(), "p> x");
    EXPECT_EQ(pipe.written(), "\r\x1b[K");
}

TEST(TerminalInput, peekLeavesTheByteAndTimesOutOnSilence) {
    PipeEnds pipe;
    TerminalInput input(pipe.readEnd(), true);
    EXPECT_EQ(input.peekByteWithin(10), std::nullopt);
    ASSERT_EQ(write(pipe.writeEnd(), "ab", 2), 2);
    EXPECT_EQ(input.peekByteWithin(10), 'a');
    EXPECT_EQ(input.readByteWithin(10), 'a');
    EXPECT_EQ(input.readByte(), 'b');
    EXPECT_EQ(input.readByteWithin(10), std::nullopt);
}

TEST(TerminalInput, readsLinesAfterSingleBytes) {
    PipeEnds pipe;
    TerminalInput input(pipe.readEnd(), true);
    ASSERT_EQ(write(pipe.writeEnd(), "kline\r\nlast", 11), 11);
    EXPECT_EQ(input.readByte(), 'k');
    EXPECT_EQ(input.readLine(), "line");
}

}  // namespace
}  // namespace zorvek
