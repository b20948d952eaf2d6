#include "dff/PedDffWriter.h"

#include "base/BlockWriter.h"
#include "base/UserMessageError.h"
#include "rw/ChunkHeader.h"
#include "rw/ChunkStreamWriter.h"
#include "rw/SectionType.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

namespace {

// ---------------------------------------------------------------- what every ped file holds alike

// Positions, one UV set, normals, lit; the UV set count in bits 16 to 23.
constexpr std::uint32_t geometryFormat = 0x02 | 0x04 | 0x10 | 0x20 | 1u << 16;
// Linear mip-mapped filtering, wrapped in U and V, as the game's peds store their textures.
constexpr std::uint32_t textureFilterAndAddressing = 0x11106;
constexpr std::uint32_t atomicRenderAndCollide = 0x5;
// The skin plugin renders the atomic (RightToRender: plugin id, then its data word 1).
constexpr std::uint32_t skinPluginId = 0x116;
constexpr std::uint32_t hanimVersion = 0x100;
constexpr std::int32_t hanimKeyFrameSize = 36;  // the standard rotation and translation key
constexpr std::uint8_t maxWeightsPerVertex = 4;
// After the matrices the game's skins store three words of (absent) split data.
constexpr std::size_t skinSplitDataSize = 12;

// The game copies a frame name into 24 bytes, its terminator included.
constexpr std::size_t maxFrameNameBytes = 23;
// Texture names fill 32 bytes in a texture dictionary, the terminator included.
constexpr std::size_t maxTextureNameBytes = 31;
// The skin stores bone counts and per-vertex bone indices in single bytes.
constexpr std::size_t maxBones = 255;
// Triangles store their material index in 16 bits.
constexpr std::size_t maxMaterials = 65536;
constexpr float weightSumTolerance = 1e-3f;

// ---------------------------------------------------------------- checks

[[noreturn]] void refuse(const std::string& message) {
    throw UserMessageError(message);
}

std::string number(std::size_t value) {
    return std::to_string(value);
}

bool finite(const Vec2& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}
bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void checkCount(const char* what, std::size_t count, std::size_t vertices) {
    if (count != vertices) {
        refuse(std::string(what) + "の数が頂点数と異なります (" + number(count) + " 個、頂点 " + number(vertices) +
               " 個)");
    }
}

void checkVertexArrays(const PedDff& ped) {
    const std::size_t vertices = ped.positions.size();
    if (vertices > maxPedVertices) {
        refuse(tooManyVerticesMessage(vertices));
    }
    checkCount("法線", ped.normals.size(), vertices);
    checkCount("テクスチャ座標", ped.uvs.size(), vertices);
    checkCount("スキンのボーン番号", ped.boneIndices.size(), vertices);
    checkCount("スキンのウェイト", ped.boneWeights.size(), vertices);
    for (std::size_t v = 0; v < vertices; ++v) {
        if (!finite(ped.positions[v]) || !finite(ped.normals[v]) || !finite(ped.uvs[v])) {
            refuse("頂点 " + number(v) + " の位置、法線またはテクスチャ座標に数値でない値があります");
        }
    }
}

void checkSkin(const PedDff& ped) {
    const std::size_t bones = ped.nodes.size();
    for (std::size_t v = 0; v < ped.positions.size(); ++v) {
        const Vec4& w = ped.boneWeights[v];
        const float weights[4] = {w.x, w.y, w.z, w.w};
        double sum = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            if (ped.boneIndices[v][k] >= bones) {
                refuse("頂点 " + number(v) + " のボーン番号 " + number(ped.boneIndices[v][k]) +
                       " が範囲外です (ボーン " + number(bones) + " 個)");
            }
            if (!std::isfinite(weights[k]) || weights[k] < 0 || weights[k] > 1) {
                refuse("頂点 " + number(v) + " に0から1の範囲外のウェイトがあります");
            }
            sum += weights[k];
        }
        if (std::abs(sum - 1) > weightSumTolerance) {
            refuse("頂点 " + number(v) + " のウェイトの合計が1ではありません (" + std::to_string(sum) + ")");
        }
    }
    if (ped.inverseBindMatrices.size() != bones) {
        refuse("逆バインド行列の数がボーン数と異なります (行列 " + number(ped.inverseBindMatrices.size()) +
               " 個、ボーン " + number(bones) + " 個)");
    }
    // Only the three columns written are looked at: the fourth is always 0, 0, 0, 1.
    for (std::size_t b = 0; b < bones; ++b) {
        const Matrix44& m = ped.inverseBindMatrices[b];
        for (int row = 0; row < 4; ++row) {
            if (!finite(m.row3(row))) {
                refuse("ボーン " + number(b) + " の逆バインド行列に数値でない値があります");
            }
        }
    }
}

