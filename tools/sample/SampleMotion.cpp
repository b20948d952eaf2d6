#include "sample/SampleMotion.h"

#include "vmd/VmdWriter.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

namespace zorvek::sample {

namespace {

// The PMX's axes: X the model's left, Y up, Z its back.
const Place sideways{1, 0, 0};  // a turn about it swings a limb forward or back
const Place upright{0, 1, 0};   // a turn about it turns the body
const Place frontal{0, 0, 1};   // a turn about it leans or lifts sideways

// Curves as MMD users draw them: each shapes the way into its key.
constexpr VmdCurve easeInOut{48, 0, 80, 127};
constexpr VmdCurve easeOut{15, 60, 50, 127};  // off quickly, settling into the key
constexpr VmdCurve easeIn{70, 0, 110, 65};    // gathering pace, as a foot comes down

using Curves = std::array<VmdCurve, 4>;

Turn3 rest() {
    return Turn3(1, 0, 0, 0);
}

Curves all(VmdCurve curve) {
    return {curve, curve, curve, curve};
}

// A move whose rise or fall (Y) has a curve of its own.
Curves moving(VmdCurve across, VmdCurve vertical, VmdCurve turn = easeInOut) {
    return {across, vertical, across, turn};
}

SampleMotionKey turned(std::uint32_t frame, const Turn3& turn, VmdCurve curve = easeInOut) {
    return {frame, Place(0.0), turn, all(curve)};
}

SampleMotionKey moved(std::uint32_t frame, const Place& move, const Curves& curves) {
    return {frame, move, rest(), curves};
}

// Weight shifted to the left leg, the right foot touched in beside it and
// back out, then lifted in a high knee with its IK off (45 to 60) while the
// right arm is thrown up, then a small step out and back of the left foot.
// Frames where the body dips bend both knees against the planted feet.
const std::vector<std::pair<std::uint32_t, CenterPose>>& centerPoses() {
    static const std::vector<std::pair<std::uint32_t, CenterPose>> poses = {
        {0, {{0, -0.3, 0}, rest()}},
        {12, {{0.35, -0.7, 0}, turnAbout(upright, 6)}},
        {22, {{0.5, -0.35, -0.05}, turnAbout(upright, 10)}},
        {34, {{0.1, -0.7, 0}, turnAbout(upright, 2)}},
        {45, {{0.45, -0.45, 0}, turnAbout(upright, -6)}},
        {52, {{0.5, -0.3, 0.05}, turnAbout(upright, -12)}},
        {60, {{0.2, -0.7, 0}, turnAbout(upright, -4)}},
        {72, {{-0.3, -0.45, 0}, turnAbout(upright, -8)}},
        {82, {{-0.1, -0.7, 0}, turnAbout(upright, -3)}},
        {90, {{0, -0.3, 0}, rest()}},
    };
    return poses;
}

const CenterPose& centerAt(std::uint32_t frame) {
    for (const auto& [keyFrame, pose] : centerPoses()) {
        if (keyFrame == frame) {
            return pose;
        }
    }
    throw std::logic_error("the sample's legs are solved on センター's keys only");
}

SampleMotionTrack centerTrack() {
    SampleMotionTrack track{u"センター", {}};
    for (const auto& [frame, pose] : centerPoses()) {
        // Dips fall into the knees; rises push off and settle.
        const bool dip = frame > 0 && pose.move.y <= -0.7;
        track.keys.push_back({frame, pose.move, pose.turn, moving(easeInOut, dip ? easeIn : easeOut)});
    }
    return track;
}

constexpr Place rightFootLanding{0, 0, 0};  // where the right foot comes down after the knee lift
const LegTurns& kneeLiftPeak() {
    static const LegTurns peak{turnAbout(sideways, 65), turnAbout(sideways, -80)};
    return peak;
}

// The right leg's keys. With its IKs off (45 to 60) the thigh, knee and
// ankle keys lift the knee; where the IKs are on, those keys are the pose
// that reaches the IK's target with the foot level, so that nothing jumps
// when the IKs go off and on again.
std::vector<SampleMotionTrack> rightLegTracks() {
    const Place ankleRest = ankleRestPlace(-1);
    const Curves step = moving(easeInOut, easeOut);
    const Curves touch = moving(easeInOut, easeIn);
    const CenterPose& peakCenter = centerAt(52);
    SampleMotionTrack ik{u"右足ＩＫ",
                         {moved(0, {0, 0, 0}, step), moved(12, {0, 0, 0}, step), moved(17, {0.35, 0.6, -0.1}, step),
                          moved(22, {0.6, 0, -0.1}, touch), moved(28, {0.35, 0.55, -0.05}, step),
                          moved(34, {0, 0, 0}, touch), moved(45, {0, 0, 0}, step),
                          // Where the lifted foot is, so that the IK bone stays with it.
                          moved(52, ankleAt(-1, peakCenter, kneeLiftPeak()) - ankleRest, all(easeInOut)),
                          moved(60, rightFootLanding, all(easeInOut)), moved(90, rightFootLanding, step)}};
    SampleMotionTrack thigh{u"右足", {}};
    SampleMotionTrack knee{u"右ひざ", {}};
    SampleMotionTrack ankle{u"右足首", {}};
    for (std::uint32_t frame : {0u, 45u, 60u, 90u}) {
        const auto key = std::find_if(ik.keys.begin(), ik.keys.end(), [&](const auto& k) { return k.frame == frame; });
        const LegTurns leg = legReaching(-1, centerAt(frame), ankleRest + key->move);
        thigh.keys.push_back(turned(frame, leg.thigh));
        knee.keys.push_back(turned(frame, leg.knee));
        if (frame == 45 || frame == 60) {
            ankle.keys.push_back(turned(frame, ankleTurnGiving(centerAt(frame), leg, rest())));
        }
    }
    // The peak between them, the toes pointing down a little.
    thigh.keys.insert(thigh.keys.begin() + 2, turned(52, kneeLiftPeak().thigh));
    knee.keys.insert(knee.keys.begin() + 2, turned(52, kneeLiftPeak().knee));
    ankle.keys.insert(ankle.keys.begin() + 1,
                      turned(52, ankleTurnGiving(peakCenter, kneeLiftPeak(), turnAbout(sideways, -20))));
    return {std::move(ik), std::move(thigh), std::move(knee), std::move(ankle)};
}

std::vector<SampleMotionTrack> leftLegTracks() {
    const Curves step = moving(easeInOut, easeOut);
    const Curves touch = moving(easeInOut, easeIn);
    // Held on the ground through the first two seconds, a small step out and back at the end.
    SampleMotionTrack ik{u"左足ＩＫ",
                         {moved(0, {0, 0, 0}, step), moved(62, {0, 0, 0}, step), moved(67, {0.2, 0.5, 0}, step),
                          moved(72, {0.4, 0, 0}, touch), moved(80, {0.2, 0.45, 0}, step), moved(86, {0, 0, 0}, touch),
                          moved(90, {0, 0, 0}, step)}};
    // The IK solves from the keyed pose: a knee keyed bent below a thigh
    // keyed forward bends forward, where a straight leg would stay straight.
    SampleMotionTrack thigh{u"左足", {turned(0, turnAbout(sideways, 10)), turned(90, turnAbout(sideways, 10))}};
    SampleMotionTrack knee{u"左ひざ", {turned(0, turnAbout(sideways, -20)), turned(90, turnAbout(sideways, -20))}};
    return {std::move(ik), std::move(thigh), std::move(knee)};
}

// Counter-leans and looks that follow the weight.
std::vector<SampleMotionTrack> bodyTracks() {
    SampleMotionTrack upperBody{
        u"上半身",
        {turned(0, rest()), turned(12, turnAbout(frontal, 4) * turnAbout(sideways, -3)),
         turned(22, turnAbout(frontal, 5) * turnAbout(upright, -6)), turned(34, turnAbout(sideways, -5)),
         turned(45, turnAbout(frontal, 3) * turnAbout(sideways, -4)),
         turned(52, turnAbout(upright, 8) * turnAbout(sideways, -10), easeOut), turned(60, turnAbout(sideways, -3)),
         turned(72, turnAbout(frontal, -5) * turnAbout(upright, 5)), turned(90, rest())}};
    SampleMotionTrack neck{u"首",
                           {turned(0, rest()), turned(22, turnAbout(frontal, -5)), turned(52, rest()),
                            turned(72, turnAbout(frontal, 5)), turned(90, rest())}};
    // A nod on each dip.
    SampleMotionTrack head{
        u"頭",
        {turned(0, rest()), turned(12, turnAbout(sideways, -8), easeIn),
         turned(22, turnAbout(upright, -12) * turnAbout(sideways, 3), easeOut),
         turned(34, turnAbout(sideways, -8), easeIn),
         turned(52, turnAbout(upright, 10) * turnAbout(sideways, -12), easeOut), turned(60, rest()),
         turned(72, turnAbout(upright, 12)), turned(82, turnAbout(sideways, -6), easeIn), turned(90, rest())}};
    return {std::move(upperBody), std::move(neck), std::move(head)};
}

// The PMX's arms hang 37 degrees below the horizontal; the sample lowers
// them to its sides and swings them against the steps. `swing` brings the
// arm forward, `lowered` down from the PMX's pose.
Turn3 leftArm(float swing, float lowered) {
    return turnAbout(sideways, swing) * turnAbout(frontal, -lowered);
}

Turn3 rightArm(float swing, float lowered) {
    return turnAbout(sideways, swing) * turnAbout(frontal, lowered);
}

// An elbow bending its forearm forward: about the line across the arm's rest direction and the front.
Turn3 elbowBend(double side, float degrees) {
    return turnAbout({0.6, 0.8 * side, 0}, degrees);
}

std::vector<SampleMotionTrack> armTracks() {
    SampleMotionTrack left{u"左腕",
                           {turned(0, leftArm(0, 30)), turned(12, leftArm(15, 32)), turned(22, leftArm(-10, 26)),
                            turned(34, leftArm(15, 32)), turned(45, leftArm(0, 20)),
                            // Out to the side for balance on one leg.
                            turned(52, leftArm(0, -5), easeOut), turned(60, leftArm(12, 30)),
                            turned(72, leftArm(-8, 25)), turned(90, leftArm(0, 30))}};
    SampleMotionTrack right{u"右腕",
                            {turned(0, rightArm(0, 30)), turned(12, rightArm(-10, 26)), turned(22, rightArm(15, 32)),
                             turned(34, rightArm(-10, 26)), turned(42, rightArm(10, 10)),
                             // Thrown up, 63 degrees above the horizontal, held a moment.
                             turned(52, rightArm(0, -100)), turned(57, rightArm(0, -95), easeOut),
                             turned(68, rightArm(10, 28)), turned(90, rightArm(0, 30))}};
    SampleMotionTrack leftElbow{
        u"左ひじ",
        {turned(0, elbowBend(1, 15)), turned(12, elbowBend(1, 30)), turned(22, elbowBend(1, 20)),
         turned(34, elbowBend(1, 30)), turned(52, elbowBend(1, 10), easeOut), turned(60, elbowBend(1, 35)),
         turned(90, elbowBend(1, 15))}};
    SampleMotionTrack rightElbow{
        u"右ひじ",
        {turned(0, elbowBend(-1, 15)), turned(12, elbowBend(-1, 20)), turned(22, elbowBend(-1, 30)),
         turned(42, elbowBend(-1, 35)), turned(52, elbowBend(-1, 20)), turned(57, elbowBend(-1, 30), easeOut),
         turned(68, elbowBend(-1, 30)), turned(90, elbowBend(-1, 15))}};
    return {std::move(left), std::move(right), std::move(leftElbow), std::move(rightElbow)};
}

// Bones standard MMD models have and the game's hierarchy lacks: the
// standard skeleton plays them (the steering グルーブ, a shrug on 肩P, the
// arms' twists while the right arm is thrown up), the mmd mode passes over
// their keys. No converted ped has 全ての親's partner 両目, eyes.
std::vector<SampleMotionTrack> standardBoneTracks() {
    const Place leftArmAxis{0.8, -0.6, 0};    // the left arm's rest direction, 37° below the horizontal
    const Place rightArmAxis{-0.8, -0.6, 0};  // the right arm's
    return {
        {u"全ての親", {turned(0, rest()), turned(90, rest())}},
        {u"グルーブ",
         {moved(0, {0, 0, 0}, all(easeInOut)), moved(12, {0, -0.2, 0}, moving(easeInOut, easeIn)),
          moved(22, {0, 0, 0}, moving(easeInOut, easeOut))}},
        {u"左肩P", {turned(0, rest()), turned(22, turnAbout(frontal, 8)), turned(40, rest())}},
        {u"右肩P", {turned(0, rest()), turned(45, rest()), turned(52, turnAbout(frontal, -12)), turned(68, rest())}},
        {u"左腕捩", {turned(0, rest()), turned(52, turnAbout(leftArmAxis, 25)), turned(90, rest())}},
        {u"右腕捩",
         {turned(0, rest()), turned(42, rest()), turned(52, turnAbout(rightArmAxis, -60)), turned(68, rest())}},
        {u"左手捩", {turned(0, rest()), turned(34, turnAbout(leftArmAxis, 30)), turned(72, rest())}},
        {u"右手捩", {turned(0, rest()), turned(52, turnAbout(rightArmAxis, 45)), turned(90, rest())}},
        {u"両目",
         {turned(0, rest()), turned(22, turnAbout(upright, -6)), turned(52, turnAbout(sideways, -5)),
          turned(90, rest())}},
    };
}

Vec3 storedMove(const Place& move) {
    return {static_cast<float>(move.x), static_cast<float>(move.y), static_cast<float>(move.z)};
}

Vec4 storedTurn(const Turn3& turn) {
    const Turn3 unit = glm::normalize(turn);
    return {static_cast<float>(unit.x), static_cast<float>(unit.y), static_cast<float>(unit.z),
            static_cast<float>(unit.w)};
}

}  // namespace

std::vector<SampleMotionTrack> sampleMotionTracks() {
    std::vector<SampleMotionTrack> tracks{centerTrack()};
    for (auto part : {bodyTracks, armTracks, leftLegTracks, rightLegTracks, standardBoneTracks}) {
        for (SampleMotionTrack& track : part()) {
            tracks.push_back(std::move(track));
        }
    }
    return tracks;
}

std::vector<SampleMorphTrack> sampleMorphTracks() {
    // A sung "hey, oh, ah" through the knee lift, and a blink, as dances carry them.
    return {
        {u"え", {{0, 0}, {40, 0}, {44, 0.8f}, {48, 0}}},
        {u"い", {{0, 0}, {44, 0}, {47, 0.6f}, {50, 0}}},
        {u"お", {{0, 0}, {50, 0}, {54, 1}, {58, 0.2f}, {62, 0}}},
        {u"あ", {{0, 0}, {58, 0}, {62, 1}, {70, 0.9f}, {76, 0}}},
        {u"う", {{0, 0}, {76, 0}, {79, 0.7f}, {84, 0}}},
        {u"まばたき", {{0, 0}, {30, 0}, {32, 1}, {35, 0}}},
    };
}

std::vector<VmdShowIkFrame> sampleShowIkKeys() {
    // The toe's IK goes with its leg's, as MMD users switch them: left on,
    // it would turn the lifted foot towards the IK bone.
    const auto states = [](bool rightLeg) {
        return std::vector<VmdIkState>{{vmdIkName(u"左足ＩＫ"), true},
                                       {vmdIkName(u"左つま先ＩＫ"), true},
                                       {vmdIkName(u"右足ＩＫ"), rightLeg},
                                       {vmdIkName(u"右つま先ＩＫ"), rightLeg}};
    };
    return {{0, true, states(true)}, {45, true, states(false)}, {60, true, states(true)}};
}

Bytes buildSampleVmd() {
    const std::vector<SampleMotionTrack> tracks = sampleMotionTracks();
    VmdMotion motion;
    motion.sjisModelName = vmdModelName(sampleMotionModelName);
    const auto refuseCut = [](const std::string& warning) { throw std::logic_error(warning); };
    for (const SampleMotionTrack& track : tracks) {
        VmdBoneTrack& written = motion.bones.emplace_back();
        written.sjisName = vmdBoneName(track.bone, refuseCut);
        for (const SampleMotionKey& key : track.keys) {
            const auto& [x, y, z, r] = key.curves;
            written.keys.push_back(
                {key.frame, storedMove(key.move), storedTurn(key.turn), vmdInterpolation(x, y, z, r)});
        }
    }
    for (const SampleMorphTrack& track : sampleMorphTracks()) {
        VmdMorphTrack& written = motion.morphs.emplace_back();
        written.sjisName = vmdMorphName(track.morph);
        for (const auto& [frame, weight] : track.keys) {
            written.keys.push_back({frame, weight});
        }
    }
    motion.showIk = sampleShowIkKeys();
    const ByteBlock block = writeVmd(motion);
    return Bytes(block.begin(), block.end());
}

}  // namespace zorvek::sample
