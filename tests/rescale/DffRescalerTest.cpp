#include "rescale/DffRescaler.h"
#include "support/ExpectError.h"

#include "base/UserMessageError.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zorvek {
namespace {

using test::buildDff;
using test::SkinnedModel;

// The builder's sample with the values of the worked example: a frame at
// (1, 2, 3), a vertex at (0.5, 0, -1) and a bone whose fourth row is (0.1, 0.2, 0.3, 1).
SkinnedModel exampleModel() {
    SkinnedModel model = test::sampleSkinnedModel();
    model.frames[1].translation = {1, 2, 3};
    model.frames[1].rotation = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    model.geometries[0].positions[0] = {0.5f, 0, -1};
    model.geometries[0].boundingSphere = {1, 2, 3, 4};
    Matrix44& matrix = model.geometries[0].skin.inverseMatrices[1];
    matrix.at(3, 0) = 0.1f, matrix.at(3, 1) = 0.2f, matrix.at(3, 2) = 0.3f, matrix.at(3, 3) = 1.0f;
    return model;
}

// What the rescale must give: the same model with the three kinds of values multiplied.
SkinnedModel scaledCopy(SkinnedModel model, float factor) {
    for (test::FrameSpec& frame : model.frames) {
        frame.translation = {frame.translation.x * factor, frame.translation.y * factor, frame.translation.z * factor};
    }
    test::GeometrySpec& geometry = model.geometries[0];
    for (Vec3& position : geometry.positions) {
        position = {position.x * factor, position.y * factor, position.z * factor};
    }
    for (Matrix44& matrix : geometry.skin.inverseMatrices) {
        for (int column = 0; column < 4; ++column) {
            matrix.at(3, column) = matrix.at(3, column) * factor;
        }
    }
    return model;
}

struct FactorCase {
    const char* name;
    float factor;
};

class RescaleFactor : public ::testing::TestWithParam<FactorCase> {};

TEST_P(RescaleFactor, ScalesExactlyTheThreeKindsOfValues) {
    const SkinnedModel model = exampleModel();
    std::vector<std::string> warnings;
    const Bytes output =
        rescaledCopy(buildDff(model), GetParam().factor, [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(output, buildDff(scaledCopy(model, GetParam().factor)));
    EXPECT_TRUE(warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Factors, RescaleFactor,
                         ::testing::Values(FactorCase{"One", 1.0f}, FactorCase{"Two", 2.0f}, FactorCase{"Zero", 0.0f},
                                           FactorCase{"Negative", -1.5f}, FactorCase{"Fraction", 0.1f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rescale, ChangedRangesHoldEveryDifference) {
    const Bytes input = buildDff(exampleModel());
    Bytes output = input;
    const std::vector<ByteRange> changed = rescaleDff(output, -3.0f, [](const std::string&) {});
    Bytes rebuilt = input;
    for (const ByteRange& range : changed) {
        ASSERT_LE(range.offset + range.size, input.size());
        std::copy_n(output.begin() + static_cast<std::ptrdiff_t>(range.offset), range.size,
                    rebuilt.begin() + static_cast<std::ptrdiff_t>(range.offset));
    }
    EXPECT_EQ(rebuilt, output);
    EXPECT_NE(output, input);
}

TEST(Rescale, FactorOneGivesTheInputByteForByte) {
    const Bytes input = buildDff(exampleModel());
    EXPECT_EQ(rescaledCopy(input, 1.0f, [](const std::string&) {}), input);
}

TEST(Rescale, FactorTwoGivesTheWorkedExampleValues) {
    const Bytes output = rescaledCopy(buildDff(exampleModel()), 2.0f, [](const std::string&) {});
    const SkinnedModel expected = scaledCopy(exampleModel(), 2.0f);
    EXPECT_EQ(expected.frames[1].translation, (Vec3{2, 4, 6}));
    EXPECT_EQ(expected.geometries[0].positions[0], (Vec3{1, 0, -2}));
    const Matrix44& matrix = expected.geometries[0].skin.inverseMatrices[1];
    EXPECT_EQ((Vec4{matrix.at(3, 0), matrix.at(3, 1), matrix.at(3, 2), matrix.at(3, 3)}),
              (Vec4{0.2f, 0.4f, 0.6f, 2.0f}));
    EXPECT_EQ(output, buildDff(expected));
}

TEST(Rescale, OnlyTheFirstGeometryAndMorphTargetAreScaled) {
    SkinnedModel model = exampleModel();
    model.geometries[0].extraMorphTargets.push_back(model.geometries[0].positions);
    model.geometries.push_back(model.geometries[0]);
    std::vector<std::string> warnings;
    const Bytes output = rescaledCopy(buildDff(model), 3.0f, [&](const std::string& w) { warnings.push_back(w); });

    SkinnedModel expected = scaledCopy(model, 3.0f);
    expected.geometries[1] = model.geometries[1];
    EXPECT_EQ(output, buildDff(expected));
    EXPECT_EQ(warnings, std::vector<std::string>{"ファイルに複数のモデルが含まれていますが無視されます"});
}

TEST(Rescale, WarnsAsTheConversionDoes) {
    SkinnedModel model = exampleModel();
    model.geometries[0].flags = test::geometryPositions | test::geometryPrelit;
    model.geometries[0].prelit.assign(model.geometries[0].positions.size(), {1, 2, 3, 4});
    std::vector<std::string> warnings;
    const Bytes output = rescaledCopy(buildDff(model), 2.0f, [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(output, buildDff(scaledCopy(model, 2.0f)));
    EXPECT_EQ(warnings, (std::vector<std::string>{"頂点カラーが含まれていますが無視されます",
                                                  "テクスチャ座標が含まれていません", "法線が含まれていません"}));
}

TEST(Rescale, AFileItCannotWalkYieldsNothing) {
    SkinnedModel model = exampleModel();
    model.frames.resize(1);
    EXPECT_USER_ERROR(rescaledCopy(buildDff(model), 2.0f, [](const std::string&) {}),
                      "ファイルにボーンが含まれていません");
}

}  // namespace
}  // namespace zorvek
