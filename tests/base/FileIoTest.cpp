#include "base/FileIo.h"
#include "support/ExpectError.h"

#include "base/UserMessageError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <span>
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

// Both ways of reading give the file's bytes, whatever its size.
class ReadLargeFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReadLargeFile, HoldsExactlyTheFilesBytes) {
    TempDir folder;
    std::string contents(GetParam(), '\0');
    for (std::size_t i = 0; i < contents.size(); ++i) {
        contents[i] = static_cast<char>(i * 131 + i / 4096);
    }
    const fs::path path = folder.write("model.dff", contents);
    const ByteBlock block = readLargeFile(path);
    EXPECT_EQ(Bytes(block.begin(), block.end()), readBytes(path));
    EXPECT_EQ(readWholeFile(path), readBytes(path));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadLargeFile,
                         ::testing::Values(std::size_t{0}, std::size_t{7}, (std::size_t{3} << 20) + 5));

TEST(ReadLargeFile, WhatCannotBeReadIsRefusedAsByReadWholeFile) {
    TempDir folder;
    for (const fs::path& path : {folder / "missing.dff", folder.path()}) {
        SCOPED_TRACE(path.string());
        try {
            readLargeFile(path);
            FAIL() << "expected an error";
        } catch (const UserMessageError& error) {
            EXPECT_STREQ(error.what(), "ファイルを開けませんでした");
        }
    }
}

// From 8 MiB on, bytes that start on a 4 KiB boundary take another way to
// the disk; every size and start must still arrive exactly.
struct LargeWriteCase {
    const char* name;
    std::size_t size;
    std::size_t start;  // offset of the first byte in a huge-page aligned block
};

class WriteLargeFile : public ::testing::TestWithParam<LargeWriteCase> {};

TEST_P(WriteLargeFile, GivesExactlyTheBytes) {
    TempDir folder;
    folder.write("out.bin", std::string(GetParam().size + 10000, 'x'));
    ByteBlock block(GetParam().start + GetParam().size);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block.data()[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    }
    const std::span<const std::uint8_t> bytes = block.span().subspan(GetParam().start);
    writeFileAtomically(folder / "out.bin", bytes);
    EXPECT_EQ(readBytes(folder / "out.bin"), Bytes(bytes.begin(), bytes.end()));
    EXPECT_EQ(entriesIn(folder), 1u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WriteLargeFile,
                         ::testing::Values(LargeWriteCase{"AlignedWithAShortTail", (std::size_t{8} << 20) + 1463, 0},
                                           LargeWriteCase{"AlignedWholeBlocks", (std::size_t{8} << 20) + 3 * 4096, 0},
                                           LargeWriteCase{"Unaligned", (std::size_t{8} << 20) + 5, 1},
                                           LargeWriteCase{"BelowTheThreshold", (std::size_t{8} << 20) - 1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

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
