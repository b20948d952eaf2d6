// A PMD built field by field, read into the PmxModel MMD's conversion gives.
#include "support/mmd/MmdBuilder.h"

#include "base/ShiftJis.h"
#include "pmx/MmdModelReader.h"
#include "pmx/PmdReader.h"
#include "pmx/PmxWriter.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorvek::test {
namespace {

constexpr std::uint16_t shownBoneFlags = PmxTailIsBone | PmxCanRotate | PmxVisible | PmxCanOperate;

TEST(PmdReader, HeaderAndVertices) {
    const PmxModel m = readPmd(buildPmd(everySectionPmd()));
    EXPECT_EQ(m.header.version, 2.0f);
    EXPECT_EQ(m.header.encoding, PmxTextEncoding::Utf16);
    EXPECT_EQ(m.information.name, u"テストモデル");
    EXPECT_EQ(m.information.comment, u"一行目\n二行目");
    EXPECT_EQ(m.information.englishName, u"Test model");
    EXPECT_EQ(m.information.englishComment, u"English comment");

    const PmxVertices& v = m.vertices;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v.positions[1], (Vec3{1, 7, 0}));
    EXPECT_EQ(v.normals[1], (Vec3{1, 0, 0}));
    EXPECT_EQ(v.uvs[1], (Vec2{0.75f, 1}));
    EXPECT_EQ(v.deforms, LargeArray<PmxDeform>(3, PmxDeform::Bdef2));
    EXPECT_EQ(v.smallBones, (LargeArray<PmxSmallBoneQuad>{{0, 1, 0, 0}, {1, 2, 0, 0}, {2, 2, 0, 0}}));
    EXPECT_EQ(v.weights[0], (Vec4{1, 0, 0, 0}));
    EXPECT_EQ(v.weights[1], (Vec4{0.75f, 0.25f, 0, 0}));
    EXPECT_EQ(v.weights[2], (Vec4{0, 1, 0, 0}));
    EXPECT_EQ(v.edgeScales, (LargeArray<float>{1, 0, 1}));
    EXPECT_EQ(m.faceIndices, (LargeArray<std::uint32_t>{0, 1, 2, 2, 1, 0}));
}

TEST(PmdReader, MaterialsTexturesAndToons) {
    const PmxModel m = readPmd(buildPmd(everySectionPmd()));
    EXPECT_EQ(m.textures, (std::vector<std::u16string>{u"body.png", u"shine.SPH", u"env.spa", u"mytoon.bmp"}));
    ASSERT_EQ(m.materials.size(), 3u);

    const PmxMaterial& body = m.materials[0];
    EXPECT_EQ(body.name, u"材質1");
    EXPECT_EQ(body.diffuse, (Vec4{1, 0.5f, 0.25f, 0.5f}));
    EXPECT_EQ(body.specularStrength, 5);
    EXPECT_EQ(body.specular, (Vec3{0.125f, 0.125f, 0.125f}));
    EXPECT_EQ(body.ambient, (Vec3{0.375f, 0.375f, 0.375f}));
    EXPECT_EQ(body.texture, 0);
    EXPECT_EQ(body.sphereTexture, 1);
    EXPECT_EQ(body.sphereMode, 1);
    // toon 1 names toon02.bmp: the second shared toon.
    EXPECT_TRUE(body.sharedToon);
    EXPECT_EQ(body.toon, 1);
    EXPECT_EQ(body.drawFlags,
              PmxDoubleSided | PmxGroundShadow | PmxCastsSelfShadow | PmxReceivesSelfShadow | PmxDrawsEdge);
    EXPECT_EQ(body.edgeColour, (Vec4{0, 0, 0, 1}));
    EXPECT_EQ(body.faceIndexCount, 3);

    const PmxMaterial& shadowless = m.materials[1];
    EXPECT_EQ(shadowless.texture, -1);
    EXPECT_EQ(shadowless.sphereTexture, 2);
    EXPECT_EQ(shadowless.sphereMode, 2);
    EXPECT_FALSE(shadowless.sharedToon);
    EXPECT_EQ(shadowless.toon, -1);
    EXPECT_EQ(shadowless.drawFlags, PmxDoubleSided | PmxGroundShadow);

    const PmxMaterial& ownToon = m.materials[2];
    EXPECT_EQ(ownToon.texture, 0);
    EXPECT_FALSE(ownToon.sharedToon);
    EXPECT_EQ(ownToon.toon, 3);
    EXPECT_EQ(ownToon.drawFlags, PmxGroundShadow | PmxCastsSelfShadow | PmxReceivesSelfShadow);
    EXPECT_EQ(ownToon.faceIndexCount, 0);
}

