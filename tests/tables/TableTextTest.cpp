#include "tables/TableText.h"

#include "TableTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvek {
namespace {

using test::utf16LeBytes;
using namespace std::string_view_literals;

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> lines;
};

void PrintTo(const DecodeCase& testCase, std::ostream* os) {
    *os << testCase.name;
}

class DecodeTableLines : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTableLines, GivesTheLinesTheTextReaderWouldDeliver) {
    const auto lines = decodeTableLines(GetParam().bytes);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DecodeTableLines,
    ::testing::Values(
        DecodeCase{"Empty", "", {}}, DecodeCase{"MarkOnly", "\xFF\xFE", {}},
        DecodeCase{"MarkIsNotPartOfTheFirstLine", utf16LeBytes(u"#a\nb\n"), {u"#a", u"b"}},
        DecodeCase{"NoMarkIsUtf16Le", utf16LeBytes(u"#a\nb\n", false), {u"#a", u"b"}},
        DecodeCase{"LastLineWithoutLineFeed", utf16LeBytes(u"a\nb"), {u"a", u"b"}},
        DecodeCase{"EmptyLinesKeepTheirPlace", utf16LeBytes(u"\n\na\n"), {u"", u"", u"a"}},
        DecodeCase{"CrLfIsOneLineEnd", utf16LeBytes(u"a\r\n\r\nb\r\n"), {u"a", u"", u"b"}},
        DecodeCase{"CrNotBeforeLfIsText", utf16LeBytes(u"a\rb\r\r\nc\r"), {u"a\rb\r", u"c\r"}},
        DecodeCase{"OddTrailingByteIgnored", utf16LeBytes(u"a\nb") + "\x41", {u"a", u"b"}},
        DecodeCase{"CodeUnitsKeptAsRead", utf16LeBytes(u"左\xD83D\xDE00\xD800\tＩＫ"), {u"左\xD83D\xDE00\xD800\tＩＫ"}},
        DecodeCase{"Utf8Mark",
                   "\xEF\xBB\xBF"
                   "#x\r\n1\t左足\n",
                   {u"#x", u"1\t左足"}},
        DecodeCase{"Utf8MarkWithFourByteSequence", "\xEF\xBB\xBF\xF0\x9F\x98\x80", {u"\xD83D\xDE00"}},
        DecodeCase{"Utf8WithoutMarkIsReadAsUtf16", "ab", {u"\x6261"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeTableLinesRefuses, BigEndianMark) {
    EXPECT_FALSE(decodeTableLines("\xFE\xFF").has_value());
    EXPECT_FALSE(decodeTableLines("\xFE\xFF\x00\x31\x00\x0A"sv).has_value());
}

TEST(IsSkippedTableLine, OnlyEmptyLinesAndHashInTheFirstColumn) {
    EXPECT_TRUE(isSkippedTableLine(u""));
    EXPECT_TRUE(isSkippedTableLine(u"#"));
    EXPECT_TRUE(isSkippedTableLine(u"# 1\t2"));
    EXPECT_FALSE(isSkippedTableLine(u" #"));
    EXPECT_FALSE(isSkippedTableLine(u"\t#"));
    EXPECT_FALSE(isSkippedTableLine(u"\r"));
    EXPECT_FALSE(isSkippedTableLine(u"＃"));
}

}  // namespace
}  // namespace zorvek
