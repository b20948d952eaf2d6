#include "pmx/PmxReader.h"

#include "base/ByteReader.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "pmx/MmdReading.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace zorvek {

namespace {

using mmd::readVec2;
using mmd::readVec3;
using mmd::readVec4;

constexpr std::string_view magic = "PMX ";
constexpr std::uint8_t settingsOf20 = 8;

// The morph types of the file; 9 and 10 come with 2.1 and are left out.
constexpr std::uint8_t flipMorph = 9;
constexpr std::uint8_t impulseMorph = 10;

// The deform bytes of the file; SDEF and QDEF have no PmxDeform of their own.
constexpr std::uint8_t sdefDeform = 3;
constexpr std::uint8_t qdefDeform = 4;
constexpr std::size_t sdefExtraSize = 3 * 12;  // centre, R0, R1

// The smallest records, for checking counts against the bytes that remain
// before anything is sized: every text empty, every optional part absent.
constexpr std::size_t textSize = 4;
constexpr std::size_t softBodyFixedSize = 5 * 4 + 12 * 4 + 6 * 4 + 4 * 4 + 3 * 4;  // from B-link distance to VST

class PmxInput {
public:
    explicit PmxInput(std::span<const std::uint8_t> bytes) : input_(bytes, place_.errorMaker()) {}

    PmxModel read() {
        readHeader();
        readInformation();
        readVertices();
        readFaces();
        readTextures();
        readMaterials();
        readBones();
        checkVertexBones();
        readMorphs();
        readDisplayFrames();
        readRigidBodies();
        readJoints();
        if (version21_) {
            skipSoftBodies();
        }
        // What the model holds is 2.0: 2.1's additions were converted or left out.
        model_.header.version = 2.0f;
        return std::move(model_);
    }

private:
    [[noreturn]] void fail() const { place_.fail(); }

    // A count of the file (int32) of records of at least `smallest` bytes each.
    std::uint32_t count(std::uint64_t smallest) {
        const std::int32_t n = input_.i32();
        if (n < 0) {
            fail();
        }
        input_.requireCount(static_cast<std::uint64_t>(n), smallest);
        return static_cast<std::uint32_t>(n);
    }

    // A byte that decides what follows: only 0 and 1 mean anything.
    bool flag() {
        const std::uint8_t value = input_.u8();
        if (value > 1) {
            fail();
        }
        return value == 1;
    }

