#include "support/mmd/SemiStandardModel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace zorvek::test {

namespace {

struct BonePlan {
    std::u16string name;
    std::u16string parent;
    Vec3 at;  // for a model 23 units tall, left side (x > 0) where sided
    std::u16string grantFrom{};
    float grantWeight = 0;
    std::u16string tail{};  // a deforming bone's vertices lie from here to its tail
    float radius = 0;
};

Vec3 mirrored(Vec3 v) {
    return {-v.x, v.y, v.z};
}

void addSide(std::vector<BonePlan>& bones, char16_t side) {
    const auto n = [side](std::u16string_view name) { return std::u16string(1, side) + std::u16string(name); };
    const auto at = [side](Vec3 v) { return side == u'左' ? v : mirrored(v); };
    // The twist's steps carry the limb's vertices, each to the next.
    const auto steps = [&](std::u16string_view twist, std::u16string_view parent, Vec3 from, Vec3 to,
                           std::u16string_view end) {
        for (int k = 1; k <= 3; ++k) {
            const float f = 0.25f * static_cast<float>(k);
            const Vec3 p{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f, from.z + (to.z - from.z) * f};
            const std::u16string tail = k < 3 ? n(twist) + static_cast<char16_t>(u'0' + k + 1) : n(end);
            bones.push_back({n(twist) + static_cast<char16_t>(u'0' + k), n(parent), at(p), n(twist), f, tail, 0.4f});
        }
    };
    const Vec3 shoulder{0.4f, 17.0f, 0.5f}, arm{1.5f, 16.7f, 0.55f}, elbow{3.4f, 14.5f, 0.6f}, wrist{5.0f, 12.6f, 0.5f},
        hip{1.0f, 11.4f, 0.3f}, knee{1.05f, 6.3f, 0.1f}, ankle{1.1f, 1.1f, 0.5f}, toe{1.1f, 0.1f, -1.5f};
    bones.push_back({n(u"肩P"), u"上半身2", at(shoulder)});
    bones.push_back({n(u"肩"), n(u"肩P"), at(shoulder), {}, 0, n(u"腕"), 0.5f});
    bones.push_back({n(u"肩C"), n(u"肩"), at(arm), n(u"肩P"), -1});
    bones.push_back({n(u"腕"), n(u"肩C"), at(arm), {}, 0, n(u"腕捩1"), 0.45f});
    bones.push_back({n(u"腕捩"), n(u"腕"), at({2.45f, 15.6f, 0.57f})});
    steps(u"腕捩", u"腕", arm, elbow, u"ひじ");
    bones.push_back({n(u"ひじ"), n(u"腕捩"), at(elbow), {}, 0, n(u"手捩1"), 0.4f});
    bones.push_back({n(u"手捩"), n(u"ひじ"), at({4.2f, 13.55f, 0.55f})});
    steps(u"手捩", u"ひじ", elbow, wrist, u"手首");
    bones.push_back({n(u"手首"), n(u"手捩"), at(wrist), {}, 0, n(u"中指１"), 0.35f});
    bones.push_back({n(u"親指０"), n(u"手首"), at({5.2f, 12.3f, 0.1f})});
    bones.push_back({n(u"親指１"), n(u"親指０"), at({5.5f, 12.0f, -0.2f}), {}, 0, n(u"親指２"), 0.1f});
    bones.push_back({n(u"親指２"), n(u"親指１"), at({5.7f, 11.8f, -0.4f})});
    const char16_t* fingers[] = {u"人指", u"中指", u"薬指", u"小指"};
    for (int f = 0; f < 4; ++f) {
        const float z = 0.5f + 0.2f * (static_cast<float>(f) - 1.5f);
        const Vec3 base{5.7f, 12.0f, z};
        for (int joint = 1; joint <= 3; ++joint) {
            const float along = 0.35f * static_cast<float>(joint - 1);
            const std::u16string name = n(fingers[f]) + static_cast<char16_t>(u'０' + joint);
            const std::u16string parent =
                joint == 1 ? n(u"手首") : n(fingers[f]) + static_cast<char16_t>(u'０' + joint - 1);
            const std::u16string tail = joint < 3 ? n(fingers[f]) + static_cast<char16_t>(u'０' + joint + 1) : u"";
            bones.push_back({name,
                             parent,
                             at({base.x + along * 0.7f, base.y - along * 0.7f, base.z}),
                             {},
                             0,
                             tail,
                             joint < 3 ? 0.08f : 0.0f});
        }
    }
    bones.push_back({n(u"腰キャンセル"), u"下半身", at(hip), u"腰", -1});
    bones.push_back({n(u"足"), n(u"腰キャンセル"), at(hip)});
    bones.push_back({n(u"ひざ"), n(u"足"), at(knee)});
    bones.push_back({n(u"足首"), n(u"ひざ"), at(ankle)});
    bones.push_back({n(u"つま先"), n(u"足首"), at(toe)});
    // The legs deform through their D bones, which copy the leg's turns.
    bones.push_back({n(u"足D"), n(u"腰キャンセル"), at(hip), n(u"足"), 1, n(u"ひざD"), 0.8f});
    bones.push_back({n(u"ひざD"), n(u"足D"), at(knee), n(u"ひざ"), 1, n(u"足首D"), 0.6f});
    bones.push_back({n(u"足首D"), n(u"ひざD"), at(ankle), n(u"足首"), 1, n(u"足先EX"), 0.4f});
    bones.push_back({n(u"足先EX"), n(u"足首D"), at({1.1f, 0.5f, -0.9f}), {}, 0, n(u"つま先"), 0.3f});
    bones.push_back({n(u"足IK親"), u"全ての親", at({ankle.x, 0, ankle.z})});
    bones.push_back({n(u"足ＩＫ"), n(u"足IK親"), at(ankle)});
    bones.push_back({n(u"つま先ＩＫ"), n(u"足ＩＫ"), at(toe)});
}

std::vector<BonePlan> bonePlans() {
    std::vector<BonePlan> bones = {
        {u"全ての親", u"", {0, 0, 0}},
        {u"センター", u"全ての親", {0, 9.0f, 0}},
        {u"グルーブ", u"センター", {0, 9.0f, 0}},
        {u"腰", u"グルーブ", {0, 11.6f, 0.3f}},
        {u"上半身", u"腰", {0, 12.1f, 0.3f}, {}, 0, u"上半身2", 1.3f},
        {u"上半身2", u"上半身", {0, 13.7f, 0.35f}, {}, 0, u"首", 1.4f},
        {u"首", u"上半身2", {0, 17.3f, 0.5f}, {}, 0, u"頭", 0.4f},
        {u"頭", u"首", {0, 18.2f, 0.3f}, {}, 0, u"頭先", 1.2f},
        {u"頭先", u"頭", {0, 23.0f, 0.3f}},
        {u"両目", u"頭", {0, 19.6f, -0.8f}, {}, 0, u"頭先", 0.1f},
        {u"髪1", u"頭", {0, 21.5f, 1.0f}, {}, 0, u"髪2", 0.6f},
        {u"髪2", u"髪1", {0, 17.0f, 1.6f}, {}, 0, u"髪3", 0.5f},
        {u"髪3", u"髪2", {0, 14.0f, 1.8f}},
        {u"下半身", u"腰", {0, 12.1f, 0.3f}, {}, 0, u"下半身先", 1.4f},
        {u"下半身先", u"下半身", {0, 10.8f, 0.3f}},
    };
    addSide(bones, u'左');
    addSide(bones, u'右');
    return bones;
}

std::int32_t indexIn(const std::vector<BonePlan>& bones, std::u16string_view name) {
    for (std::size_t k = 0; k < bones.size(); ++k) {
        if (bones[k].name == name) {
            return static_cast<std::int32_t>(k);
        }
    }
    throw std::out_of_range("no bone of that name");
}

// A deterministic spread in [0, 1) (a plain LCG, so every platform agrees).
struct Spread {
    std::uint32_t state = 12345;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    }
};

}  // namespace

