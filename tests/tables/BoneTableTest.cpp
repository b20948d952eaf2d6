#include "tables/BoneTable.h"

#include "TableTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvek {
namespace {

using test::messageOf;
using test::utf16LeBytes;

struct BoneRow {
    std::uint32_t boneId;
    std::u16string infoName;
    std::u16string mmdName;
    Vec3 direction;
};

void expectRows(const BoneTable& table, const std::vector<BoneRow>& rows) {
    ASSERT_EQ(table.size(), rows.size());
    auto entry = table.entries().begin();
    for (const BoneRow& row : rows) {
        SCOPED_TRACE(row.boneId);
        EXPECT_EQ(entry->first, row.boneId);
        EXPECT_EQ(entry->second.boneId, row.boneId);
        EXPECT_EQ(entry->second.infoName, row.infoName);
        EXPECT_EQ(entry->second.mmdName, row.mmdName);
        EXPECT_EQ(entry->second.direction, row.direction);
        ++entry;
    }
}

struct LoadCase {
    const char* name;
    std::string bytes;
    std::vector<BoneRow> rows;  // ascending by id
};

void PrintTo(const LoadCase& testCase, std::ostream* os) {
    *os << testCase.name;
}

class BoneTableLoads : public ::testing::TestWithParam<LoadCase> {};

TEST_P(BoneTableLoads, Rows) {
    expectRows(parseBoneTable(GetParam().bytes), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoneTableLoads,
    ::testing::Values(
        LoadCase{"EmptyFile", "", {}}, LoadCase{"MarkOnly", utf16LeBytes(u""), {}},
        LoadCase{"CommentsAndEmptyLinesOnly", utf16LeBytes(u"# id\tname\n\n#\t\t\t\t\t\n\n"), {}},
        LoadCase{"ExactlyFiveTabs",
                 utf16LeBytes(u"5\tHead\t頭\t0\t0.9975\t-0.0702\n"),
                 {{5, u"Head", u"頭", {0, 0.9975f, -0.0702f}}}},
        LoadCase{"EmptyNames", utf16LeBytes(u"1\t\t\t0\t0\t1\n"), {{1, u"", u"", {0, 0, 1}}}},
        LoadCase{"NamesKeepBlanksAndCodeUnits",
                 utf16LeBytes(u"2\t L Brow \t左人指１\xD83D\xDE00\t1\t2\t3"),
                 {{2, u" L Brow ", u"左人指１\xD83D\xDE00", {1, 2, 3}}}},
        LoadCase{"FirstRowWithAnIdWins",
                 utf16LeBytes(u"7\tfirst\ta\t1\t0\t0\n7\tsecond\tb\t0\t1\t0\n"),
                 {{7, u"first", u"a", {1, 0, 0}}}},
        LoadCase{"SameIdWrittenDifferently",
                 utf16LeBytes(u"+7\tfirst\ta\t1\t0\t0\n007\tsecond\tb\t0\t1\t0\n"),
                 {{7, u"first", u"a", {1, 0, 0}}}},
        LoadCase{"MinusOneWrapsToTheLargestId",
                 utf16LeBytes(u"-1\ta\tb\t0\t0\t1\n4294967295\tc\td\t1\t1\t1\n"),
                 {{4294967295u, u"a", u"b", {0, 0, 1}}}},
        LoadCase{"OrderedByUnsignedId",
                 utf16LeBytes(u"302\ta\t\t1\t0\t0\n0\tb\t\t0\t1\t0\n21\tc\t\t0\t0\t1\n"),
                 {{0, u"b", u"", {0, 1, 0}}, {21, u"c", u"", {0, 0, 1}}, {302, u"a", u"", {1, 0, 0}}}},
        LoadCase{"FloatForms", utf16LeBytes(u"3\ta\tb\t+1.5\t-.25\t2e-1\n"), {{3, u"a", u"b", {1.5f, -0.25f, 0.2f}}}},
        LoadCase{"MarkBeforeAComment", utf16LeBytes(u"#\t\t\n1\ta\tb\t0\t0\t1\n"), {{1, u"a", u"b", {0, 0, 1}}}},
        LoadCase{"NoMark", utf16LeBytes(u"1\ta\tb\t0\t0\t1\n", false), {{1, u"a", u"b", {0, 0, 1}}}},
        LoadCase{"LastLineWithoutLineEnd",
                 utf16LeBytes(u"1\ta\tb\t0\t0\t1\n2\tc\td\t1\t0\t0"),
                 {{1, u"a", u"b", {0, 0, 1}}, {2, u"c", u"d", {1, 0, 0}}}},
        LoadCase{"CrLfLineEnds", utf16LeBytes(u"# c\r\n1\ta\tb\t0\t0\t1\r\n"), {{1, u"a", u"b", {0, 0, 1}}}},
        LoadCase{"Utf8WithMark",
                 "\xEF\xBB\xBF# c\r\n8\tJaw\tあご\t0\t-0.4229\t-0.9062\r\n",
                 {{8, u"Jaw", u"あご", {0, -0.4229f, -0.9062f}}}},
        LoadCase{"OddTrailingByte", utf16LeBytes(u"1\ta\tb\t0\t0\t1") + "\x0A", {{1, u"a", u"b", {0, 0, 1}}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailCase {
    const char* name;
    std::string bytes;
    std::string message;
};

void PrintTo(const FailCase& testCase, std::ostream* os) {
    *os << testCase.name;
}

class BoneTableFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(BoneTableFails, WithTheMessage) {
    EXPECT_EQ(messageOf([] { parseBoneTable(GetParam().bytes); }), GetParam().message);
}

std::string tokenError(int line, const std::string& target) {
    return "bones.txt 行" + std::to_string(line) + ": 不正なトークンが含まれています (" + test::lexicalCastDescription +
           ": " + test::wideStringTypeName + "->" + target + ")";
}

const std::string idError = tokenError(1, "unsigned int");
const std::string floatError = tokenError(1, "float");

INSTANTIATE_TEST_SUITE_P(
    Cases, BoneTableFails,
    ::testing::Values(FailCase{"BigEndianMark", "\xFE\xFF", "bones.datを開けませんでした"},
                      FailCase{"FourTabsAfterCommentAndEmptyLine", utf16LeBytes(u"# c\n\n1\ta\tb\t0\t0\n"),
                               "bones.txt 行3: 要素が足りません"},
                      FailCase{"NoTabs", utf16LeBytes(u"1"), "bones.txt 行1: 要素が足りません"},
                      FailCase{"BlanksBeforeHashMakeADataLine", utf16LeBytes(u"1\ta\tb\t0\t0\t1\n  # note\n"),
                               "bones.txt 行2: 要素が足りません"},
                      FailCase{"LineNumbersCountCrLfLines", utf16LeBytes(u"#\r\n\r\n1\ta\tb\t0\t0\t1\r\n\r\n1\ta\r\n"),
                               "bones.txt 行5: 要素が足りません"},
                      FailCase{"SixthTab", utf16LeBytes(u"1\ta\tb\t0\t0\t1\t\n"), floatError},
                      FailCase{"TextAfterSixthTab", utf16LeBytes(u"1\ta\tb\t0\t0\t1\tnote\n"), floatError},
                      FailCase{"EmptyId", utf16LeBytes(u"\ta\tb\t0\t0\t1\n"), idError},
                      FailCase{"EmptyDirectionField", utf16LeBytes(u"1\ta\tb\t\t0\t1\n"), floatError},
                      FailCase{"IdOfTwoToThe32", utf16LeBytes(u"4294967296\ta\tb\t0\t0\t1\n"), idError},
                      FailCase{"IdWithLeadingBlank", utf16LeBytes(u" 1\ta\tb\t0\t0\t1\n"), idError},
                      FailCase{"IdWithTrailingBlank", utf16LeBytes(u"1 \ta\tb\t0\t0\t1\n"), idError},
                      FailCase{"FractionalId", utf16LeBytes(u"1.0\ta\tb\t0\t0\t1\n"), idError},
                      FailCase{"FloatWithTrailingBlank", utf16LeBytes(u"1\ta\tb\t0\t0 \t1\n"), floatError},
                      FailCase{"FullWidthDigit", utf16LeBytes(u"1\ta\tb\t0\t１\t1\n"), floatError},
                      FailCase{"CrBeforeTheEndOfFileStaysInZ", utf16LeBytes(u"1\ta\tb\t0\t0\t1\r"), floatError},
                      FailCase{"InfinityIsNoDirection", utf16LeBytes(u"1\ta\tb\tinf\t0\t1\n"), floatError},
                      FailCase{"NanIsNoDirection", utf16LeBytes(u"1\ta\tb\t0\t0\tnan\n"), floatError},
                      FailCase{"FloatOutOfRange", utf16LeBytes(u"1\ta\tb\t1e39\t0\t1\n"), floatError},
                      FailCase{"IdReportedBeforeDirection", utf16LeBytes(u"x\ta\tb\ty\t0\t1\n"), idError},
                      FailCase{"ErrorAfterGoodRows",
                               utf16LeBytes(u"1\ta\tb\t0\t0\t1\n2\ta\tb\t0\t0\t1\n3\ta\tb\t0\tz\t1\n"),
                               tokenError(3, "float")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadBoneTable, ReadsBonesDatFromTheFolder) {
    test::TempDir folder;
    folder.write("bones.dat", utf16LeBytes(u"#\n41\tL Thigh\t左足\t0\t-1\t0\r\n"));
    expectRows(loadBoneTable(folder.path()), {{41, u"L Thigh", u"左足", {0, -1, 0}}});
}

TEST(LoadBoneTable, MissingFileCannotBeOpened) {
    test::TempDir folder;
    folder.write("iks.dat", utf16LeBytes(u""));
    EXPECT_EQ(messageOf([&] { loadBoneTable(folder.path()); }), "bones.datを開けませんでした");
}

TEST(LoadBoneTable, FolderNamedBonesDatCannotBeOpened) {
    test::TempDir folder;
    std::filesystem::create_directory(folder / "bones.dat");
    EXPECT_EQ(messageOf([&] { loadBoneTable(folder.path()); }), "bones.datを開けませんでした");
}

TEST(LoadBoneTable, ParseErrorsPassThrough) {
    test::TempDir folder;
    folder.write("bones.dat", utf16LeBytes(u"1\ta\n"));
    EXPECT_EQ(messageOf([&] { loadBoneTable(folder.path()); }), "bones.txt 行1: 要素が足りません");
}

}  // namespace
}  // namespace zorvek
