#include "MotionTestRig.h"

#include "base/ShiftJis.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zorvek::test {

namespace {

struct BoneShape {
    const char* name;
    std::int32_t id;
    int parentBone;  // -1: the top frame
    glm::dvec3 offset;
    glm::dvec3 axis;  // the bind rotation from the parent
    double degrees;
};

// Z up, the ped facing -Y with its left at +X, as the sample's bind pose.
const std::vector<BoneShape>& boneShapes() {
    static const std::vector<BoneShape> shapes = {
        {"Root", 0, -1, {0, 0, 0}, {0, 0, 1}, 0},
        {" Pelvis", 1, 0, {0, 0.02, 0.95}, {0, 1, 0}, 90},
        {" Spine", 2, 1, {0.1, 0, 0}, {0, 0, 1}, 5},
        {" Spine1", 3, 2, {0.15, 0, 0}, {0, 0, 1}, -3},
        {" Neck", 4, 3, {0.25, 0, 0}, {0, 0, 1}, 12},
        {" Head", 5, 4, {0.1, 0, 0}, {0, 1, 0}, 7},
        {"Bip01 L Clavicle", 31, 4, {-0.05, 0.03, 0.08}, {1, 0, 0}, 80},
        {" L UpperArm", 32, 6, {0.12, 0, 0}, {0, 1, 1}, 40},
        {" L ForeArm", 33, 7, {0.25, 0, 0}, {0, 0, 1}, -20},
        {" L Thigh", 41, 1, {-0.05, 0, 0.09}, {0, 1, 0}, 180},
        {" L Calf", 42, 9, {0.42, 0, 0}, {0, 0, 1}, -8},
        {" L Foot", 43, 10, {0.41, 0, 0}, {0, 0, 1}, 70},
        {" L Toe0", 44, 11, {0.13, 0, 0}, {0, 0, 1}, 20},
        {" R Thigh", 51, 1, {-0.05, 0, -0.09}, {0, 1, 0}, 180},
        {" R Calf", 52, 13, {0.42, 0, 0}, {0, 0, 1}, -8},
        {" R Foot", 53, 14, {0.41, 0, 0}, {0, 0, 1}, 70},
        {" R Toe0", 54, 15, {0.13, 0, 0}, {0, 0, 1}, 20},
        {"Tail", 600, 1, {-0.1, 0.1, 0}, {1, 1, 0}, 30},
    };
    return shapes;
}

glm::dmat3 rowRotation(const glm::dquat& q) {
    // RenderWare's row-vector form of a rotation is its column form transposed.
    return glm::transpose(glm::mat3_cast(q));
}

Vec3 toVec3(const glm::dvec3& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

RowPose keyedLocal(const IfpTrack& track, float time) {
    const auto& keys = track.keys;
    const auto after = std::find_if(keys.begin(), keys.end(), [&](const IfpKey& key) { return key.time > time; });
    const auto asQuat = [](const Vec4& v) { return glm::normalize(glm::dquat(v.w, v.x, v.y, v.z)); };
    const auto asPoint = [](const Vec3& v) { return glm::dvec3(v.x, v.y, v.z); };
    if (after == keys.begin() || after == keys.end()) {
        const IfpKey& held = after == keys.begin() ? keys.front() : keys.back();
        return {rowRotation(asQuat(held.rotation)), asPoint(held.translation)};
    }
    const IfpKey& from = *(after - 1);
    const IfpKey& to = *after;
    const double u = (double{time} - from.time) / (double{to.time} - from.time);
    // glm's slerp takes the shorter arc.
    const glm::dquat q = glm::slerp(asQuat(from.rotation), asQuat(to.rotation), u);
    return {rowRotation(q), glm::mix(asPoint(from.translation), asPoint(to.translation), u)};
}

}  // namespace

DffModel makeMotionTestModel() {
    const auto& shapes = boneShapes();
    DffModel model;
    DffFrame top;
    top.frameName = "ped";
    model.frames.push_back(top);
    std::vector<RowPose> bind;
    for (std::size_t bone = 0; bone < shapes.size(); ++bone) {
        const BoneShape& shape = shapes[bone];
        const glm::dquat q = glm::angleAxis(glm::radians(shape.degrees), glm::normalize(shape.axis));
        DffFrame frame;
        frame.frameName = shape.name;
        frame.boneId = shape.id;
        frame.boneNumber = static_cast<std::int32_t>(bone);
        frame.parentIndex = shape.parentBone + 1;
        frame.translation = toVec3(shape.offset);
        const glm::dmat3 local = rowRotation(q);
        for (int r = 0; r < 3; ++r) {
            frame.rotation[static_cast<std::size_t>(r)] = toVec3(glm::dvec3(local[0][r], local[1][r], local[2][r]));
        }
        const RowPose parent = shape.parentBone < 0 ? RowPose{} : bind[static_cast<std::size_t>(shape.parentBone)];
        bind.push_back({local * parent.rotation, shape.offset * parent.rotation + parent.position});
        model.frames.push_back(std::move(frame));
    }
    for (const RowPose& world : bind) {
        // The inverse of the bind pose in RenderWare's row layout.
        const glm::dmat3 inverse = glm::inverse(world.rotation);
        const glm::dvec3 offset = -world.position * inverse;
        Matrix44 m;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                m.at(r, c) = static_cast<float>(inverse[c][r]);
            }
            m.at(3, r) = static_cast<float>(offset[r]);
        }
        m.at(3, 3) = 1;
        model.inverseBindMatrices.push_back(m);
    }
    return model;
}

