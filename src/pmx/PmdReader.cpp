#include "pmx/PmdReader.h"

#include "base/ByteReader.h"
#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "pmx/MmdReading.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <numbers>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {

namespace {

using mmd::readVec2;
using mmd::readVec3;

constexpr std::string_view magic = "Pmd";

constexpr std::size_t nameSize = 20;
constexpr std::size_t commentSize = 256;
constexpr std::size_t frameNameSize = 50;
constexpr std::size_t toonNameSize = 100;
constexpr std::size_t toonCount = 10;

constexpr std::size_t vertexSize = 38;
constexpr std::size_t materialSize = 70;
constexpr std::size_t boneSize = 39;
constexpr std::size_t ikHeadSize = 11;
constexpr std::size_t morphHeadSize = 25;
constexpr std::size_t morphVertexSize = 16;
constexpr std::size_t rigidBodySize = 83;
constexpr std::size_t jointSize = 124;

constexpr std::uint16_t noBone = 0xFFFF;
constexpr std::uint8_t noToon = 0xFF;
constexpr std::uint8_t baseMorph = 0;
constexpr std::uint8_t lastMorphPanel = 4;  // other; 1 to 3 are brows, eyes and lips
// MMD draws a PMD material without self shadow when its alpha is exactly this.
constexpr float noSelfShadowAlpha = 0.98f;

enum PmdBoneType : std::uint8_t {
    Rotate = 0,
    RotateMove = 1,
    Ik = 2,
    UnderIk = 4,
    UnderRotation = 5,
    IkTarget = 6,
    Invisible = 7,
    Twist = 8,
};

// What MMD gives the knees of a PMD model's IK, which the file does not
// store: they bend one way only, about X.
constexpr float kneeLowerX = -std::numbers::pi_v<float>;
constexpr float kneeUpperX = -0.5f * std::numbers::pi_v<float> / 180;
// PMD's IK limit is a quarter of the angle PMX stores.
constexpr float ikLimitScale = 4;

bool endsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

// The shared toon that a toon file name stands for, "toon01.bmp" to
// "toon10.bmp", or -1.
int sharedToonOf(std::string_view name) {
    for (int i = 0; i < static_cast<int>(toonCount); ++i) {
        const std::string shared = (i < 9 ? "toon0" : "toon") + std::to_string(i + 1) + ".bmp";
        if (name.size() == shared.size() && endsWithIgnoringCase(name, shared)) {
            return i;
        }
    }
    return -1;
}

// A frame name as PMD stores it, often with a line break before its NUL.
std::string withoutLineBreak(std::string name) {
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) {
        name.pop_back();
    }
    return name;
}

struct PmdIk {
    std::uint16_t bone = 0;
    PmxIk ik;
};

class PmdInput {
public:
    explicit PmdInput(std::span<const std::uint8_t> bytes) : input_(bytes, place_.errorMaker()) {}

    PmxModel read() {
        readHeader();
        readVertices();
        readFaces();
        readMaterials();
        readBones();
        checkVertexBones();
        readIks();
        readMorphs();
        readDisplayFrames();
        // The extensions came with later versions of MMD: an older file ends before any of them.
        if (!input_.atEnd()) {
            readEnglishNames();
        }
        if (!input_.atEnd()) {
            readToonNames();
        }
        finishMaterials();
        if (!input_.atEnd()) {
            readRigidBodies();
        }
        if (!input_.atEnd()) {
            readJoints();
        }
        fitIndexWidths();
        return std::move(model_);
    }

private:
    [[noreturn]] void fail() const { place_.fail(); }

    std::u16string name(std::size_t size) { return fromShiftJis(input_.text(size)); }

    void check(std::size_t index, std::size_t size) const {
        if (index >= size) {
            fail();
        }
    }

    void readHeader() {
        place_.at("ヘッダ", "バージョン");
        input_.skip(magic.size());
        const float version = input_.f32();
        if (version != 1.0f) {
            throw UserMessageError("対応していないPMDのバージョンです (" + mmd::versionText(version) + ")");
        }
        place_.field("モデル名");
        model_.information.name = name(nameSize);
        place_.field("コメント");
        model_.information.comment = name(commentSize);
    }

