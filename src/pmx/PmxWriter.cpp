#include "pmx/PmxWriter.h"

#include "base/BlockWriter.h"
#include "base/TextEncoding.h"

#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace zorvek {

namespace {

static_assert(sizeof(Vec2) == 8 && sizeof(Vec3) == 12 && sizeof(Vec4) == 16, "vectors are stored as their floats");

// The same section writers run twice: once counting bytes, for the size of
// the block, then storing them, so that the size and the bytes cannot disagree.
struct ByteCounter {
    static constexpr bool counts = true;
    std::size_t size = 0;

    template <typename T>
    void put(const T&) {
        size += sizeof(T);
    }
    void bytes(std::size_t n) { size += n; }
};

struct ByteStorer {
    static constexpr bool counts = false;
    BlockWriter& writer;

    template <typename T>
    void put(const T& value) {
        BlockWriter::store(writer.take(sizeof(T)), value);
    }
};

std::uint8_t* storeIndex(std::uint8_t* at, std::uint8_t width, std::int32_t index) {
    // Signed on disk: the all-ones value of any width reads as -1.
    switch (width) {
    case 1: return BlockWriter::store(at, static_cast<std::int8_t>(index));
    case 2: return BlockWriter::store(at, static_cast<std::int16_t>(index));
    default: return BlockWriter::store(at, index);
    }
}

std::uint8_t* storeVertexIndex(std::uint8_t* at, std::uint8_t width, std::uint32_t index) {
    // Unsigned on disk where narrower than four bytes.
    switch (width) {
    case 1: return BlockWriter::store(at, static_cast<std::uint8_t>(index));
    case 2: return BlockWriter::store(at, static_cast<std::uint16_t>(index));
    default: return BlockWriter::store(at, index);
    }
}

std::size_t vertexRecordSize(const PmxHeader& header, PmxDeform deform) {
    const std::size_t bone = header.boneIndexSize;
    std::size_t skin = 0;
    switch (deform) {
    case PmxDeform::Bdef1: skin = bone; break;
    case PmxDeform::Bdef2: skin = 2 * bone + 4; break;
    case PmxDeform::Bdef4: skin = 4 * bone + 16; break;
    }
    return 12 + 12 + 8 + 16 * std::size_t{header.additionalUvCount} + 1 + skin + 4;
}

template <typename Out>
class SectionWriter {
public:
    SectionWriter(Out& out, const PmxModel& model) : out_(out), model_(model), header_(model.header) {}

    void write() {
        writeHeader();
        writeInformation();
        writeVertices();
        writeFaces();
        writeTextures();
        writeMaterials();
        writeBones();
        writeMorphs();
        writeDisplayFrames();
        writeRigidBodies();
        writeJoints();
    }

private:
    void u8(std::uint8_t value) { out_.put(value); }
    void u16(std::uint16_t value) { out_.put(value); }
    void i32(std::int32_t value) { out_.put(value); }
    void f32(float value) { out_.put(value); }
    void vec3(const Vec3& value) { out_.put(value); }
    void vec4(const Vec4& value) { out_.put(value); }
    void count(std::size_t n) { i32(static_cast<std::int32_t>(n)); }

    // An int32 byte length, then the text in the header's encoding, no NUL.
    void text(std::u16string_view value) {
        if (header_.encoding == PmxTextEncoding::Utf8) {
            const std::string utf8 = utf16ToUtf8(value);
            count(utf8.size());
            if constexpr (Out::counts) {
                out_.bytes(utf8.size());
            } else {
                for (char byte : utf8) {
                    u8(static_cast<std::uint8_t>(byte));
                }
            }
            return;
        }
        count(2 * value.size());
        if constexpr (Out::counts) {
            out_.bytes(2 * value.size());
        } else {
            std::uint8_t* at = out_.writer.take(2 * value.size());
            for (char16_t unit : value) {
                at = BlockWriter::store(at, static_cast<std::uint16_t>(unit));
            }
        }
    }

    void index(std::uint8_t width, std::int32_t value) {
        if constexpr (Out::counts) {
            out_.bytes(width);
        } else {
            storeIndex(out_.writer.take(width), width, value);
        }
    }
    void bone(std::int32_t value) { index(header_.boneIndexSize, value); }
    void texture(std::int32_t value) { index(header_.textureIndexSize, value); }
    void material(std::int32_t value) { index(header_.materialIndexSize, value); }
    void morph(std::int32_t value) { index(header_.morphIndexSize, value); }
    void rigidBody(std::int32_t value) { index(header_.rigidBodyIndexSize, value); }
    void vertex(std::int32_t value) {
        if constexpr (Out::counts) {
            out_.bytes(header_.vertexIndexSize);
        } else {
            storeVertexIndex(out_.writer.take(header_.vertexIndexSize), header_.vertexIndexSize,
                             static_cast<std::uint32_t>(value));
        }
    }

