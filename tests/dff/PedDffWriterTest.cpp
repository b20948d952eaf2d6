#include "PedDffTestModel.h"
#include "ReaderTestSupport.h"
#include "dff/PedDffWriter.h"
#include "support/ExpectError.h"
#include "support/PlainArrays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

Bytes bytesOf(const ByteBlock& block) {
    return Bytes(block.begin(), block.end());
}

Bytes writtenPed(const PedDff& ped) {
    return bytesOf(writePedDff(ped));
}

// ---------------------------------------------------------------- the file read back by our reader

TEST(PedDffWriter, OurReaderReadsBackEverythingWritten) {
    const PedDff ped = makeTestPed();
    const ReadResult result = readModel(writtenPed(ped));
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(result.warnings.empty());
    const DffModel& model = result.model;

    ASSERT_EQ(model.frames.size(), 33u);
    for (std::size_t i = 0; i < ped.frames.size(); ++i) {
        SCOPED_TRACE(i);
        const DffFrame& read = model.frames[i];
        const DffFrame& written = ped.frames[i];
        EXPECT_EQ(read.rotation, written.rotation);
        EXPECT_EQ(read.translation, written.translation);
        EXPECT_EQ(read.parentIndex, written.parentIndex);
        EXPECT_EQ(read.boneId, written.boneId);
        EXPECT_EQ(read.boneNumber, written.boneNumber);
        EXPECT_EQ(read.frameName, written.frameName);
    }
    EXPECT_EQ(model.frames[11].frameName, "Bip01 R Clavicle");
    EXPECT_EQ(model.frames[3].frameName, " R Thigh");

    ASSERT_EQ(model.uvSets.size(), 1u);
    EXPECT_EQ(plain(model.uvSets[0]), plain(ped.uvs));
    EXPECT_EQ(plain(model.positions), plain(ped.positions));
    EXPECT_EQ(plain(model.normals), plain(ped.normals));
    EXPECT_EQ(plain(model.boneIndices), plain(ped.boneIndices));
    EXPECT_EQ(plain(model.boneWeights), plain(ped.boneWeights));
    EXPECT_EQ(model.inverseBindMatrices, ped.inverseBindMatrices);

    EXPECT_EQ(model.materialTextureNames, (std::vector<std::string>{"torso", ""}));
    EXPECT_EQ(model.textureIndices, (std::map<std::string, std::int32_t>{{"torso", -1}}));
    EXPECT_EQ(model.isTriStrip, 0u);
    ASSERT_EQ(model.meshSplits.size(), ped.materials.size());
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        EXPECT_EQ(model.meshSplits[m].materialIndex, m);
        EXPECT_EQ(plain(model.meshSplits[m].indices), plain(ped.materials[m].triangles));
    }
}

TEST(PedDffWriter, TheLimitsThemselvesAreWritten) {
    PedDff ped = makeTestPed();
    const std::size_t vertices = maxPedVertices;
    ped.positions.resize(vertices, {2, 3, 4});
    ped.normals.resize(vertices, {0, 0, 1});
    ped.uvs.resize(vertices, {0.5f, 0.5f});
    ped.boneIndices.resize(vertices, {{7, 0, 0, 0}});
    ped.boneWeights.resize(vertices, {1, 0, 0, 0});
    ped.materials[1].triangles = {4, 65534, 65533};
    ped.frames[7].frameName = std::string(23, 'F');
    ped.materials[0].textureName = std::string(31, 't');
    const ReadResult result = readModel(writtenPed(ped));
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.model.positions.size(), vertices);
    EXPECT_EQ(result.model.positions.back(), (Vec3{2, 3, 4}));
    EXPECT_EQ(result.model.frames[7].frameName, std::string(23, 'F'));
    EXPECT_EQ(result.model.materialTextureNames[0], std::string(31, 't'));
    EXPECT_EQ(plain(result.model.meshSplits[1].indices), (std::vector<std::uint32_t>{4, 65534, 65533}));
}

// ---------------------------------------------------------------- the chunk tree

struct ChunkNode {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::size_t payload = 0;  // offset of the payload in the file
    std::vector<ChunkNode> children;
};