void checkNodeTable(const PedDff& ped) {
    if (ped.nodes.empty()) {
        refuse("ボーン表が空です");
    }
    if (ped.nodes.size() > maxBones) {
        refuse("ボーンが多すぎます (" + number(ped.nodes.size()) + " 個、最大 " + number(maxBones) + " 個)");
    }
    std::set<std::int32_t> ids;
    for (std::size_t k = 0; k < ped.nodes.size(); ++k) {
        const HAnimNode& node = ped.nodes[k];
        // The skin's bone numbers are positions in the table, and the game's tables say so.
        if (node.index != static_cast<std::int32_t>(k)) {
            refuse("ボーン表のノード " + number(k) + " の番号が " + std::to_string(node.index) + " です");
        }
        if ((node.flags & ~(hanimPop | hanimPush)) != 0) {
            refuse("ボーン表のノード " + number(k) + " のフラグが不正です (" + std::to_string(node.flags) + ")");
        }
        if (!ids.insert(node.id).second) {
            refuse("ボーン表に同じBone IDが複数あります (" + std::to_string(node.id) + ")");
        }
    }
}

void checkFrameMatrix(const DffFrame& frame, std::size_t i) {
    bool ok = finite(frame.translation);
    for (const Vec3& row : frame.rotation) {
        ok = ok && finite(row);
    }
    if (!ok) {
        refuse("フレーム " + number(i) + " の行列に数値でない値があります");
    }
}

void checkBoneFrame(const PedDff& ped, std::size_t i, std::vector<bool>& nodeTaken) {
    const DffFrame& frame = ped.frames[i];
    if (frame.parentIndex < 0 || static_cast<std::size_t>(frame.parentIndex) >= i) {
        refuse("フレーム " + number(i) + " の親 " + std::to_string(frame.parentIndex) +
               " が前のフレームではありません");
    }
    if (frame.frameName.empty()) {
        refuse("フレーム " + number(i) + " に名前がありません");
    }
    if (frame.frameName.size() > maxFrameNameBytes) {
        refuse("フレーム名が長すぎます (フレーム " + number(i) + "、" + number(frame.frameName.size()) +
               " バイト、最大 " + number(maxFrameNameBytes) + " バイト)");
    }
    const std::int32_t bone = frame.boneNumber;
    if (bone < 0 || static_cast<std::size_t>(bone) >= ped.nodes.size()) {
        refuse("フレーム " + number(i) + " のボーン番号 " + std::to_string(bone) + " がボーン表にありません");
    }
    const HAnimNode& node = ped.nodes[static_cast<std::size_t>(bone)];
    if (node.id != frame.boneId) {
        refuse("フレーム " + number(i) + " のBone ID " + std::to_string(frame.boneId) + " がボーン表のノード " +
               std::to_string(bone) + " のID " + std::to_string(node.id) + " と異なります");
    }
    if (nodeTaken[static_cast<std::size_t>(bone)]) {
        refuse("ボーン番号 " + std::to_string(bone) + " のフレームが複数あります");
    }
    nodeTaken[static_cast<std::size_t>(bone)] = true;
}

void checkFrames(const PedDff& ped) {
    // An unnamed identity frame, then one frame for each node.
    if (ped.frames.size() != ped.nodes.size() + 1) {
        refuse("フレームの数がボーンの数より1つ多くありません (フレーム " + number(ped.frames.size()) + " 個、ボーン " +
               number(ped.nodes.size()) + " 個)");
    }
    const DffFrame& first = ped.frames[0];
    if (first.parentIndex != -1 || !first.frameName.empty() || first.boneId != -1 || first.boneNumber != -1) {
        refuse("先頭のフレームに親、名前またはボーンがあります");
    }
    // The node table goes on Root, and the game's peds store Root right after
    // the identity frame; our reader learns the table on the first frame with
    // HAnim data and looks every later frame's id up in it.
    if (ped.frames[1].boneNumber != 0) {
        refuse("2番目のフレームがボーン番号0 (Root) ではありません");
    }
    std::vector<bool> nodeTaken(ped.nodes.size(), false);
    for (std::size_t i = 0; i < ped.frames.size(); ++i) {
        checkFrameMatrix(ped.frames[i], i);
        if (i != 0) {
            checkBoneFrame(ped, i, nodeTaken);
        }
    }
    if (ped.atomicFrame >= ped.frames.size()) {
        refuse("アトミックのフレーム番号 " + std::to_string(ped.atomicFrame) + " が範囲外です (フレーム " +
               number(ped.frames.size()) + " 個)");
    }
}