    void writeHeader() {
        for (char magic : std::string_view("PMX ")) {
            u8(static_cast<std::uint8_t>(magic));
        }
        f32(header_.version);
        u8(8);  // setting bytes that follow
        u8(static_cast<std::uint8_t>(header_.encoding));
        u8(header_.additionalUvCount);
        u8(header_.vertexIndexSize);
        u8(header_.textureIndexSize);
        u8(header_.materialIndexSize);
        u8(header_.boneIndexSize);
        u8(header_.morphIndexSize);
        u8(header_.rigidBodyIndexSize);
    }

    void writeInformation() {
        const PmxInformation& information = model_.information;
        text(information.name);
        text(information.englishName);
        text(information.comment);
        text(information.englishComment);
    }

    PmxDeform deformOf(std::size_t k) const {
        return model_.vertices.deforms.empty() ? PmxDeform::Bdef4 : model_.vertices.deforms[k];
    }

    void writeVertices() {
        const PmxVertices& vertices = model_.vertices;
        count(vertices.size());
        if constexpr (Out::counts) {
            if (vertices.deforms.empty()) {
                out_.bytes(vertices.size() * vertexRecordSize(header_, PmxDeform::Bdef4));
                return;
            }
            for (PmxDeform deform : vertices.deforms) {
                out_.bytes(vertexRecordSize(header_, deform));
            }
        } else {
            if (!vertices.smallBones.empty()) {
                storeVertices(vertices.smallBones);
            } else {
                storeVertices(vertices.bones);
            }
        }
    }

    // One bounds check per record; the bones' array type is resolved once,
    // not per vertex, for the million-vertex models.
    template <typename Quads>
    void storeVertices(const Quads& quads) {
        const PmxVertices& vertices = model_.vertices;
        const bool normals = !vertices.normals.empty();
        const bool uvs = !vertices.uvs.empty();
        const bool edges = !vertices.edgeScales.empty();
        const std::uint8_t width = header_.boneIndexSize;
        for (std::size_t k = 0; k < vertices.size(); ++k) {
            const PmxDeform deform = deformOf(k);
            const std::size_t recordSize = vertexRecordSize(header_, deform);
            std::uint8_t* const record = out_.writer.take(recordSize);
            std::uint8_t* at = BlockWriter::store(record, vertices.positions[k]);
            at = BlockWriter::store(at, normals ? vertices.normals[k] : Vec3{});
            at = BlockWriter::store(at, uvs ? vertices.uvs[k] : Vec2{});
            for (std::size_t set = 0; set < header_.additionalUvCount; ++set) {
                const LargeArray<Vec4>& extra = vertices.additionalUvs[set];
                at = BlockWriter::store(at, extra.empty() ? Vec4{} : extra[k]);
            }
            at = BlockWriter::store(at, deform);
            const auto& bones = quads[k];
            const Vec4& weight = vertices.weights[k];
            switch (deform) {
            case PmxDeform::Bdef1: at = storeIndex(at, width, bones[0]); break;
            case PmxDeform::Bdef2:
                at = storeIndex(at, width, bones[0]);
                at = storeIndex(at, width, bones[1]);
                at = BlockWriter::store(at, weight.x);
                break;
            case PmxDeform::Bdef4:
                for (auto bone : bones) {
                    at = storeIndex(at, width, bone);
                }
                at = BlockWriter::store(at, weight);
                break;
            }
            at = BlockWriter::store(at, edges ? vertices.edgeScales[k] : 1.0f);
            if (at != record + recordSize) {
                throw std::logic_error("a vertex record disagrees with its computed size");
            }
        }
    }

    void writeFaces() {
        const LargeArray<std::uint32_t>& indices = model_.faceIndices;
        count(indices.size());
        const std::uint8_t width = header_.vertexIndexSize;
        if constexpr (Out::counts) {
            out_.bytes(indices.size() * width);
        } else {
            std::uint8_t* at = out_.writer.take(indices.size() * width);
            for (std::uint32_t index : indices) {
                at = storeVertexIndex(at, width, index);
            }
        }
    }

    void writeTextures() {
        count(model_.textures.size());
        for (const std::u16string& name : model_.textures) {
            text(name);
        }
    }

    void writeMaterials() {
        count(model_.materials.size());
        for (const PmxMaterial& m : model_.materials) {
            text(m.name);
            text(m.englishName);
            vec4(m.diffuse);
            vec3(m.specular);
            f32(m.specularStrength);
            vec3(m.ambient);
            u8(m.drawFlags);
            vec4(m.edgeColour);
            f32(m.edgeSize);
            texture(m.texture);
            texture(m.sphereTexture);
            u8(m.sphereMode);
            u8(m.sharedToon ? 1 : 0);
            if (m.sharedToon) {
                u8(static_cast<std::uint8_t>(m.toon));
            } else {
                texture(m.toon);
            }
            text(m.memo);
            i32(m.faceIndexCount);
        }
    }

    void writeIk(const PmxIk& ik) {
        bone(ik.target);
        i32(ik.loopCount);
        f32(ik.limitAngle);
        count(ik.links.size());
        for (const PmxIkLink& link : ik.links) {
            bone(link.bone);
            u8(link.limited ? 1 : 0);
            if (link.limited) {
                vec3(link.lowerLimit);
                vec3(link.upperLimit);
            }
        }
    }

