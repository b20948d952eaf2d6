#include "sample/SampleLayout.h"
#include "sample/SampleParts.h"

#include <initializer_list>
#include <iterator>
#include <utility>

namespace zorvek::sample {

namespace {

// The limb's radii at a distance along it from its first joint.
struct Girth {
    float along;
    float side, front;
};

WeightFunction chainFunction(BoneChain chain) {
    return [chain = std::move(chain)](const Vec3& p) { return chainWeights(chain, p); };
}

// Nodes along a straight limb from `start` in direction `direction`, with
// texture rows spread over [vTop, vBottom] by distance.
std::vector<TubeNode> straightNodes(const Vec3& start, const Vec3& direction, std::initializer_list<Girth> girths,
                                    float vTop, float vBottom) {
    std::vector<TubeNode> nodes;
    const float first = girths.begin()->along;
    const float last = (girths.end() - 1)->along;
    for (const Girth& girth : girths) {
        const float v = lerp(vTop, vBottom, (girth.along - first) / (last - first));
        nodes.push_back({start + direction * girth.along, girth.side, girth.front, v});
    }
    return nodes;
}

void addSleeve(MeshBuilder& mesh, const BindPose& pose, const Side& side, const BoneChain& chain) {
    TubeShape sleeve;
    sleeve.nodes = straightNodes(pose.positions[side.upperArm], armDirection(side.sign),
                                 {{-0.05f, 0.055f, 0.053f},
                                  {0, 0.06f, 0.057f},
                                  {0.06f, 0.058f, 0.055f},
                                  {0.12f, 0.055f, 0.053f},
                                  {0.125f, 0.047f, 0.046f}},
                                 clothesSleeveTop, clothesSleeveBottom);
    sleeve.frontHint = modelFront;
    sleeve.startCap = 0.7f;
    mesh.addSurface(ClothesMaterial, tubeRows(sleeve), chainFunction(chain));
}

}  // namespace

void addArm(MeshBuilder& mesh, const BindPose& pose, const Side& side) {
    const auto& at = pose.positions;
    const BoneChain chain{{at[side.upperArm], at[side.foreArm], at[side.hand]},
                          {side.clavicle, side.upperArm, side.foreArm, side.hand},
                          {0.05f, 0.05f, 0.03f}};
    TubeShape arm;
    arm.nodes = straightNodes(at[side.upperArm], armDirection(side.sign),
                              {{-0.045f, 0.042f, 0.042f},
                               {0, 0.05f, 0.048f},
                               {0.06f, 0.049f, 0.047f},
                               {0.14f, 0.045f, 0.044f},
                               {0.22f, 0.041f, 0.04f},
                               {0.27f, 0.038f, 0.038f},
                               {0.32f, 0.04f, 0.041f},
                               {0.40f, 0.037f, 0.036f},
                               {0.47f, 0.031f, 0.03f},
                               {0.52f, 0.028f, 0.029f},
                               {0.535f, 0.027f, 0.028f}},
                              skinArmTop, skinArmBottom);
    arm.frontHint = modelFront;
    arm.startCap = 0.7f;
    arm.endCap = 0.5f;
    mesh.addSurface(SkinMaterial, tubeRows(arm), chainFunction(chain));
    addSleeve(mesh, pose, side, chain);
}

void addHand(MeshBuilder& mesh, const BindPose& pose, const Side& side) {
    const auto& at = pose.positions;
    const Vec3 direction = armDirection(side.sign);
    TubeShape hand;
    // Flat across the palm, which faces the thigh.
    hand.nodes = straightNodes(at[side.hand], direction,
                               {{-0.012f, 0.02f, 0.03f},
                                {0, 0.021f, 0.032f},
                                {0.04f, 0.022f, 0.042f},
                                {0.085f, 0.018f, 0.043f},
                                {0.12f, 0.015f, 0.04f},
                                {0.145f, 0.013f, 0.036f}},
                               skinHandTop, skinHandBottom);
    hand.frontHint = modelFront;
    hand.segments = 12;
    hand.squareness = 0.5f;
    hand.startCap = 0.5f;
    hand.endCap = 0.8f;
    mesh.addSurface(SkinMaterial, tubeRows(hand),
                    chainFunction({{at[side.hand], at[side.finger], at[side.finger01]},
                                   {side.foreArm, side.hand, side.finger, side.finger01},
                                   {0.02f, 0.015f, 0.012f}}));

    TubeShape thumb;
    const Vec3 base = at[side.hand] + direction * 0.03f + modelFront * 0.022f;
    thumb.nodes = straightNodes(base, normalize(direction * 0.8f + modelFront * 0.6f),
                                {{0, 0.012f, 0.012f}, {0.03f, 0.011f, 0.011f}, {0.055f, 0.009f, 0.009f}}, skinHandTop,
                                skinHandBottom);
    thumb.frontHint = modelUp;
    thumb.segments = 8;
    thumb.startCap = 0.8f;
    thumb.endCap = 0.8f;
    mesh.addSurface(SkinMaterial, tubeRows(thumb), [&side](const Vec3&) {
        BoneWeights weights;
        weights.add(side.hand, 1);
        return weights;
    });
}

void addLeg(MeshBuilder& mesh, const BindPose& pose, const Side& side) {
    const auto& at = pose.positions;
    const Vec3 hip = at[side.thigh];
    const Vec3 knee = at[side.calf];
    const Vec3 ankle = at[side.foot];
    struct LegNode {
        Vec3 center;
        float radius;
    };
    const LegNode legNodes[] = {
        {hip + modelUp * 0.05f, 0.072f},
        {hip, 0.08f},
        {lerp(hip, knee, 0.3f), 0.078f},
        {lerp(hip, knee, 0.7f), 0.066f},
        {knee, 0.057f},
        {lerp(knee, ankle, 0.25f), 0.058f},
        {lerp(knee, ankle, 0.6f), 0.052f},
        {lerp(knee, ankle, 0.9f), 0.05f},
        {ankle, 0.049f},
        {ankle - modelUp * 0.02f, 0.047f},
    };
    TubeShape leg;
    float travelled = 0;
    const float total = length(legNodes[9].center - legNodes[0].center);
    for (std::size_t k = 0; k < std::size(legNodes); ++k) {
        if (k > 0) {
            travelled += length(legNodes[k].center - legNodes[k - 1].center);
        }
        const float v = lerp(clothesLegTop, clothesLegBottom, travelled / total);
        leg.nodes.push_back({legNodes[k].center, legNodes[k].radius, legNodes[k].radius * 0.96f, v});
    }
    leg.nodes.back().v = clothesLegBottom;
    leg.frontHint = modelFront;
    leg.startCap = 0.6f;
    leg.endCap = 0.5f;
    const BoneChain chain{{hip, knee, ankle}, {Pelvis, side.thigh, side.calf, side.foot}, {0.05f, 0.06f, 0.04f}};
    mesh.addSurface(ClothesMaterial, tubeRows(leg), chainFunction(chain));
}

void addShoe(MeshBuilder& mesh, const BindPose& pose, const Side& side) {
    const auto& at = pose.positions;
    const float x = at[side.foot].x;
    struct ShoeNode {
        float y, z, halfWidth, halfHeight;
    };
    // From the heel to the tip of the toes, the sole about 1 below the root.
    const ShoeNode shoeNodes[] = {
        {0.075f, -0.955f, 0.034f, 0.038f}, {0.05f, -0.95f, 0.042f, 0.05f},    {0, -0.945f, 0.046f, 0.056f},
        {-0.05f, -0.962f, 0.05f, 0.04f},   {-0.10f, -0.975f, 0.052f, 0.027f}, {-0.15f, -0.98f, 0.048f, 0.02f},
        {-0.175f, -0.982f, 0.04f, 0.018f},
    };
    TubeShape shoe;
    for (const ShoeNode& node : shoeNodes) {
        const float v = lerp(clothesShoeTop, clothesShoeBottom, (0.075f - node.y) / 0.25f);
        shoe.nodes.push_back({{x, node.y, node.z}, node.halfWidth, node.halfHeight, v});
    }
    shoe.frontHint = modelUp;
    shoe.squareness = 0.55f;
    shoe.startCap = 0.5f;
    shoe.endCap = 0.8f;
    const BoneChain sole{
        {{x, 0.075f, -0.955f}, at[side.toe0], {x, -0.19f, -0.98f}}, {-1, side.foot, side.toe0, -1}, {0, 0.03f, 0}};
    mesh.addSurface(ClothesMaterial, tubeRows(shoe), [sole, side](const Vec3& p) {
        BoneWeights calf;
        calf.add(side.calf, 0.5f * smoothStep((p.z + 0.93f) / 0.04f));
        return withExtras(chainWeights(sole, p), calf, 0.5f);
    });
}

}  // namespace zorvek::sample
