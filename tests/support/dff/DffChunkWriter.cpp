#include "support/dff/DffBuilder.h"

#include <bit>
#include <stdexcept>

namespace zorvek::test {

ByteWriter& ByteWriter::u8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

ByteWriter& ByteWriter::u16(std::uint16_t value) {
    return u8(static_cast<std::uint8_t>(value)).u8(static_cast<std::uint8_t>(value >> 8));
}

ByteWriter& ByteWriter::u32(std::uint32_t value) {
    return u16(static_cast<std::uint16_t>(value)).u16(static_cast<std::uint16_t>(value >> 16));
}

ByteWriter& ByteWriter::i32(std::int32_t value) {
    return u32(static_cast<std::uint32_t>(value));
}

ByteWriter& ByteWriter::f32(float value) {
    return u32(std::bit_cast<std::uint32_t>(value));
}

ByteWriter& ByteWriter::vec2(const Vec2& value) {
    return f32(value.x).f32(value.y);
}

ByteWriter& ByteWriter::vec3(const Vec3& value) {
    return f32(value.x).f32(value.y).f32(value.z);
}

ByteWriter& ByteWriter::vec4(const Vec4& value) {
    return f32(value.x).f32(value.y).f32(value.z).f32(value.w);
}

ByteWriter& ByteWriter::matrix(const Matrix44& value) {
    for (float element : value.m) {
        f32(element);
    }
    return *this;
}

ByteWriter& ByteWriter::bytes(std::span<const std::uint8_t> values) {
    bytes_.insert(bytes_.end(), values.begin(), values.end());
    return *this;
}

ByteWriter& ByteWriter::text(std::string_view text) {
    for (char c : text) {
        u8(static_cast<std::uint8_t>(c));
    }
    return *this;
}

ByteWriter& ByteWriter::zeros(std::size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

std::uint32_t getU32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + static_cast<std::size_t>(i));
    }
    return value;
}

float getF32(const Bytes& bytes, std::size_t offset) {
    return std::bit_cast<float>(getU32(bytes, offset));
}

void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void putI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
    putU32(bytes, offset, static_cast<std::uint32_t>(value));
}

Chunk& Chunk::child(SectionType wanted, int nth) {
    for (Chunk& candidate : children) {
        if (candidate.type == typeId(wanted) && nth-- == 0) {
            return candidate;
        }
    }
    throw std::logic_error("test chunk has no such child: " + std::string(sectionName(wanted)));
}

Chunk& Chunk::at(std::initializer_list<SectionType> path) {
    Chunk* current = this;
    for (SectionType type : path) {
        current = &current->child(type);
    }
    return *current;
}

Chunk leafChunk(std::uint32_t type, Bytes payload) {
    Chunk chunk;
    chunk.type = type;
    chunk.payload = std::move(payload);
    return chunk;
}

Chunk leafChunk(SectionType type, Bytes payload) {
    return leafChunk(typeId(type), std::move(payload));
}

Chunk containerChunk(std::uint32_t type, std::vector<Chunk> children) {
    Chunk chunk;
    chunk.type = type;
    chunk.children = std::move(children);
    return chunk;
}

Chunk containerChunk(SectionType type, std::vector<Chunk> children) {
    return containerChunk(typeId(type), std::move(children));
}

Chunk structChunk(Bytes payload) {
    return leafChunk(SectionType::Struct, std::move(payload));
}

std::size_t payloadSize(const Chunk& chunk) {
    std::size_t size = chunk.payload.size();
    for (const Chunk& child : chunk.children) {
        size += chunkHeaderSize + payloadSize(child);
    }
    return size;
}

namespace {

void append(ByteWriter& out, const Chunk& chunk) {
    out.u32(chunk.type);
    out.u32(chunk.size.value_or(static_cast<std::uint32_t>(payloadSize(chunk))));
    out.u32(chunk.version);
    out.bytes(chunk.payload);
    for (const Chunk& child : chunk.children) {
        append(out, child);
    }
}

}  // namespace

Bytes serialize(const Chunk& chunk) {
    ByteWriter out;
    append(out, chunk);
    return out.take();
}

Bytes serialize(const std::vector<Chunk>& chunks) {
    ByteWriter out;
    for (const Chunk& chunk : chunks) {
        append(out, chunk);
    }
    return out.take();
}

Chunk stringChunk(std::string_view text) {
    ByteWriter out;
    out.text(text).u8(0);
    out.zeros((4 - out.data().size() % 4) % 4);
    return leafChunk(SectionType::String, out.take());
}

Chunk frameNameChunk(std::string_view name) {
    return leafChunk(SectionType::Frame, ByteWriter().text(name).take());
}

Chunk hanimChunk(std::int32_t nodeId, const std::vector<HAnimNodeSpec>& hierarchy) {
    constexpr std::int32_t hanimVersion = 0x100;
    constexpr std::int32_t keyFrameSize = 36;
    ByteWriter out;
    out.i32(hanimVersion).i32(nodeId).i32(static_cast<std::int32_t>(hierarchy.size()));
    if (!hierarchy.empty()) {
        out.i32(0).i32(keyFrameSize);
        for (const HAnimNodeSpec& node : hierarchy) {
            out.i32(node.nodeId).i32(node.nodeIndex).i32(node.nodeFlags);
        }
    }
    return leafChunk(SectionType::HAnimPLG, out.take());
}

Chunk binMeshChunk(std::uint32_t meshFlags, const std::vector<BinMeshSpec>& meshes) {
    std::uint32_t totalIndices = 0;
    for (const BinMeshSpec& mesh : meshes) {
        totalIndices += static_cast<std::uint32_t>(mesh.indices.size());
    }
    ByteWriter out;
    out.u32(meshFlags).u32(static_cast<std::uint32_t>(meshes.size())).u32(totalIndices);
    for (const BinMeshSpec& mesh : meshes) {
        out.u32(static_cast<std::uint32_t>(mesh.indices.size())).u32(mesh.materialIndex);
        for (std::uint32_t index : mesh.indices) {
            out.u32(index);
        }
    }
    return leafChunk(SectionType::BinMeshPLG, out.take());
}

Chunk skinChunk(const SkinSpec& skin) {
    ByteWriter out;
    out.u8(skin.numBones.value_or(static_cast<std::uint8_t>(skin.inverseMatrices.size())));
    out.u8(static_cast<std::uint8_t>(skin.usedBones.size())).u8(skin.maxWeightsPerVertex).u8(0);
    out.bytes(skin.usedBones);
    for (const auto& indices : skin.boneIndices) {
        out.bytes(indices);
    }
    for (const Vec4& weights : skin.weights) {
        out.vec4(weights);
    }
    for (const Matrix44& matrix : skin.inverseMatrices) {
        out.matrix(matrix);
    }
    out.bytes(skin.spareBytes);
    return leafChunk(SectionType::SkinPLG, out.take());
}

}  // namespace zorvek::test
