#include "RwTestSupport.h"
#include "base/LargeArrays.h"
#include "rw/Section.h"
#include "support/PlainArrays.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

#include <array>

namespace zorvek::test {
namespace {

TEST(SectionInput, AReadRunningIntoTheEndCopiesWhatIsThereAndFails) {
    const Bytes file = {1, 2, 3, 4, 5};
    SectionInput input(file);
    input.skip(2);
    std::array<std::uint8_t, 6> buffer;
    buffer.fill(0xAA);
    input.read(buffer.data(), buffer.size());
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 6>{3, 4, 5, 0xAA, 0xAA, 0xAA}));
    EXPECT_TRUE(input.failed());
    EXPECT_TRUE(input.atEnd());

    // A failed stream stays failed: nothing more is read, seeks are ignored.
    buffer.fill(0xBB);
    input.seek(0);
    input.read(buffer.data(), 1);
    EXPECT_EQ(buffer[0], 0xBB);
    EXPECT_EQ(input.tell(), 5u);
    EXPECT_EQ(input.bytesLeftInSection(), 0u);
}

TEST(SectionInput, ReadsOfZeroBytesAndExactReadsLeaveTheStreamGood) {
    const Bytes file = {1, 2, 3, 4};
    SectionInput input(file);
    std::array<std::uint8_t, 4> buffer{};
    input.read(buffer.data(), 4);
    input.read(buffer.data(), 0);
    EXPECT_FALSE(input.failed());
    EXPECT_TRUE(input.atEnd());
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
}

TEST(SectionInput, SkippingPastTheEndLeavesNothingToRead) {
    const Bytes file = {1, 2, 3, 4};
    SectionInput input(file);
    input.skip(0xFFFFFFFF);
    EXPECT_EQ(input.tell(), 0xFFFFFFFFull);
    EXPECT_TRUE(input.atEnd());
    EXPECT_EQ(input.bytesLeftInSection(), 0u);
    std::uint8_t byte = 7;
    input.read(&byte, 1);
    EXPECT_EQ(byte, 7);
    EXPECT_TRUE(input.failed());
}

TEST(SectionInput, TypedValuesAreLittleEndian) {
    const Bytes file = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x9C};
    SectionInput input(file);
    EXPECT_EQ(input.readU32(), 0x12345678u);
    EXPECT_EQ(input.readI32(), -1);
    EXPECT_EQ(input.readF32(), 1.0f);
    EXPECT_EQ(input.readU8(), 0x9C);
    EXPECT_FALSE(input.failed());
}

TEST(SectionInput, ArraysAreCopiedWhole) {
    ByteWriter data;
    data.vec3({1, 2, 3}).vec3({-4, 5.5f, 6});
    const Bytes file = serialize(structChunk(data.take()));
    SectionInput input(file);
    const Section<SectionType::Struct> section(input);
    std::vector<Vec3> values(2);
    input.readArray(std::span(values));
    EXPECT_EQ(values, (std::vector<Vec3>{{1, 2, 3}, {-4, 5.5f, 6}}));
    EXPECT_EQ(input.bytesLeftInSection(), 0u);
}

// Into a vector: what it held is replaced, and values at odd file offsets
// come out as stored.
TEST(SectionInput, ArraysReadIntoAVectorReplaceItsContents) {
    ByteWriter data;
    data.u8(7).vec3({1, 2, 3}).vec3({-4, 5.5f, 6}).u8(8);
    const Bytes file = serialize(structChunk(data.take()));
    SectionInput input(file);
    const Section<SectionType::Struct> section(input);
    EXPECT_EQ(input.readU8(), 7);
    LargeArray<Vec3> values{{9, 9, 9}, {9, 9, 9}, {9, 9, 9}};
    input.readArray(values, 2);
    EXPECT_EQ(plain(values), (std::vector<Vec3>{{1, 2, 3}, {-4, 5.5f, 6}}));
    EXPECT_EQ(input.readU8(), 8);
    input.readArray(values, 0);
    EXPECT_TRUE(values.empty());
}

struct CheckedReadCase {
    const char* label;
    void (*action)(SectionInput&);
};

// Each case stands in a Struct of 6 bytes inside a Clump, with more bytes after it.
TEST(SectionInput, CheckedReadsRefuseAnythingPastTheSection) {
    const std::vector<CheckedReadCase> cases = {
        {"u32 after 4 bytes",
         [](SectionInput& in) {
             in.skipInSection(4);
             in.readU32();
         }},
        {"u8 at the end",
         [](SectionInput& in) {
             in.skipInSection(6);
             in.readU8();
         }},
        {"f32 straddling the end",
         [](SectionInput& in) {
             in.readU8();
             in.readF32();
             in.readF32();
         }},
        {"skip past the end", [](SectionInput& in) { in.skipInSection(7); }},
        {"array longer than the rest",
         [](SectionInput& in) {
             std::vector<std::uint32_t> values(2);
             in.readArray(std::span(values));
         }},
        {"vector longer than the rest",
         [](SectionInput& in) {
             in.skipInSection(1);
             std::vector<std::uint32_t> values;
             in.readArray(values, 2);
         }},
        // Refused before anything is allocated, even where the byte count would overflow.
        {"vector of a count that does not fit",
         [](SectionInput& in) {
             LargeArray<Vec4> values;
             in.readArray(values, 0x1000000000000001ull);
         }},
        {"a count of bytes that does not fit", [](SectionInput& in) { in.requireBytes(0xFFFFFFFFFFull); }},
        {"a negative count", [](SectionInput& in) { in.requireCount(-1); }},
    };
    const Chunk clump = containerChunk(SectionType::Clump, {structChunk(Bytes(6, 1)), structChunk(Bytes(64, 2))});
    const Bytes file = serialize(clump);
    for (const CheckedReadCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        SectionInput input(file);
        const Section<SectionType::Clump> opened(input);
        const Section<SectionType::Struct> data(input);
        EXPECT_EQ(userErrorOf([&] { testCase.action(input); }), "ファイルが壊れています (Clump\\Struct)");
    }
}

TEST(SectionInput, ChecksPassForWhatTheSectionHolds) {
    const Chunk clump = containerChunk(SectionType::Clump, {structChunk(Bytes(6, 1))});
    const Bytes file = serialize(clump);
    SectionInput input(file);
    const Section<SectionType::Clump> opened(input);
    const Section<SectionType::Struct> data(input);
    EXPECT_EQ(input.requireCount(0x7FFFFFFF), 0x7FFFFFFFu);
    input.requireBytes(6);
    input.skipInSection(2);
    EXPECT_EQ(input.readU32(), 0x01010101u);
    EXPECT_EQ(input.bytesLeftInSection(), 0u);
}

}  // namespace
}  // namespace zorvek::test
