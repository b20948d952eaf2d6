#include "pmx/PmxBuffer.h"

#include <gtest/gtest.h>

#include <functional>

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
    PmxBuffer buffer(GetParam().boneIndexSize);
    GetParam().append(buffer);
    EXPECT_EQ(buffer.release(), GetParam().expected);
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