bool isContainer(std::uint32_t type) {
    static const std::set<std::uint32_t> containers = {
        typeId(SectionType::Clump),        typeId(SectionType::FrameList), typeId(SectionType::Extension),
        typeId(SectionType::GeometryList), typeId(SectionType::Geometry),  typeId(SectionType::MaterialList),
        typeId(SectionType::Material),     typeId(SectionType::Texture),   typeId(SectionType::Atomic)};
    return containers.count(type) != 0;
}

// The chunks from begin to exactly end; a container's children must fill it exactly.
std::vector<ChunkNode> parseChunks(const Bytes& file, std::size_t begin, std::size_t end) {
    std::vector<ChunkNode> chunks;
    std::size_t at = begin;
    while (at < end) {
        if (end - at < chunkHeaderSize) {
            ADD_FAILURE() << "a partial chunk header at " << at;
            return chunks;
        }
        ChunkNode chunk;
        chunk.type = getU32(file, at);
        chunk.size = getU32(file, at + 4);
        chunk.version = getU32(file, at + 8);
        chunk.payload = at + chunkHeaderSize;
        if (chunk.size > end - chunk.payload) {
            ADD_FAILURE() << "chunk 0x" << std::hex << chunk.type << " at " << std::dec << at
                          << " runs past its parent";
            return chunks;
        }
        if (isContainer(chunk.type)) {
            chunk.children = parseChunks(file, chunk.payload, chunk.payload + chunk.size);
        }
        at = chunk.payload + chunk.size;
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

struct Step {
    SectionType type;
    int nth = 0;
};

const ChunkNode& chunkAt(const ChunkNode& root, const std::vector<Step>& path) {
    const ChunkNode* current = &root;
    for (const Step& step : path) {
        int left = step.nth;
        const ChunkNode* found = nullptr;
        for (const ChunkNode& child : current->children) {
            if (child.type == typeId(step.type) && left-- == 0) {
                found = &child;
                break;
            }
        }
        if (found == nullptr) {
            throw std::logic_error("no chunk " + std::string(sectionName(step.type)) + " #" + std::to_string(step.nth));
        }
        current = found;
    }
    return *current;
}

void visit(const ChunkNode& chunk, const std::function<void(const ChunkNode&)>& f) {
    f(chunk);
    for (const ChunkNode& child : chunk.children) {
        visit(child, f);
    }
}

class WrittenPed : public testing::Test {
protected:
    void SetUp() override {
        file = writtenPed(makeTestPed());
        const std::vector<ChunkNode> top = parseChunks(file, 0, file.size());
        ASSERT_EQ(top.size(), 1u);
        clump = top[0];
    }
    Bytes file;
    ChunkNode clump;
};

TEST_F(WrittenPed, IsOneClumpWhoseChunksAllCarryTheStamp) {
    EXPECT_EQ(clump.type, typeId(SectionType::Clump));
    EXPECT_EQ(clump.size + chunkHeaderSize, file.size());
    std::size_t chunks = 0;
    visit(clump, [&](const ChunkNode& chunk) {
        ++chunks;
        EXPECT_EQ(chunk.version, 0x1803FFFFu) << "chunk 0x" << std::hex << chunk.type << " at " << chunk.payload;
    });
    // Clump, Struct, FrameList (Struct, 33 Extensions, 2 chunks in 32 of them), GeometryList
    // (Struct, Geometry: Struct, MaterialList: Struct, a textured Material of 8 chunks, a plain
    // one of 3; Extension of 4), Atomic of 4, Extension.
    EXPECT_EQ(chunks, 1u + 1 + (1 + 1 + 33 + 64) + (1 + 1 + 1 + 1 + (1 + 1 + 8 + 3) + 4) + 4 + 1);
}

struct ChildrenCase {
    const char* name;
    std::vector<Step> path;
    std::vector<SectionType> children;
};

void PrintTo(const ChildrenCase& c, std::ostream* os) {
    *os << c.name;
}

class WrittenPedChildren : public WrittenPed, public testing::WithParamInterface<ChildrenCase> {};

TEST_P(WrittenPedChildren, InTheGameOrder) {
    const ChildrenCase& c = GetParam();
    std::vector<std::uint32_t> expected;
    for (SectionType type : c.children) {
        expected.push_back(typeId(type));
    }
    std::vector<std::uint32_t> found;
    for (const ChunkNode& child : chunkAt(clump, c.path).children) {
        found.push_back(child.type);
    }
    EXPECT_EQ(found, expected);
}

using ST = SectionType;
const std::vector<Step> geometry = {{ST::GeometryList}, {ST::Geometry}};

std::vector<Step> under(std::vector<Step> path, std::initializer_list<Step> more) {
    path.insert(path.end(), more);
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, WrittenPedChildren,
    testing::Values(
        ChildrenCase{"Clump", {}, {ST::Struct, ST::FrameList, ST::GeometryList, ST::Atomic, ST::Extension}},
        ChildrenCase{"IdentityFrame", {{ST::FrameList}, {ST::Extension, 0}}, {}},
        ChildrenCase{"RootFrame", {{ST::FrameList}, {ST::Extension, 1}}, {ST::HAnimPLG, ST::Frame}},
        ChildrenCase{"LastFrame", {{ST::FrameList}, {ST::Extension, 32}}, {ST::HAnimPLG, ST::Frame}},
        ChildrenCase{"GeometryList", {{ST::GeometryList}}, {ST::Struct, ST::Geometry}},
        ChildrenCase{"Geometry", geometry, {ST::Struct, ST::MaterialList, ST::Extension}},
        ChildrenCase{"MaterialList", under(geometry, {{ST::MaterialList}}), {ST::Struct, ST::Material, ST::Material}},
        ChildrenCase{"TexturedMaterial",
                     under(geometry, {{ST::MaterialList}, {ST::Material}}),
                     {ST::Struct, ST::Texture, ST::Extension}},
        ChildrenCase{
            "PlainMaterial", under(geometry, {{ST::MaterialList}, {ST::Material, 1}}), {ST::Struct, ST::Extension}},
        ChildrenCase{"Texture",
                     under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Texture}}),
                     {ST::Struct, ST::String, ST::String, ST::Extension}},
        ChildrenCase{"TextureExtension",
                     under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Texture}, {ST::Extension}}),
                     {}},
        ChildrenCase{
            "GeometryExtension", under(geometry, {{ST::Extension}}), {ST::BinMeshPLG, ST::SkinPLG, ST::Breakable}},
        ChildrenCase{"Atomic", {{ST::Atomic}}, {ST::Struct, ST::Extension}},
        ChildrenCase{"AtomicExtension", {{ST::Atomic}, {ST::Extension}}, {ST::RightToRender}},
        ChildrenCase{"ClumpExtension", {{ST::Extension}}, {}}),
    [](const testing::TestParamInfo<ChildrenCase>& info) { return info.param.name; });