    void readVertices() {
        place_.at("頂点", "個数");
        const std::uint32_t n = input_.u32();
        input_.requireCount(n, vertexSize);
        PmxVertices& v = model_.vertices;
        v.positions.resize(n);
        v.normals.resize(n);
        v.uvs.resize(n);
        v.deforms.assign(n, PmxDeform::Bdef2);
        v.bones.resize(n);
        v.weights.resize(n);
        v.edgeScales.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            place_.field("位置");
            v.positions[k] = readVec3(input_);
            place_.field("法線");
            v.normals[k] = readVec3(input_);
            place_.field("UV");
            v.uvs[k] = readVec2(input_);
            place_.field("ボーン");
            const std::uint16_t first = input_.u16();
            const std::uint16_t second = input_.u16();
            v.bones[k] = {first, second, 0, 0};
            bonesFitBytes_ = bonesFitBytes_ && first <= 0xFF && second <= 0xFF;
            place_.field("ウェイト");
            const std::uint8_t percent = input_.u8();
            if (percent > 100) {
                fail();
            }
            const float weight = static_cast<float>(percent) / 100;
            v.weights[k] = {weight, 1 - weight, 0, 0};
            place_.field("エッジ");
            v.edgeScales[k] = input_.u8() == 0 ? 1.0f : 0.0f;
        }
    }

    // Run once the bones are known, which the file lists after the vertices.
    void checkVertexBones() {
        PmxVertices& v = model_.vertices;
        place_.at("頂点", "ボーン");
        for (const PmxBoneQuad& quad : v.bones) {
            check(static_cast<std::size_t>(quad[0]), model_.bones.size());
            check(static_cast<std::size_t>(quad[1]), model_.bones.size());
        }
        if (bonesFitBytes_) {
            v.smallBones.resize(v.size());
            for (std::size_t k = 0; k < v.size(); ++k) {
                v.smallBones[k] = {static_cast<std::uint8_t>(v.bones[k][0]), static_cast<std::uint8_t>(v.bones[k][1]),
                                   0, 0};
            }
            LargeArray<PmxBoneQuad>().swap(v.bones);
        }
    }

    void readFaces() {
        place_.at("面", "個数");
        const std::uint32_t n = input_.u32();
        input_.requireCount(n, 2);
        if (n % 3 != 0) {
            fail();
        }
        place_.field("頂点");
        model_.faceIndices.resize(n);
        for (std::uint32_t& index : model_.faceIndices) {
            index = input_.u16();
            check(index, model_.vertices.size());
        }
    }

    std::int32_t textureNamed(const std::string& sjisName) {
        const auto [at, added] = textures_.try_emplace(sjisName, static_cast<std::int32_t>(model_.textures.size()));
        if (added) {
            model_.textures.push_back(fromShiftJis(sjisName));
        }
        return at->second;
    }

    // "tex.png*sphere.spa", either part alone, or nothing.
    void setTextures(PmxMaterial& m, const std::string& field) {
        std::size_t start = 0;
        while (start <= field.size()) {
            const std::size_t star = std::min(field.find('*', start), field.size());
            const std::string part = field.substr(start, star - start);
            start = star + 1;
            if (part.empty()) {
                continue;
            }
            if (endsWithIgnoringCase(part, ".sph") || endsWithIgnoringCase(part, ".spa")) {
                m.sphereTexture = textureNamed(part);
                m.sphereMode = endsWithIgnoringCase(part, ".sph") ? 1 : 2;
            } else if (m.texture == -1) {
                m.texture = textureNamed(part);
            }
        }
    }

    void readMaterials() {
        place_.at("材質", "個数");
        const std::uint32_t n = input_.u32();
        input_.requireCount(n, materialSize);
        model_.materials.reserve(n);
        toonIndices_.reserve(n);
        std::size_t faceIndices = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            PmxMaterial m;
            // PMD materials have no names; MMD's own conversion numbers them so.
            m.name = u"材質" + widenBytes(std::to_string(i + 1));
            place_.field("色");
            m.diffuse = mmd::readVec4(input_);
            m.specularStrength = input_.f32();
            m.specular = readVec3(input_);
            m.ambient = readVec3(input_);
            place_.field("トゥーン");
            const std::uint8_t toon = input_.u8();
            if (toon >= toonCount && toon != noToon) {
                fail();
            }
            toonIndices_.push_back(toon);
            place_.field("エッジ");
            const bool edge = input_.u8() != 0;
            place_.field("面数");
            const std::uint32_t faces = input_.u32();
            if (faces % 3 != 0 || faces > model_.faceIndices.size() - faceIndices) {
                fail();
            }
            faceIndices += faces;
            m.faceIndexCount = static_cast<std::int32_t>(faces);
            place_.field("テクスチャ");
            setTextures(m, input_.text(nameSize));

            m.drawFlags = PmxGroundShadow;
            if (m.diffuse.w < 1) {
                m.drawFlags |= PmxDoubleSided;
            }
            if (m.diffuse.w != noSelfShadowAlpha) {
                m.drawFlags |= PmxCastsSelfShadow | PmxReceivesSelfShadow;
            }
            if (edge) {
                m.drawFlags |= PmxDrawsEdge;
            }
            m.edgeColour = {0, 0, 0, 1};
            m.edgeSize = 1;
            model_.materials.push_back(std::move(m));
        }
    }

    // The toons, once the toon names (if the file has them) are known.
    void finishMaterials() {
        for (std::size_t i = 0; i < model_.materials.size(); ++i) {
            PmxMaterial& m = model_.materials[i];
            const std::uint8_t toon = toonIndices_[i];
            if (toon == noToon) {
                m.sharedToon = false;
                m.toon = -1;
                continue;
            }
            if (toonNames_.empty()) {
                m.sharedToon = true;
                m.toon = toon;
                continue;
            }
            const std::string& toonName = toonNames_[toon];
            const int shared = sharedToonOf(toonName);
            m.sharedToon = shared >= 0;
            m.toon = shared >= 0 ? shared : toonName.empty() ? -1 : textureNamed(toonName);
        }
    }

    void readBones() {
        place_.at("ボーン", "個数");
        const std::uint16_t n = input_.u16();
        input_.requireCount(n, boneSize);
        model_.bones.resize(n);
        std::vector<std::uint16_t> tails(n);
        std::vector<std::uint8_t> types(n);
        std::vector<std::uint16_t> influences(n);
        for (std::size_t i = 0; i < n; ++i) {
            PmxBone& b = model_.bones[i];
            place_.field("名前");
            b.name = name(nameSize);
            place_.field("親");
            const std::uint16_t parent = input_.u16();
            place_.field("接続先");
            tails[i] = input_.u16();
            place_.field("種類");
            types[i] = input_.u8();
            place_.field("IK");
            influences[i] = input_.u16();
            place_.field("位置");
            b.position = readVec3(input_);
            b.parent = parent == noBone ? -1 : parent;
        }
        for (std::size_t i = 0; i < n; ++i) {
            setBone(model_.bones[i], tails[i], types[i], influences[i]);
        }
    }

    void setBone(PmxBone& b, std::uint16_t tail, std::uint8_t type, std::uint16_t influence) {
        const std::size_t n = model_.bones.size();
        place_.field("親");
        if (b.parent != -1) {
            check(static_cast<std::size_t>(b.parent), n);
        }
        b.flags = PmxTailIsBone | PmxCanRotate | PmxVisible | PmxCanOperate;
        // Since MMD 7.39 a chain's last bone has tail 0; older files give 0xFFFF.
        place_.field("接続先");
        if (tail != 0 && tail != noBone) {
            check(tail, n);
            b.tailBone = tail;
        }
        switch (type) {
        case RotateMove: b.flags |= PmxCanMove; break;
        case Ik: b.flags |= PmxCanMove | PmxIsIk; break;
        case UnderRotation:
            place_.field("IK");
            check(influence, n);
            b.flags |= PmxInheritsRotation;
            b.inheritParent = influence;
            b.inheritWeight = 1;
            break;
        case IkTarget:
        case Invisible: b.flags &= static_cast<std::uint16_t>(~(PmxVisible | PmxCanOperate)); break;
        case Twist:
            if (b.tailBone != -1) {
                const Vec3 along = model_.bones[static_cast<std::size_t>(b.tailBone)].position - b.position;
                const float length = std::sqrt(dot(along, along));
                if (length > 0) {
                    b.flags |= PmxFixedAxis;
                    b.fixedAxis = along * (1 / length);
                }
            }
            break;
        default: break;  // rotate, under IK and the rest rotate only
        }
    }

    void readIks() {
        place_.at("IK", "個数");
        const std::uint16_t n = input_.u16();
        input_.requireCount(n, ikHeadSize);
        const std::size_t bones = model_.bones.size();
        for (std::size_t i = 0; i < n; ++i) {
            place_.field("ボーン");
            const std::uint16_t ikBone = input_.u16();
            check(ikBone, bones);
            place_.field("ターゲット");
            const std::uint16_t target = input_.u16();
            check(target, bones);
            place_.field("リンク数");
            const std::uint8_t links = input_.u8();
            place_.field("パラメータ");
            const std::uint16_t loops = input_.u16();
            const float limit = input_.f32();
            place_.field("リンク");
            input_.requireCount(links, 2);
            PmxIk ik;
            ik.target = target;
            ik.loopCount = loops;
            ik.limitAngle = limit * ikLimitScale;
            for (std::uint8_t l = 0; l < links; ++l) {
                const std::uint16_t linkBone = input_.u16();
                check(linkBone, bones);
                PmxIkLink link;
                link.bone = linkBone;
                if (model_.bones[linkBone].name.find(u"ひざ") != std::u16string::npos) {
                    link.limited = true;
                    link.lowerLimit = {kneeLowerX, 0, 0};
                    link.upperLimit = {kneeUpperX, 0, 0};
                }
                ik.links.push_back(link);
            }
            // A bone holds one IK; a second entry for it is left out.
            PmxBone& b = model_.bones[ikBone];
            if ((b.flags & PmxIsIk) == 0 || b.ik.target == -1) {
                b.flags |= PmxIsIk;
                b.ik = std::move(ik);
            }
        }
        // An IK-type bone that the list does not name has no IK.
        for (PmxBone& b : model_.bones) {
            if ((b.flags & PmxIsIk) != 0 && b.ik.target == -1) {
                b.flags &= static_cast<std::uint16_t>(~PmxIsIk);
            }
        }
    }

    void readMorphs() {
        place_.at("モーフ", "個数");
        const std::uint16_t n = input_.u16();
        input_.requireCount(n, morphHeadSize);
        morphPlaces_.assign(n, -1);
        std::vector<std::int32_t> base;  // the base morph's vertices
        bool haveBase = false;
        for (std::size_t i = 0; i < n; ++i) {
            place_.field("名前");
            std::u16string morphName = name(nameSize);
            place_.field("頂点数");
            const std::uint32_t vertices = input_.u32();
            place_.field("種類");
            const std::uint8_t type = input_.u8();
            if (type > lastMorphPanel) {
                fail();
            }
            place_.field("頂点数");
            input_.requireCount(vertices, morphVertexSize);
            place_.field("頂点");
            if (type == baseMorph) {
                // One base: a second would make the others' indices mean two things.
                if (haveBase) {
                    fail();
                }
                haveBase = true;
                base.reserve(vertices);
                for (std::uint32_t k = 0; k < vertices; ++k) {
                    const std::uint32_t vertex = input_.u32();
                    check(vertex, model_.vertices.size());
                    base.push_back(static_cast<std::int32_t>(vertex));
                    input_.skip(12);  // its position, the vertex's own
                }
                continue;
            }
            PmxMorph m;
            m.name = std::move(morphName);
            m.panel = type;
            m.type = static_cast<std::uint8_t>(PmxMorphType::Vertex);
            m.vertexOffsets.reserve(vertices);
            for (std::uint32_t k = 0; k < vertices; ++k) {
                const std::uint32_t inBase = input_.u32();
                check(inBase, base.size());
                m.vertexOffsets.push_back({base[inBase], readVec3(input_)});
            }
            morphPlaces_[i] = static_cast<std::int32_t>(model_.morphs.size());
            model_.morphs.push_back(std::move(m));
        }
    }

    void readDisplayFrames() {
        place_.at("表示枠", "表情");
        PmxDisplayFrame root{u"Root", u"Root", true, {}};
        if (!model_.bones.empty()) {
            root.elements.push_back({false, 0});
        }
        PmxDisplayFrame expressions{u"表情", u"Exp", true, {}};
        const std::uint8_t morphCount = input_.u8();
        for (std::uint8_t i = 0; i < morphCount; ++i) {
            const std::uint16_t morph = input_.u16();
            check(morph, morphPlaces_.size());
            if (morphPlaces_[morph] != -1) {
                expressions.elements.push_back({true, morphPlaces_[morph]});
            }
        }
        model_.displayFrames = {std::move(root), std::move(expressions)};

        place_.field("枠名");
        const std::uint8_t frameCount = input_.u8();
        for (std::uint8_t i = 0; i < frameCount; ++i) {
            model_.displayFrames.push_back({fromShiftJis(withoutLineBreak(input_.text(frameNameSize))), {}, false, {}});
        }
        place_.field("ボーン");
        const std::uint32_t boneCount = input_.u32();
        input_.requireCount(boneCount, 3);
        for (std::uint32_t i = 0; i < boneCount; ++i) {
            const std::uint16_t bone = input_.u16();
            check(bone, model_.bones.size());
            // Frames count from 1 here: the first two above are not the file's.
            const std::uint8_t frame = input_.u8();
            if (frame == 0) {
                fail();
            }
            check(frame - 1u, frameCount);
            model_.displayFrames[frame + 1u].elements.push_back({false, bone});
        }
    }

    void readEnglishNames() {
        place_.at("英語名", "有無");
        if (input_.u8() == 0) {
            return;
        }
        place_.field("モデル名");
        model_.information.englishName = name(nameSize);
        place_.field("コメント");
        model_.information.englishComment = name(commentSize);
        place_.field("ボーン");
        for (PmxBone& b : model_.bones) {
            b.englishName = name(nameSize);
        }
        // Every morph after the first, which is the base.
        place_.field("モーフ");
        for (std::size_t i = 1; i < morphPlaces_.size(); ++i) {
            std::u16string englishName = name(nameSize);
            if (morphPlaces_[i] != -1) {
                model_.morphs[static_cast<std::size_t>(morphPlaces_[i])].englishName = std::move(englishName);
            }
        }
        place_.field("表示枠");
        for (std::size_t i = 2; i < model_.displayFrames.size(); ++i) {
            model_.displayFrames[i].englishName = fromShiftJis(withoutLineBreak(input_.text(frameNameSize)));
        }
    }

    void readToonNames() {
        place_.at("トゥーンテクスチャ", "ファイル名");
        toonNames_.reserve(toonCount);
        for (std::size_t i = 0; i < toonCount; ++i) {
            toonNames_.push_back(input_.text(toonNameSize));
        }
    }

    void readRigidBodies() {
        place_.at("剛体", "個数");
        const std::uint32_t n = input_.u32();
        input_.requireCount(n, rigidBodySize);
        model_.rigidBodies.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            PmxRigidBody body;
            place_.field("名前");
            body.name = name(nameSize);
            place_.field("ボーン");
            const std::uint16_t bone = input_.u16();
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
            if (bone != noBone) {
                place_.field("ボーン");
                check(bone, model_.bones.size());
                body.bone = bone;
                // PMD places a body relative to its bone; PMX in the model's space.
                body.position = body.position + model_.bones[bone].position;
            }
            model_.rigidBodies.push_back(std::move(body));
        }
    }

    void readJoints() {
        place_.at("ジョイント", "個数");
        const std::uint32_t n = input_.u32();
        input_.requireCount(n, jointSize);
        model_.joints.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            PmxJoint joint;
            place_.field("名前");
            joint.name = name(nameSize);
            place_.field("剛体");
            for (std::int32_t* body : {&joint.bodyA, &joint.bodyB}) {
                const std::uint32_t index = input_.u32();
                check(index, model_.rigidBodies.size());
                *body = static_cast<std::int32_t>(index);
            }
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

    void fitIndexWidths() {
        PmxHeader& h = model_.header;
        h.version = 2.0f;
        h.encoding = PmxTextEncoding::Utf16;
        h.additionalUvCount = 0;
        h.vertexIndexSize = mmd::vertexIndexWidth(model_.vertices.size());
        h.textureIndexSize = mmd::signedIndexWidth(model_.textures.size());
        h.materialIndexSize = mmd::signedIndexWidth(model_.materials.size());
        h.boneIndexSize = mmd::signedIndexWidth(model_.bones.size());
        h.morphIndexSize = mmd::signedIndexWidth(model_.morphs.size());
        h.rigidBodyIndexSize = mmd::signedIndexWidth(model_.rigidBodies.size());
    }

    mmd::ReadPlace place_{"PMD"};
    ByteReader input_;
    PmxModel model_;
    bool bonesFitBytes_ = true;
    std::map<std::string, std::int32_t> textures_;  // by their Shift-JIS names
    std::vector<std::uint8_t> toonIndices_;
    std::vector<std::string> toonNames_;
    std::vector<std::int32_t> morphPlaces_;  // of the file's morphs in the model, -1 for the base
};

}  // namespace

PmxModel readPmd(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < magic.size() || !std::equal(magic.begin(), magic.end(), bytes.begin())) {
        throw UserMessageError("PMDファイルではありません");
    }
    return PmdInput(bytes).read();
}

}  // namespace zorvek
