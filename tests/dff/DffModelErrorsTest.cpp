#include "ReaderTestSupport.h"
#include "support/PlainArrays.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorvek::test {
namespace {

const std::string several = "ファイルに複数のモデルが含まれていますが無視されます";
const std::string noModel = "ファイルにモデルが含まれていません";
const std::string geometryPath = "Clump\\GeometryList\\Geometry";

struct WalkCase {
    const char* label;
    std::function<void(SkinnedModel&)> editModel;
    std::function<void(Chunk&)> editClump;  // applied to the built Clump
    std::vector<std::string> warnings;
    std::string error;  // empty: the read succeeds
};

void noModelEdit(SkinnedModel&) {}
void noChunkEdit(Chunk&) {}

void removeChild(Chunk& parent, SectionType type, int nth = 0) {
    Chunk& victim = parent.child(type, nth);
    parent.children.erase(parent.children.begin() + (&victim - parent.children.data()));
}

Chunk& geometryOf(Chunk& clump) {
    return clump.at({SectionType::GeometryList, SectionType::Geometry});
}

Chunk& frameExtension(Chunk& clump, int frame) {
    return clump.child(SectionType::FrameList).child(SectionType::Extension, frame);
}

std::vector<WalkCase> modelLevelCases() {
    return {
        {"no atomics, before anything else is looked at",
         [](SkinnedModel& m) { m.numAtomics = 0; },
         [](Chunk& c) { removeChild(c, SectionType::FrameList); },
         {},
         noModel},
        {"three atomics", [](SkinnedModel& m) { m.numAtomics = 3; }, noChunkEdit, {several}, ""},
        {"one frame",
         [](SkinnedModel& m) { m.frames.resize(1); },
         noChunkEdit,
         {},
         "ファイルにボーンが含まれていません"},
        {"no frames", [](SkinnedModel& m) { m.frames.clear(); }, noChunkEdit, {}, "ファイルにボーンが含まれていません"},
        {"bone data before the hierarchy",
         [](SkinnedModel& m) { std::swap(m.frames[1].hierarchy, m.frames[2].hierarchy); },
         noChunkEdit,
         {},
         "不明なBone IDがあります"},
        {"bone id outside the hierarchy",
         [](SkinnedModel& m) { m.frames[3].boneId = 99; },
         noChunkEdit,
         {},
         "不明なBone IDがあります"},
        {"no geometries",
         [](SkinnedModel& m) { m.numAtomics = 2; },
         [](Chunk& c) {
             putU32(c.at({SectionType::GeometryList, SectionType::Struct}).payload, 0, 0);
         },
         {several},
         noModel},
        {"two geometries",
         [](SkinnedModel& m) { m.geometries.push_back(m.geometries[0]); },
         noChunkEdit,
         {several},
         ""},
    };
}

std::vector<WalkCase> missingSectionCases() {
    return {
        {"no clump",
         noModelEdit,
         [](Chunk& c) { c.type = typeId(SectionType::Geometry); },
         {},
         "Clumpが見つかりません"},
        {"name before the HAnimPLG",
         noModelEdit,
         [](Chunk& c) { std::swap(frameExtension(c, 2).children[0], frameExtension(c, 2).children[1]); },
         {},
         "Clump\\FrameList\\Extension\\Frameが見つかりません"},
        {"name without HAnimPLG",
         noModelEdit,
         [](Chunk& c) { removeChild(frameExtension(c, 1), SectionType::HAnimPLG); },
         {},
         "Clump\\FrameList\\Extension\\HAnimPLGが見つかりません"},
        {"fewer extensions than frames",
         noModelEdit,
         [](Chunk& c) { removeChild(c.child(SectionType::FrameList), SectionType::Extension, 3); },
         {},
         "Clump\\FrameList\\Extensionが見つかりません"},
        {"no geometry",
         noModelEdit,
         [](Chunk& c) { removeChild(c.child(SectionType::GeometryList), SectionType::Geometry); },
         {},
         "Clump\\GeometryList\\Geometryが見つかりません"},
        {"no material list",
         noModelEdit,
         [](Chunk& c) { removeChild(geometryOf(c), SectionType::MaterialList); },
         {},
         geometryPath + "\\MaterialListが見つかりません"},
        {"fewer materials than counted",
         noModelEdit,
         [](Chunk& c) { removeChild(geometryOf(c).child(SectionType::MaterialList), SectionType::Material, 1); },
         {},
         geometryPath + "\\MaterialList\\Materialが見つかりません"},
        {"texture counted but absent",
         noModelEdit,
         [](Chunk& c) {
             removeChild(geometryOf(c).at({SectionType::MaterialList, SectionType::Material}), SectionType::Texture);
         },
         {},
         geometryPath + "\\MaterialList\\Material\\Textureが見つかりません"},
        {"texture without a name",
         noModelEdit,
         [](Chunk& c) {
             Chunk& texture =
                 geometryOf(c).at({SectionType::MaterialList, SectionType::Material, SectionType::Texture});
             removeChild(texture, SectionType::String, 1);
             removeChild(texture, SectionType::String);
         },
         {},
         geometryPath + "\\MaterialList\\Material\\Texture\\Stringが見つかりません"},
        {"no bin mesh",
         noModelEdit,
         [](Chunk& c) { removeChild(geometryOf(c).child(SectionType::Extension), SectionType::BinMeshPLG); },
         {},
         geometryPath + "\\Extension\\BinMeshPLGが見つかりません"},
        {"no skin",
         [](SkinnedModel& m) { m.geometries[0].writeSkin = false; },
         noChunkEdit,
         {},
         geometryPath + "\\Extension\\SkinPLGが見つかりません"},
        {"skin before the bin mesh",
         noModelEdit,
         [](Chunk& c) {
             auto& plugins = geometryOf(c).child(SectionType::Extension).children;
             std::swap(plugins[0], plugins[1]);
         },
         {},
         geometryPath + "\\Extension\\SkinPLGが見つかりません"},
    };
}

std::vector<WalkCase> stampCases() {
    return {
        {"foreign stamp on the frame list",
         noModelEdit,
         [](Chunk& c) { c.child(SectionType::FrameList).version = 0x0003FFFF; },
         {},
         "不明なRW Version IDです"},
        {"foreign stamp on the skin",
         noModelEdit,
         [](Chunk& c) { geometryOf(c).child(SectionType::Extension).child(SectionType::SkinPLG).version = 0; },
         {},
         "不明なRW Version IDです"},
        {"foreign stamps on chunks never opened",
         noModelEdit,
         [](Chunk& c) {
             c.children.back().version = 0;  // the atomic
             geometryOf(c)
                 .at({SectionType::MaterialList, SectionType::Material, SectionType::Texture})
                 .child(SectionType::String, 1)
                 .version = 0;  // the mask name
         },
         {},
         ""},
    };
}

void runCases(const std::vector<WalkCase>& cases) {
    for (const WalkCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        SkinnedModel model = sampleSkinnedModel();
        testCase.editModel(model);
        Chunk clump = toClump(model);
        testCase.editClump(clump);
        const ReadResult result = readModel(serialize(clump));
        EXPECT_EQ(result.error, testCase.error);
        EXPECT_EQ(result.warnings, testCase.warnings);
    }
}

TEST(DffModelWalk, ModelLevelErrorsAndWarnings) {
    runCases(modelLevelCases());
}

TEST(DffModelWalk, MissingSectionsAreNamedWithTheirPath) {
    runCases(missingSectionCases());
}

TEST(DffModelWalk, OnlyOpenedSectionsHaveTheirStampChecked) {
    runCases(stampCases());
}

TEST(DffModelWalk, WarningsComeInWalkOrderBeforeALaterError) {
    SkinnedModel model = sampleSkinnedModel();
    model.numAtomics = 2;
    model.geometries.push_back(model.geometries[0]);
    GeometrySpec& geometry = model.geometries[0];
    geometry.flags = geometryPrelit | geometryPositions;
    geometry.prelit.assign(4, {0, 0, 0, 0});
    geometry.materials = {texturedMaterial({"a", "b"}), texturedMaterial({"c", "d", "e"})};
    geometry.writeSkin = false;
    const ReadResult result = readModel(model);
    EXPECT_EQ(result.error, geometryPath + "\\Extension\\SkinPLGが見つかりません");
    EXPECT_EQ(result.warnings, (std::vector<std::string>{
                                   several,
                                   several,
                                   "頂点カラーが含まれていますが無視されます",
                                   "テクスチャ座標が含まれていません",
                                   "法線が含まれていません",
                                   "複数のテクスチャが使われている材質がありますが無視されます",
                                   "複数のテクスチャが使われている材質がありますが無視されます",
                               }));
}

TEST(DffModelWalk, WarningsMayGoNowhere) {
    SkinnedModel model = sampleSkinnedModel();
    model.numAtomics = 2;
    model.geometries[0].flags = geometryPositions;
    const Bytes file = buildDff(model);
    SectionInput input(file);
    DffModel read;
    readDffModel(input, read, WarningSink());
    EXPECT_EQ(plain(read.positions), model.geometries[0].positions);
    EXPECT_EQ(input.innermostSection(), nullptr);
}

}  // namespace
}  // namespace zorvek::test