// Expected payload bytes, built from words as the file stores them.
class Expected {
public:
    Expected& u8(std::uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    Expected& u16(std::uint16_t value) {
        return u8(static_cast<std::uint8_t>(value)).u8(static_cast<std::uint8_t>(value >> 8));
    }
    Expected& u32(std::uint32_t value) {
        return u16(static_cast<std::uint16_t>(value)).u16(static_cast<std::uint16_t>(value >> 16));
    }
    Expected& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    Expected& f32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }
    Expected& text(std::string_view text) {
        for (char c : text) {
            u8(static_cast<std::uint8_t>(c));
        }
        return *this;
    }
    Expected& zeros(std::size_t n) {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    operator Bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

struct PayloadCase {
    const char* name;
    std::vector<Step> path;
    std::size_t offset;  // into the payload
    Bytes bytes;
    std::optional<std::uint32_t> size;  // the whole payload's, where fixed
};

void PrintTo(const PayloadCase& c, std::ostream* os) {
    *os << c.name;
}

class WrittenPedPayload : public WrittenPed, public testing::WithParamInterface<PayloadCase> {};

TEST_P(WrittenPedPayload, HoldsTheFixedValues) {
    const PayloadCase& c = GetParam();
    const ChunkNode& chunk = chunkAt(clump, c.path);
    if (c.size) {
        EXPECT_EQ(chunk.size, *c.size);
    }
    ASSERT_LE(c.offset + c.bytes.size(), chunk.size);
    const auto from = file.begin() + static_cast<std::ptrdiff_t>(chunk.payload + c.offset);
    EXPECT_EQ(Bytes(from, from + static_cast<std::ptrdiff_t>(c.bytes.size())), c.bytes);
}

Bytes rootHAnim() {
    Expected e;
    e.u32(0x100).i32(0).i32(32).i32(0).i32(36);
    const auto& bones = pedBones();
    for (std::size_t k = 0; k < bones.size(); ++k) {
        e.i32(bones[k].id).i32(static_cast<std::int32_t>(k)).i32(pedNodeFlags(static_cast<int>(k)));
    }
    return e;
}

constexpr std::uint32_t skinSize = 4 + 9 + 20 * 5 + 64 * 32 + 12;

INSTANTIATE_TEST_SUITE_P(
    Chunks, WrittenPedPayload,
    testing::Values(
        PayloadCase{"ClumpCounts", {{ST::Struct}}, 0, Expected().u32(1).u32(0).u32(0), 12},
        PayloadCase{"FrameCount", {{ST::FrameList}, {ST::Struct}}, 0, Expected().u32(33), 4 + 56 * 33},
        // Frame 0: identity rows, no offset, no parent, matrix flags 0.
        PayloadCase{"IdentityFrame",
                    {{ST::FrameList}, {ST::Struct}},
                    4,
                    Expected().f32(1).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).zeros(12).i32(-1).u32(0),
                    {}},
        // Frame 2 (Pelvis) turned a quarter about Z, a child of Root (frame 1).
        PayloadCase{"PelvisFrame",
                    {{ST::FrameList}, {ST::Struct}},
                    4 + 56 * 2,
                    Expected()
                        .f32(0)
                        .f32(1)
                        .f32(0)
                        .f32(-1)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(1)
                        .f32(0.03125f)
                        .f32(-0.0625f)
                        .f32(0.265625f)
                        .i32(1)
                        .u32(0),
                    {}},
        PayloadCase{"RootHAnimWithTheNodeTable",
                    {{ST::FrameList}, {ST::Extension, 1}, {ST::HAnimPLG}},
                    0,
                    rootHAnim(),
                    12 + 8 + 12 * 32},
        PayloadCase{"PelvisHAnim",
                    {{ST::FrameList}, {ST::Extension, 2}, {ST::HAnimPLG}},
                    0,
                    Expected().u32(0x100).i32(1).i32(0),
                    12},
        PayloadCase{"RootName", {{ST::FrameList}, {ST::Extension, 1}, {ST::Frame}}, 0, Expected().text("Root"), 4},
        PayloadCase{"ClavicleName",
                    {{ST::FrameList}, {ST::Extension, 11}, {ST::Frame}},
                    0,
                    Expected().text("Bip01 R Clavicle"),
                    16},
        PayloadCase{"GeometryCount", {{ST::GeometryList}, {ST::Struct}}, 0, Expected().u32(1), 4},
        PayloadCase{"GeometryHead", under(geometry, {{ST::Struct}}), 0, Expected().u32(0x10036).u32(3).u32(5).u32(1),
                    16 + 8 * 5 + 8 * 3 + 24 + 24 * 5},
        PayloadCase{"FirstUvs", under(geometry, {{ST::Struct}}), 16, Expected().f32(0).f32(0).f32(1).f32(0), {}},
        // Each triangle as second vertex, first vertex, material, third vertex.
        PayloadCase{"Triangles",
                    under(geometry, {{ST::Struct}}),
                    16 + 8 * 5,
                    Expected().u16(1).u16(0).u16(0).u16(2).u16(3).u16(2).u16(0).u16(0).u16(4).u16(1).u16(1).u16(3),
                    {}},
        PayloadCase{
            "MorphTargetFlags", under(geometry, {{ST::Struct}}), 16 + 40 + 24 + 16, Expected().u32(1).u32(1), {}},
        PayloadCase{"FirstPosition", under(geometry, {{ST::Struct}}), 16 + 40 + 24 + 24, Expected().zeros(12), {}},
        PayloadCase{"LastNormal",
                    under(geometry, {{ST::Struct}}),
                    16 + 40 + 24 + 24 + 60 + 48,
                    Expected().f32(0).f32(-1).f32(0),
                    {}},
        PayloadCase{"MaterialList", under(geometry, {{ST::MaterialList}, {ST::Struct}}), 0,
                    Expected().u32(2).i32(-1).i32(-1), 12},
        PayloadCase{"TexturedMaterial", under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Struct}}), 0,
                    Expected().u32(0).u32(0xFFFFFFFF).u32(0).u32(1).f32(1).f32(0).f32(1), 28},
        PayloadCase{"PlainMaterial", under(geometry, {{ST::MaterialList}, {ST::Material, 1}, {ST::Struct}}), 0,
                    Expected().u32(0).u32(0xFFFFFFFF).u32(0).u32(0).f32(1).f32(0).f32(1), 28},
        PayloadCase{"TextureFilter", under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Texture}, {ST::Struct}}),
                    0, Expected().u32(0x11106), 4},
        PayloadCase{"TextureName", under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Texture}, {ST::String}}),
                    0, Expected().text("torso").zeros(3), 8},
        PayloadCase{"TextureMask",
                    under(geometry, {{ST::MaterialList}, {ST::Material}, {ST::Texture}, {ST::String, 1}}), 0,
                    Expected().zeros(4), 4},
        PayloadCase{
            "MaterialExtension", under(geometry, {{ST::MaterialList}, {ST::Material, 1}, {ST::Extension}}), 0, {}, 0},
        PayloadCase{"BinMesh", under(geometry, {{ST::Extension}, {ST::BinMeshPLG}}), 0,
                    Expected()
                        .u32(0)
                        .u32(2)
                        .u32(9)
                        .u32(6)
                        .u32(0)
                        .u32(0)
                        .u32(1)
                        .u32(2)
                        .u32(2)
                        .u32(3)
                        .u32(0)
                        .u32(3)
                        .u32(1)
                        .u32(1)
                        .u32(4)
                        .u32(3),
                    12 + 8 + 24 + 8 + 12},
        PayloadCase{"SkinHeadAndUsedBones", under(geometry, {{ST::Extension}, {ST::SkinPLG}}), 0,
                    Expected().u8(32).u8(9).u8(4).u8(0).u8(1).u8(2).u8(3).u8(9).u8(10).u8(11).u8(12).u8(24).u8(31),
                    skinSize},
        PayloadCase{"SkinVertexBones",
                    under(geometry, {{ST::Extension}, {ST::SkinPLG}}),
                    13,
                    Expected().u8(2).zeros(3).u8(3).u8(2).u8(5).u8(0),
                    {}},
        // Node 31's matrix: identity axes with the fourth column 0, 0, 0, 1.
        PayloadCase{"LastInverseBindMatrix",
                    under(geometry, {{ST::Extension}, {ST::SkinPLG}}),
                    skinSize - 12 - 64,
                    Expected()
                        .f32(1)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(1)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(0)
                        .f32(1)
                        .f32(0)
                        .f32(-0.125f * 31)
                        .f32(0.0625f * 31)
                        .f32(-1 - 0.03125f * 31)
                        .f32(1),
                    {}},
        PayloadCase{"SkinEndsInTwelveZeros",
                    under(geometry, {{ST::Extension}, {ST::SkinPLG}}),
                    skinSize - 12,
                    Expected().zeros(12),
                    {}},
        PayloadCase{"Breakable", under(geometry, {{ST::Extension}, {ST::Breakable}}), 0, Expected().u32(0), 4},
        PayloadCase{"Atomic", {{ST::Atomic}, {ST::Struct}}, 0, Expected().u32(0).u32(0).u32(5).u32(0), 16},
        PayloadCase{
            "RightToRender", {{ST::Atomic}, {ST::Extension}, {ST::RightToRender}}, 0, Expected().u32(0x116).u32(1), 8},
        PayloadCase{"ClumpExtension", {{ST::Extension}}, 0, {}, 0}),
    [](const testing::TestParamInfo<PayloadCase>& info) { return info.param.name; });

