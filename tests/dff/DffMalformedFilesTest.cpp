#include "ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorvek::test {
namespace {

const std::string broken = "ファイルが壊れています ";
const std::string geometryStruct = "(Clump\\GeometryList\\Geometry\\Struct)";
const std::string geometryPlugins = "Clump\\GeometryList\\Geometry\\Extension\\";

Chunk& geometryOf(Chunk& clump) {
    return clump.at({SectionType::GeometryList, SectionType::Geometry});
}

Bytes& geometryData(Chunk& clump) {
    return geometryOf(clump).child(SectionType::Struct).payload;
}

Chunk& pluginOf(Chunk& clump, SectionType type) {
    return geometryOf(clump).child(SectionType::Extension).child(type);
}

struct MalformedCase {
    const char* label;
    std::function<void(Chunk&)> edit;
    std::string message;
};

std::vector<MalformedCase> countCases() {
    return {
        {"huge frame count",
         [](Chunk& c) {
             putU32(c.at({SectionType::FrameList, SectionType::Struct}).payload, 0, 0xFFFFFFFF);
         },
         broken + "(Clump\\FrameList\\Struct)"},
        {"one frame more than stored",
         [](Chunk& c) {
             putU32(c.at({SectionType::FrameList, SectionType::Struct}).payload, 0, 5);
         },
         broken + "(Clump\\FrameList\\Struct)"},
        {"negative node count",
         [](Chunk& c) {
             putI32(
                 c.child(SectionType::FrameList).child(SectionType::Extension, 1).child(SectionType::HAnimPLG).payload,
                 8, -3);
         },
         broken + "(Clump\\FrameList\\Extension\\HAnimPLG)"},
        {"negative triangle count", [](Chunk& c) { putI32(geometryData(c), 4, -1); }, broken + geometryStruct},
        {"huge triangle count", [](Chunk& c) { putI32(geometryData(c), 4, 0x7FFFFFFF); }, broken + geometryStruct},
        {"negative vertex count", [](Chunk& c) { putI32(geometryData(c), 8, -4); }, broken + geometryStruct},
        {"huge vertex count", [](Chunk& c) { putI32(geometryData(c), 8, 0x7FFFFFFF); }, broken + geometryStruct},
        {"one vertex more than stored", [](Chunk& c) { putI32(geometryData(c), 8, 5); }, broken + geometryStruct},
        {"255 texture sets", [](Chunk& c) { geometryData(c)[2] = 0xFF; }, broken + geometryStruct},
        {"huge material count",
         [](Chunk& c) {
             putU32(geometryOf(c).at({SectionType::MaterialList, SectionType::Struct}).payload, 0, 0x40000000);
         },
         broken + "(Clump\\GeometryList\\Geometry\\MaterialList\\Struct)"},
        {"huge mesh count", [](Chunk& c) { putU32(pluginOf(c, SectionType::BinMeshPLG).payload, 4, 0xFFFFFFFF); },
         broken + "(" + geometryPlugins + "BinMeshPLG)"},
        {"huge index count", [](Chunk& c) { putU32(pluginOf(c, SectionType::BinMeshPLG).payload, 12, 0xFFFFFFF0); },
         broken + "(" + geometryPlugins + "BinMeshPLG)"},
        {"255 bones", [](Chunk& c) { pluginOf(c, SectionType::SkinPLG).payload[0] = 0xFF; },
         broken + "(" + geometryPlugins + "SkinPLG)"},
    };
}

std::vector<MalformedCase> sizeCases() {
    return {
        {"clump size past the end", [](Chunk& c) { c.size = 0xFFFFFFFF; }, broken + "(Clump)"},
        {"clump struct of 2 bytes", [](Chunk& c) { c.child(SectionType::Struct).size = 2; },
         broken + "(Clump\\Struct)"},
        {"struct size with the sign bit", [](Chunk& c) { c.child(SectionType::Struct).size = 0x80000000; },
         broken + "(Clump\\Struct)"},
        {"geometry struct one byte short",
         [](Chunk& c) {
             Chunk& data = geometryOf(c).child(SectionType::Struct);
             data.payload.pop_back();
         },
         broken + geometryStruct},
        {"material struct too short",
         [](Chunk& c) {
             geometryOf(c)
                 .at({SectionType::MaterialList, SectionType::Material, SectionType::Struct})
                 .payload.resize(14);
         },
         broken + "(Clump\\GeometryList\\Geometry\\MaterialList\\Material\\Struct)"},
        {"empty frame name",
         [](Chunk& c) {
             c.child(SectionType::FrameList).child(SectionType::Extension, 2).child(SectionType::Frame).payload.clear();
         },
         broken + "(Clump\\FrameList\\Extension\\Frame)"},
        {"empty texture name",
         [](Chunk& c) {
             geometryOf(c)
                 .at({SectionType::MaterialList, SectionType::Material, SectionType::Texture, SectionType::String})
                 .payload.clear();
         },
         broken + "(Clump\\GeometryList\\Geometry\\MaterialList\\Material\\Texture\\String)"},
        {"skin shorter than its matrices", [](Chunk& c) { pluginOf(c, SectionType::SkinPLG).payload.resize(100); },
         broken + "(" + geometryPlugins + "SkinPLG)"},
    };
}

void runCases(const std::vector<MalformedCase>& cases) {
    for (const MalformedCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        Chunk clump = toClump(sampleSkinnedModel());
        testCase.edit(clump);
        EXPECT_EQ(readModel(serialize(clump)).error, testCase.message);
    }
}

TEST(DffMalformedFiles, CountsThePayloadCannotHold) {
    runCases(countCases());
}

TEST(DffMalformedFiles, SizesThatDoNotFit) {
    runCases(sizeCases());
}

TEST(DffMalformedFiles, EveryTruncationFails) {
    const Bytes file = buildDff(sampleSkinnedModel());
    ASSERT_EQ(readModel(file).error, "");
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        const Bytes truncated(file.begin(), file.begin() + static_cast<long>(cut));
        EXPECT_NE(readModel(truncated).error, "") << "cut at " << cut;
    }
}

