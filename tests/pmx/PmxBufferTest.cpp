#include "pmx/PmxBuffer.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace zorvek {
namespace {

struct AppendCase {
    const char* name;
    int boneIndexSize;
    std::function<void(PmxBuffer&)> append;
    Bytes expected;
};

class PmxBufferAppends : public testing::TestWithParam<AppendCase> {};

TEST_P(PmxBufferAppends, LittleEndianBytes) {
    PmxBuffer buffer(GetParam().boneIndexSize, GetParam().expected.size());
    GetParam().append(buffer);
    const ByteBlock bytes = buffer.finish();
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmxBufferAppends,
    testing::Values(AppendCase{"Int32", 1, [](PmxBuffer& b) { b.appendI32(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
                    AppendCase{"Flags", 1, [](PmxBuffer& b) { b.appendU16(0x081A); }, {0x1A, 0x08}},
                    AppendCase{"Float", 1, [](PmxBuffer& b) { b.appendFloat(2.0f); }, {0x00, 0x00, 0x00, 0x40}},
                    AppendCase{"Vec2",
                               1,
                               [](PmxBuffer& b) {
                                   b.appendVec2({1.0f, -1.0f});
                               },
                               {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF}},
                    // Each byte is one code unit: no code page conversion.
                    AppendCase{"NarrowText",
                               1,
                               [](PmxBuffer& b) { b.writeNarrowText("A\xE9"); },
                               {0x04, 0x00, 0x00, 0x00, 0x41, 0x00, 0xE9, 0x00}},
                    AppendCase{"WideText",
                               1,
                               [](PmxBuffer& b) { b.writeWideText(u"表A"); },
                               {0x04, 0x00, 0x00, 0x00, 0x68, 0x88, 0x41, 0x00}},
                    AppendCase{"EmptyText", 1, [](PmxBuffer& b) { b.writeWideText(u""); }, {0x00, 0x00, 0x00, 0x00}},
                    AppendCase{"OneByteBoneIndices",
                               1,
                               [](PmxBuffer& b) {
                                   b.appendBoneIndex(-1);
                                   b.appendBoneIndex(127);
                               },
                               {0xFF, 0x7F}},
                    AppendCase{"TwoByteBoneIndices",
                               2,
                               [](PmxBuffer& b) {
                                   b.appendBoneIndex(-1);
                                   b.appendBoneIndex(200);
                               },
                               {0xFF, 0xFF, 0xC8, 0x00}},
                    AppendCase{"VertexAndTextureIndices",
                               1,
                               [](PmxBuffer& b) {
                                   b.appendVertexIndex(0x01020304);
                                   b.appendTextureIndex(-1);
                               },
                               {0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}}),
    [](const testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

namespace zorvek {
namespace {

// A write beyond the computed size is refused before it lands, whatever its kind.
class PmxBufferOverrun : public testing::TestWithParam<AppendCase> {};

TEST_P(PmxBufferOverrun, IsALogicErrorAndWritesNothing) {
    const std::size_t size = GetParam().expected.size() - 1;
    PmxBuffer buffer(GetParam().boneIndexSize, size);
    EXPECT_THROW(GetParam().append(buffer), std::logic_error);
    EXPECT_LE(buffer.written(), size);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmxBufferOverrun,
    testing::Values(
        AppendCase{"Byte", 1, [](PmxBuffer& b) { b.appendU8(1); }, {0x01}},
        AppendCase{"Float", 1, [](PmxBuffer& b) { b.appendFloat(2.0f); }, {0x00, 0x00, 0x00, 0x40}},
        AppendCase{"TwoByteBoneIndex", 2, [](PmxBuffer& b) { b.appendBoneIndex(1); }, {0x01, 0x00}},
        AppendCase{"WideText",
                   1,
                   [](PmxBuffer& b) { b.writeWideText(u"表A"); },
                   {0x04, 0x00, 0x00, 0x00, 0x68, 0x88, 0x41, 0x00}},
        AppendCase{"NarrowText", 1, [](PmxBuffer& b) { b.writeNarrowText("A"); }, {0x02, 0x00, 0x00, 0x00, 0x41, 0x00}},
        AppendCase{"Record", 1, [](PmxBuffer& b) { b.take(12); }, Bytes(12, 0)}),
    [](const testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

TEST(PmxBuffer, FinishingBeforeTheComputedSizeIsALogicError) {
    PmxBuffer buffer(1, 5);
    buffer.appendI32(7);
    EXPECT_THROW(buffer.finish(), std::logic_error);
}

TEST(PmxBuffer, AnEmptyFileFinishesAtOnce) {
    PmxBuffer buffer(1, 0);
    EXPECT_EQ(buffer.finish().size(), 0u);
}

}  // namespace
}  // namespace zorvek
