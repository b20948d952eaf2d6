#include "convert/StandardSkeletonLayout.h"

#include "base/UserMessageError.h"
#include "convert/FaceMorphs.h"
#include "convert/GameBoneLayout.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <queue>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorvek {

namespace {

// The HAnim ids of the game's standard ped skeleton.
namespace gameId {
constexpr std::int32_t pelvis = 1, spine = 2, spine1 = 3, neck = 4, head = 5;
constexpr std::int32_t leftBrow = 6, rightBrow = 7, jaw = 8;
constexpr std::int32_t belly = 201, rightBreast = 301, leftBreast = 302;
}  // namespace gameId

// One side's arm and leg, by HAnim id, and the names its added bones take.
struct Side {
    std::int32_t clavicle, upperArm, foreArm, hand, finger, finger01, thigh, calf, foot, toe;
    const char16_t* shoulderP;
    const char16_t* shoulderC;
    const char16_t* armTwist;
    const char16_t* armTwistSteps[3];
    const char16_t* handTwist;
    const char16_t* handTwistSteps[3];
    const char16_t* legIkParent;
    const char16_t* english;  // "Left" or "Right", the English names' prefix
};
constexpr Side sides[] = {
    {31,
     32,
     33,
     34,
     35,
     36,
     41,
     42,
     43,
     44,
     u"左肩P",
     u"左肩C",
     u"左腕捩",
     {u"左腕捩1", u"左腕捩2", u"左腕捩3"},
     u"左手捩",
     {u"左手捩1", u"左手捩2", u"左手捩3"},
     u"左足IK親",
     u"Left"},
    {21,
     22,
     23,
     24,
     25,
     26,
     51,
     52,
     53,
     54,
     u"右肩P",
     u"右肩C",
     u"右腕捩",
     {u"右腕捩1", u"右腕捩2", u"右腕捩3"},
     u"右手捩",
     {u"右手捩1", u"右手捩2", u"右手捩3"},
     u"右足IK親",
     u"Right"},
};

// How far a twist's grant bones take it, and so how far along the limb they stand.
constexpr float twistSteps[] = {0.25f, 0.5f, 0.75f};

constexpr std::uint16_t steeringFlags = PmxCanRotate | PmxCanMove | PmxVisible | PmxCanOperate;
constexpr std::uint16_t shoulderPFlags = PmxCanRotate | PmxVisible | PmxCanOperate;
constexpr std::uint16_t twistFlags = PmxCanRotate | PmxVisible | PmxCanOperate | PmxFixedAxis;
// Grant bones follow another bone; nobody poses them by hand.
constexpr std::uint16_t grantFlags = PmxCanRotate | PmxInheritsRotation;

// A place in the wanted PMX order. Bones of the game layout keep theirs in
// steps of ten; an added bone takes one next to the bone it goes with. The
// order then only moves a bone after its parent where it must.
using OrderKey = double;
constexpr OrderKey orderStep = 10;

enum class Group { Root, Centre, Ik, Upper, Arm, Finger, Lower, Leg, Other, Hidden };

Vec3 midpoint(Vec3 a, Vec3 b) {
    return (a + b) * 0.5f;
}

Vec3 along(Vec3 a, Vec3 b, float f) {
    return a + (b - a) * f;
}

Vec3 unitOrZero(Vec3 v) {
    const float length = std::sqrt(dot(v, v));
    return length > 0 ? v * (1.0f / length) : Vec3{};
}

class StandardLayout {
public:
    StandardLayout(const DffModel& model, PmxRig gameRig) : model_(model), rig_(std::move(gameRig)) {
        for (std::size_t i = 0; i < rig_.bones.size(); ++i) {
            order_.push_back(static_cast<OrderKey>(i) * orderStep);
            groups_.push_back(Group::Hidden);
            const PmxRigBone& bone = rig_.bones[i];
            if (bone.role == RigBoneRole::Frame) {
                boneOfId_.try_emplace(model.frames[*bone.frame].boneId, static_cast<std::int32_t>(i));
                groups_[i] = groupOfId(model.frames[*bone.frame].boneId);
            } else if (bone.role == RigBoneRole::Ik) {
                groups_[i] = Group::Ik;
            }
        }
    }