std::int32_t boneIndex(const PmxModel& model, std::u16string_view name) {
    for (std::size_t k = 0; k < model.bones.size(); ++k) {
        if (model.bones[k].name == name) {
            return static_cast<std::int32_t>(k);
        }
    }
    throw std::out_of_range("no bone of that name");
}

PmxModel makeSemiStandardModel(const SemiStandardOptions& options) {
    const std::vector<BonePlan> plans = bonePlans();
    const float scale = options.height / 23.0f;
    PmxModel model;
    model.information.name = u"準標準モデル";
    model.header.vertexIndexSize = 4;
    for (const BonePlan& plan : plans) {
        PmxBone bone;
        bone.name = plan.name;
        bone.position = plan.at * scale;
        bone.parent = plan.parent.empty() ? -1 : indexIn(plans, plan.parent);
        bone.flags = PmxCanRotate | PmxVisible | PmxCanOperate;
        if (!plan.grantFrom.empty()) {
            bone.flags |= PmxInheritsRotation;
            bone.inheritParent = indexIn(plans, plan.grantFrom);
            bone.inheritWeight = plan.grantWeight;
        }
        model.bones.push_back(bone);
    }
    // The bones vertices follow, each with a second one to share with.
    struct Deformer {
        std::int32_t bone;
        std::int32_t partner;
        Vec3 from;
        Vec3 to;
        float radius;
    };
    std::vector<Deformer> deformers;
    for (std::size_t k = 0; k < plans.size(); ++k) {
        if (plans[k].tail.empty()) {
            continue;
        }
        const std::int32_t parent = model.bones[k].parent;
        deformers.push_back({static_cast<std::int32_t>(k), parent < 0 ? static_cast<std::int32_t>(k) : parent,
                             plans[k].at * scale, plans[indexIn(plans, plans[k].tail)].at * scale,
                             plans[k].radius * scale});
    }
    Spread spread;
    PmxVertices& v = model.vertices;
    const std::int32_t chest = indexIn(plans, u"上半身2");
    for (std::size_t k = 0; k < options.vertexCount; ++k) {
        const Deformer& d = deformers[k % deformers.size()];
        const float t = spread.next();
        const float angle = spread.next() * 6.2831853f;
        const Vec3 along{d.from.x + (d.to.x - d.from.x) * t, d.from.y + (d.to.y - d.from.y) * t,
                         d.from.z + (d.to.z - d.from.z) * t};
        const Vec3 offset{d.radius * std::cos(angle), 0, d.radius * std::sin(angle)};
        Vec3 p = along + offset;
        p.y = std::max(p.y, 0.0f);
        v.positions.push_back(p);
        v.normals.push_back({std::cos(angle), 0, std::sin(angle)});
        v.uvs.push_back({t, spread.next()});
        // Every bone gets all three kinds in turn.
        switch ((k / deformers.size()) % 3) {
        case 0:
            v.deforms.push_back(PmxDeform::Bdef1);
            v.bones.push_back({d.bone, 0, 0, 0});
            v.weights.push_back({1, 0, 0, 0});
            break;
        case 1:
            v.deforms.push_back(PmxDeform::Bdef2);
            v.bones.push_back({d.bone, d.partner, 0, 0});
            v.weights.push_back({0.75f, 0, 0, 0});
            break;
        default:
            v.deforms.push_back(PmxDeform::Bdef4);
            v.bones.push_back({d.bone, d.partner, chest, d.bone});
            v.weights.push_back({0.5f, 0.3f, 0.1f, 0.1f});
            break;
        }
    }
    // Triangles of vertices that share a bone, dealt out to the materials in turn.
    std::vector<std::vector<std::uint32_t>> faces(options.materialCount);
    const std::size_t stride = deformers.size();
    for (std::size_t k = 0; k + 2 * stride < options.vertexCount; ++k) {
        auto& list = faces[k % options.materialCount];
        list.insert(list.end(), {static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(k + stride),
                                 static_cast<std::uint32_t>(k + 2 * stride)});
    }
    model.textures = {u"tex/肌.png", u"tex\\服.bmp", u"hair.tga", u"目.jpg", u"sub/face.dds"};
    for (std::size_t m = 0; m < options.materialCount; ++m) {
        PmxMaterial material;
        material.name = u"材質" + std::u16string(1, static_cast<char16_t>(u'0' + m % 10));
        material.diffuse = {1, 1, 1, 1};
        material.texture = static_cast<std::int32_t>(m % model.textures.size());
        material.faceIndexCount = static_cast<std::int32_t>(faces[m].size());
        model.faceIndices.insert(model.faceIndices.end(), faces[m].begin(), faces[m].end());
        model.materials.push_back(material);
    }
    return model;
}

}  // namespace zorvek::test
