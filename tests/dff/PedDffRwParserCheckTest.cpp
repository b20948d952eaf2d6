// Written peds read by rw-parser, a RenderWare reader we did not write.
#include "PedDffTestModel.h"
#include "dff/PedDffWriter.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zorvek::test {
namespace {

const std::filesystem::path checkerFolder = std::filesystem::path(ZORVEK_SOURCE_DIR) / "tests/dff/rw-parser";

std::string missingTools() {
    return missingNodePackage(checkerFolder, "rw-parser");
}

CommandResult runChecker(const std::filesystem::path& file, const std::string& arguments) {
    return runCommand("node " + shellQuoted(checkerFolder / "check-dff.mjs") + " " + shellQuoted(file) + " " +
                      arguments);
}

// ---------------------------------------------------------------- JSON of the expectations

// A float as the double that JavaScript reads from the file's float.
std::string jsonFloat(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value)).ptr;
    return std::string(text, end);
}
std::string jsonInt(std::int64_t value) {
    return std::to_string(value);
}
std::string jsonText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    }
    return quoted + "\"";
}

// Items in brackets, separated by commas; each appended, not summed, which
// GCC 12's overflow warning misreads at -O3.
std::string bracketed(const std::vector<std::string>& items) {
    std::string text = "[";
    for (const std::string& item : items) {
        if (text.size() > 1) {
            text += ',';
        }
        text += item;
    }
    text += ']';
    return text;
}

template <typename List, typename Item>
std::string jsonList(const List& list, Item item) {
    std::vector<std::string> items;
    for (const auto& value : list) {
        items.push_back(item(value));
    }
    return bracketed(items);
}

std::string jsonVec(const Vec3& v) {
    return bracketed({jsonFloat(v.x), jsonFloat(v.y), jsonFloat(v.z)});
}

// Everything rw-parser reports, as the ped says it must be.
std::string expectationsOf(const PedDff& ped) {
    const std::vector<DffFrame> bones(ped.frames.begin() + 1, ped.frames.end());
    std::vector<std::vector<std::int64_t>> triangles;
    std::vector<std::string> textures;
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        const auto& indices = ped.materials[m].triangles;
        for (std::size_t t = 0; t < indices.size(); t += 3) {
            triangles.push_back({indices[t], indices[t + 1], indices[t + 2], static_cast<std::int64_t>(m)});
        }
        textures.push_back(ped.materials[m].textureName);
    }
    const auto count = [](std::size_t n) { return jsonInt(static_cast<std::int64_t>(n)); };
    const auto ints = [](const auto& list) {
        return jsonList(list, [](auto value) { return jsonInt(static_cast<std::int64_t>(value)); });
    };
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"version", jsonText("RenderWare 3.6.0.3 (SA)")},
        {"clumpCount", "1"},
        {"atomicCount", "1"},
        {"lightCount", "0"},
        {"cameraCount", "0"},
        {"geometryCount", "1"},
        {"frameCount", count(ped.frames.size())},
        {"frameParents", jsonList(ped.frames, [](const DffFrame& f) { return jsonInt(f.parentIndex); })},
        {"frameNames", jsonList(bones, [](const DffFrame& f) { return jsonText(f.frameName); })},
        {"hanimBoneIds", jsonList(bones, [](const DffFrame& f) { return jsonInt(f.boneId); })},
        {"nodeCount", count(ped.nodes.size())},
        {"nodes", jsonList(ped.nodes,
                           [](const HAnimNode& n) {
                               return bracketed({jsonInt(n.id), jsonInt(n.index), jsonInt(n.flags)});
                           })},
        {"vertexCount", count(ped.positions.size())},
        {"triangleCount", count(triangles.size())},
        {"triangles", jsonList(triangles, ints)},
        {"materialCount", count(ped.materials.size())},
        {"textureNames", jsonList(textures, jsonText)},
        // Linear mip-mapped filtering (6), wrapped in U and V (1), mip levels.
        {"textureFilters",
         jsonList(textures, [](const std::string& t) { return std::string(t.empty() ? "null" : "[6,1,1,true]"); })},
        {"meshCount", count(ped.materials.size())},
        {"meshMaterials", jsonList(textures, [n = 0](const std::string&) mutable { return jsonInt(n++); })},
        {"meshIndices", jsonList(ped.materials, [&](const PedDffMaterial& m) { return ints(m.triangles); })},
        {"positions", jsonList(ped.positions, jsonVec)},
        {"normals", jsonList(ped.normals, jsonVec)},
        {"uvs", jsonList(ped.uvs,
                         [](const Vec2& uv) {
                             return bracketed({jsonFloat(uv.x), jsonFloat(uv.y)});
                         })},
        {"skinBoneCount", count(ped.nodes.size())},
        {"usedBoneCount", count(testPedUsedBones().size())},
        {"maxWeights", "4"},
        {"boneIndices", jsonList(ped.boneIndices, ints)},
        {"weights", jsonList(ped.boneWeights,
                             [](const Vec4& w) {
                                 return bracketed({jsonFloat(w.x), jsonFloat(w.y), jsonFloat(w.z), jsonFloat(w.w)});
                             })},
        {"atomicFrame", count(ped.atomicFrame)},
        {"atomicFlags", "5"},
        // The two chunks it does not know: the geometry's breakable word and the atomic's RightToRender.
        {"skipped", bracketed({jsonText("253f2fd"), jsonText("1f")})},
    };
    std::vector<std::string> members;
    for (const auto& [key, value] : fields) {
        members.push_back(jsonText(key) + ":" + value);
    }
    std::string object = bracketed(members);
    object.front() = '{';
    object.back() = '}';
    return object;
}

TEST(RwParserCheck, ReadsEverythingOfTheWrittenPed) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    PedDff ped = makeTestPed();
    ped.atomicFrame = 2;
    TempDir dir;
    const std::filesystem::path file = dir.write("ped.dff", writePedDff(ped).span());
    const std::filesystem::path expectations = dir.write("expected.json", expectationsOf(ped));
    const CommandResult result = runChecker(file, shellQuoted(expectations));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

TEST(RwParserCheck, ReportsAWrongExpectation) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    TempDir dir;
    const std::filesystem::path file = dir.write("ped.dff", writePedDff(makeTestPed()).span());
    const CommandResult result = runChecker(file, "vertexCount=5 frameCount=34");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("mismatch: frameCount: expected 34, found 33"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("mismatch: vertexCount"), std::string::npos) << result.output;
}

TEST(RwParserCheck, FailsOnAFileCutShort) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const ByteBlock dff = writePedDff(makeTestPed());
    TempDir dir;
    const std::filesystem::path file = dir.write("ped.dff", dff.span().first(dff.size() / 2));
    const CommandResult result = runChecker(file, "vertexCount=5");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("rw-parser failed"), std::string::npos) << result.output;
}

TEST(RwParserCheck, RefusesAnUnknownExpectation) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    TempDir dir;
    const std::filesystem::path file = dir.write("ped.dff", writePedDff(makeTestPed()).span());
    const CommandResult result = runChecker(file, "boneCount=32");
    EXPECT_EQ(result.status, 2) << result.output;
    EXPECT_NE(result.output.find("unknown expectation: boneCount"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace zorvek::test