void checkTextureName(const std::string& name, std::size_t m) {
    if (name.size() > maxTextureNameBytes) {
        refuse("テクスチャ名が長すぎます (材質 " + number(m) + "、" + number(name.size()) + " バイト、最大 " +
               number(maxTextureNameBytes) + " バイト)");
    }
    // A zero byte would end the name early; anything past ASCII reads differently on each system.
    if (std::any_of(name.begin(), name.end(), [](char c) { return c < 0x20 || c > 0x7E; })) {
        refuse("テクスチャ名に使えない文字があります (材質 " + number(m) + ")");
    }
}

void checkMaterials(const PedDff& ped) {
    if (ped.materials.empty()) {
        refuse("材質がありません");
    }
    if (ped.materials.size() > maxMaterials) {
        refuse("材質が多すぎます (" + number(ped.materials.size()) + " 個、最大 " + number(maxMaterials) + " 個)");
    }
    const std::size_t vertices = ped.positions.size();
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        const PedDffMaterial& material = ped.materials[m];
        checkTextureName(material.textureName, m);
        // Each material becomes a mesh of the bin mesh; one of no triangles is
        // refused rather than risked on the game.
        if (material.triangles.empty()) {
            refuse("材質 " + number(m) + " に三角形がありません");
        }
        if (material.triangles.size() % 3 != 0) {
            refuse("材質 " + number(m) + " の三角形リストの頂点数が3の倍数ではありません");
        }
        for (std::uint32_t index : material.triangles) {
            if (index >= vertices) {
                refuse("材質 " + number(m) + " の三角形が存在しない頂点 " + std::to_string(index) +
                       " を指しています (頂点 " + number(vertices) + " 個)");
            }
        }
    }
}

void checkPed(const PedDff& ped) {
    checkVertexArrays(ped);
    checkNodeTable(ped);
    checkSkin(ped);
    checkFrames(ped);
    checkMaterials(ped);
}

// ---------------------------------------------------------------- sizes

constexpr std::uint64_t header = chunkHeaderSize;
constexpr std::uint64_t frameEntrySize = 56;
constexpr std::uint64_t materialStructSize = 28;
constexpr std::uint64_t atomicStructSize = 16;
constexpr std::uint64_t clumpStructSize = 12;
constexpr std::uint64_t rightToRenderSize = 8;
constexpr std::uint64_t breakableSize = 4;

// A String chunk's payload: the text, at least one zero, zeros up to a multiple of 4.
std::uint64_t stringSize(std::size_t length) {
    return (length + 4) / 4 * 4;
}

std::uint64_t hanimSize(std::size_t nodes) {
    return 12 + (nodes == 0 ? 0 : 8 + 12 * std::uint64_t{nodes});
}

// Every chunk's payload size, computed before the first byte is written.
struct Layout {
    std::vector<std::uint64_t> frameExtensions;
    std::uint64_t frameList = 0;
    std::vector<std::uint64_t> textures;  // 0 for a material without texture
    std::vector<std::uint64_t> materials;
    std::uint64_t materialList = 0;
    std::uint64_t triangleCount = 0;
    std::uint64_t geometryStruct = 0;
    std::uint64_t binMesh = 0;
    std::uint64_t skin = 0;
    std::uint64_t geometryExtension = 0;
    std::uint64_t geometry = 0;
    std::uint64_t geometryList = 0;
    std::uint64_t atomicExtension = 0;
    std::uint64_t atomic = 0;
    std::uint64_t clump = 0;
};

std::size_t nodesOnFrame(const PedDff& ped, std::size_t frame) {
    return frame != 0 && ped.frames[frame].boneNumber == 0 ? ped.nodes.size() : 0;
}

