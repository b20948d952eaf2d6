#include "base/MappedFile.h"
#include "support/ExpectError.h"

#include "base/UserMessageError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvek {
namespace {

using test::readBytes;
using test::TempDir;

struct MappedCase {
    const char* name;
    std::string contents;
};

class MappedFileView : public ::testing::TestWithParam<MappedCase> {};

TEST_P(MappedFileView, HoldsTheBytesAndChangesNeverReachTheFile) {
    TempDir folder;
    const auto path = folder.write("model.dff", std::string_view(GetParam().contents));
    const Bytes before = readBytes(path);
    MappedFile file(path);
    ASSERT_EQ(Bytes(file.bytes().begin(), file.bytes().end()), before);
    for (std::uint8_t& byte : file.bytes()) {
        byte ^= 0xFF;
    }
    EXPECT_EQ(readBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MappedFileView,
                         ::testing::Values(MappedCase{"Empty", ""}, MappedCase{"Small", "abc\0def"},
                                           MappedCase{"SeveralPages", std::string(20000, 'x') + "end"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MappedFile, AMissingFileCannotBeOpened) {
    TempDir folder;
    EXPECT_USER_ERROR(MappedFile file(folder / "missing.dff"), "ファイルを開けませんでした");
}

}  // namespace
}  // namespace zorvek
