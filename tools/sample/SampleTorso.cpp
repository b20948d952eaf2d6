#include "sample/SampleLayout.h"
#include "sample/SampleParts.h"

#include <algorithm>
#include <cmath>

namespace zorvek::sample {

namespace {

constexpr float torsoTop = 0.51f;
constexpr float beltTop = 0.02f;
constexpr float beltBottom = -0.01f;
constexpr float torsoBottom = -0.15f;

// Shirt, belt and hips each take their own rows of the clothes texture;
// the torso has a ring at each of these heights so the edges stay straight.
float torsoV(float z) {
    if (z >= beltTop) {
        return lerp(clothesBeltTop, clothesShirtTop, (z - beltTop) / (torsoTop - beltTop));
    }
    if (z >= beltBottom) {
        return lerp(clothesBeltBottom, clothesBeltTop, (z - beltBottom) / (beltTop - beltBottom));
    }
    return lerp(clothesTorsoBottom, clothesBeltBottom, (z - torsoBottom) / (beltBottom - torsoBottom));
}

struct TorsoRing {
    float z, side, front, forward;
};

constexpr TorsoRing torsoRings[] = {
    {torsoBottom, 0.125f, 0.095f, 0}, {-0.10f, 0.150f, 0.105f, -0.008f}, {-0.04f, 0.162f, 0.110f, -0.006f},
    {beltBottom, 0.160f, 0.108f, 0},  {beltTop, 0.157f, 0.105f, 0},      {0.06f, 0.152f, 0.102f, 0},
    {0.14f, 0.145f, 0.098f, 0.003f},  {0.22f, 0.150f, 0.102f, 0.004f},   {0.30f, 0.160f, 0.110f, 0.008f},
    {0.36f, 0.168f, 0.114f, 0.010f},  {0.42f, 0.178f, 0.108f, 0.006f},   {0.47f, 0.180f, 0.094f, 0},
    {torsoTop, 0.130f, 0.072f, 0},
};

// Weights that the trunk chain gives up to the bones beside it.
BoneWeights torsoExtras(const BindPose& pose, const Vec3& p) {
    const auto& at = pose.positions;
    BoneWeights extras;
    const float across = std::fabs(p.x);
    for (const Side& side : sides()) {
        if (p.x * side.sign <= 0) {
            continue;
        }
        extras.add(side.clavicle, 0.6f * smoothStep((across - 0.07f) / 0.08f) * smoothStep((p.z - 0.36f) / 0.08f));
        extras.add(side.breast, 0.4f * bump(length(p - (at[side.breast] + modelFront * 0.045f)) / 0.085f));
        extras.add(side.thigh, 0.5f * smoothStep(-p.z / 0.12f) * smoothStep(across / 0.08f));
    }
    extras.add(Belly, 0.35f * bump(length(p - (at[Belly] + modelFront * 0.04f)) / 0.11f));
    extras.add(Neck, 0.5f * smoothStep((p.z - 0.47f) / 0.05f) * (1 - smoothStep((across - 0.03f) / 0.05f)));
    return extras;
}

BoneWeights torsoWeights(const BindPose& pose, const Vec3& p) {
    const auto& at = pose.positions;
    const BoneChain trunk{
        {{0, 0, torsoBottom}, at[Spine], at[Spine1], at[Neck]}, {-1, Pelvis, Spine, Spine1, -1}, {0, 0.06f, 0.06f, 0}};
    return withExtras(chainWeights(trunk, p), torsoExtras(pose, p), 0.9f);
}

}  // namespace

void addTorso(MeshBuilder& mesh, const BindPose& pose) {
    TubeShape shape;
    for (const TorsoRing& ring : torsoRings) {
        shape.nodes.push_back({{0, -ring.forward, ring.z}, ring.side, ring.front, torsoV(ring.z)});
    }
    shape.frontHint = modelFront;
    shape.segments = 24;
    shape.squareness = 0.3f;
    shape.startCap = 0.5f;
    shape.endCap = 0.45f;
    mesh.addSurface(ClothesMaterial, tubeRows(shape), [&](const Vec3& p) { return torsoWeights(pose, p); });
}

void addNeck(MeshBuilder& mesh, const BindPose& pose) {
    const auto& at = pose.positions;
    const Vec3 base{0, 0, 0.44f};
    const Vec3 top{0, -0.012f, 0.67f};
    TubeShape shape;
    const float heights[] = {0, 0.26f, 0.52f, 0.78f, 1};
    const float radii[] = {0.05f, 0.047f, 0.044f, 0.045f, 0.045f};
    for (int k = 0; k < 5; ++k) {
        shape.nodes.push_back(
            {lerp(base, top, heights[k]), radii[k], radii[k] * 0.97f, lerp(skinNeckBottom, skinNeckTop, heights[k])});
    }
    shape.frontHint = modelFront;
    shape.startCap = 0.6f;
    shape.endCap = 0.6f;
    const BoneChain chain{{base, at[Neck], at[Head], top}, {-1, Spine1, Neck, Head, -1}, {0, 0.03f, 0.035f, 0}};
    mesh.addSurface(SkinMaterial, tubeRows(shape), [chain](const Vec3& p) { return chainWeights(chain, p); });
}

MeshBuilder buildSampleMesh(const BindPose& pose) {
    MeshBuilder mesh;
    addTorso(mesh, pose);
    addNeck(mesh, pose);
    addHead(mesh, pose);
    addHair(mesh, pose);
    for (const Side& side : sides()) {
        addArm(mesh, pose, side);
        addHand(mesh, pose, side);
        addLeg(mesh, pose, side);
        addShoe(mesh, pose, side);
    }
    return mesh;
}

}  // namespace zorvek::sample
