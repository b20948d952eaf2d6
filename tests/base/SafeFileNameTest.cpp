// Names read from downloaded files made into file names that stay inside
// the folder chosen, as either system spells paths.

#include "base/SafeFileName.h"

#include "base/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <random>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* label;
    std::string name;
    std::string safe;  // UTF-8
};

std::string repeated(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

class SafeFileName : public ::testing::TestWithParam<NameCase> {};

void expectSafe(const std::string& input);

TEST_P(SafeFileName, StaysOneNameInsideItsFolder) {
    EXPECT_EQ(safeFileName(GetParam().name), GetParam().safe);
    expectSafe(GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SafeFileName,
    ::testing::Values(
        NameCase{"Plain", "body", "body"}, NameCase{"BlankAndDotInside", "sit down.v2", "sit down.v2"},
        NameCase{"Japanese", "体の色", "体の色"},
        // Both systems' separators, and what they lead to.
        NameCase{"ParentFolder", "../zz", "zz"}, NameCase{"ParentFolderWindows", "..\\zz", "zz"},
        NameCase{"ParentsDeep", "../../../etc/passwd", "etc_passwd"}, NameCase{"Absolute", "/tmp/rq", "tmp_rq"},
        NameCase{"AbsoluteWindows", "\\Windows\\x", "Windows_x"}, NameCase{"Drive", "C:\\tex\\body", "tex_body"},
        NameCase{"DriveForwardSlashes", "c:/tex/body", "tex_body"}, NameCase{"DriveRelative", "C:body", "C_body"},
        NameCase{"Unc", "\\\\server\\share\\body", "server_share_body"},
        NameCase{"DevicePath", "\\\\?\\C:\\body", "__C__body"}, NameCase{"Subfolder", "tex/body", "tex_body"},
        NameCase{"MixedSeparators", "a\\b/c", "a_b_c"}, NameCase{"DotsBetween", "a/./../b", "a_b"},
        NameCase{"TrailingSeparator", "body/", "body"}, NameCase{"DoubleSeparator", "a//b", "a_b"},
        NameCase{"DotOnly", ".", "_"}, NameCase{"DotDotOnly", "..", "_"}, NameCase{"SeparatorsOnly", "/\\/", "_"},
        NameCase{"ThreeDots", "...", "___"},
        // What Windows refuses or changes in a name, and what Linux hides.
        NameCase{"Reserved", "<>:\"|?*", "_______"}, NameCase{"Stream", "body:zone", "body_zone"},
        NameCase{"Controls", std::string("a\x01z\x1f\x7f", 5), "a_z__"}, NameCase{"Nul", std::string("a\0b", 3), "a_b"},
        NameCase{"TrailingDots", "body..", "body__"}, NameCase{"TrailingBlanks", "body  ", "body__"},
        NameCase{"LeadingDot", ".hidden", "_hidden"}, NameCase{"Empty", "", "_"},
        NameCase{"DeviceUpper", "CON", "_CON"}, NameCase{"DeviceLower", "aux", "_aux"},
        NameCase{"DeviceWithExtension", "aux.png", "_aux.png"}, NameCase{"DeviceNumbered", "LPT1", "_LPT1"},
        NameCase{"DeviceComNine", "com9", "_com9"}, NameCase{"DeviceBlankBeforeDot", "nul .x", "_nul .x"},
        NameCase{"DeviceConsoleInput", "CONIN$", "_CONIN$"},
        NameCase{"DeviceSuperscript", "COM\xc2\xb9", "_COM\xc2\xb9"}, NameCase{"DeviceAfterFolder", "../con", "_con"},
        NameCase{"NotADevice", "console", "console"}, NameCase{"NotADeviceNumber", "com10", "com10"},
        NameCase{"NotUtf8", "\xe9t\xe9", "_t_"}, NameCase{"CutSequence", "a\xe3\x81", "a__"},
        NameCase{"Long", std::string(300, 'a'), std::string(200, 'a')},
        // The device's "_" still within the length, and no dot left at the end by the cut.
        NameCase{"LongDevice", "con." + std::string(300, 'a'), "_con." + std::string(195, 'a')},
        NameCase{"CutBeforeADot", std::string(199, 'a') + ".png", std::string(199, 'a') + "_"},
        // Cut before a character, never inside one: "あ" is three bytes.
        NameCase{"LongJapanese", repeated("あ", 70), repeated("あ", 66)}),
    [](const auto& info) { return std::string(info.param.label); });

// The rules again, written from what the two systems do, not from the function.
bool isValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = decodeUtf8(text, i, codePoint);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

bool namesADevice(std::string name) {
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "con" || name == "prn" || name == "aux" || name == "nul" || name == "conin$" || name == "conout$") {
        return true;
    }
    const std::string prefix = name.substr(0, 3);
    const std::string rest = name.size() > 3 ? name.substr(3) : "";
    const bool digit = rest.size() == 1 && rest[0] >= '1' && rest[0] <= '9';
    const bool superscript = rest == "\xc2\xb9" || rest == "\xc2\xb2" || rest == "\xc2\xb3";
    return (prefix == "com" || prefix == "lpt") && (digit || superscript);
}

void expectSafe(const std::string& input) {
    const std::string safe = safeFileName(input);
    SCOPED_TRACE(testing::PrintToString(input) + " -> " + testing::PrintToString(safe));
    ASSERT_FALSE(safe.empty());
    EXPECT_LE(safe.size(), 200u);
    EXPECT_TRUE(isValidUtf8(safe));
    for (const char c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_FALSE(byte < 0x20 || byte == 0x7F || std::string_view("/\\<>:\"|?*").find(c) != std::string_view::npos);
    }
    EXPECT_NE(safe.front(), '.');
    EXPECT_NE(safe.back(), '.');
    EXPECT_NE(safe.back(), ' ');
    EXPECT_FALSE(namesADevice(safe));
    EXPECT_EQ(safeFileName(safe), safe);  // nothing left to change
    const fs::path folder = fs::path("chosen") / "folder";
    const fs::path joined = folder / utf8ToPath(safe + ".png");
    EXPECT_EQ(joined.parent_path(), folder);
    EXPECT_EQ(joined.lexically_normal().parent_path(), folder);
    EXPECT_FALSE(utf8ToPath(safe).has_root_name());
    EXPECT_FALSE(utf8ToPath(safe).has_root_directory());
}

// Random bytes, weighted towards the ones that matter to paths.
TEST(SafeFileNameProperty, NoByteStringLeavesTheFolder) {
    static constexpr std::array<char, 12> interesting{'/', '\\', '.', ':', ' ', 'C', 'o', 'n', '\0', '?', 'a', '\xe3'};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> length(0, 24), kind(0, 3), byte(0, 255), pick(0, interesting.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string name;
        for (int n = length(random); n > 0; --n) {
            name += kind(random) == 0 ? static_cast<char>(byte(random))
                                      : interesting[static_cast<std::size_t>(pick(random))];
        }
        expectSafe(name);
        if (HasFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace zorvek
