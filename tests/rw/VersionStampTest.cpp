#include "RwTestSupport.h"
#include "rw/Section.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

struct StampCase {
    const char* label;
    std::uint32_t stamp;
    std::uint32_t version;  // worked out by hand from the stamp's bit fields
    bool dff;
    bool anyRw3;
};

const StampCase stampCases[] = {
    {"San Andreas 3.6.0.3", 0x1803FFFF, 0x36003, true, true},
    {"Vice City 3.4.0.3", 0x1003FFFF, 0x34003, false, true},
    {"Vice City 3.4.0.5", 0x1005FFFF, 0x34005, false, true},
    {"GTA III 3.3.0.2", 0x0C02FFFF, 0x33002, false, true},
    {"GTA III 3.2.0.0", 0x0800FFFF, 0x32000, false, true},
    {"a build other than 0xFFFF", 0x1803002A, 0x36003, false, true},
    {"3.7.0.2, the last 3.x", 0x1C020037, 0x37002, false, true},
    {"old style 3.1.0", 0x00000310, 0x31000, false, true},
    {"old style 3.1.4", 0x00000314, 0x31400, false, true},
    {"old style 3.0.0", 0x00000300, 0x30000, false, true},
    {"3.8 is past RenderWare 3", 0x2000FFFF, 0x38000, false, false},
    {"old style 2.x", 0x000002FF, 0x2FF00, false, false},
    {"old style 4.0", 0x00000400, 0x40000, false, false},
    {"zero", 0x00000000, 0x00000, false, false},
};

TEST(VersionStamp, DecodesAndAcceptsPerRule) {
    for (const StampCase& testCase : stampCases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(libraryVersionOfStamp(testCase.stamp), testCase.version);
        EXPECT_EQ(stampAccepted(StampRule::Dff, testCase.stamp), testCase.dff);
        EXPECT_EQ(stampAccepted(StampRule::AnyRw3, testCase.stamp), testCase.anyRw3);
    }
}

TEST(VersionStamp, TheInputsRuleDecidesWhetherASectionOpens) {
    for (const StampCase& testCase : stampCases) {
        SCOPED_TRACE(testCase.label);
        Chunk chunk = structChunk({1, 2, 3, 4});
        chunk.version = testCase.stamp;
        const Bytes file = serialize(chunk);
        for (const StampRule rule : {StampRule::Dff, StampRule::AnyRw3}) {
            const bool accepted = rule == StampRule::Dff ? testCase.dff : testCase.anyRw3;
            SectionInput input(file, rule);
            const std::string error = userErrorOf([&] { Section<SectionType::Struct> section(input); });
            EXPECT_EQ(error, accepted ? "(no error)" : "不明なRW Version IDです");
        }
    }
}

TEST(VersionStamp, ReadU16AndViewsStayInsideTheSection) {
    const Bytes file = serialize(structChunk({0x34, 0x12, 7, 8, 9}));
    SectionInput input(file);
    const Section<SectionType::Struct> section(input);
    EXPECT_EQ(input.readU16(), 0x1234);
    const auto view = input.readView(2);
    EXPECT_EQ(Bytes(view.begin(), view.end()), (Bytes{7, 8}));
    EXPECT_EQ(userErrorOf([&] { input.readView(2); }), "ファイルが壊れています (Struct)");
    EXPECT_EQ(userErrorOf([&] { input.readU16(); }), "ファイルが壊れています (Struct)");
    EXPECT_EQ(input.readU8(), 9);
}

}  // namespace
}  // namespace zorvek::test