    PmxRig build() {
        steerTheBody();
        for (const Side& side : sides) {
            layOutArm(side);
            hangLegIk(side);
        }
        rig_.morphs = faceMorphs(bone(gameId::jaw), bone(gameId::leftBrow), bone(gameId::rightBrow));
        renumber();
        rig_.displayFrames = displayFrames();
        return std::move(rig_);
    }

private:
    static Group groupOfId(std::int32_t id) {
        switch (id) {
        case 0: return Group::Centre;
        case gameId::pelvis: return Group::Lower;
        case gameId::spine:
        case gameId::spine1:
        case gameId::neck:
        case gameId::head:
        case gameId::leftBrow:
        case gameId::rightBrow:
        case gameId::jaw:
        case gameId::belly:
        case gameId::rightBreast:
        case gameId::leftBreast: return Group::Upper;
        default: break;
        }
        for (const Side& side : sides) {
            if (id == side.clavicle || id == side.upperArm || id == side.foreArm || id == side.hand) {
                return Group::Arm;
            }
            if (id == side.finger || id == side.finger01) {
                return Group::Finger;
            }
            if (id == side.thigh || id == side.calf || id == side.foot || id == side.toe) {
                return Group::Leg;
            }
        }
        return Group::Other;
    }

    // The bone of a game id, or -1.
    std::int32_t bone(std::int32_t id) const {
        const auto it = boneOfId_.find(id);
        return it == boneOfId_.end() ? -1 : it->second;
    }

    PmxRigBone& at(std::int32_t bone) { return rig_.bones[static_cast<std::size_t>(bone)]; }
    Vec3 place(std::int32_t bone) const { return rig_.bones[static_cast<std::size_t>(bone)].bone.position; }
    OrderKey orderOf(std::int32_t bone) const { return order_[static_cast<std::size_t>(bone)]; }

    // Whether `child` hangs from `parent` in the game's hierarchy, as the game layout parents them.
    bool hangsFrom(std::int32_t child, std::int32_t parent) const {
        return child >= 0 && parent >= 0 && rig_.bones[static_cast<std::size_t>(child)].bone.parent == parent;
    }

    std::int32_t add(std::u16string name, std::u16string englishName, Vec3 position, std::int32_t parent,
                     std::uint16_t flags, OrderKey order, Group group) {
        PmxRigBone added;
        added.role = RigBoneRole::Control;
        added.bone.name = std::move(name);
        added.bone.englishName = std::move(englishName);
        added.bone.position = position;
        added.bone.parent = parent;
        added.bone.flags = flags;
        rig_.bones.push_back(std::move(added));
        order_.push_back(order);
        groups_.push_back(group);
        return static_cast<std::int32_t>(rig_.bones.size() - 1);
    }

    // 全ての親 at the origin, センター halfway between the hips and the
    // knees, and グルーブ on it: the game's root bone, which the game's
    // root then follows rigidly from there.
    void steerTheBody() {
        const OrderKey first = orderOf(0);
        master_ = add(u"全ての親", u"master", {0, 0, 0}, -1, steeringFlags, first - 3, Group::Root);
        at(master_).bone.tailOffset = {0, 1, 0};
        const Vec3 centrePlace = centre();
        const std::int32_t centreBone =
            add(u"センター", u"center", centrePlace, master_, steeringFlags, first - 2, Group::Centre);
        at(centreBone).bone.tailOffset = {0, -1, 0};

        PmxRigBone& groove = at(0);
        groove.bone.name = u"グルーブ";
        groove.bone.englishName = u"groove";
        groove.frameOffset = centrePlace - groove.bone.position;
        groove.bone.position = centrePlace;
        groove.bone.parent = centreBone;
        groove.parentIsGameParent = false;
        groove.keysOn = static_cast<std::size_t>(centreBone);
        // Other bones the game roots nowhere move with the whole model.
        for (std::size_t i = 1; i < rig_.bones.size(); ++i) {
            PmxRigBone& other = rig_.bones[i];
            if (other.role == RigBoneRole::Frame && other.bone.parent < 0) {
                other.bone.parent = master_;
            }
        }
        // 上半身 beside 下半身: a hip turn does not turn the chest.
        const std::int32_t spine = bone(gameId::spine);
        if (hangsFrom(spine, bone(gameId::pelvis)) && hangsFrom(bone(gameId::pelvis), 0)) {
            reparent(spine, 0);
        }
    }

    // On the centre line, halfway between the hip joints and the knees, as
    // standard models stand it; the root's own place for a model without legs.
    Vec3 centre() const {
        Vec3 sum{0, 0, 0};
        int count = 0;
        for (const Side& side : sides) {
            for (std::int32_t id : {side.thigh, side.calf}) {
                if (bone(id) >= 0) {
                    sum = sum + place(bone(id));
                    ++count;
                }
            }
        }
        if (count == 0) {
            return place(0);
        }
        const Vec3 mean = sum * (1.0f / static_cast<float>(count));
        return {0, mean.y, mean.z};
    }

    void reparent(std::int32_t child, std::int32_t parent) {
        PmxRigBone& bone = at(child);
        bone.bone.parent = parent;
        const PmxRigBone& above = rig_.bones[static_cast<std::size_t>(parent)];
        bone.parentIsGameParent = bone.role == RigBoneRole::Frame && above.frame &&
                                  static_cast<std::int32_t>(*above.frame) == model_.frames[*bone.frame].parentIndex;
    }

    void layOutArm(const Side& side) {
        const std::int32_t clavicle = bone(side.clavicle);
        const std::int32_t upperArm = bone(side.upperArm);
        const std::int32_t foreArm = bone(side.foreArm);
        const std::int32_t hand = bone(side.hand);
        const std::u16string english = side.english;
        if (clavicle >= 0) {
            // Under 上半身2 through 肩P, no longer under the neck: a nod does not swing the arms.
            const std::int32_t spine1 = bone(gameId::spine1);
            const std::int32_t above = spine1 >= 0 ? spine1 : at(clavicle).bone.parent;
            if (above >= 0) {
                const std::int32_t shoulderP = add(side.shoulderP, english + u" shoulderP", place(clavicle), above,
                                                   shoulderPFlags, orderOf(clavicle) - 1, Group::Arm);
                at(shoulderP).bone.tailOffset = {0, 1, 0};
                const bool armHangs = hangsFrom(upperArm, clavicle);
                reparent(clavicle, shoulderP);
                if (armHangs) {
                    // Turns back what 肩P turns, so that lifting the shoulder does not turn the arm.
                    const std::int32_t shoulderC = add(side.shoulderC, english + u" shoulderC", place(upperArm),
                                                       clavicle, grantFlags, orderOf(upperArm) - 1, Group::Hidden);
                    at(shoulderC).bone.inheritParent = shoulderP;
                    at(shoulderC).bone.inheritWeight = -1;
                    reparent(upperArm, shoulderC);
                }
            }
        }
        if (hangsFrom(foreArm, upperArm)) {
            addTwist(upperArm, foreArm, side.armTwist, side.armTwistSteps, english + u" arm twist");
        }
        if (hangsFrom(hand, foreArm)) {
            addTwist(foreArm, hand, side.handTwist, side.handTwistSteps, english + u" wrist twist");
        }
    }

    // A twist bone halfway from `limb` to `end` that turns only about the
    // limb, the end hung from it, and grant bones along the limb that take a
    // share of its turn, among which the limb's vertices are shared out so
    // that a twist turns the skin gradually instead of tearing it at the joint.
    void addTwist(std::int32_t limb, std::int32_t end, const char16_t* name, const char16_t* const (&stepNames)[3],
                  const std::u16string& englishName) {
        const Vec3 from = place(limb), to = place(end);
        const OrderKey before = orderOf(end);
        const std::int32_t twist = add(name, englishName, midpoint(from, to), limb, twistFlags, before - 4, Group::Arm);
        at(twist).bone.fixedAxis = unitOrZero(to - from);
        at(twist).bone.tailOffset = {0, 0, 0};
        WeightSpread spread{limb, from, to, {{0.0f, limb}}};
        for (std::size_t k = 0; k < std::size(twistSteps); ++k) {
            const std::int32_t step =
                add(stepNames[k], englishName + static_cast<char16_t>(u'1' + k), along(from, to, twistSteps[k]), limb,
                    grantFlags, before - 3 + static_cast<OrderKey>(k) * 0.5, Group::Hidden);
            at(step).bone.inheritParent = twist;
            at(step).bone.inheritWeight = twistSteps[k];
            spread.stops.emplace_back(twistSteps[k], step);
        }
        spread.stops.emplace_back(1.0f, twist);
        rig_.weightSpreads.push_back(std::move(spread));
        reparent(end, twist);
    }

    // The leg IK hangs from a bone on the floor below the ankle, as standard
    // models have it, so that the feet can be moved together with it.
    void hangLegIk(const Side& side) {
        const std::int32_t foot = bone(side.foot);
        if (foot < 0) {
            return;
        }
        for (std::size_t i = 0; i < rig_.bones.size(); ++i) {
            PmxRigBone& ik = rig_.bones[i];
            if (ik.role != RigBoneRole::Ik || ik.bone.ik.target != foot || ik.bone.parent >= 0) {
                continue;
            }
            const Vec3 ankle = place(foot);
            const std::int32_t parent = add(side.legIkParent, std::u16string(side.english) + u" leg IK parent",
                                            {ankle.x, 0, ankle.z}, master_, steeringFlags, order_[i] - 1, Group::Ik);
            at(parent).bone.tailOffset = {0, 1, 0};
            rig_.bones[i].bone.parent = parent;
            return;
        }
    }

    // Parents first, each bone as near its wanted place as that allows.
    std::vector<std::int32_t> pmxOrder() const {
        const std::size_t count = rig_.bones.size();
        std::vector<std::vector<std::size_t>> children(count);
        std::vector<std::size_t> roots;
        for (std::size_t i = 0; i < count; ++i) {
            const std::int32_t parent = rig_.bones[i].bone.parent;
            (parent >= 0 ? children[static_cast<std::size_t>(parent)] : roots).push_back(i);
        }
        using Entry = std::pair<OrderKey, std::size_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> ready;
        for (std::size_t root : roots) {
            ready.emplace(order_[root], root);
        }
        std::vector<std::int32_t> newIndex(count, -1);
        std::int32_t next = 0;
        while (!ready.empty()) {
            const std::size_t bone = ready.top().second;
            ready.pop();
            newIndex[bone] = next++;
            for (std::size_t child : children[bone]) {
                ready.emplace(order_[child], child);
            }
        }
        if (next != static_cast<std::int32_t>(count)) {
            throw UserMessageError("フレームの親子関係が循環しています");
        }
        return newIndex;
    }

