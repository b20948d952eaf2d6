// Classic models come as PMD files, their names in Shift-JIS: the same
// model as a PMD converts to the same skeleton and mesh as its PMX.
#include "base/ShiftJis.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxWriter.h"
#include "support/mmd/MmdBuilder.h"
#include "support/mmd/SemiStandardModel.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvek {
namespace {

// The PMX model as a PMD holds it: each vertex on its first bone alone (a
// PMD vertex has two), the bones' names in Shift-JIS, no grants.
test::PmdFile asPmd(const PmxModel& model) {
    test::PmdFile pmd;
    pmd.name = toShiftJis(u"準標準");
    for (std::size_t k = 0; k < model.vertices.size(); ++k) {
        test::PmdVertex v;
        const Vec3& p = model.vertices.positions[k];
        const Vec3& n = model.vertices.normals[k];
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
        v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
        v.uv[0] = model.vertices.uvs[k].x, v.uv[1] = model.vertices.uvs[k].y;
        v.bones[0] = v.bones[1] = static_cast<std::uint16_t>(model.vertices.bones[k][0]);
        pmd.vertices.push_back(v);
    }
    for (std::uint32_t index : model.faceIndices) {
        pmd.faces.push_back(static_cast<std::uint16_t>(index));
    }
    for (const PmxMaterial& material : model.materials) {
        test::PmdMaterial m;
        m.faceIndexCount = static_cast<std::uint32_t>(material.faceIndexCount);
        m.texture = "tex.png";
        pmd.materials.push_back(m);
    }
    for (const PmxBone& bone : model.bones) {
        test::PmdBone b;
        b.name = toShiftJis(bone.name);
        b.parent = bone.parent < 0 ? 0xFFFF : static_cast<std::uint16_t>(bone.parent);
        b.position[0] = bone.position.x, b.position[1] = bone.position.y, b.position[2] = bone.position.z;
        pmd.bones.push_back(b);
    }
    return pmd;
}

TEST(PmdToDff, ConvertsAsThePmxOfTheSameModel) {
    PmxModel model = test::makeSemiStandardModel({.vertexCount = 900, .materialCount = 2});
    // As the PMD holds it: BDEF1 on each vertex's first bone, no grants, one texture.
    for (std::size_t k = 0; k < model.vertices.size(); ++k) {
        model.vertices.deforms[k] = PmxDeform::Bdef1;
        model.vertices.weights[k] = {1, 0, 0, 0};
    }
    for (PmxBone& bone : model.bones) {
        bone.flags = static_cast<std::uint16_t>(bone.flags & ~PmxInheritsRotation);
    }
    model.textures = {u"tex.png"};
    for (PmxMaterial& material : model.materials) {
        material.texture = 0;
    }
    const Bytes pmd = test::buildPmd(asPmd(model));
    const ByteBlock fromPmd = convertPmxBytes(pmd, {}, [](const std::string&) {});
    const ByteBlock fromPmx = convertPmxBytes(writePmx(model).span(), {}, [](const std::string&) {});
    EXPECT_TRUE(std::equal(fromPmd.begin(), fromPmd.end(), fromPmx.begin(), fromPmx.end()))
        << "PMD " << fromPmd.size() << " bytes, PMX " << fromPmx.size();
}

}  // namespace
}  // namespace zorvek