TEST(PmdReader, BonesByTypeAndTheirIk) {
    const PmxModel m = readPmd(buildPmd(everySectionPmd()));
    ASSERT_EQ(m.bones.size(), 8u);
    const PmxBone& centre = m.bones[0];
    EXPECT_EQ(centre.name, u"センター");
    EXPECT_EQ(centre.englishName, u"center");
    EXPECT_EQ(centre.parent, -1);
    EXPECT_EQ(centre.tailBone, 1);
    EXPECT_EQ(centre.flags, shownBoneFlags | PmxCanMove);
    EXPECT_EQ(centre.position, (Vec3{0, 8, 0}));
    EXPECT_EQ(m.bones[1].flags, shownBoneFlags);
    EXPECT_EQ(m.bones[1].parent, 0);

    const PmxBone& ankle = m.bones[3];
    EXPECT_EQ(ankle.flags, PmxTailIsBone | PmxCanRotate);
    EXPECT_EQ(ankle.tailBone, -1);

    const PmxBone& ik = m.bones[4];
    EXPECT_EQ(ik.flags, shownBoneFlags | PmxCanMove | PmxIsIk);
    EXPECT_EQ(ik.ik.target, 3);
    EXPECT_EQ(ik.ik.loopCount, 40);
    EXPECT_EQ(ik.ik.limitAngle, 2.0f);
    ASSERT_EQ(ik.ik.links.size(), 2u);
    EXPECT_EQ(ik.ik.links[0].bone, 2);
    EXPECT_TRUE(ik.ik.links[0].limited);
    EXPECT_FLOAT_EQ(ik.ik.links[0].lowerLimit.x, -3.14159265f);
    EXPECT_FLOAT_EQ(ik.ik.links[0].upperLimit.x, -0.00872664626f);
    EXPECT_EQ(ik.ik.links[1].bone, 1);
    EXPECT_FALSE(ik.ik.links[1].limited);

    const PmxBone& twist = m.bones[5];
    EXPECT_EQ(twist.flags, shownBoneFlags | PmxFixedAxis);
    EXPECT_FLOAT_EQ(twist.fixedAxis.x, 0.6f);
    EXPECT_FLOAT_EQ(twist.fixedAxis.y, 0.8f);
    EXPECT_EQ(twist.fixedAxis.z, 0);

    const PmxBone& eye = m.bones[6];
    EXPECT_EQ(eye.flags, shownBoneFlags | PmxInheritsRotation);
    EXPECT_EQ(eye.inheritParent, 7);
    EXPECT_EQ(eye.inheritWeight, 1);
    EXPECT_EQ(eye.tailBone, -1);

    EXPECT_EQ(m.bones[7].flags, PmxTailIsBone | PmxCanRotate);
    EXPECT_EQ(m.bones[7].englishName, u"eyes");
}

TEST(PmdReader, MorphsRelativeToTheBaseAndDisplayFrames) {
    const PmxModel m = readPmd(buildPmd(everySectionPmd()));
    ASSERT_EQ(m.morphs.size(), 2u);
    const PmxMorph& a = m.morphs[0];
    EXPECT_EQ(a.name, u"あ");
    EXPECT_EQ(a.englishName, u"a");
    EXPECT_EQ(a.panel, 3);
    EXPECT_EQ(a.type, static_cast<std::uint8_t>(PmxMorphType::Vertex));
    ASSERT_EQ(a.vertexOffsets.size(), 1u);
    EXPECT_EQ(a.vertexOffsets[0].vertex, 2);
    EXPECT_EQ(a.vertexOffsets[0].offset, (Vec3{0, 0.5f, 0}));
    const PmxMorph& blink = m.morphs[1];
    EXPECT_EQ(blink.englishName, u"blink");
    EXPECT_EQ(blink.panel, 2);
    ASSERT_EQ(blink.vertexOffsets.size(), 2u);
    EXPECT_EQ(blink.vertexOffsets[0].vertex, 1);
    EXPECT_EQ(blink.vertexOffsets[1].vertex, 2);
    EXPECT_EQ(blink.vertexOffsets[1].offset, (Vec3{0, -0.25f, 0}));

    ASSERT_EQ(m.displayFrames.size(), 4u);
    const auto element = [](bool isMorph, std::int32_t index) { return std::pair{isMorph, index}; };
    const auto elementsOf = [](const PmxDisplayFrame& frame) {
        std::vector<std::pair<bool, std::int32_t>> elements;
        for (const PmxDisplayElement& e : frame.elements) {
            elements.emplace_back(e.isMorph, e.index);
        }
        return elements;
    };
    EXPECT_EQ(m.displayFrames[0].name, u"Root");
    EXPECT_TRUE(m.displayFrames[0].special);
    EXPECT_EQ(elementsOf(m.displayFrames[0]), (std::vector{element(false, 0)}));
    EXPECT_EQ(m.displayFrames[1].name, u"表情");
    EXPECT_TRUE(m.displayFrames[1].special);
    EXPECT_EQ(elementsOf(m.displayFrames[1]), (std::vector{element(true, 1), element(true, 0)}));
    EXPECT_EQ(m.displayFrames[2].name, u"足");
    EXPECT_EQ(m.displayFrames[2].englishName, u"Legs");
    EXPECT_FALSE(m.displayFrames[2].special);
    EXPECT_EQ(elementsOf(m.displayFrames[2]), (std::vector{element(false, 1), element(false, 4)}));
    EXPECT_EQ(m.displayFrames[3].name, u"その他");
    EXPECT_EQ(elementsOf(m.displayFrames[3]), (std::vector{element(false, 5)}));
}

