// Keys as the Windows console hands them out, and keys from piped answer lines.
#include "console/Console.h"
#include "console/windows/WindowsKeys.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace zorvek {
namespace {

struct CodesCase {
    const char* name;
    std::vector<std::uint32_t> codes;
    std::optional<int> key;
    std::string echo;
    std::size_t codesTaken;
};

void PrintTo(const CodesCase& c, std::ostream* out) {
    *out << c.name;
}

class ConsoleCodes : public testing::TestWithParam<CodesCase> {};

TEST_P(ConsoleCodes, makeOneKey) {
    const CodesCase& c = GetParam();
    std::size_t taken = 0;
    const std::optional<WindowsKey> key =
        keyFromConsoleCodes([&] { return taken < c.codes.size() ? c.codes[taken++] : noMoreCodes; });
    ASSERT_EQ(key.has_value(), c.key.has_value());
    if (key) {
        EXPECT_EQ(key->code, *c.key);
        EXPECT_EQ(key->echo, c.echo);
    }
    EXPECT_EQ(taken, c.codesTaken);
}

const std::optional<int> endOfInput = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    WindowsKeys, ConsoleCodes,
    testing::Values(CodesCase{"letter", {'a', 'b'}, 'a', "a", 1}, CodesCase{"digit", {'4'}, '4', "4", 1},
                    CodesCase{"upArrowIsOneKey", {0xE0, 0x48, 'x'}, nonCharacterKey, "", 2},
                    // The scan codes of these keys are 'Q' and 'D', which the menu would take.
                    CodesCase{"pageDownIsNotQuit", {0xE0, 'Q'}, nonCharacterKey, "", 2},
                    CodesCase{"f10IsNotConvert", {0x00, 'D'}, nonCharacterKey, "", 2},
                    CodesCase{"f1", {0x00, 0x3B}, nonCharacterKey, "", 2}, CodesCase{"enter", {'\r'}, '\r', "", 1},
                    CodesCase{"escapeShowsNothing", {0x1B}, 0x1B, "", 1},
                    CodesCase{"backspaceShowsNothing", {0x08}, 0x08, "", 1},
                    CodesCase{"ctrlCIsItsOwnKey", {0x03, 'q'}, ctrlCKey, "", 1},
                    CodesCase{"ctrlZEndsInput", {0x1A}, endOfInput, "", 1},
                    CodesCase{"nothingMore", {}, endOfInput, "", 0}, CodesCase{"japanese", {0x3042}, 0x3042, "あ", 1},
                    CodesCase{"accentedLetter", {0xE9}, 0xE9, "\xc3\xa9", 1},
                    CodesCase{"surrogatePair", {0xD83D, 0xDE00}, 0x1F600, "\xf0\x9f\x98\x80", 2},
                    CodesCase{"halfAPairShowsNothing", {0xD83D, 'a'}, 0xD83D, "", 2},
                    CodesCase{"strayLowSurrogate", {0xDE00}, 0xDE00, "", 1},
                    CodesCase{"c1ControlShowsNothing", {0x85}, 0x85, "", 1}),
    [](const testing::TestParamInfo<CodesCase>& info) { return info.param.name; });

TEST(ConsoleCodes, anArrowBetweenTwoKeysLeavesTheSecondKeyIntact) {
    std::deque<std::uint32_t> codes{'x', 0xE0, 0x50, '4'};
    const auto next = [&] {
        const std::uint32_t code = codes.empty() ? noMoreCodes : codes.front();
        if (!codes.empty()) {
            codes.pop_front();
        }
        return code;
    };
    std::vector<int> keys;
    while (const std::optional<WindowsKey> key = keyFromConsoleCodes(next)) {
        keys.push_back(key->code);
    }
    EXPECT_EQ(keys, (std::vector<int>{'x', nonCharacterKey, '4'}));
}

struct LineCase {
    const char* name;
    std::string line;
    int code;
    std::string echo;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class PipedLineKeys : public testing::TestWithParam<LineCase> {};

TEST_P(PipedLineKeys, areTheFirstCharacter) {
    const WindowsKey key = keyFromPipedLine(GetParam().line);
    EXPECT_EQ(key.code, GetParam().code);
    EXPECT_EQ(key.echo, GetParam().echo);
}

INSTANTIATE_TEST_SUITE_P(WindowsKeys, PipedLineKeys,
                         testing::Values(LineCase{"restOfLineDropped", "abc", 'a', "a"},
                                         LineCase{"emptyLineIsEnter", "", '\r', ""},
                                         LineCase{"twoByteCharacter", "\xc3\xa9!", 0xE9, "\xc3\xa9"},
                                         LineCase{"threeByteCharacter", "日本", 0x65E5, "日"},
                                         LineCase{"fourByteCharacter", "\xf0\x9f\x98\x80", 0x1F600, "\xf0\x9f\x98\x80"},
                                         LineCase{"invalidByteNotEchoed", "\xff", 0xFF, ""},
                                         LineCase{"cutSequenceIsItsFirstByte", "\xe6\x97", 0xE6, ""},
                                         LineCase{"encodedSurrogateIsItsFirstByte", "\xed\xa0\x80", 0xED, ""},
                                         LineCase{"controlCharacterNotEchoed", "\t", '\t', ""},
                                         LineCase{"spaceIsEchoed", " x", ' ', " "}),
                         [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek
