// Models the writer cannot write are refused before anything is reported.
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorvek {
namespace {

using test::makeFrame;

struct WriterRefusal {
    const char* name;
    ConversionMode mode;
    std::function<void(test::PreparedModel&, IkTable&)> change;
    const char* message;
};

class BuildPmxRefuses : public testing::TestWithParam<WriterRefusal> {};

TEST_P(BuildPmxRefuses, WithItsMessageAndNoWarning) {
    test::PreparedModel model = test::makeWriterModel();
    IkTable iks = test::makeWriterIkTable();
    GetParam().change(model, iks);
    std::vector<std::string> warnings;
    EXPECT_EQ(test::refusal(model, GetParam().mode, test::makeWriterBoneTable(), iks, warnings), GetParam().message);
    EXPECT_TRUE(warnings.empty());
}

constexpr ConversionMode none = ConversionMode::None;
constexpr ConversionMode nubs = ConversionMode::AxesAndBoneInfo;
constexpr ConversionMode names = ConversionMode::NamesAndAxes;

INSTANTIATE_TEST_SUITE_P(
    Geometry, BuildPmxRefuses,
    testing::Values(WriterRefusal{"MaterialOutsideTheList", none,
                                  [](test::PreparedModel& m, IkTable&) { m.meshSplits[0].materialIndex = 2; },
                                  "材質番号が範囲外の面があります"},
                    WriterRefusal{"ListNotInThrees", none,
                                  [](test::PreparedModel& m, IkTable&) { m.meshSplits[0].indices.push_back(0); },
                                  "三角形リストの頂点数が3の倍数ではありません"},
                    WriterRefusal{"StripOfOne", none,
                                  [](test::PreparedModel& m, IkTable&) {
                                      m.isTriStrip = 1;
                                      m.meshSplits[0].indices = {0};
                                  },
                                  "三角形ストリップの頂点数が足りません"},
                    WriterRefusal{"FaceBeyondTheVertices", none,
                                  [](test::PreparedModel& m, IkTable&) { m.meshSplits[0].indices[1] = 3; },
                                  "存在しない頂点を指す面があります"},
                    WriterRefusal{"NoSkin", none,
                                  [](test::PreparedModel& m, IkTable&) {
                                      m.boneIndices.clear();
                                      m.boneWeights.clear();
                                  },
                                  "スキン情報のない頂点があります"},
                    WriterRefusal{"ShortWeights", none,
                                  [](test::PreparedModel& m, IkTable&) { m.boneWeights.pop_back(); },
                                  "スキン情報のない頂点があります"},
                    WriterRefusal{"VertexBoneBeyondTheSkin", none,
                                  [](test::PreparedModel& m, IkTable&) { m.boneIndices[2][3] = 5; },
                                  "スキンにないボーンを使う頂点があります"},
                    WriterRefusal{"VertexBoneWithoutSkinMatrix", none,
                                  [](test::PreparedModel& m, IkTable&) { m.skeleton.skinMatrices.pop_back(); },
                                  "スキンにないボーンを使う頂点があります"},
                    WriterRefusal{"ShortUvSet", none, [](test::PreparedModel& m, IkTable&) { m.uvSets[0].pop_back(); },
                                  "テクスチャ座標の数が頂点数より少ないです"},
                    WriterRefusal{"ShortSecondUvSet", none,
                                  [](test::PreparedModel& m, IkTable&) {
                                      m.uvSets.push_back({{0, 0}});
                                  },
                                  "テクスチャ座標の数が頂点数より少ないです"},
                    WriterRefusal{"ShortNormals", none, [](test::PreparedModel& m, IkTable&) { m.normals.pop_back(); },
                                  "法線の数が頂点数より少ないです"}),
    [](const testing::TestParamInfo<WriterRefusal>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Bones, BuildPmxRefuses,
    testing::Values(
        WriterRefusal{"Gap", none, [](test::PreparedModel& m, IkTable&) { m.frames[4].boneNumber = -1; },
                      "ボーン番号に欠落があります"},
        WriterRefusal{"NotPrepared", none, [](test::PreparedModel& m, IkTable&) { m.skeleton.boneMatrices.clear(); },
                      "スキンにないボーン番号があります"},
        WriterRefusal{"NegativeBoneNumber", none, [](test::PreparedModel& m, IkTable&) { m.frames[0].boneNumber = -3; },
                      "スキンにないボーン番号があります"},
        WriterRefusal{"NoBones", none,
                      [](test::PreparedModel& m, IkTable&) {
                          for (DffFrame& frame : m.frames) {
                              frame.boneNumber = -1;
                          }
                      },
                      "ファイルにボーンが含まれていません"},
        WriterRefusal{"ParentBeyondTheFrames", none,
                      [](test::PreparedModel& m, IkTable&) { m.frames[3].parentIndex = 6; },
                      "親フレームのないボーンがあります"},
        WriterRefusal{"TailChildNotABone", nubs,
                      [](test::PreparedModel& m, IkTable&) { m.frames.push_back(makeFrame("Dummy", 4, -1, -1)); },
                      "ボーンでない子フレームがあります"},
        WriterRefusal{"ParentIkBeyondTheTable", names, [](test::PreparedModel&, IkTable& iks) { iks[5].parentIk = 6; },
                      "親IKの番号が範囲外です"},
        WriterRefusal{"NegativeParentIk", names, [](test::PreparedModel&, IkTable& iks) { iks[0].parentIk = -2; },
                      "親IKの番号が範囲外です"},
        WriterRefusal{"IkLinkNotABone", names,
                      [](test::PreparedModel& m, IkTable& iks) {
                          m.frames[0].boneId = 77;
                          iks[5].links[0].boneId = 77;
                      },
                      "IKの接続ボーンがボーンではありません (77)"},
        WriterRefusal{"IkTargetNotABone", names,
                      [](test::PreparedModel& m, IkTable& iks) {
                          m.frames[0].boneId = 77;
                          iks[0].targetBoneId = 77;
                      },
                      "IKの接続ボーンがボーンではありません (77)"}),
    [](const testing::TestParamInfo<WriterRefusal>& info) { return info.param.name; });

TEST(BuildPmx, ANonBoneTailChildIsNoTailOutsideTheNubMode) {
    test::PreparedModel model = test::makeWriterModel();
    model.frames.push_back(makeFrame("Dummy", 4, -1, -1));  // under Spine
    for (ConversionMode mode : {none, names}) {
        const test::DecodedPmx pmx = test::convert(model, mode, test::makeWriterBoneTable()).pmx;
        EXPECT_EQ(pmx.bones[2].tailBone, -1);
    }
}

TEST(BuildPmx, AnIkRowWithAMissingBoneIsDroppedEvenIfAnotherIsNotABone) {
    test::PreparedModel model = test::makeWriterModel();
    model.frames[0].boneId = 77;
    IkTable iks{{u"ＩＫ", -1, {}, 99, 1, 1.0f, {{77, {}, {}}}}};
    std::vector<std::string> warnings;
    EXPECT_EQ(test::refusal(model, names, test::makeWriterBoneTable(), iks, warnings), "");
    EXPECT_EQ(warnings, (std::vector<std::string>{"IKの接続ボーンが見つかりませんでした (99)",
                                                  "不明なボーンがありました: L Calf (42)"}));
}

TEST(BuildPmx, MoreBonesThanTwoByteIndicesAddress) {
    test::PreparedModel model = test::makeChainModel(32768);
    std::vector<std::string> warnings;
    EXPECT_EQ(test::refusal(model, none, {}, {}, warnings), "");
    model = test::makeChainModel(32769);
    EXPECT_EQ(test::refusal(model, none, {}, {}, warnings), "ボーンの数が多すぎます");
}

}  // namespace
}  // namespace zorvek
