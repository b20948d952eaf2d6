#include "base/ShiftJis.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zorvek {
namespace {

struct DecodeCase {
    const char* name;
    std::string sjis;
    std::u16string expected;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class FromShiftJis : public testing::TestWithParam<DecodeCase> {};

TEST_P(FromShiftJis, CodePage932Text) {
    EXPECT_EQ(fromShiftJis(GetParam().sjis), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FromShiftJis,
    testing::Values(DecodeCase{"Empty", "", u""}, DecodeCase{"Ascii", "Bip01 L Clavicle", u"Bip01 L Clavicle"},
                    DecodeCase{"AsciiBackslashAndTilde", "a\\b~", u"a\\b~"},
                    DecodeCase{"Nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                    DecodeCase{"Katakana", "\x83\x5A\x83\x93\x83\x5E\x81\x5B", u"センター"},
                    DecodeCase{"MixedName", "\x89\x45\x82\xD0\x82\xB4", u"右ひざ"},
                    DecodeCase{"FullWidthLatin", "\x82\x68\x82\x6A", u"ＩＫ"},
                    DecodeCase{"FullWidthTilde", "\x81\x60", u"～"}, DecodeCase{"HalfWidthKatakana", "\xB1\xB2", u"ｱｲ"},
                    DecodeCase{"NecSpecial", "\x87\x40", u"①"}, DecodeCase{"IbmExtension", "\xFB\xFC", u"髙"},
                    DecodeCase{"NecSelectedIbmExtension", "\xED\x40", u"纊"},
                    DecodeCase{"UserDefinedArea", "\xF0\x40", u"\uE000"},
                    // Bytes that start no character: one U+FFFD each.
                    DecodeCase{"LeadByteAtTheEnd", "ab\x89", u"ab\uFFFD"},
                    DecodeCase{"LeadByteBeforeAnAsciiByte", "\x89 x", u"\uFFFD x"},
                    DecodeCase{"LeadByteBeforeDelete", "\x89\x7F\x89\x45", u"\uFFFD\u007F右"},
                    DecodeCase{"LeadByteBeforeFD", "\x89\xFD", u"\uFFFD\uFFFD"},
                    DecodeCase{"UnassignedPair", "\x85\x40z", u"\uFFFDz"},
                    DecodeCase{"WindowsOnlySingleBytes", "\x80\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

// Every character of the Basic Multilingual Plane that toShiftJis writes
// reads back as itself; those it cannot write stay "?".
TEST(FromShiftJisText, UndoesToShiftJis) {
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c < 0xD800 || c > 0xDFFF) {
            all.push_back(static_cast<char16_t>(c));
        }
    }
    std::u16string expected;
    std::size_t written = 0;
    for (const char16_t c : all) {
        const bool writable = c == u'?' || toShiftJis(std::u16string(1, c)) != "?";
        expected.push_back(writable ? c : u'?');
        written += writable ? 1 : 0;
    }
    EXPECT_EQ(fromShiftJis(toShiftJis(all)), expected);
    // The code page's size: ASCII, half-width katakana and the double-byte characters.
    EXPECT_GT(written, 7000u);
}

}  // namespace
}  // namespace zorvek
