#include "base/FileIo.h"
#include "support/ExpectError.h"

#include "base/UserMessageError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;

std::size_t entriesIn(const TempDir& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()));
}

TEST(WriteFileAtomically, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempDir folder;
    folder.write("out.bin", std::string_view("old contents"));
    const Bytes bytes{1, 2, 3, 0x1A, '\r', '\n'};
    writeFileAtomically(folder / "out.bin", bytes);
    EXPECT_EQ(readBytes(folder / "out.bin"), bytes);
    EXPECT_EQ(entriesIn(folder), 1u);
}

TEST(WriteFileAtomically, AMissingFolderIsAnErrorAndCreatesNothing) {
    TempDir folder;
    EXPECT_USER_ERROR(writeFileAtomically(folder / "missing" / "out.bin", Bytes{1}), "ファイルを開けませんでした");
    EXPECT_EQ(entriesIn(folder), 0u);
}

struct PatchCase {
    const char* name;
    std::string source;  // what the source file holds when the copy is made; "-" for no source file
};

class WritePatchedCopy : public ::testing::TestWithParam<PatchCase> {};

TEST_P(WritePatchedCopy, GivesExactlyTheBytes) {
    TempDir folder;
    const Bytes original{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    Bytes patched = original;
    patched[1] = 'X';
    patched[5] = 'Y';
    patched[6] = 'Z';
    const std::vector<ByteRange> changed{{1, 1}, {5, 2}};
    const fs::path source = folder / "source.bin";
    if (GetParam().source != "-") {
        folder.write("source.bin", std::string_view(GetParam().source));
    }
    writePatchedCopyAtomically(folder / "out.bin", source, patched, changed);
    EXPECT_EQ(readBytes(folder / "out.bin"), patched);
}

INSTANTIATE_TEST_SUITE_P(Sources, WritePatchedCopy,
                         ::testing::Values(PatchCase{"Unchanged", "abcdefgh"},
                                           PatchCase{"SourceGrewSinceRead", "abcdefghij"},
                                           PatchCase{"SourceShrankSinceRead", "abc"},
                                           PatchCase{"SourceRemovedSinceRead", "-"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek
