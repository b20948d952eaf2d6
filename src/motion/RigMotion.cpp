#include "motion/RigMotion.h"

#include "base/ShiftJis.h"

#include <algorithm>
#include <unordered_map>

namespace zorvek {

namespace {

constexpr std::size_t vmdNameBytes = 15;

// Where each name a motion may use for a bone leads: the bone's index among
// the skin bones and then the IK bones.
class NameIndex {
public:
    void add(std::u16string_view name, std::size_t bone) {
        const std::string sjis = toShiftJis(name);
        // The first of two bones with one name keeps it.
        index_.emplace(sjis.substr(0, vmdNameBytes), bone);
        index_.emplace(cutShiftJis(sjis, vmdNameBytes), bone);
    }

    const std::size_t* find(const std::string& vmdName) const {
        const auto it = index_.find(vmdName.substr(0, vmdNameBytes));
        return it == index_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace

RigMotion bindMotion(const MotionRig& rig, const VmdMotion& file) {
    RigMotion motion;
    motion.boneKeys.assign(rig.bones.size(), nullptr);
    motion.ikKeys.assign(rig.ikBones.size(), nullptr);
    motion.showIk = &file.showIk;
    NameIndex names;
    for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
        names.add(rig.bones[bone].name, bone);
    }
    for (std::size_t ik = 0; ik < rig.ikBones.size(); ++ik) {
        names.add(rig.ikBones[ik].name, rig.bones.size() + ik);
        motion.ikSjisNames.push_back(toShiftJis(rig.ikBones[ik].name));
    }
    for (const VmdBoneTrack& bone : file.bones) {
        const std::size_t* index = names.find(bone.sjisName);
        if (index == nullptr) {
            motion.ignoredKeys += bone.keys.size();
            continue;
        }
        auto& slot = *index < rig.bones.size() ? motion.boneKeys[*index] : motion.ikKeys[*index - rig.bones.size()];
        // The reader gathers every key of one name into one list; two names
        // reaching one bone (cut and uncut) are rare: the first keeps it.
        if (slot != nullptr || bone.keys.empty()) {
            motion.ignoredKeys += bone.keys.size();
            continue;
        }
        slot = &bone.keys;
        motion.anyKey = true;
        motion.lastFrame = std::max(motion.lastFrame, bone.keys.back().frame);
    }
    NameIndex morphNames;
    for (std::size_t morph = 0; morph < rig.morphs.size(); ++morph) {
        morphNames.add(rig.morphs[morph].name, morph);
    }
    motion.morphKeys.assign(rig.morphs.size(), nullptr);
    for (const VmdMorphTrack& morph : file.morphs) {
        const std::size_t* index = morphNames.find(morph.sjisName);
        if (index == nullptr || morph.keys.empty() || motion.morphKeys[*index] != nullptr) {
            continue;
        }
        motion.morphKeys[*index] = &morph.keys;
        motion.anyKey = true;
        motion.lastFrame = std::max(motion.lastFrame, morph.keys.back().frame);
    }
    if (!file.showIk.empty()) {
        motion.lastFrame = std::max(motion.lastFrame, file.showIk.back().frame);
    }
    return motion;
}

}  // namespace zorvek
