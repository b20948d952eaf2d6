#include "image/ImageFormat.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

struct ExtensionCase {
    const char* extension;
    std::optional<ImageFormat> format;
};

const ExtensionCase extensionCases[] = {
    {".png", ImageFormat::Png}, {".PNG", ImageFormat::Png}, {".Png", ImageFormat::Png}, {".bmp", ImageFormat::Bmp},
    {".BmP", ImageFormat::Bmp}, {".tga", ImageFormat::Tga}, {".TGA", ImageFormat::Tga}, {"png", std::nullopt},
    {"", std::nullopt},         {".", std::nullopt},        {".jpg", std::nullopt},     {".png ", std::nullopt},
    {" .png", std::nullopt},    {"..png", std::nullopt},    {".pn", std::nullopt},      {"x.png", std::nullopt},
    {".dds", std::nullopt},
};

TEST(ImageFormat, ExtensionsAsTypedWithTheirDotInAnyCase) {
    for (const ExtensionCase& testCase : extensionCases) {
        SCOPED_TRACE(testCase.extension);
        EXPECT_EQ(imageFormatForExtension(testCase.extension), testCase.format);
    }
}

}  // namespace
}  // namespace zorvek::test