std::vector<RowPose> gameWorldPose(const DffModel& model, const IfpAnimation& animation, float time) {
    std::vector<RowPose> worlds(model.frames.size());
    for (std::size_t i = 0; i < model.frames.size(); ++i) {
        const DffFrame& frame = model.frames[i];
        RowPose local;
        for (int r = 0; r < 3; ++r) {
            const Vec3& row = frame.rotation[static_cast<std::size_t>(r)];
            local.rotation[0][r] = row.x;
            local.rotation[1][r] = row.y;
            local.rotation[2][r] = row.z;
        }
        local.position = {frame.translation.x, frame.translation.y, frame.translation.z};
        const auto track = std::find_if(animation.tracks.begin(), animation.tracks.end(), [&](const IfpTrack& t) {
            return t.boneId == frame.boneId && frame.boneId != -1;
        });
        if (track != animation.tracks.end() && !track->keys.empty()) {
            const RowPose keyed = keyedLocal(*track, time);
            local.rotation = keyed.rotation;
            if (track->hasTranslation) {
                local.position = keyed.position;
            }
        }
        // The test model lists parents before children; the top frame is the placement.
        if (frame.parentIndex < 0) {
            worlds[i] = RowPose{};
            continue;
        }
        const RowPose& parent = worlds[static_cast<std::size_t>(frame.parentIndex)];
        worlds[i] = {local.rotation * parent.rotation, local.position * parent.rotation + parent.position};
    }
    return worlds;
}

glm::dvec3 mappedIntoPmx(const glm::dvec3& w) {
    // A: (x, y, z) -> (-x, z, -y).
    return 10.0 * glm::dvec3(-w.x, w.z, -w.y) + glm::dvec3(0, 10, 0);
}

std::vector<RowPose> mmdWorldPose(const std::vector<MmdBone>& bones, const VmdMotion& motion, std::uint32_t frame) {
    std::map<std::string, const VmdBoneKey*> keys;
    for (const VmdBoneTrack& track : motion.bones) {
        for (const VmdBoneKey& key : track.keys) {
            if (key.frame == frame) {
                keys[track.sjisName] = &key;
            }
        }
    }
    // Parents first, wherever the PMX lists them.
    std::vector<RowPose> worlds(bones.size());
    std::vector<bool> placed(bones.size(), false);
    const std::function<void(std::size_t)> place = [&](std::size_t i) {
        if (placed[i]) {
            return;
        }
        placed[i] = true;
        if (bones[i].parent >= 0) {
            place(static_cast<std::size_t>(bones[i].parent));
        }
        glm::dmat3 rotation(1.0);
        glm::dvec3 moved(0.0);
        if (const auto it = keys.find(toShiftJis(bones[i].name)); it != keys.end()) {
            const VmdBoneKey& key = *it->second;
            rotation =
                rowRotation(glm::normalize(glm::dquat(key.rotation.w, key.rotation.x, key.rotation.y, key.rotation.z)));
            moved = {key.position.x, key.position.y, key.position.z};
        }
        if (bones[i].parent < 0) {
            worlds[i] = {rotation, bones[i].rest + moved};
            return;
        }
        const RowPose& parent = worlds[static_cast<std::size_t>(bones[i].parent)];
        const glm::dvec3 offset = bones[i].rest - bones[static_cast<std::size_t>(bones[i].parent)].rest + moved;
        worlds[i] = {rotation * parent.rotation, offset * parent.rotation + parent.position};
    };
    for (std::size_t i = 0; i < bones.size(); ++i) {
        place(i);
    }
    return worlds;
}

}  // namespace zorvek::test
