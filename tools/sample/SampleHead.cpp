#include "sample/SampleLayout.h"
#include "sample/SampleParts.h"

namespace zorvek::sample {

namespace {

// An ellipsoid around the head's centre; the face looks along -Y.
struct HeadShape {
    Vec3 center;
    float side, front, up;
};

constexpr HeadShape headShape{{0, -0.018f, 0.70f}, 0.082f, 0.098f, 0.113f};
constexpr HeadShape hairShape{{0, -0.012f, 0.708f}, 0.082f * 1.09f, 0.098f * 1.07f, 0.113f * 1.07f};
constexpr int headSegments = 32;
constexpr Vec3 headSideAxis{-1, 0, 0};  // with the front and up axes a right-handed frame

// A direction on the unit sphere: side towards the character's right, then front, up.
Vec3 sphereDirection(int segment, float polar) {
    if (polar <= 0) {
        return {0, 0, 1};
    }
    if (polar >= pi) {
        return {0, 0, -1};
    }
    const float azimuth = 2 * pi * static_cast<float>(segment % headSegments) / headSegments - pi / 2;
    const float ring = portableSin(polar);
    return {ring * portableCos(azimuth), ring * portableSin(azimuth), portableCos(polar)};
}

Vec3 ellipsoidPoint(const HeadShape& shape, const Vec3& q) {
    // The jaw narrows towards the chin.
    const float below = q.z < 0 ? q.z * q.z : 0;
    return shape.center + headSideAxis * (shape.side * q.x * (1 - 0.25f * below)) +
           modelFront * (shape.front * q.y * (1 - 0.06f * below)) + modelUp * (shape.up * q.z);
}

// Nose and ears, pushed out of the ellipsoid.
Vec3 headPoint(const Vec3& q) {
    const Vec3 base = ellipsoidPoint(headShape, q);
    const Vec3 outward = normalize(base - headShape.center);
    const Vec3 nose = q - Vec3{0, 0.985f, -0.17f};
    float push = 0.02f * bump(length({nose.x / 0.25f, nose.y / 0.3f, nose.z / 0.2f}));
    for (float ear : {-1.0f, 1.0f}) {
        push += 0.012f * bump(length(q - Vec3{ear, 0, -0.02f}) / 0.25f);
    }
    return base + outward * push;
}

BoneWeights headWeights(const BindPose& pose, const Vec3& p) {
    const Vec3 offset = p - headShape.center;
    const float front = dot(offset, modelFront) / headShape.front;
    const float up = offset.z / headShape.up;
    BoneWeights extras;
    extras.add(Jaw, 0.75f * smoothStep((-up - 0.25f) / 0.3f) * smoothStep((front + 0.1f) / 0.5f));
    for (const Side& side : sides()) {
        extras.add(side.brow, 0.5f * bump(length(p - (pose.positions[side.brow] + modelFront * 0.028f)) / 0.035f));
    }
    extras.add(Neck, 0.6f * smoothStep((0.64f - p.z) / 0.05f));
    BoneWeights head;
    head.add(Head, 1);
    return withExtras(head, extras, 0.8f);
}

}  // namespace

void addHead(MeshBuilder& mesh, const BindPose& pose) {
    constexpr int rows = 20;
    SurfaceRows surface;
    for (int r = 0; r <= rows; ++r) {
        const float polar = pi * (1 - static_cast<float>(r) / rows);
        std::vector<SurfacePoint> row;
        for (int s = 0; s <= headSegments; ++s) {
            const Vec2 uv{static_cast<float>(s) / headSegments, skinHeadRows * polar / pi};
            row.push_back({headPoint(sphereDirection(s, polar)), uv});
        }
        surface.push_back(std::move(row));
    }
    mesh.addSurface(SkinMaterial, surface, [&](const Vec3& p) { return headWeights(pose, p); });
}

void addHair(MeshBuilder& mesh, const BindPose&) {
    constexpr int rows = 10;
    SurfaceRows surface;
    for (int r = 0; r <= rows; ++r) {
        std::vector<SurfacePoint> row;
        const float toCrown = 1 - static_cast<float>(r) / rows;
        for (int s = 0; s <= headSegments; ++s) {
            // Low at the nape, above the ears at the sides, a hairline over the forehead.
            const float azimuth = 2 * pi * static_cast<float>(s % headSegments) / headSegments - pi / 2;
            const float edge = 1.45f - 0.52f * portableSin(azimuth);
            const Vec2 uv{static_cast<float>(s) / headSegments, toCrown};
            row.push_back({ellipsoidPoint(hairShape, sphereDirection(s, edge * toCrown)), uv});
        }
        surface.push_back(std::move(row));
    }
    mesh.addSurface(HairMaterial, surface, [](const Vec3&) {
        BoneWeights weights;
        weights.add(Head, 1);
        return weights;
    });
}

}  // namespace zorvek::sample
