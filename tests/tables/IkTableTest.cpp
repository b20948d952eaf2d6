#include "tables/IkTable.h"

#include "TableTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvek {
namespace {

using test::messageOf;
using test::utf16LeBytes;

// Limits go in degrees and come out as the single-precision product with π/180 rounded to float.
float radians(float degrees) {
    return degrees * 0.0174532924f;
}

// Nine header fields of a row without its name: parent -1, offset (0, 0, 1), target 43, 40 loops, 90 degrees.
const std::u16string header = u"\t-1\t0\t0\t1\t43\t40\t90\t";
const std::u16string zeroLink = u"41\t0\t0\t0\t0\t0\t0";

void expectLinks(const std::vector<IkLink>& links, const std::vector<IkLink>& expected) {
    ASSERT_EQ(links.size(), expected.size());
    for (std::size_t i = 0; i < links.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(links[i].boneId, expected[i].boneId);
        EXPECT_EQ(links[i].lowerLimit, expected[i].lowerLimit);
        EXPECT_EQ(links[i].upperLimit, expected[i].upperLimit);
    }
}

struct LinkCase {
    const char* name;
    std::u16string line;
    std::vector<IkLink> links;
};

void PrintTo(const LinkCase& testCase, std::ostream* os) {
    *os << testCase.name;
}

class IkLinksLoad : public ::testing::TestWithParam<LinkCase> {};

TEST_P(IkLinksLoad, Links) {
    const IkTable table = parseIkTable(utf16LeBytes(GetParam().line));
    ASSERT_EQ(table.size(), 1u);
    expectLinks(table[0].links, GetParam().links);
}

const IkLink link41{41, {}, {}};
const IkLink link42{42, {radians(-180), 0, 0}, {radians(-0.5f), 0, 0}};

INSTANTIATE_TEST_SUITE_P(
    Cases, IkLinksLoad,
    ::testing::Values(
        LinkCase{"CountZeroWithItsTab", u"IK" + header + u"0\t", {}},
        LinkCase{"CountZeroIgnoresTheRest", u"IK" + header + u"0\t" + zeroLink + u"\n", {}},
        LinkCase{"OneLinkToTheEndOfTheLine", u"IK" + header + u"1\t" + zeroLink + u"\n", {link41}},
        LinkCase{"TextAfterTheLastLinkIgnored", u"IK" + header + u"1\t" + zeroLink + u"\tnote\tx\n", {link41}},
        LinkCase{"EmptyFieldAfterTheLastLinkIgnored", u"IK" + header + u"1\t" + zeroLink + u"\t", {link41}},
        LinkCase{"TwoLinksInOrder",
                 u"IK" + header + u"2\t42\t-180\t0\t0\t-0.5\t0\t0\t" + zeroLink + u"\r\n",
                 {link42, link41}},
        LinkCase{"ExtraLinksIgnored", u"IK" + header + u"1\t42\t-180\t0\t0\t-0.5\t0\t0\t" + zeroLink, {link42}},
        LinkCase{"EveryLimitConverted",
                 u"IK" + header + u"1\t7\t1\t2\t3\t4\t5\t57",
                 {{7, {radians(1), radians(2), radians(3)}, {radians(4), radians(5), radians(57)}}}},
        LinkCase{"CountWithPlus", u"IK" + header + u"+1\t" + zeroLink, {link41}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IkTableRows, HeaderFieldsAndRadians) {
    const IkTable table = parseIkTable(utf16LeBytes(u"左足ＩＫ\t+2\t1.5\t-2\t90\t4294967295\t-1\t57\t0\t\n"));
    ASSERT_EQ(table.size(), 1u);
    const IkTableEntry& row = table[0];
    EXPECT_EQ(row.ikName, u"左足ＩＫ");
    EXPECT_EQ(row.parentIk, 2);
    EXPECT_EQ(row.offset, (Vec3{1.5f, -2, 90}));  // offsets stay as written, even 90
    EXPECT_EQ(row.targetBoneId, 4294967295u);
    EXPECT_EQ(row.loopCount, 4294967295u);
    EXPECT_EQ(row.limitAngle, radians(57));
    EXPECT_TRUE(row.links.empty());
}

// π/180 in double precision rounds some products differently; the table must use the float constant.
TEST(IkTableRows, RadiansAreTheSinglePrecisionProduct) {
    const IkTable table =
        parseIkTable(utf16LeBytes(u"IK\t-1\t0\t0\t0\t1\t1\t57\t1\t1\t90\t-180\t114.5916\t229.1831\t-0.5\t57"));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].limitAngle, 57.0f * 0.0174532924f);
    EXPECT_EQ(table[0].links[0].lowerLimit,
              (Vec3{90.0f * 0.0174532924f, -180.0f * 0.0174532924f, 114.5916f * 0.0174532924f}));
    EXPECT_EQ(table[0].links[0].upperLimit,
              (Vec3{229.1831f * 0.0174532924f, -0.5f * 0.0174532924f, 57.0f * 0.0174532924f}));
    EXPECT_NE(table[0].limitAngle, static_cast<float>(57.0 * 3.14159265358979323846 / 180.0));
}

TEST(IkTableRows, IndicesCountDataRowsOnly) {
    const IkTable table = parseIkTable(utf16LeBytes(
        u"# first\n\nA\t-1\t0\t0\t1\t43\t40\t90\t0\t\n# between\n\nB\t0\t0\t-1\t0\t44\t3\t229.1831\t0\t\n"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].ikName, u"A");
    EXPECT_EQ(table[0].parentIk, -1);
    EXPECT_EQ(table[1].ikName, u"B");
    EXPECT_EQ(table[1].parentIk, 0);
    EXPECT_EQ(table[1].targetBoneId, 44u);
}

TEST(IkTableRows, EmptyAndCommentOnlyFilesGiveNoRows) {
    EXPECT_TRUE(parseIkTable("").empty());
    EXPECT_TRUE(parseIkTable(utf16LeBytes(u"")).empty());
    EXPECT_TRUE(parseIkTable(utf16LeBytes(u"# name\tparent\n\r\n#\n")).empty());
}

TEST(IkTableRows, EncodingsAsTheBoneTable) {
    const std::string utf8 = "\xEF\xBB\xBF#\r\n右足ＩＫ\t-1\t0\t0\t1\t53\t40\t114.5916\t0\t\r\n";
    const IkTable fromUtf8 = parseIkTable(utf8);
    ASSERT_EQ(fromUtf8.size(), 1u);
    EXPECT_EQ(fromUtf8[0].ikName, u"右足ＩＫ");
    const IkTable noMark = parseIkTable(utf16LeBytes(u"右足ＩＫ\t-1\t0\t0\t1\t53\t40\t114.5916\t0\t", false));
    ASSERT_EQ(noMark.size(), 1u);
    EXPECT_EQ(noMark[0].ikName, u"右足ＩＫ");
    EXPECT_EQ(messageOf([] { parseIkTable("\xFE\xFF"); }), "iks.datを開けませんでした");
}

struct FailCase {
    const char* name;
    std::u16string text;
    std::string message;
};

void PrintTo(const FailCase& testCase, std::ostream* os) {
    *os << testCase.name;
}

class IkTableFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(IkTableFails, WithTheMessage) {
    EXPECT_EQ(messageOf([] { parseIkTable(utf16LeBytes(GetParam().text)); }), GetParam().message);
}

const std::string missing1 = "iks.txt 行1: 要素が足りません";
const std::string token1 = "iks.txt 行1: 不正なトークンが含まれています (" + test::lexicalCastDescription + ")";

INSTANTIATE_TEST_SUITE_P(
    Cases, IkTableFails,
    ::testing::Values(
        FailCase{"CountAtTheEndOfTheLine", u"IK" + header + u"0", missing1},
        FailCase{"CountAtTheEndAfterCommentsAndEmptyLines", u"#\n\n#\r\nIK" + header + u"0\r\n",
                 "iks.txt 行4: 要素が足りません"},
        FailCase{"NoTabs", u"IK\n", missing1},
        FailCase{"LastLinkMissingALimit", u"IK" + header + u"1\t41\t0\t0\t0\t0\t0", missing1},
        FailCase{"LinkBeforeTheLastShortOfFields", u"IK" + header + u"2\t41\t0\t0", missing1},
        FailCase{"LinkBeforeTheLastWithoutItsEndingTab", u"IK" + header + u"2\t" + zeroLink, missing1},
        FailCase{"SecondLinkMissing", u"IK" + header + u"2\t" + zeroLink + u"\t", missing1},
        FailCase{"NegativeCount", u"IK" + header + u"-1\t" + zeroLink, missing1},
        FailCase{"LargestCount", u"IK" + header + u"2147483647\t" + zeroLink + u"\t" + zeroLink, missing1},
        FailCase{"CountBeyond32Bits", u"IK" + header + u"2147483648\t" + zeroLink, token1},
        FailCase{"FractionalCount", u"IK" + header + u"1.0\t" + zeroLink, token1},
        FailCase{"EmptyCount", u"IK" + header + u"\t" + zeroLink, token1},
        FailCase{"BadParent", u"IK\tnone\t0\t0\t1\t43\t40\t90\t0\t", token1},
        FailCase{"ParentWithLeadingBlank", u"IK\t -1\t0\t0\t1\t43\t40\t90\t0\t", token1},
        FailCase{"EmptyOffset", u"IK\t-1\t0\t\t1\t43\t40\t90\t0\t", token1},
        FailCase{"TargetOfTwoToThe32", u"IK\t-1\t0\t0\t1\t4294967296\t40\t90\t0\t", token1},
        FailCase{"InfiniteLimitAngle", u"IK\t-1\t0\t0\t1\t43\t40\tinf\t0\t", token1},
        FailCase{"BadLinkBoneId", u"IK" + header + u"1\tx\t0\t0\t0\t0\t0\t0", token1},
        FailCase{"BadLastLimit", u"IK" + header + u"1\t41\t0\t0\t0\t0\t0\t0 ", token1},
        FailCase{"NanLimit", u"IK" + header + u"1\t41\t0\tnan\t0\t0\t0\t0", token1},
        // Fields are read in order, so a bad earlier link is reported before the missing later one.
        FailCase{"BadLinkBeforeMissingLinks", u"IK" + header + u"3\tx\t0\t0\t0\t0\t0\t0\t", token1},
        FailCase{"ErrorOnALaterRow", u"A" + header + u"0\t\nB" + header + u"1\t41\n", "iks.txt 行2: 要素が足りません"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadIkTable, ReadsIksDatFromTheFolder) {
    test::TempDir folder;
    folder.write("iks.dat",
                 utf16LeBytes(u"#\r\n左つま先ＩＫ\t0\t0\t-1\t0\t44\t3\t229.1831\t1\t43\t0\t0\t0\t0\t0\t0\r\n"));
    const IkTable table = loadIkTable(folder.path());
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].ikName, u"左つま先ＩＫ");
    EXPECT_EQ(table[0].targetBoneId, 44u);
    expectLinks(table[0].links, {{43, {}, {}}});
}

TEST(LoadIkTable, MissingFileCannotBeOpened) {
    test::TempDir folder;
    folder.write("bones.dat", utf16LeBytes(u""));
    EXPECT_EQ(messageOf([&] { loadIkTable(folder.path()); }), "iks.datを開けませんでした");
}

}  // namespace
}  // namespace zorvek