    void writeBones() {
        count(model_.bones.size());
        for (const PmxBone& b : model_.bones) {
            text(b.name);
            text(b.englishName);
            vec3(b.position);
            bone(b.parent);
            i32(b.layer);
            u16(b.flags);
            if ((b.flags & PmxTailIsBone) != 0) {
                bone(b.tailBone);
            } else {
                vec3(b.tailOffset);
            }
            if ((b.flags & (PmxInheritsRotation | PmxInheritsTranslation)) != 0) {
                bone(b.inheritParent);
                f32(b.inheritWeight);
            }
            if ((b.flags & PmxFixedAxis) != 0) {
                vec3(b.fixedAxis);
            }
            if ((b.flags & PmxLocalAxes) != 0) {
                vec3(b.localX);
                vec3(b.localZ);
            }
            if ((b.flags & PmxExternalParent) != 0) {
                i32(b.externalKey);
            }
            if ((b.flags & PmxIsIk) != 0) {
                writeIk(b.ik);
            }
        }
    }

    void writeMorphOffsets(const PmxMorph& m) {
        switch (static_cast<PmxMorphType>(m.type)) {
        case PmxMorphType::Group:
            count(m.groupOffsets.size());
            for (const PmxGroupOffset& o : m.groupOffsets) {
                morph(o.morph);
                f32(o.weight);
            }
            return;
        case PmxMorphType::Vertex:
            count(m.vertexOffsets.size());
            for (const PmxVertexOffset& o : m.vertexOffsets) {
                vertex(o.vertex);
                vec3(o.offset);
            }
            return;
        case PmxMorphType::Bone:
            count(m.boneOffsets.size());
            for (const PmxBoneOffset& o : m.boneOffsets) {
                bone(o.bone);
                vec3(o.translation);
                vec4(o.rotation);
            }
            return;
        case PmxMorphType::Material:
            count(m.materialOffsets.size());
            for (const PmxMaterialOffset& o : m.materialOffsets) {
                material(o.material);
                u8(o.operation);
                vec4(o.diffuse);
                vec3(o.specular);
                f32(o.specularStrength);
                vec3(o.ambient);
                vec4(o.edgeColour);
                f32(o.edgeSize);
                vec4(o.texture);
                vec4(o.sphereTexture);
                vec4(o.toon);
            }
            return;
        default:  // UV and additional UV morphs, types 3 to 7
            count(m.uvOffsets.size());
            for (const PmxUvOffset& o : m.uvOffsets) {
                vertex(o.vertex);
                vec4(o.offset);
            }
            return;
        }
    }

    void writeMorphs() {
        count(model_.morphs.size());
        for (const PmxMorph& m : model_.morphs) {
            text(m.name);
            text(m.englishName);
            u8(m.panel);
            u8(m.type);
            writeMorphOffsets(m);
        }
    }

    void writeDisplayFrames() {
        count(model_.displayFrames.size());
        for (const PmxDisplayFrame& frame : model_.displayFrames) {
            text(frame.name);
            text(frame.englishName);
            u8(frame.special ? 1 : 0);
            count(frame.elements.size());
            for (const PmxDisplayElement& element : frame.elements) {
                u8(element.isMorph ? 1 : 0);
                if (element.isMorph) {
                    morph(element.index);
                } else {
                    bone(element.index);
                }
            }
        }
    }

    void writeRigidBodies() {
        count(model_.rigidBodies.size());
        for (const PmxRigidBody& body : model_.rigidBodies) {
            text(body.name);
            text(body.englishName);
            bone(body.bone);
            u8(body.group);
            u16(body.collisionMask);
            u8(body.shape);
            vec3(body.size);
            vec3(body.position);
            vec3(body.rotation);
            f32(body.mass);
            f32(body.linearDamping);
            f32(body.angularDamping);
            f32(body.restitution);
            f32(body.friction);
            u8(body.physics);
        }
    }

    void writeJoints() {
        count(model_.joints.size());
        for (const PmxJoint& joint : model_.joints) {
            text(joint.name);
            text(joint.englishName);
            u8(joint.type);
            rigidBody(joint.bodyA);
            rigidBody(joint.bodyB);
            vec3(joint.position);
            vec3(joint.rotation);
            vec3(joint.lowerTranslation);
            vec3(joint.upperTranslation);
            vec3(joint.lowerRotation);
            vec3(joint.upperRotation);
            vec3(joint.springTranslation);
            vec3(joint.springRotation);
        }
    }

    Out& out_;
    const PmxModel& model_;
    const PmxHeader& header_;
};

}  // namespace

std::size_t pmxFileSize(const PmxModel& model) {
    ByteCounter counter;
    SectionWriter<ByteCounter>(counter, model).write();
    return counter.size;
}

ByteBlock writePmx(const PmxModel& model) {
    BlockWriter writer(pmxFileSize(model));
    ByteStorer storer{writer};
    SectionWriter<ByteStorer>(storer, model).write();
    return writer.finish();
}

}  // namespace zorvek
