#include "support/pmx/PmxTestModels.h"
#include "support/ExpectError.h"

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"

#include <filesystem>

#include <utility>

namespace zorvek::test {

Matrix44 identityMatrix() {
    return boneMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0});
}

Matrix44 boneMatrix(Vec3 x, Vec3 y, Vec3 z, Vec3 position) {
    Matrix44 matrix;
    const Vec3 rows[4] = {x, y, z, position};
    for (int r = 0; r < 4; ++r) {
        matrix.at(r, 0) = rows[r].x;
        matrix.at(r, 1) = rows[r].y;
        matrix.at(r, 2) = rows[r].z;
    }
    matrix.at(3, 3) = 1;
    return matrix;
}

DffFrame makeFrame(std::string name, std::int32_t parentIndex, std::int32_t boneId, std::int32_t boneNumber,
                   Vec3 translation) {
    DffFrame frame;
    frame.translation = translation;
    frame.parentIndex = parentIndex;
    frame.boneId = boneId;
    frame.boneNumber = boneNumber;
    frame.frameName = std::move(name);
    return frame;
}

PreparedModel makeWriterModel() {
    PreparedModel prepared;
    DffModel& model = prepared;
    model.frames = {makeFrame("Root", -1, -1, -1),  makeFrame("Normal", 0, 0, 0), makeFrame("Pelvis", 1, 1, 1),
                    makeFrame("L Thigh", 2, 41, 3), makeFrame("Spine", 2, 3, 2),  makeFrame("L Calf", 3, 42, 4)};
    const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    prepared.skeleton.boneMatrices = {boneMatrix(x, y, z, {0, 1, 0}), boneMatrix(x, y, z, {0, 1.25f, 0}),
                                      boneMatrix(y, {-1, 0, 0}, z, {0.25f, 1.25f, 0}),
                                      boneMatrix(x, y, z, {0, 1, 0.5f}), boneMatrix(x, y, z, {0.0625f, 0.5f, 0.5f})};
    prepared.skeleton.skinMatrices = {identityMatrix(), boneMatrix(x, y, z, {1, 0, 0}),
                                      boneMatrix(y, {-1, 0, 0}, z, {0, 0, 1}), identityMatrix(), identityMatrix()};
    model.inverseBindMatrices.assign(5, identityMatrix());
    model.positions = {{1, 2, 3}, {1, 2, 3}, {4, 5, 6}};
    model.normals = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
    model.uvSets = {{{0.25f, 0.5f}, {0.75f, 1}, {0, 0.125f}}};
    model.boneIndices = {{1, 0, 0, 0}, {1, 2, 0, 0}, {3, 4, 0, 0}};
    model.boneWeights = {{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0, 0, 0, 0}};
    model.textureIndices = {{"skin", 0}};
    model.materialTextureNames = {"skin", ""};
    model.meshSplits = {{0, {0, 1, 2}}};
    return prepared;
}

BoneTable makeWriterBoneTable() {
    BoneTable table;
    table.insert({0, u"全ての親", u"センター", {0, 1, 0}});
    table.insert({1, u"骨盤", u"下半身", {0, -1, 0}});
    table.insert({3, u"S", u"上半身", {0, 1, 0}});
    table.insert({41, u"左もも", u"左足", {0, -1, 0}});
    return table;
}

IkTable makeWriterIkTable() {
    IkTableEntry foot{u"左足ＩＫ", -1, {0, -1, 0}, 42, 40, 2.0f, {}};
    foot.links = {{41, {-0.5f, 0, 0}, {0, 0, 0}}, {1, {}, {}}};
    IkTableEntry toe{u"左つま先ＩＫ", 0, {0, 0, -1}, 3, 3, 4.0f, {{42, {}, {}}}};
    IkTableEntry missing{u"右足ＩＫ", -1, {}, 99, 40, 2.0f, {{41, {}, {}}}};
    IkTableEntry orphan{u"右つま先ＩＫ", 2, {}, 3, 3, 4.0f, {}};
    IkTableEntry early{u"早いＩＫ", 5, {}, 3, 3, 4.0f, {}};
    IkTableEntry thigh{u"ももＩＫ", -1, {0.5f, 0, 0}, 41, 7, 1.0f, {{1, {}, {0, 0, 0.25f}}}};
    return {foot, toe, missing, orphan, early, thigh};
}

PmxTexts makeTexts() {
    return {u"hero.dff", u".png", {}};
}

Converted convert(const PreparedModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
                  const PmxTexts& texts) {
    Converted result;
    DffModel used = model;
    const ByteBlock bytes = buildPmx(used, model.skeleton, mode, bones, iks, texts,
                                     [&](const std::string& message) { result.warnings.push_back(message); });
    result.pmx = decodePmx(bytes);
    return result;
}

std::string refusal(const PreparedModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
                    std::vector<std::string>& warnings) {
    const std::string message = userErrorOf([&] {
        DffModel used = model;
        buildPmx(used, model.skeleton, mode, bones, iks, makeTexts(),
                 [&](const std::string& text) { warnings.push_back(text); });
    });
    return message == noUserError ? "" : message;
}

PreparedModel makeChainModel(int boneCount) {
    PreparedModel prepared;
    DffModel& model = prepared;
    model.frames.push_back(makeFrame("Root", -1, -1, -1));
    for (int i = 0; i < boneCount; ++i) {
        model.frames.push_back(makeFrame(std::string("B").append(std::to_string(i)), i, 100 + i, i, {0, 0.5f, 0}));
        prepared.skeleton.boneMatrices.push_back(
            boneMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0.5f * static_cast<float>(i), 0}));
        prepared.skeleton.skinMatrices.push_back(identityMatrix());
        model.inverseBindMatrices.push_back(identityMatrix());
        model.positions.push_back({0, static_cast<float>(i), 0});
        model.boneIndices.push_back({static_cast<std::uint8_t>(i), 0, 0, 0});
        model.boneWeights.push_back({1, 0, 0, 0});
    }
    model.materialTextureNames = {""};
    model.meshSplits = {{0, {}}};
    return prepared;
}

DffModel readSampleModel() {
    const Bytes bytes = readWholeFile(std::filesystem::path(ZORVEK_SOURCE_DIR) / "samples/zorvek_sample.dff");
    DffModel model;
    SectionInput input(bytes);
    readDffModel(input, model, [](const std::string&) {});
    numberTextures(model);
    return model;
}

}  // namespace zorvek::test