TEST(PmdReader, RigidBodiesPlacedInTheModelAndJoints) {
    const PmxModel m = readPmd(buildPmd(everySectionPmd()));
    ASSERT_EQ(m.rigidBodies.size(), 2u);
    const PmxRigidBody& head = m.rigidBodies[0];
    EXPECT_EQ(head.name, u"頭");
    EXPECT_EQ(head.bone, 7);
    EXPECT_EQ(head.group, 1);
    EXPECT_EQ(head.collisionMask, 0xFFFE);
    EXPECT_EQ(head.size, (Vec3{1.5f, 0, 0}));
    // One above the bone at (0, 12, 0).
    EXPECT_EQ(head.position, (Vec3{0, 13, 0}));
    EXPECT_EQ(head.mass, 1);
    EXPECT_EQ(head.friction, 0.5f);
    const PmxRigidBody& loose = m.rigidBodies[1];
    EXPECT_EQ(loose.bone, -1);
    EXPECT_EQ(loose.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(loose.physics, 1);

    ASSERT_EQ(m.joints.size(), 1u);
    const PmxJoint& joint = m.joints[0];
    EXPECT_EQ(joint.name, u"joint");
    EXPECT_EQ(joint.bodyA, 0);
    EXPECT_EQ(joint.bodyB, 1);
    EXPECT_EQ(joint.position, (Vec3{0, 0, 0}));
    EXPECT_EQ(joint.rotation, (Vec3{1, 0, 0}));
    EXPECT_EQ(joint.upperRotation, (Vec3{5, 0, 0}));
    EXPECT_EQ(joint.springRotation, (Vec3{7, 0, 0}));
}

// A file that ends after its display frames, as files before the extensions
// do: toons are the shared ones, names have no English.
TEST(PmdReader, AFileWithoutExtensionsUsesTheSharedToons) {
    PmdFile file = everySectionPmd();
    file.hasEnglish = file.hasToonNames = file.hasPhysics = false;
    const PmxModel m = readPmd(buildPmd(file));
    EXPECT_TRUE(m.materials[2].sharedToon);
    EXPECT_EQ(m.materials[2].toon, 0);
    EXPECT_EQ(m.textures.size(), 3u);
    EXPECT_EQ(m.bones[0].englishName, u"");
    EXPECT_TRUE(m.rigidBodies.empty());
}

// Index widths fit the counts, and the model is one our writer writes and our reader reads back.
TEST(PmdReader, TheModelIsAWritablePmx) {
    PmdFile file = everySectionPmd();
    for (int i = 0; i < 300; ++i) {
        file.vertices.push_back(file.vertices[0]);
    }
    const PmxModel m = readMmdModel(buildPmd(file));
    EXPECT_EQ(m.header.vertexIndexSize, 2);
    EXPECT_EQ(m.header.boneIndexSize, 1);
    EXPECT_EQ(m.header.textureIndexSize, 1);
    const ByteBlock written = writePmx(m);
    const PmxModel again = readMmdModel(written.span());
    EXPECT_EQ(again.vertices.size(), 303u);
    const ByteBlock rewritten = writePmx(again);
    EXPECT_EQ(Bytes(rewritten.begin(), rewritten.end()), Bytes(written.begin(), written.end()));
}

TEST(MmdModelFile, ReadsEitherFormatFromDisk) {
    const TempDir folder;
    const PmxModel pmd = readMmdModelFile(folder.write("model.pmd", buildPmd(everySectionPmd())));
    EXPECT_EQ(pmd.information.name, u"テストモデル");
    const ByteBlock pmx = writePmx(pmd);
    EXPECT_EQ(readMmdModelFile(folder.write("model.pmx", pmx.span())).bones.size(), pmd.bones.size());
    EXPECT_USER_ERROR(readMmdModelFile(folder / "missing.pmx"), "ファイルを開けませんでした");
}

}  // namespace
}  // namespace zorvek::test