    void renumber() {
        const std::vector<std::int32_t> newIndex = pmxOrder();
        const auto remap = [&newIndex](std::int32_t& bone) {
            if (bone >= 0) {
                bone = newIndex[static_cast<std::size_t>(bone)];
            }
        };
        std::vector<PmxRigBone> bones(rig_.bones.size());
        std::vector<Group> groups(rig_.bones.size());
        for (std::size_t i = 0; i < rig_.bones.size(); ++i) {
            PmxRigBone& bone = rig_.bones[i];
            remap(bone.bone.parent);
            if (bone.bone.flags & PmxTailIsBone) {
                remap(bone.bone.tailBone);
            }
            remap(bone.bone.inheritParent);
            remap(bone.bone.ik.target);
            for (PmxIkLink& link : bone.bone.ik.links) {
                remap(link.bone);
            }
            if (bone.keysOn) {
                bone.keysOn = static_cast<std::size_t>(newIndex[*bone.keysOn]);
            }
            const auto to = static_cast<std::size_t>(newIndex[i]);
            bones[to] = std::move(bone);
            groups[to] = groups_[i];
        }
        rig_.bones = std::move(bones);
        groups_ = std::move(groups);
        for (std::int32_t& bone : rig_.skinBoneIndex) {
            remap(bone);
        }
        for (PmxMorph& morph : rig_.morphs) {
            for (PmxBoneOffset& offset : morph.boneOffsets) {
                remap(offset.bone);
            }
        }
        for (WeightSpread& spread : rig_.weightSpreads) {
            remap(spread.bone);
            for (auto& stop : spread.stops) {
                remap(stop.second);
            }
        }
    }

    std::vector<PmxDisplayFrame> displayFrames() const {
        struct Frame {
            Group group;
            const char16_t* name;
            const char16_t* englishName;
        };
        static constexpr Frame frames[] = {
            {Group::Centre, u"センター", u"Center"},
            {Group::Ik, u"ＩＫ", u"IK"},
            {Group::Upper, u"体(上)", u"Upper"},
            {Group::Arm, u"腕", u"Arms"},
            {Group::Finger, u"指", u"Fingers"},
            {Group::Lower, u"体(下)", u"Lower"},
            {Group::Leg, u"足", u"Legs"},
            {Group::Other, u"その他", u"Other"},
        };
        std::vector<PmxDisplayFrame> result;
        PmxDisplayFrame root{u"Root", u"Root", true, {}};
        PmxDisplayFrame expressions{u"表情", u"Exp", true, {}};
        for (std::size_t morph = 0; morph < rig_.morphs.size(); ++morph) {
            expressions.elements.push_back({true, static_cast<std::int32_t>(morph)});
        }
        for (std::size_t bone = 0; bone < groups_.size(); ++bone) {
            if (groups_[bone] == Group::Root) {
                root.elements.push_back({false, static_cast<std::int32_t>(bone)});
            }
        }
        result.push_back(std::move(root));
        result.push_back(std::move(expressions));
        for (const Frame& frame : frames) {
            PmxDisplayFrame display{frame.name, frame.englishName, false, {}};
            for (std::size_t bone = 0; bone < groups_.size(); ++bone) {
                if (groups_[bone] == frame.group) {
                    display.elements.push_back({false, static_cast<std::int32_t>(bone)});
                }
            }
            // Every frame MMD users look for is there; その他 only when a bone needs it.
            if (frame.group != Group::Other || !display.elements.empty()) {
                result.push_back(std::move(display));
            }
        }
        return result;
    }

    const DffModel& model_;
    PmxRig rig_;
    std::vector<OrderKey> order_;
    std::vector<Group> groups_;
    std::unordered_map<std::int32_t, std::int32_t> boneOfId_;
    std::int32_t master_ = -1;
};

}  // namespace

PmxRig layoutStandardSkeleton(const DffModel& model, const PreparedSkeleton& skeleton, const BoneTable& bones,
                              const IkTable& iks) {
    PmxRig gameRig = layoutGameHierarchy(model, skeleton, ConversionMode::NamesAndAxes, bones, iks);
    // The added bones must still fit the two-byte bone indices.
    constexpr std::size_t mostAdded = 3 + 2 * 12;
    if (gameRig.bones.size() + mostAdded > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()) + 1) {
        throw UserMessageError("ボーンの数が多すぎます");
    }
    return StandardLayout(model, std::move(gameRig)).build();
}

}  // namespace zorvek
