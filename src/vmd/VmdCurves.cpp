#include "vmd/VmdCurves.h"

#include <algorithm>

namespace zorvek {

namespace {

constexpr float controlPointScale = 127.0f;
// Keys closer than this play as steps, as MMD does.
constexpr double shortestInterpolatedGap = 1.5;
// 2^-32 < 1e-9: the parameter's interval after this many halvings.
constexpr int bisectionSteps = 32;

// One coordinate of the curve at parameter t, from its two control values;
// the ends are 0 and 1.
double bezierAt(double p1, double p2, double t) {
    const double s = 1.0 - t;
    return 3.0 * s * s * t * p1 + 3.0 * s * t * t * p2 + t * t * t;
}

BezierCurve curveOf(const std::array<std::uint8_t, 64>& bytes, std::size_t curve) {
    return {bytes[curve] / controlPointScale, bytes[4 + curve] / controlPointScale,
            bytes[8 + curve] / controlPointScale, bytes[12 + curve] / controlPointScale};
}

// Computed as a weighted sum, so that s = 0 and s = 1 give the keys' values exactly.
float mix(float a, float b, double s) {
    return static_cast<float>((1.0 - s) * a + s * b);
}

BonePoseAt poseOf(const VmdBoneKey& key) {
    return {key.position, unitPlainQuaternion(key.rotation)};
}

BonePoseAt interpolate(const VmdBoneKey& k0, const VmdBoneKey& k1, double u) {
    const VmdKeyCurves curves = vmdCurvesOf(k1.interpolation);
    BonePoseAt pose;
    pose.position.x = mix(k0.position.x, k1.position.x, bezierY(curves.x, u));
    pose.position.y = mix(k0.position.y, k1.position.y, bezierY(curves.y, u));
    pose.position.z = mix(k0.position.z, k1.position.z, bezierY(curves.z, u));
    pose.rotation =
        slerpShortArc(unitPlainQuaternion(k0.rotation), unitPlainQuaternion(k1.rotation), bezierY(curves.rotation, u));
    return pose;
}

}  // namespace

VmdKeyCurves vmdCurvesOf(const std::array<std::uint8_t, 64>& interpolation) {
    return {curveOf(interpolation, 0), curveOf(interpolation, 1), curveOf(interpolation, 2), curveOf(interpolation, 3)};
}

double bezierY(const BezierCurve& curve, double x) {
    // Written so that a NaN x gives 0.
    if (!(x > 0)) {
        return 0;
    }
    if (x >= 1) {
        return 1;
    }
    double low = 0;
    double high = 1;
    for (int step = 0; step < bisectionSteps; ++step) {
        const double middle = 0.5 * (low + high);
        if (bezierAt(curve.x1, curve.x2, middle) < x) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return bezierAt(curve.y1, curve.y2, 0.5 * (low + high));
}

BonePoseAt evaluateBone(const std::vector<VmdBoneKey>& sortedKeys, std::uint32_t frame) {
    return evaluateBoneAt(sortedKeys, static_cast<double>(frame));
}

BonePoseAt evaluateBoneAt(const std::vector<VmdBoneKey>& sortedKeys, double frame) {
    if (sortedKeys.empty()) {
        return {};
    }
    // The first key after the frame: the first of its frame's keys.
    const auto next = std::upper_bound(sortedKeys.begin(), sortedKeys.end(), frame,
                                       [](double at, const VmdBoneKey& key) { return at < key.frame; });
    if (next == sortedKeys.begin()) {
        return poseOf(sortedKeys.front());
    }
    // The key before it is the last on its own frame.
    const VmdBoneKey& k0 = *(next - 1);
    if (next == sortedKeys.end()) {
        return poseOf(k0);
    }
    const VmdBoneKey& k1 = *next;
    const double gap = static_cast<double>(k1.frame) - k0.frame;
    if (gap < shortestInterpolatedGap) {
        return poseOf(k0);
    }
    return interpolate(k0, k1, (frame - k0.frame) / gap);
}

bool ikEnabledAt(const std::vector<VmdShowIkFrame>& sortedFrames, std::string_view sjisIkName, std::uint32_t frame) {
    const auto end = std::upper_bound(sortedFrames.begin(), sortedFrames.end(), frame,
                                      [](std::uint32_t at, const VmdShowIkFrame& f) { return at < f.frame; });
    // Backwards, latest first, so the first mention found is the one that rules.
    for (auto showIk = end; showIk != sortedFrames.begin();) {
        --showIk;
        const auto& iks = showIk->iks;
        const auto mention =
            std::find_if(iks.rbegin(), iks.rend(), [&](const VmdIkState& ik) { return ik.sjisName == sjisIkName; });
        if (mention != iks.rend()) {
            return mention->enabled;
        }
    }
    return true;
}

}  // namespace zorvek
