// Where a model's texture names lead: found under its folder in any case and
// with either separator, never read outside it.
#include "base/TextEncoding.h"
#include "jobs/ModelImages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

struct LookupCase {
    const char* label;
    std::u16string name;
    ImageLookup lookup;
    const char* found;  // under the model's folder, when found
};

class ModelImageLookup : public ::testing::TestWithParam<LookupCase> {
protected:
    ModelImageLookup() {
        write(model / utf8ToPath("テクスチャ/肌.png"));
        write(model / utf8ToPath("テクスチャ/Sub/Cloth.BMP"));
        write(model / "face.tga");
        // Files the model's names must not reach, though they exist.
        write(folder / "secret.png");
        write(folder / "other" / "x.png");
    }
    static void write(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "image";
    }
    test::TempDir folder;
    fs::path model = folder / "model";
};

TEST_P(ModelImageLookup, FindsOnlyInsideTheModelsFolder) {
    const FoundImage found = findModelImage(model, GetParam().name);
    EXPECT_EQ(found.lookup, GetParam().lookup);
    if (GetParam().lookup == ImageLookup::Found) {
        EXPECT_TRUE(fs::equivalent(found.path, model / utf8ToPath(GetParam().found))) << found.path;
    } else {
        EXPECT_TRUE(found.path.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ModelImageLookup,
    ::testing::Values(
        LookupCase{"Exact", u"テクスチャ/肌.png", ImageLookup::Found, "テクスチャ/肌.png"},
        LookupCase{"Backslashes", u"テクスチャ\\Sub\\Cloth.BMP", ImageLookup::Found, "テクスチャ/Sub/Cloth.BMP"},
        LookupCase{"AnyCase", u"テクスチャ\\SUB\\cloth.bmp", ImageLookup::Found, "テクスチャ/Sub/Cloth.BMP"},
        LookupCase{"DotsThatStayInside", u".\\テクスチャ\\Sub\\..\\肌.PNG", ImageLookup::Found, "テクスチャ/肌.png"},
        LookupCase{"DoubledSeparators", u"テクスチャ//肌.png", ImageLookup::Found, "テクスチャ/肌.png"},
        LookupCase{"Missing", u"テクスチャ/髪.png", ImageLookup::Missing, ""},
        LookupCase{"AFolder", u"テクスチャ", ImageLookup::Missing, ""},
        LookupCase{"MissingFolder", u"none/face.tga", ImageLookup::Missing, ""},
        LookupCase{"Parent", u"../secret.png", ImageLookup::Outside, ""},
        LookupCase{"ParentsBackslashed", u"..\\..\\secret.png", ImageLookup::Outside, ""},
        LookupCase{"OutAndBackIn", u"../model/face.tga", ImageLookup::Outside, ""},
        LookupCase{"DownThenOut", u"テクスチャ/../../other/x.png", ImageLookup::Outside, ""},
        LookupCase{"Absolute", u"/etc/passwd", ImageLookup::Outside, ""},
        LookupCase{"AbsoluteBackslash", u"\\Windows\\win.ini", ImageLookup::Outside, ""},
        LookupCase{"Unc", u"\\\\server\\share\\x.png", ImageLookup::Outside, ""},
        LookupCase{"DriveLetter", u"C:\\Windows\\win.ini", ImageLookup::Outside, ""},
        LookupCase{"DriveRelative", u"C:secret.png", ImageLookup::Outside, ""},
        LookupCase{"Stream", u"face.tga:hidden", ImageLookup::Outside, ""},
        LookupCase{"Control", u"face\n.tga", ImageLookup::Outside, ""},
        LookupCase{"Empty", u"", ImageLookup::Outside, ""}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.label); });

#ifndef _WIN32
// Links are made by archives on Linux; Windows needs rights to make them.
TEST(ModelImageLinks, ALinkLeadingOutsideIsOutsideAndOneInsideIsFollowed) {
    test::TempDir folder;
    const fs::path model = folder / "model";
    fs::create_directories(model / "textures");
    std::ofstream(folder / "secret.png") << "image";
    std::ofstream(model / "textures" / "skin.png") << "image";
    fs::create_symlink(folder / "secret.png", model / "textures" / "hair.png");
    fs::create_directory_symlink(folder.path(), model / "up");
    fs::create_symlink(model / "textures" / "skin.png", model / "face.png");
    EXPECT_EQ(findModelImage(model, u"textures/hair.png").lookup, ImageLookup::Outside);
    EXPECT_EQ(findModelImage(model, u"up/secret.png").lookup, ImageLookup::Outside);
    EXPECT_EQ(findModelImage(model, u"face.png").lookup, ImageLookup::Found);
    EXPECT_EQ(findModelImage(model, u"textures/skin.png").lookup, ImageLookup::Found);
}
#endif

}  // namespace
}  // namespace zorvek