    std::u16string text() {
        const std::int32_t length = input_.i32();
        if (length < 0) {
            fail();
        }
        const std::span<const std::uint8_t> bytes = input_.view(static_cast<std::uint64_t>(length));
        if (model_.header.encoding == PmxTextEncoding::Utf8) {
            return utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        }
        if (bytes.size() % 2 != 0) {
            fail();
        }
        std::u16string result(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < result.size(); ++i) {
            result[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
        return result;
    }

    std::int32_t index(std::uint8_t width) {
        switch (width) {
        case 1: return static_cast<std::int8_t>(input_.u8());
        case 2: return input_.i16();
        default: return input_.i32();
        }
    }
    std::int32_t vertexIndex() {
        const std::uint8_t width = model_.header.vertexIndexSize;
        std::uint32_t value = 0;
        switch (width) {
        case 1: value = input_.u8(); break;
        case 2: value = input_.u16(); break;
        default: value = input_.u32(); break;
        }
        if (value >= model_.vertices.size()) {
            fail();
        }
        return static_cast<std::int32_t>(value);
    }

    // An index into a section of `size` items; -1 (none) where allowed.
    void check(std::int32_t index, std::size_t size, bool noneAllowed) const {
        if (index == -1 ? !noneAllowed : index < 0 || static_cast<std::size_t>(index) >= size) {
            fail();
        }
    }
    std::int32_t bone(bool noneAllowed) {
        const std::int32_t value = index(model_.header.boneIndexSize);
        check(value, model_.bones.size(), noneAllowed);
        return value;
    }
    std::int32_t texture() {
        const std::int32_t value = index(model_.header.textureIndexSize);
        check(value, model_.textures.size(), true);
        return value;
    }
    std::int32_t material(bool noneAllowed) {
        const std::int32_t value = index(model_.header.materialIndexSize);
        check(value, model_.materials.size(), noneAllowed);
        return value;
    }
    std::int32_t rigidBody() {
        const std::int32_t value = index(model_.header.rigidBodyIndexSize);
        check(value, model_.rigidBodies.size(), true);
        return value;
    }

    void readHeader() {
        place_.at("ヘッダ", "バージョン");
        input_.skip(magic.size());
        const float version = input_.f32();
        if (version != 2.0f && version != 2.1f) {
            throw UserMessageError("対応していないPMXのバージョンです (" + mmd::versionText(version) + ")");
        }
        version21_ = version == 2.1f;
        PmxHeader& header = model_.header;
        header.version = version;
        place_.field("設定");
        const std::uint8_t settings = input_.u8();
        if (settings < settingsOf20) {
            fail();
        }
        place_.field("文字コード");
        const std::uint8_t encoding = input_.u8();
        if (encoding > 1) {
            fail();
        }
        header.encoding = static_cast<PmxTextEncoding>(encoding);
        place_.field("追加UV数");
        header.additionalUvCount = input_.u8();
        if (header.additionalUvCount > 4) {
            fail();
        }
        place_.field("インデックスサイズ");
        for (std::uint8_t* width : {&header.vertexIndexSize, &header.textureIndexSize, &header.materialIndexSize,
                                    &header.boneIndexSize, &header.morphIndexSize, &header.rigidBodyIndexSize}) {
            *width = input_.u8();
            if (*width != 1 && *width != 2 && *width != 4) {
                fail();
            }
        }
        // Settings a later version may add.
        place_.field("設定");
        input_.skip(settings - settingsOf20);
    }

    void readInformation() {
        PmxInformation& information = model_.information;
        place_.at("モデル情報", "モデル名");
        information.name = text();
        place_.field("英語モデル名");
        information.englishName = text();
        place_.field("コメント");
        information.comment = text();
        place_.field("英語コメント");
        information.englishComment = text();
    }

    // The bones of a vertex go into the int32 quads first; they become the
    // byte quads at the end when every one fits.
    void readVertexBones(std::size_t k, int count) {
        PmxBoneQuad& quad = model_.vertices.bones[k];
        quad = {0, 0, 0, 0};
        for (int i = 0; i < count; ++i) {
            quad[static_cast<std::size_t>(i)] = index(model_.header.boneIndexSize);
            bonesFitBytes_ = bonesFitBytes_ && quad[static_cast<std::size_t>(i)] >= 0 &&
                             quad[static_cast<std::size_t>(i)] <= std::numeric_limits<std::uint8_t>::max();
        }
    }

    PmxDeform readDeform(std::size_t k) {
        PmxVertices& v = model_.vertices;
        place_.field("変形方式");
        const std::uint8_t type = input_.u8();
        place_.field("ボーン");
        switch (type) {
        case static_cast<std::uint8_t>(PmxDeform::Bdef1):
            readVertexBones(k, 1);
            v.weights[k] = {1, 0, 0, 0};
            return PmxDeform::Bdef1;
        case static_cast<std::uint8_t>(PmxDeform::Bdef2):
        case sdefDeform: {
            readVertexBones(k, 2);
            place_.field("ウェイト");
            const float weight = input_.f32();
            v.weights[k] = {weight, 1 - weight, 0, 0};
            if (type == sdefDeform) {
                place_.field("SDEF");
                input_.skip(sdefExtraSize);
            }
            return PmxDeform::Bdef2;
        }
        case qdefDeform:
            if (!version21_) {
                break;
            }
            [[fallthrough]];
        case static_cast<std::uint8_t>(PmxDeform::Bdef4):
            readVertexBones(k, 4);
            place_.field("ウェイト");
            v.weights[k] = readVec4(input_);
            return PmxDeform::Bdef4;
        default: break;
        }
        place_.field("変形方式");
        fail();
    }

    void readVertices() {
        const PmxHeader& header = model_.header;
        place_.at("頂点", "個数");
        const std::size_t smallest =
            12 + 12 + 8 + 16 * std::size_t{header.additionalUvCount} + 1 + header.boneIndexSize + 4;  // BDEF1
        const std::size_t n = count(smallest);
        PmxVertices& v = model_.vertices;
        v.positions.resize(n);
        v.normals.resize(n);
        v.uvs.resize(n);
        v.additionalUvs.assign(header.additionalUvCount, {});
        for (LargeArray<Vec4>& set : v.additionalUvs) {
            set.resize(n);
        }
        v.deforms.resize(n);
        v.bones.resize(n);
        v.weights.resize(n);
        v.edgeScales.resize(n);
        bool everyBdef4 = true;
        for (std::size_t k = 0; k < n; ++k) {
            place_.field("位置");
            v.positions[k] = readVec3(input_);
            place_.field("法線");
            v.normals[k] = readVec3(input_);
            place_.field("UV");
            v.uvs[k] = readVec2(input_);
            place_.field("追加UV");
            for (LargeArray<Vec4>& set : v.additionalUvs) {
                set[k] = readVec4(input_);
            }
            v.deforms[k] = readDeform(k);
            everyBdef4 = everyBdef4 && v.deforms[k] == PmxDeform::Bdef4;
            place_.field("エッジ倍率");
            v.edgeScales[k] = input_.f32();
        }
        if (everyBdef4) {
            LargeArray<PmxDeform>().swap(v.deforms);
        }
    }

    // Run once the bones are known, which the file lists after the vertices.
    void checkVertexBones() {
        PmxVertices& v = model_.vertices;
        place_.at("頂点", "ボーン");
        for (std::size_t k = 0; k < v.size(); ++k) {
            const PmxDeform deform = v.deforms.empty() ? PmxDeform::Bdef4 : v.deforms[k];
            const std::size_t used = deform == PmxDeform::Bdef1 ? 1 : deform == PmxDeform::Bdef2 ? 2 : 4;
            for (std::size_t i = 0; i < used; ++i) {
                check(v.bones[k][i], model_.bones.size(), true);
            }
        }
        if (bonesFitBytes_) {
            v.smallBones.resize(v.size());
            for (std::size_t k = 0; k < v.size(); ++k) {
                for (std::size_t i = 0; i < 4; ++i) {
                    v.smallBones[k][i] = static_cast<std::uint8_t>(v.bones[k][i]);
                }
            }
            LargeArray<PmxBoneQuad>().swap(v.bones);
        }
    }

    void readFaces() {
        place_.at("面", "個数");
        const std::size_t n = count(model_.header.vertexIndexSize);
        if (n % 3 != 0) {
            fail();
        }
        place_.field("頂点");
        model_.faceIndices.resize(n);
        for (std::uint32_t& index : model_.faceIndices) {
            index = static_cast<std::uint32_t>(vertexIndex());
        }
    }

    void readTextures() {
        place_.at("テクスチャ", "個数");
        const std::size_t n = count(textSize);
        place_.field("パス");
        model_.textures.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            model_.textures.push_back(text());
        }
    }

    void readMaterials() {
        const PmxHeader& header = model_.header;
        place_.at("材質", "個数");
        const std::size_t n = count(2 * textSize + 16 + 12 + 4 + 12 + 1 + 16 + 4 + 2 * header.textureIndexSize + 1 + 1 +
                                    1 + textSize + 4);
        model_.materials.reserve(n);
        std::size_t faceIndices = 0;
        for (std::size_t i = 0; i < n; ++i) {
            PmxMaterial m;
            place_.field("名前");
            m.name = text();
            place_.field("英語名");
            m.englishName = text();
            place_.field("色");
            m.diffuse = readVec4(input_);
            m.specular = readVec3(input_);
            m.specularStrength = input_.f32();
            m.ambient = readVec3(input_);
            place_.field("描画フラグ");
            m.drawFlags = input_.u8();
            place_.field("エッジ");
            m.edgeColour = readVec4(input_);
            m.edgeSize = input_.f32();
            place_.field("テクスチャ");
            m.texture = texture();
            place_.field("スフィア");
            m.sphereTexture = texture();
            m.sphereMode = input_.u8();
            place_.field("トゥーン");
            m.sharedToon = flag();
            m.toon = m.sharedToon ? input_.u8() : texture();
            place_.field("メモ");
            m.memo = text();
            place_.field("面数");
            m.faceIndexCount = input_.i32();
            if (m.faceIndexCount < 0 || m.faceIndexCount % 3 != 0 ||
                static_cast<std::size_t>(m.faceIndexCount) > model_.faceIndices.size() - faceIndices) {
                fail();
            }
            faceIndices += static_cast<std::size_t>(m.faceIndexCount);
            model_.materials.push_back(std::move(m));
        }
    }

    void readIk(PmxIk& ik) {
        place_.field("IK");
        ik.target = index(model_.header.boneIndexSize);
        ik.loopCount = input_.i32();
        ik.limitAngle = input_.f32();
        const std::size_t links = count(std::size_t{model_.header.boneIndexSize} + 1);
        place_.field("IKリンク");
        ik.links.reserve(links);
        for (std::size_t i = 0; i < links; ++i) {
            PmxIkLink link;
            link.bone = index(model_.header.boneIndexSize);
            link.limited = flag();
            if (link.limited) {
                link.lowerLimit = readVec3(input_);
                link.upperLimit = readVec3(input_);
            }
            ik.links.push_back(link);
        }
    }

    void readBone(PmxBone& b) {
        const std::uint8_t width = model_.header.boneIndexSize;
        place_.field("名前");
        b.name = text();
        place_.field("英語名");
        b.englishName = text();
        place_.field("位置");
        b.position = readVec3(input_);
        place_.field("親");
        b.parent = index(width);
        place_.field("変形階層");
        b.layer = input_.i32();
        place_.field("フラグ");
        b.flags = input_.u16();
        place_.field("接続先");
        if ((b.flags & PmxTailIsBone) != 0) {
            b.tailBone = index(width);
        } else {
            b.tailOffset = readVec3(input_);
        }
        if ((b.flags & (PmxInheritsRotation | PmxInheritsTranslation)) != 0) {
            place_.field("付与");
            b.inheritParent = index(width);
            b.inheritWeight = input_.f32();
        }
        if ((b.flags & PmxFixedAxis) != 0) {
            place_.field("軸固定");
            b.fixedAxis = readVec3(input_);
        }
        if ((b.flags & PmxLocalAxes) != 0) {
            place_.field("ローカル軸");
            b.localX = readVec3(input_);
            b.localZ = readVec3(input_);
        }
        if ((b.flags & PmxExternalParent) != 0) {
            place_.field("外部親");
            b.externalKey = input_.i32();
        }
        if ((b.flags & PmxIsIk) != 0) {
            readIk(b.ik);
        }
    }

    // Bones name bones later in the list, so they are checked once all are read.
    void checkBones() {
        const std::size_t n = model_.bones.size();
        for (const PmxBone& b : model_.bones) {
            place_.field("親");
            check(b.parent, n, true);
            if ((b.flags & PmxTailIsBone) != 0) {
                place_.field("接続先");
                check(b.tailBone, n, true);
            }
            if ((b.flags & (PmxInheritsRotation | PmxInheritsTranslation)) != 0) {
                place_.field("付与");
                check(b.inheritParent, n, true);
            }
            if ((b.flags & PmxIsIk) != 0) {
                place_.field("IK");
                check(b.ik.target, n, false);
                place_.field("IKリンク");
                for (const PmxIkLink& link : b.ik.links) {
                    check(link.bone, n, false);
                }
            }
        }
    }

    void readBones() {
        const std::uint8_t width = model_.header.boneIndexSize;
        place_.at("ボーン", "個数");
        const std::size_t n = count(2 * textSize + 12 + width + 4 + 2 + width);
        model_.bones.resize(n);
        for (PmxBone& b : model_.bones) {
            readBone(b);
        }
        checkBones();
    }

    // The smallest offset of a morph type; 0 for a type the format does not have.
    std::size_t offsetSize(std::uint8_t type) const {
        const PmxHeader& h = model_.header;
        switch (type) {
        case static_cast<std::uint8_t>(PmxMorphType::Group): return h.morphIndexSize + 4;
        case static_cast<std::uint8_t>(PmxMorphType::Vertex): return h.vertexIndexSize + 12;
        case static_cast<std::uint8_t>(PmxMorphType::Bone): return h.boneIndexSize + 12 + 16;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7: return h.vertexIndexSize + 16;
        case static_cast<std::uint8_t>(PmxMorphType::Material):
            return h.materialIndexSize + 1 + 16 * 5 + 12 * 2 + 4 * 2;
        case flipMorph: return version21_ ? h.morphIndexSize + 4 : 0;
        case impulseMorph: return version21_ ? h.rigidBodyIndexSize + 1 + 12 + 12 : 0;
        default: return 0;
        }
    }

    void readOffsets(PmxMorph& m, std::size_t n) {
        const PmxHeader& h = model_.header;
        switch (m.type) {
        case static_cast<std::uint8_t>(PmxMorphType::Group):
            place_.field("グループ");
            m.groupOffsets.resize(n);
            for (PmxGroupOffset& o : m.groupOffsets) {
                o.morph = index(h.morphIndexSize);
                o.weight = input_.f32();
            }
            return;
        case static_cast<std::uint8_t>(PmxMorphType::Vertex):
            place_.field("頂点");
            m.vertexOffsets.resize(n);
            for (PmxVertexOffset& o : m.vertexOffsets) {
                o.vertex = vertexIndex();
                o.offset = readVec3(input_);
            }
            return;
        case static_cast<std::uint8_t>(PmxMorphType::Bone):
            place_.field("ボーン");
            m.boneOffsets.resize(n);
            for (PmxBoneOffset& o : m.boneOffsets) {
                o.bone = bone(false);
                o.translation = readVec3(input_);
                o.rotation = readVec4(input_);
            }
            return;
        case static_cast<std::uint8_t>(PmxMorphType::Material):
            place_.field("材質");
            m.materialOffsets.resize(n);
            for (PmxMaterialOffset& o : m.materialOffsets) {
                o.material = material(true);
                o.operation = input_.u8();
                o.diffuse = readVec4(input_);
                o.specular = readVec3(input_);
                o.specularStrength = input_.f32();
                o.ambient = readVec3(input_);
                o.edgeColour = readVec4(input_);
                o.edgeSize = input_.f32();
                o.texture = readVec4(input_);
                o.sphereTexture = readVec4(input_);
                o.toon = readVec4(input_);
            }
            return;
        case flipMorph:
        case impulseMorph:
            // Nothing in PmxModel plays them: their offsets are skipped whole.
            place_.field(m.type == flipMorph ? "フリップ" : "インパルス");
            input_.skip(n * offsetSize(m.type));
            return;
        default:  // UV and additional UV morphs
            place_.field("UV");
            m.uvOffsets.resize(n);
            for (PmxUvOffset& o : m.uvOffsets) {
                o.vertex = vertexIndex();
                o.offset = readVec4(input_);
            }
            return;
        }
    }

    void readMorphs() {
        place_.at("モーフ", "個数");
        const std::size_t n = count(2 * textSize + 1 + 1 + 4);
        model_.morphs.reserve(n);
        // The place of each of the file's morphs in the model, -1 for one left out.
        morphPlaces_.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            PmxMorph m;
            place_.field("名前");
            m.name = text();
            place_.field("英語名");
            m.englishName = text();
            place_.field("種類");
            m.panel = input_.u8();
            m.type = input_.u8();
            const std::size_t size = offsetSize(m.type);
            if (size == 0) {
                fail();
            }
            place_.field("オフセット数");
            readOffsets(m, count(size));
            if (m.type == flipMorph || m.type == impulseMorph) {
                morphPlaces_.push_back(-1);
            } else {
                morphPlaces_.push_back(static_cast<std::int32_t>(model_.morphs.size()));
                model_.morphs.push_back(std::move(m));
            }
        }
        // Group morphs may name morphs that come after them.
        place_.field("グループ");
        for (PmxMorph& m : model_.morphs) {
            auto& offsets = m.groupOffsets;
            for (PmxGroupOffset& o : offsets) {
                check(o.morph, morphPlaces_.size(), false);
                o.morph = morphPlaces_[static_cast<std::size_t>(o.morph)];
            }
            offsets.erase(
                std::remove_if(offsets.begin(), offsets.end(), [](const PmxGroupOffset& o) { return o.morph == -1; }),
                offsets.end());
        }
    }