Layout layOut(const PedDff& ped, const std::vector<std::uint8_t>& usedBones) {
    Layout layout;
    std::uint64_t frameList = header + 4 + frameEntrySize * ped.frames.size();
    for (std::size_t i = 0; i < ped.frames.size(); ++i) {
        const std::uint64_t extension =
            i == 0 ? 0 : header + hanimSize(nodesOnFrame(ped, i)) + header + ped.frames[i].frameName.size();
        layout.frameExtensions.push_back(extension);
        frameList += header + extension;
    }
    layout.frameList = frameList;

    std::uint64_t materialList = header + 4 + 4 * std::uint64_t{ped.materials.size()};
    std::uint64_t binMesh = 12;
    for (const PedDffMaterial& material : ped.materials) {
        const std::uint64_t texture =
            material.textureName.empty()
                ? 0
                : header + 4 + header + stringSize(material.textureName.size()) + header + stringSize(0) + header;
        layout.textures.push_back(texture);
        const std::uint64_t size = header + materialStructSize + (texture == 0 ? 0 : header + texture) + header;
        layout.materials.push_back(size);
        materialList += header + size;
        layout.triangleCount += material.triangles.size() / 3;
        binMesh += 8 + 4 * std::uint64_t{material.triangles.size()};
    }
    layout.materialList = materialList;
    layout.binMesh = binMesh;

    const std::uint64_t vertices = ped.positions.size();
    layout.geometryStruct = 16 + 8 * vertices + 8 * layout.triangleCount + 24 + 12 * vertices + 12 * vertices;
    layout.skin = 4 + usedBones.size() + 20 * vertices + 64 * std::uint64_t{ped.nodes.size()} + skinSplitDataSize;
    layout.geometryExtension = header + binMesh + header + layout.skin + header + breakableSize;
    layout.geometry = header + layout.geometryStruct + header + layout.materialList + header + layout.geometryExtension;
    layout.geometryList = header + 4 + header + layout.geometry;
    layout.atomicExtension = header + rightToRenderSize;
    layout.atomic = header + atomicStructSize + header + layout.atomicExtension;
    layout.clump = header + clumpStructSize + header + layout.frameList + header + layout.geometryList + header +
                   layout.atomic + header;
    // Chunk sizes are 32-bit words, and the largest is the clump's.
    if (header + layout.clump > std::numeric_limits<std::uint32_t>::max()) {
        refuse("DFFファイルに書ける大きさ (4GiB) を超えています");
    }
    return layout;
}

// ---------------------------------------------------------------- bytes

// The DFF's own chunks over the stream writer: a String chunk padded to a
// whole word with at least one terminating zero.
class DffOut : public ChunkStreamWriter {
public:
    using ChunkStreamWriter::ChunkStreamWriter;

    void string(std::string_view text) {
        chunk(SectionType::String, stringSize(text.size()));
        bytes(text);
        zeros(static_cast<std::size_t>(stringSize(text.size()) - text.size()));
    }
};

void writeFrameList(DffOut& out, const PedDff& ped, const Layout& layout) {
    out.chunk(SectionType::FrameList, layout.frameList);
    out.chunk(SectionType::Struct, 4 + frameEntrySize * ped.frames.size());
    out.u32(static_cast<std::uint32_t>(ped.frames.size()));
    for (const DffFrame& frame : ped.frames) {
        for (const Vec3& row : frame.rotation) {
            out.vec3(row);
        }
        out.vec3(frame.translation);
        out.i32(frame.parentIndex);
        out.u32(0);  // matrix flags: the game recomputes them
    }
    for (std::size_t i = 0; i < ped.frames.size(); ++i) {
        out.chunk(SectionType::Extension, layout.frameExtensions[i]);
        if (i == 0) {
            continue;
        }
        const DffFrame& frame = ped.frames[i];
        const std::size_t nodes = nodesOnFrame(ped, i);
        out.chunk(SectionType::HAnimPLG, hanimSize(nodes));
        out.u32(hanimVersion);
        out.i32(frame.boneId);
        out.i32(static_cast<std::int32_t>(nodes));
        if (nodes != 0) {
            out.i32(0);  // hierarchy flags
            out.i32(hanimKeyFrameSize);
            for (const HAnimNode& node : ped.nodes) {
                out.i32(node.id);
                out.i32(node.index);
                out.i32(node.flags);
            }
        }
        out.chunk(SectionType::Frame, frame.frameName.size());
        out.bytes(frame.frameName);
    }
}

