#include "base/ShiftJis.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zorvek {
namespace {

struct EncodeCase {
    const char* name;
    std::u16string text;
    std::string expected;  // code page 932 bytes
    friend void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }
};

class ToShiftJis : public testing::TestWithParam<EncodeCase> {};

TEST_P(ToShiftJis, CodePage932Bytes) {
    EXPECT_EQ(toShiftJis(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToShiftJis,
    testing::Values(EncodeCase{"Empty", u"", ""}, EncodeCase{"Ascii", u"Bip01 L Clavicle", "Bip01 L Clavicle"},
                    // 0x5C and 0x7E stay themselves, as Windows keeps them.
                    EncodeCase{"AsciiBackslashAndTilde", u"a\\b~", "a\\b~"},
                    EncodeCase{"Hiragana", u"ひざ", "\x82\xD0\x82\xB4"},
                    EncodeCase{"Katakana", u"センター", "\x83\x5A\x83\x93\x83\x5E\x81\x5B"},
                    EncodeCase{"Kanji", u"右上半身", "\x89\x45\x8F\xE3\x94\xBC\x90\x67"},
                    EncodeCase{"MixedName", u"右ひざ", "\x89\x45\x82\xD0\x82\xB4"},
                    EncodeCase{"FullWidthLatin", u"ＩＫ", "\x82\x68\x82\x6A"},
                    EncodeCase{"FullWidthTilde", u"～", "\x81\x60"}, EncodeCase{"HalfWidthKatakana", u"ｱｲ", "\xB1\xB2"},
                    // Microsoft's additions to the code page: NEC specials and IBM extensions.
                    EncodeCase{"NecSpecial", u"①", "\x87\x40"}, EncodeCase{"IbmExtension", u"髙", "\xFB\xFC"},
                    EncodeCase{"NoPlaceLatin", u"café", "caf?"}, EncodeCase{"NoPlaceEuro", u"€1", "?1"},
                    // Look-alikes that glibc would write as another character's bytes.
                    EncodeCase{"WaveDash", u"〜", "?"}, EncodeCase{"YenSign", u"¥", "?"},
                    EncodeCase{"MinusSign", u"−", "?"},
                    // Single bytes that only Windows gives them, outside Shift-JIS.
                    EncodeCase{"C1Control", u"\u0080", "?"}, EncodeCase{"PrivateUse", u"\uF8F0\uF8F3", "??"},
                    EncodeCase{"SurrogatePairIsOneCharacter", u"a\U0001F600b", "a?b"},
                    EncodeCase{"LoneHighSurrogate", std::u16string{u'\xD83D', u'a'}, "?a"},
                    EncodeCase{"HighSurrogateAtTheEnd", std::u16string{u'a', u'\xD83D'}, "a?"},
                    EncodeCase{"LoneLowSurrogate", std::u16string{u'\xDE00'}, "?"},
                    EncodeCase{"SurrogatesInTheWrongOrder", std::u16string{u'\xDE00', u'\xD83D'}, "??"}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

struct CutCase {
    const char* name;
    std::string sjis;
    std::size_t maxBytes;
    std::string expected;
    friend void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }
};

class CutShiftJis : public testing::TestWithParam<CutCase> {};

TEST_P(CutShiftJis, EndsOnACharacter) {
    EXPECT_EQ(cutShiftJis(GetParam().sjis, GetParam().maxBytes), GetParam().expected);
}

// 右ひざ is 89 45 82 D0 82 B4.
INSTANTIATE_TEST_SUITE_P(
    Cases, CutShiftJis,
    testing::Values(CutCase{"Empty", "", 15, ""}, CutCase{"ShortAscii", "abc", 15, "abc"},
                    CutCase{"AsciiAtTheLimit", "Bip01 L Clavicle", 15, "Bip01 L Clavicl"},
                    CutCase{"WholeCharacters", "\x89\x45\x82\xD0\x82\xB4", 6, "\x89\x45\x82\xD0\x82\xB4"},
                    CutCase{"InsideTheLastCharacter", "\x89\x45\x82\xD0\x82\xB4", 5, "\x89\x45\x82\xD0"},
                    CutCase{"AfterAnAsciiByte", "a\x89\x45", 2, "a"}, CutCase{"NothingFits", "\x89\x45", 1, ""},
                    CutCase{"ZeroBytes", "abc", 0, ""},
                    // Half-width katakana are one byte each, though above 0xA0.
                    CutCase{"HalfWidthKatakana", "\xB1\xB2\xB3", 2, "\xB1\xB2"},
                    CutCase{"HighLeadByte", "a\xFB\xFC", 2, "a"},
                    // A lead byte whose trail byte is missing is half a character too.
                    CutCase{"LeadByteWithoutTrail", "ab\x89", 15, "ab"}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.name; });

// Every byte value: the lead bytes 81-9F and E0-FC take the next byte with
// them, all other bytes stand alone.
TEST(CutShiftJisBytes, LeadBytesKeepTheirTrailByte) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        const std::string text{static_cast<char>(byte), '\x40', 'z'};
        EXPECT_EQ(cutShiftJis(text, 1), lead ? std::string() : text.substr(0, 1)) << "byte " << byte;
        EXPECT_EQ(cutShiftJis(text, 2), text.substr(0, 2)) << "byte " << byte;
    }
}

}  // namespace
}  // namespace zorvek
