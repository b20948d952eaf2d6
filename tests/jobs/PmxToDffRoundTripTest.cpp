// A converted MMD model read back by our own DFF reader and converted to
// PMX again: its mesh is as the model had it.
#include "base/TextEncoding.h"
#include "jobs/ConversionTables.h"
#include "jobs/DffConversion.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "support/mmd/SemiStandardModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

struct Converted {
    PmxModel model;
    ByteBlock dff;
};

Converted semiStandard() {
    Converted c;
    c.model = test::makeSemiStandardModel({.vertexCount = 40000, .materialCount = 5});
    const ByteBlock pmx = writePmx(c.model);
    c.dff = convertPmxBytes(pmx.span(), {}, [](const std::string&) {});
    return c;
}

// Back through our own reader in the mode that keeps the skeleton as it is
// (no bone turned): every vertex where the model had it, in PMX units,
// taken from the hips, where the two models put their origins differently.
TEST(PmxToDffRoundTrip, TheMeshComesBackToPmxUnchanged) {
    const Converted c = semiStandard();
    const ConversionTables tables = loadConversionTables(source / "data");
    const ByteBlock back = DffConversion::fromBytes(c.dff.span(), u"miku.dff", [](const std::string&) {})
                               .prepare(ConversionMode::None, tables)
                               .buildPmx(".png", tables, [](const std::string&) {});
    const PmxModel again = readPmx(back.span());
    ASSERT_EQ(again.vertices.size(), c.model.vertices.size());
    const auto boneAt = [](const PmxModel& model, std::u16string_view name) {
        for (const PmxBone& bone : model.bones) {
            if (bone.name == name) {
                return bone.position;
            }
        }
        ADD_FAILURE() << "no bone " << utf16ToUtf8(name);
        return Vec3{};
    };
    const Vec3 hips = boneAt(c.model, u"下半身");
    const Vec3 hipsAgain = boneAt(again, u" Pelvis");
    double worst = 0;
    for (std::size_t k = 0; k < c.model.vertices.size(); ++k) {
        const Vec3 d = (again.vertices.positions[k] - hipsAgain) - (c.model.vertices.positions[k] - hips);
        worst = std::max(worst, std::sqrt(static_cast<double>(dot(d, d))));
    }
    EXPECT_LT(worst, 1e-3);  // 0.1 mm
    std::printf("largest vertex distance: %.3g PMX units\n", worst);
    // The triangles, material by material, as the model had them.
    ASSERT_EQ(again.faceIndices.size(), c.model.faceIndices.size());
    for (std::size_t k = 0; k < c.model.faceIndices.size(); ++k) {
        ASSERT_EQ(again.faceIndices[k], c.model.faceIndices[k]) << k;
    }
    ASSERT_EQ(again.materials.size(), c.model.materials.size());
    for (std::size_t m = 0; m < again.materials.size(); ++m) {
        EXPECT_EQ(again.materials[m].faceIndexCount, c.model.materials[m].faceIndexCount);
    }
}

}  // namespace
}  // namespace zorvek