    void readDisplayFrames() {
        const PmxHeader& h = model_.header;
        place_.at("表示枠", "個数");
        const std::size_t n = count(2 * textSize + 1 + 4);
        model_.displayFrames.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            PmxDisplayFrame frame;
            place_.field("名前");
            frame.name = text();
            place_.field("英語名");
            frame.englishName = text();
            place_.field("特殊枠");
            frame.special = input_.u8() != 0;
            place_.field("要素数");
            const std::size_t elements = count(1 + std::size_t{std::min(h.boneIndexSize, h.morphIndexSize)});
            place_.field("要素");
            frame.elements.reserve(elements);
            for (std::size_t e = 0; e < elements; ++e) {
                PmxDisplayElement element;
                element.isMorph = flag();
                if (!element.isMorph) {
                    element.index = bone(false);
                } else {
                    element.index = index(h.morphIndexSize);
                    check(element.index, morphPlaces_.size(), false);
                    element.index = morphPlaces_[static_cast<std::size_t>(element.index)];
                    if (element.index == -1) {
                        continue;
                    }
                }
                frame.elements.push_back(element);
            }
            model_.displayFrames.push_back(std::move(frame));
        }
    }

    void readRigidBodies() {
        place_.at("剛体", "個数");
        const std::size_t n = count(2 * textSize + model_.header.boneIndexSize + 1 + 2 + 1 + 3 * 12 + 5 * 4 + 1);
        model_.rigidBodies.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            PmxRigidBody body;
            place_.field("名前");
            body.name = text();
            place_.field("英語名");
            body.englishName = text();
            place_.field("ボーン");
            body.bone = bone(true);
            place_.field("パラメータ");
            body.group = input_.u8();
            body.collisionMask = input_.u16();
            body.shape = input_.u8();
            body.size = readVec3(input_);
            body.position = readVec3(input_);
            body.rotation = readVec3(input_);
            body.mass = input_.f32();
            body.linearDamping = input_.f32();
            body.angularDamping = input_.f32();
            body.restitution = input_.f32();
            body.friction = input_.f32();
            body.physics = input_.u8();
            model_.rigidBodies.push_back(std::move(body));
        }
    }

    void readJoints() {
        place_.at("ジョイント", "個数");
        const std::size_t n = count(2 * textSize + 1 + 2 * std::size_t{model_.header.rigidBodyIndexSize} + 8 * 12);
        model_.joints.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            PmxJoint joint;
            place_.field("名前");
            joint.name = text();
            place_.field("英語名");
            joint.englishName = text();
            place_.field("種類");
            joint.type = input_.u8();
            place_.field("剛体");
            joint.bodyA = rigidBody();
            joint.bodyB = rigidBody();
            place_.field("パラメータ");
            joint.position = readVec3(input_);
            joint.rotation = readVec3(input_);
            joint.lowerTranslation = readVec3(input_);
            joint.upperTranslation = readVec3(input_);
            joint.lowerRotation = readVec3(input_);
            joint.upperRotation = readVec3(input_);
            joint.springTranslation = readVec3(input_);
            joint.springRotation = readVec3(input_);
            model_.joints.push_back(std::move(joint));
        }
    }

    // Read through for their sizes and references, then dropped: nothing we
    // make of a model simulates cloth.
    void skipSoftBodies() {
        const PmxHeader& h = model_.header;
        place_.at("ソフトボディ", "個数");
        const std::size_t n = count(2 * textSize + 1 + h.materialIndexSize + 1 + 2 + 1 + softBodyFixedSize + 4 + 4);
        for (std::size_t i = 0; i < n; ++i) {
            place_.field("名前");
            text();
            place_.field("英語名");
            text();
            place_.field("材質");
            input_.u8();  // the shape
            material(true);
            place_.field("パラメータ");
            input_.skip(1 + 2 + 1 + softBodyFixedSize);  // group, mask, flags, then the fixed settings
            place_.field("アンカー剛体");
            const std::size_t anchors = count(std::size_t{h.rigidBodyIndexSize} + h.vertexIndexSize + 1);
            for (std::size_t a = 0; a < anchors; ++a) {
                rigidBody();
                vertexIndex();
                input_.u8();  // the near mode
            }
            place_.field("ピン頂点");
            const std::size_t pins = count(h.vertexIndexSize);
            for (std::size_t p = 0; p < pins; ++p) {
                vertexIndex();
            }
        }
    }

    mmd::ReadPlace place_{"PMX"};
    ByteReader input_;
    PmxModel model_;
    bool version21_ = false;
    bool bonesFitBytes_ = true;
    std::vector<std::int32_t> morphPlaces_;
};

}  // namespace

PmxModel readPmx(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < magic.size() || !std::equal(magic.begin(), magic.end(), bytes.begin())) {
        throw UserMessageError("PMXファイルではありません");
    }
    return PmxInput(bytes).read();
}

}  // namespace zorvek
