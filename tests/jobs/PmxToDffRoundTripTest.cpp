// A converted MMD model read back by our own DFF reader and converted to
// PMX again: its mesh is as the model had it.
#include "base/TextEncoding.h"
#include "dff/DffModelReader.h"
#include "jobs/ConversionTables.h"
#include "jobs/DffConversion.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "rescale/DffRescaler.h"
#include "rw/SectionInput.h"
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

// zorvek rescale walks a converted ped as it walks the game's: every vertex,
// joint and bind translation scaled.
TEST(PmxToDffRoundTrip, RescaleWorksOnAConvertedPed) {
    const Converted c = semiStandard();
    const Bytes original(c.dff.begin(), c.dff.end());
    const Bytes doubled = rescaledCopy(original, 2.0f, [](const std::string& w) { ADD_FAILURE() << w; });
    const auto read = [](const Bytes& bytes) {
        DffModel model;
        SectionInput input(bytes);
        readDffModel(input, model, [](const std::string&) {});
        return model;
    };
    const DffModel before = read(original);
    const DffModel after = read(doubled);
    ASSERT_EQ(after.positions.size(), before.positions.size());
    for (std::size_t k = 0; k < before.positions.size(); k += 97) {
        EXPECT_EQ(after.positions[k], before.positions[k] * 2.0f) << k;
    }
    for (std::size_t f = 0; f < before.frames.size(); ++f) {
        EXPECT_EQ(after.frames[f].translation, before.frames[f].translation * 2.0f) << f;
    }
    EXPECT_EQ(after.inverseBindMatrices[10].row3(3), before.inverseBindMatrices[10].row3(3) * 2.0f);
}

}  // namespace
}  // namespace zorvek