// The centre of the bounding box and the farthest vertex's distance from it,
// rounded up so that every vertex lies inside the sphere as stored.
Vec4 boundingSphere(const LargeArray<Vec3>& positions) {
    if (positions.empty()) {
        return {};
    }
    Vec3 low = positions.front();
    Vec3 high = low;
    for (const Vec3& p : positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vec3 centre{static_cast<float>((double{low.x} + high.x) / 2),
                      static_cast<float>((double{low.y} + high.y) / 2),
                      static_cast<float>((double{low.z} + high.z) / 2)};
    double farthest = 0;
    for (const Vec3& p : positions) {
        const double dx = double{p.x} - centre.x;
        const double dy = double{p.y} - centre.y;
        const double dz = double{p.z} - centre.z;
        farthest = std::max(farthest, dx * dx + dy * dy + dz * dz);
    }
    const double distance = std::sqrt(farthest);
    float radius = static_cast<float>(distance);
    if (radius < distance) {
        radius = std::nextafter(radius, std::numeric_limits<float>::infinity());
    }
    return {centre.x, centre.y, centre.z, radius};
}

void writeGeometryStruct(DffOut& out, const PedDff& ped, const Layout& layout) {
    out.chunk(SectionType::Struct, layout.geometryStruct);
    out.u32(geometryFormat);
    out.u32(static_cast<std::uint32_t>(layout.triangleCount));
    out.u32(static_cast<std::uint32_t>(ped.positions.size()));
    out.u32(1);  // morph targets
    for (const Vec2& uv : ped.uvs) {
        out.vec2(uv);
    }
    // RenderWare stores a triangle as its second vertex, its first, the material, its third.
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        const LargeArray<std::uint32_t>& indices = ped.materials[m].triangles;
        for (std::size_t t = 0; t < indices.size(); t += 3) {
            out.u16(static_cast<std::uint16_t>(indices[t + 1]));
            out.u16(static_cast<std::uint16_t>(indices[t]));
            out.u16(static_cast<std::uint16_t>(m));
            out.u16(static_cast<std::uint16_t>(indices[t + 2]));
        }
    }
    out.vec4(boundingSphere(ped.positions));
    out.u32(1);  // has positions
    out.u32(1);  // has normals
    for (const Vec3& position : ped.positions) {
        out.vec3(position);
    }
    for (const Vec3& normal : ped.normals) {
        out.vec3(normal);
    }
}

void writeMaterialList(DffOut& out, const PedDff& ped, const Layout& layout) {
    out.chunk(SectionType::MaterialList, layout.materialList);
    out.chunk(SectionType::Struct, 4 + 4 * std::uint64_t{ped.materials.size()});
    out.u32(static_cast<std::uint32_t>(ped.materials.size()));
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        out.i32(-1);  // not an instance of an earlier material
    }
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        const std::string& name = ped.materials[m].textureName;
        out.chunk(SectionType::Material, layout.materials[m]);
        out.chunk(SectionType::Struct, materialStructSize);
        out.u32(0);           // flags
        out.u32(0xFFFFFFFF);  // colour: opaque white, RGBA bytes
        out.u32(0);           // unused
        out.u32(name.empty() ? 0 : 1);
        out.f32(1);  // ambient
        out.f32(0);  // specular
        out.f32(1);  // diffuse
        if (!name.empty()) {
            out.chunk(SectionType::Texture, layout.textures[m]);
            out.chunk(SectionType::Struct, 4);
            out.u32(textureFilterAndAddressing);
            out.string(name);
            out.string("");  // no mask
            out.chunk(SectionType::Extension, 0);
        }
        out.chunk(SectionType::Extension, 0);
    }
}

std::vector<std::uint8_t> usedBonesOf(const PedDff& ped) {
    std::vector<bool> used(ped.nodes.size(), false);
    for (std::size_t v = 0; v < ped.positions.size(); ++v) {
        const Vec4& w = ped.boneWeights[v];
        const float weights[4] = {w.x, w.y, w.z, w.w};
        for (std::size_t k = 0; k < 4; ++k) {
            if (weights[k] > 0) {
                used[ped.boneIndices[v][k]] = true;
            }
        }
    }
    std::vector<std::uint8_t> bones;
    for (std::size_t b = 0; b < used.size(); ++b) {
        if (used[b]) {
            bones.push_back(static_cast<std::uint8_t>(b));
        }
    }
    return bones;
}

