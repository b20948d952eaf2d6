// PMX files spelled out byte by byte, with what the writer never writes:
// 2.1's additions (QDEF, flip and impulse morphs, soft bodies), SDEF, UTF-8
// text, and the signedness of narrow indices.
#include "support/mmd/MmdBuilder.h"

#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "support/ExpectError.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

TEST(PmxReader, Version21IsReadIntoA20Model) {
    const PmxModel m = readPmx(pmx21File());
    EXPECT_EQ(m.header.version, 2.0f);
    EXPECT_EQ(m.header.additionalUvCount, 1);
    EXPECT_EQ(m.information.name, u"二・一");

    const PmxVertices& v = m.vertices;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v.deforms, (LargeArray<PmxDeform>{PmxDeform::Bdef2, PmxDeform::Bdef4, PmxDeform::Bdef1}));
    // The QDEF's -1 keeps the int32 quads.
    EXPECT_TRUE(v.smallBones.empty());
    EXPECT_EQ(v.bones, (LargeArray<PmxBoneQuad>{{0, 1, 0, 0}, {0, 1, -1, 0}, {1, 0, 0, 0}}));
    EXPECT_EQ(v.weights[0], (Vec4{0.25f, 0.75f, 0, 0}));
    EXPECT_EQ(v.weights[1], (Vec4{0.5f, 0.5f, 0, 0}));
    EXPECT_EQ(v.weights[2], (Vec4{1, 0, 0, 0}));
    EXPECT_EQ(v.positions[1], (Vec3{4, 5, 6}));
    EXPECT_EQ(v.additionalUvs.at(0)[1], (Vec4{5, 6, 7, 8}));
    EXPECT_EQ(v.edgeScales, (LargeArray<float>{1, 0.5f, 2}));

    ASSERT_EQ(m.materials.size(), 1u);
    EXPECT_EQ(m.materials[0].drawFlags, 0x20);
    EXPECT_FALSE(m.materials[0].sharedToon);
    EXPECT_EQ(m.materials[0].toon, 0);
    EXPECT_EQ(m.materials[0].sphereTexture, -1);

    ASSERT_EQ(m.bones.size(), 2u);
    EXPECT_EQ(m.bones[0].tailBone, 1);
    EXPECT_EQ(m.bones[1].tailOffset, (Vec3{0, 1, 0}));

    // The flip and impulse morphs are gone; the group names the vertex morph by its new number.
    ASSERT_EQ(m.morphs.size(), 2u);
    EXPECT_EQ(m.morphs[0].name, u"頂点");
    EXPECT_EQ(m.morphs[0].vertexOffsets.at(0).vertex, 2);
    EXPECT_EQ(m.morphs[1].name, u"グループ");
    ASSERT_EQ(m.morphs[1].groupOffsets.size(), 1u);
    EXPECT_EQ(m.morphs[1].groupOffsets[0].morph, 0);
    EXPECT_EQ(m.morphs[1].groupOffsets[0].weight, 0.5f);

    ASSERT_EQ(m.displayFrames.size(), 1u);
    const auto& elements = m.displayFrames[0].elements;
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_TRUE(elements[0].isMorph);
    EXPECT_EQ(elements[0].index, 1);
    EXPECT_FALSE(elements[1].isMorph);
    EXPECT_EQ(elements[1].index, 1);

    ASSERT_EQ(m.rigidBodies.size(), 1u);
    EXPECT_EQ(m.rigidBodies[0].bone, 1);
    EXPECT_EQ(m.rigidBodies[0].physics, 1);
    ASSERT_EQ(m.joints.size(), 1u);
    EXPECT_EQ(m.joints[0].type, 1);
    EXPECT_EQ(m.joints[0].bodyB, -1);
    EXPECT_EQ(m.joints[0].springRotation, (Vec3{7, 0, 0}));
}

TEST(PmxReader, AModelReadFrom21IsWrittenAs20AndReadsBackTheSame) {
    const PmxModel first = readPmx(pmx21File());
    const ByteBlock written = writePmx(first);
    const Bytes bytes(written.begin(), written.end());
    const PmxModel second = readPmx(bytes);
    EXPECT_EQ(second.vertices.bones, first.vertices.bones);
    EXPECT_EQ(second.vertices.deforms, first.vertices.deforms);
    EXPECT_EQ(second.morphs.size(), first.morphs.size());
    const ByteBlock again = writePmx(second);
    EXPECT_EQ(Bytes(again.begin(), again.end()), bytes);
}

// UTF-8 text, a one-byte vertex index above 127 (unsigned) and one-byte
// bone indices of -1 (signed).
TEST(PmxReader, NarrowIndicesKeepTheirSignsAndUtf8TextIsDecoded) {
    ByteBuilder b = pmxHeader(2.0f, 1, 0, 1);
    b.utf8("\xE5\x90\x8D").utf8("name").utf8("").utf8("");
    b.i32(200);
    for (int i = 0; i < 200; ++i) {
        b.vec3(static_cast<float>(i), 0, 0).vec3(0, 1, 0).vec2(0, 0).u8(1).index(1, -1).index(1, -1).f32(1).f32(1);
    }
    b.i32(3).vertex(1, 199).vertex(1, 150).vertex(1, 0);
    b.i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0);
    const PmxModel m = readPmx(b.bytes);
    EXPECT_EQ(m.information.name, u"名");
    EXPECT_EQ(m.information.englishName, u"name");
    EXPECT_EQ(m.faceIndices, (LargeArray<std::uint32_t>{199, 150, 0}));
    EXPECT_EQ(m.vertices.bones.at(0), (PmxBoneQuad{-1, -1, 0, 0}));
    EXPECT_EQ(m.vertices.positions.at(199), (Vec3{199, 0, 0}));
}

// Two-byte indices: vertices unsigned past 32767, bones signed.
TEST(PmxReader, TwoByteVertexIndicesAreUnsigned) {
    ByteBuilder b = pmxHeader(2.0f, 0, 0, 2);
    b.utf16(u"").utf16(u"").utf16(u"").utf16(u"");
    constexpr int count = 40000;
    b.i32(count);
    for (int i = 0; i < count; ++i) {
        b.vec3(0, 0, 0).vec3(0, 0, 0).vec2(0, 0).u8(0).index(2, -1).f32(1);
    }
    b.i32(3).vertex(2, 39999).vertex(2, 32768).vertex(2, 1);
    b.i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0);
    const PmxModel m = readPmx(b.bytes);
    EXPECT_EQ(m.faceIndices, (LargeArray<std::uint32_t>{39999, 32768, 1}));
    EXPECT_EQ(m.vertices.bones.at(0)[0], -1);
}

TEST(PmxReader, TrailingBytesAfterTheLastSectionAreIgnored) {
    Bytes file = pmx21File();
    file.insert(file.end(), {1, 2, 3});
    EXPECT_EQ(readPmx(file).joints.size(), 1u);
}

}  // namespace
}  // namespace zorvek::test