// With the Clump's size made to fit the cut, the damage is met inside it.
TEST(DffMalformedFiles, TruncationsInsideAFittingClumpFailUntilTheGeometryListIsWhole) {
    const Chunk clump = toClump(sampleSkinnedModel());
    const Bytes file = serialize(clump);
    const std::size_t geometryListEnd = file.size() - chunkHeaderSize - payloadSize(clump.children.back());
    for (std::size_t cut = chunkHeaderSize; cut < file.size(); ++cut) {
        Bytes truncated(file.begin(), file.begin() + static_cast<long>(cut));
        putU32(truncated, 4, static_cast<std::uint32_t>(cut - chunkHeaderSize));
        const std::string error = readModel(truncated).error;
        if (cut < geometryListEnd) {
            EXPECT_NE(error, "") << "cut at " << cut;
        } else {
            EXPECT_EQ(error, "") << "cut at " << cut;
        }
    }
}

// Every byte replaced by a few telling values: the reader either reads a
// model or reports the file, and never reads outside it (run under the sanitizers).
TEST(DffMalformedFiles, CorruptedBytesNeverEscapeTheReader) {
    const Bytes file = buildDff(sampleSkinnedModel());
    std::size_t failures = 0;
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
            Bytes corrupted = file;
            corrupted[at] = value;
            ReadResult result;
            ASSERT_NO_THROW(result = readModel(corrupted)) << "byte " << at << " = " << int{value};
            failures += result.error.empty() ? 0 : 1;
            EXPECT_LE(result.model.positions.size() * sizeof(Vec3), file.size());
        }
    }
    EXPECT_GT(failures, 0u);
}

// Large counts are read whole, not cut at some limit (scripts/bench.sh times it).
TEST(DffModelReaderLargeModel, ReadsAMillionVertices) {
    constexpr std::size_t vertices = 1'000'000;
    SkinnedModel model = sampleSkinnedModel();
    GeometrySpec& geometry = model.geometries[0];
    geometry.positions.resize(vertices);
    for (std::size_t i = 0; i < vertices; ++i) {
        geometry.positions[i] = {static_cast<float>(i), 1, 2};
    }
    geometry.normals.assign(vertices, {0, 0, 1});
    geometry.uvSets = {std::vector<Vec2>(vertices, {0.5f, 0.25f})};
    geometry.triangles.assign(vertices, {0, 1, 0, 2});
    geometry.skin.boneIndices.assign(vertices, {0, 1, 0, 0});
    geometry.skin.weights.assign(vertices, {0.5f, 0.5f, 0, 0});
    geometry.meshes = {{0, std::vector<std::uint32_t>(3 * vertices, 7)}};
    const Bytes file = buildDff(model);

    const ReadResult result = readModel(file);

    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.model.positions.size(), vertices);
    EXPECT_EQ(result.model.positions.back(), (Vec3{999999, 1, 2}));
    EXPECT_EQ(result.model.boneWeights.size(), vertices);
    EXPECT_EQ(result.model.meshSplits[0].indices.size(), 3 * vertices);
}

}  // namespace
}  // namespace zorvek::test