void writeGeometryExtension(DffOut& out, const PedDff& ped, const Layout& layout,
                            const std::vector<std::uint8_t>& usedBones) {
    out.chunk(SectionType::Extension, layout.geometryExtension);

    out.chunk(SectionType::BinMeshPLG, layout.binMesh);
    out.u32(0);  // triangle lists
    out.u32(static_cast<std::uint32_t>(ped.materials.size()));
    out.u32(static_cast<std::uint32_t>(layout.triangleCount * 3));
    for (std::size_t m = 0; m < ped.materials.size(); ++m) {
        const LargeArray<std::uint32_t>& indices = ped.materials[m].triangles;
        out.u32(static_cast<std::uint32_t>(indices.size()));
        out.u32(static_cast<std::uint32_t>(m));
        for (std::uint32_t index : indices) {
            out.u32(index);
        }
    }

    out.chunk(SectionType::SkinPLG, layout.skin);
    out.u8(static_cast<std::uint8_t>(ped.nodes.size()));
    out.u8(static_cast<std::uint8_t>(usedBones.size()));
    out.u8(maxWeightsPerVertex);
    out.u8(0);
    for (std::uint8_t bone : usedBones) {
        out.u8(bone);
    }
    for (const auto& indices : ped.boneIndices) {
        for (std::uint8_t index : indices) {
            out.u8(index);
        }
    }
    for (const Vec4& weights : ped.boneWeights) {
        out.vec4(weights);
    }
    for (const Matrix44& matrix : ped.inverseBindMatrices) {
        for (int row = 0; row < 4; ++row) {
            out.f32(matrix.at(row, 0));
            out.f32(matrix.at(row, 1));
            out.f32(matrix.at(row, 2));
            out.f32(row == 3 ? 1.0f : 0.0f);
        }
    }
    out.zeros(skinSplitDataSize);

    out.chunk(SectionType::Breakable, breakableSize);
    out.u32(0);  // not breakable
}

void writeGeometryList(DffOut& out, const PedDff& ped, const Layout& layout,
                       const std::vector<std::uint8_t>& usedBones) {
    out.chunk(SectionType::GeometryList, layout.geometryList);
    out.chunk(SectionType::Struct, 4);
    out.u32(1);
    out.chunk(SectionType::Geometry, layout.geometry);
    writeGeometryStruct(out, ped, layout);
    writeMaterialList(out, ped, layout);
    writeGeometryExtension(out, ped, layout, usedBones);
}

void writeAtomic(DffOut& out, const PedDff& ped, const Layout& layout) {
    out.chunk(SectionType::Atomic, layout.atomic);
    out.chunk(SectionType::Struct, atomicStructSize);
    out.u32(ped.atomicFrame);
    out.u32(0);  // geometry index
    out.u32(atomicRenderAndCollide);
    out.u32(0);  // unused
    out.chunk(SectionType::Extension, layout.atomicExtension);
    out.chunk(SectionType::RightToRender, rightToRenderSize);
    out.u32(skinPluginId);
    out.u32(1);
}

}  // namespace

std::string tooManyVerticesMessage(std::size_t vertexCount) {
    return "頂点が多すぎます (" + std::to_string(vertexCount) + " 個、最大 " + std::to_string(maxPedVertices) + " 個)";
}

ByteBlock writePedDff(const PedDff& ped) {
    checkPed(ped);
    const std::vector<std::uint8_t> usedBones = usedBonesOf(ped);
    const Layout layout = layOut(ped, usedBones);
    DffOut out(static_cast<std::size_t>(header + layout.clump));
    out.chunk(SectionType::Clump, layout.clump);
    out.chunk(SectionType::Struct, clumpStructSize);
    out.u32(1);  // atomics
    out.u32(0);  // lights
    out.u32(0);  // cameras
    writeFrameList(out, ped, layout);
    writeGeometryList(out, ped, layout, usedBones);
    writeAtomic(out, ped, layout);
    out.chunk(SectionType::Extension, 0);
    return out.finish();
}

}  // namespace zorvek