TEST(PedDffWriter, TheAtomicNamesItsFrame) {
    PedDff ped = makeTestPed();
    ped.atomicFrame = 32;
    const Bytes file = writtenPed(ped);
    const ChunkNode clump = parseChunks(file, 0, file.size()).at(0);
    EXPECT_EQ(getU32(file, chunkAt(clump, {{ST::Atomic}, {ST::Struct}}).payload), 32u);
}

// The sphere is the bounding box's centre and holds every vertex as stored,
// with the smallest float radius that does.
TEST(PedDffWriter, TheBoundingSphereIsCentredOnTheBoxAndHoldsEveryVertex) {
    PedDff ped = makeTestPed();
    // The farthest vertex's distance rounds down to the nearest float: the radius must be the float above.
    ped.positions = {{0.125f, -3, 7}, {2.5f, 1, 7.5f}, {-0.75f, 0.1f, 9}, {1, 1, 1}, {0.3f, 0.3f, 0.25f}};
    const Bytes file = writtenPed(ped);
    const ChunkNode clump = parseChunks(file, 0, file.size()).at(0);
    const std::size_t at = chunkAt(clump, under(geometry, {{ST::Struct}})).payload + 16 + 40 + 24;
    const Vec3 centre{getF32(file, at), getF32(file, at + 4), getF32(file, at + 8)};
    const float radius = getF32(file, at + 12);
    EXPECT_EQ(centre, (Vec3{0.875f, -1, 4.625f}));
    double farthest = 0;
    for (const Vec3& p : ped.positions) {
        const double dx = double{p.x} - centre.x, dy = double{p.y} - centre.y, dz = double{p.z} - centre.z;
        farthest = std::max(farthest, std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    EXPECT_LT(double{static_cast<float>(farthest)}, farthest);
    EXPECT_GE(double{radius}, farthest);
    EXPECT_LT(double{std::nextafter(radius, 0.0f)}, farthest);
}

TEST(PedDffWriter, TheMatricesFourthColumnIsWrittenAsTheGameStoresIt) {
    PedDff ped = makeTestPed();
    ped.inverseBindMatrices[3].m[3] = 5;
    ped.inverseBindMatrices[3].m[7] = -2;
    ped.inverseBindMatrices[3].m[11] = 0.5f;
    ped.inverseBindMatrices[3].m[15] = std::numeric_limits<float>::quiet_NaN();
    const ReadResult result = readModel(writtenPed(ped));
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.model.inverseBindMatrices, makeTestPed().inverseBindMatrices);
}

// ---------------------------------------------------------------- refusals

struct RefusalCase {
    const char* name;
    std::function<void(PedDff&)> edit;
    std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class PedDffWriterRefuses : public testing::TestWithParam<RefusalCase> {};

TEST_P(PedDffWriterRefuses, WithItsMessage) {
    PedDff ped = makeTestPed();
    GetParam().edit(ped);
    EXPECT_USER_ERROR(writePedDff(ped), GetParam().message);
}

void resizeVertices(PedDff& ped, std::size_t count) {
    ped.positions.resize(count);
    ped.normals.resize(count, {0, 0, 1});
    ped.uvs.resize(count);
    ped.boneIndices.resize(count, {{0, 0, 0, 0}});
    ped.boneWeights.resize(count, {1, 0, 0, 0});
}

const float nan = std::numeric_limits<float>::quiet_NaN();
const float infinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Peds, PedDffWriterRefuses,
    testing::Values(
        RefusalCase{"TooManyVertices", [](PedDff& p) { resizeVertices(p, 65536); },
                    "頂点が多すぎます (65536 個、最大 65535 個)"},
        RefusalCase{"FewerNormals", [](PedDff& p) { p.normals.pop_back(); },
                    "法線の数が頂点数と異なります (4 個、頂点 5 個)"},
        RefusalCase{"MoreUvs", [](PedDff& p) { p.uvs.push_back({}); },
                    "テクスチャ座標の数が頂点数と異なります (6 個、頂点 5 個)"},
        RefusalCase{"FewerBoneIndices", [](PedDff& p) { p.boneIndices.pop_back(); },
                    "スキンのボーン番号の数が頂点数と異なります (4 個、頂点 5 個)"},
        RefusalCase{"FewerWeights", [](PedDff& p) { p.boneWeights.clear(); },
                    "スキンのウェイトの数が頂点数と異なります (0 個、頂点 5 個)"},
        RefusalCase{"NanPosition", [](PedDff& p) { p.positions[2].y = nan; },
                    "頂点 2 の位置、法線またはテクスチャ座標に数値でない値があります"},
        RefusalCase{"InfiniteNormal", [](PedDff& p) { p.normals[4].z = infinity; },
                    "頂点 4 の位置、法線またはテクスチャ座標に数値でない値があります"},
        RefusalCase{"NanUv", [](PedDff& p) { p.uvs[0].x = nan; },
                    "頂点 0 の位置、法線またはテクスチャ座標に数値でない値があります"},
        RefusalCase{"EmptyNodeTable", [](PedDff& p) { p.nodes.clear(); }, "ボーン表が空です"},
        RefusalCase{"TooManyNodes", [](PedDff& p) { p.nodes.resize(256); }, "ボーンが多すぎます (256 個、最大 255 個)"},
        RefusalCase{"NodeIndexNotItsPlace", [](PedDff& p) { p.nodes[3].index = 4; },
                    "ボーン表のノード 3 の番号が 4 です"},
        RefusalCase{"NodeFlags", [](PedDff& p) { p.nodes[2].flags = 4; }, "ボーン表のノード 2 のフラグが不正です (4)"},
        RefusalCase{"NodeIdTwice", [](PedDff& p) { p.nodes[31].id = 53; }, "ボーン表に同じBone IDが複数あります (53)"},
        // The weight of the stray bone is 0: the index must still name a node.
        RefusalCase{"BoneIndexPastTheNodes", [](PedDff& p) { p.boneIndices[1][3] = 32; },
                    "頂点 1 のボーン番号 32 が範囲外です (ボーン 32 個)"},
        RefusalCase{"NegativeWeight",
                    [](PedDff& p) {
                        p.boneWeights[0] = {1.5f, -0.5f, 0, 0};
                    },
                    "頂点 0 に0から1の範囲外のウェイトがあります"},
        RefusalCase{"NanWeight", [](PedDff& p) { p.boneWeights[3].w = nan; },
                    "頂点 3 に0から1の範囲外のウェイトがあります"},
        RefusalCase{"WeightsShortOfOne",
                    [](PedDff& p) {
                        p.boneWeights[2] = {0.5f, 0.25f, 0, 0};
                    },
                    "頂点 2 のウェイトの合計が1ではありません (0.750000)"},
        RefusalCase{"NoWeightAtAll", [](PedDff& p) { p.boneWeights[4] = {}; },
                    "頂点 4 のウェイトの合計が1ではありません (0.000000)"},
        RefusalCase{"FewerMatrices", [](PedDff& p) { p.inverseBindMatrices.pop_back(); },
                    "逆バインド行列の数がボーン数と異なります (行列 31 個、ボーン 32 個)"},
        RefusalCase{"NanMatrix", [](PedDff& p) { p.inverseBindMatrices[7].m[13] = nan; },
                    "ボーン 7 の逆バインド行列に数値でない値があります"},
        RefusalCase{"FrameMissing", [](PedDff& p) { p.frames.pop_back(); },
                    "フレームの数がボーンの数より1つ多くありません (フレーム 32 個、ボーン 32 個)"},
        RefusalCase{"IdentityFrameNamed", [](PedDff& p) { p.frames[0].frameName = "Clump"; },
                    "先頭のフレームに親、名前またはボーンがあります"},
        RefusalCase{"IdentityFrameWithParent", [](PedDff& p) { p.frames[0].parentIndex = 1; },
                    "先頭のフレームに親、名前またはボーンがあります"},
        RefusalCase{"RootNotSecond", [](PedDff& p) { std::swap(p.frames[1], p.frames[2]); },
                    "2番目のフレームがボーン番号0 (Root) ではありません"},
        RefusalCase{"ParentNotBefore", [](PedDff& p) { p.frames[3].parentIndex = 3; },
                    "フレーム 3 の親 3 が前のフレームではありません"},
        RefusalCase{"NoParent", [](PedDff& p) { p.frames[9].parentIndex = -1; },
                    "フレーム 9 の親 -1 が前のフレームではありません"},
        RefusalCase{"UnnamedFrame", [](PedDff& p) { p.frames[5].frameName.clear(); }, "フレーム 5 に名前がありません"},
        RefusalCase{"LongFrameName", [](PedDff& p) { p.frames[7].frameName = std::string(24, 'F'); },
                    "フレーム名が長すぎます (フレーム 7、24 バイト、最大 23 バイト)"},
        RefusalCase{"BoneNumberPastTheNodes", [](PedDff& p) { p.frames[4].boneNumber = 32; },
                    "フレーム 4 のボーン番号 32 がボーン表にありません"},
        RefusalCase{"BoneIdNotTheNodes", [](PedDff& p) { p.frames[4].boneId = 99; },
                    "フレーム 4 のBone ID 99 がボーン表のノード 24 のID 41 と異なります"},
        RefusalCase{"NodeOnTwoFrames",
                    [](PedDff& p) {
                        p.frames[4].boneNumber = p.frames[3].boneNumber;
                        p.frames[4].boneId = p.frames[3].boneId;
                    },
                    "ボーン番号 28 のフレームが複数あります"},
        RefusalCase{"NanFrameOffset", [](PedDff& p) { p.frames[6].translation.x = nan; },
                    "フレーム 6 の行列に数値でない値があります"},
        RefusalCase{"InfiniteFrameAxis", [](PedDff& p) { p.frames[0].rotation[2].y = -infinity; },
                    "フレーム 0 の行列に数値でない値があります"},
        RefusalCase{"AtomicFramePastTheFrames", [](PedDff& p) { p.atomicFrame = 33; },
                    "アトミックのフレーム番号 33 が範囲外です (フレーム 33 個)"},
        RefusalCase{"NoMaterials", [](PedDff& p) { p.materials.clear(); }, "材質がありません"},
        RefusalCase{"MaterialWithoutTriangles", [](PedDff& p) { p.materials[1].triangles.clear(); },
                    "材質 1 に三角形がありません"},
        RefusalCase{"PartialTriangle", [](PedDff& p) { p.materials[0].triangles.push_back(1); },
                    "材質 0 の三角形リストの頂点数が3の倍数ではありません"},
        RefusalCase{"IndexPastTheVertices", [](PedDff& p) { p.materials[1].triangles[1] = 5; },
                    "材質 1 の三角形が存在しない頂点 5 を指しています (頂点 5 個)"},
        RefusalCase{"LongTextureName", [](PedDff& p) { p.materials[0].textureName = std::string(32, 't'); },
                    "テクスチャ名が長すぎます (材質 0、32 バイト、最大 31 バイト)"},
        RefusalCase{"TextureNameWithZero", [](PedDff& p) { p.materials[1].textureName = std::string("a\0b", 3); },
                    "テクスチャ名に使えない文字があります (材質 1)"},
        RefusalCase{"TextureNameNotAscii", [](PedDff& p) { p.materials[0].textureName = "\xE8\x82\x8C"; },
                    "テクスチャ名に使えない文字があります (材質 0)"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST(PedDffWriter, TheVertexLimitMessageIsTheConvertersToo) {
    EXPECT_EQ(maxPedVertices, 65535u);
    EXPECT_EQ(tooManyVerticesMessage(70000), "頂点が多すぎます (70000 個、最大 65535 個)");
}

}  // namespace
}  // namespace zorvek::test
