#include "convert/PmxToDff.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "dff/PedDffWriter.h"
#include "skeleton/PedSkeleton.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace zorvek {

namespace {

using namespace ped;

// Double precision with + - * / and sqrt only, which every platform rounds
// alike, so the Linux and Windows builds write the same bytes.
struct D3 {
    double x = 0, y = 0, z = 0;
};

D3 operator+(D3 a, D3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
D3 operator-(D3 a, D3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
D3 operator*(D3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(D3 a, D3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 cross(D3 a, D3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(D3 a) {
    return std::sqrt(dot(a, a));
}
D3 normalised(D3 a) {
    const double l = length(a);
    return l > 0 ? a * (1 / l) : a;
}
D3 toD3(Vec3 v) {
    return {v.x, v.y, v.z};
}
Vec3 toVec3(D3 v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// Rows X, Y and Z; a point p in the frame is p.x X + p.y Y + p.z Z.
using Rows = std::array<D3, 3>;

struct Frame {
    Rows axes;
    D3 origin;
};

D3 intoFrame(D3 p, const Frame& frame) {
    const D3 d = p - frame.origin;
    return {dot(d, frame.axes[0]), dot(d, frame.axes[1]), dot(d, frame.axes[2])};
}

// `child` seen from `parent`: the child's axes and origin in the parent's frame.
Frame relative(const Frame& child, const Frame& parent) {
    Frame local;
    for (std::size_t row = 0; row < 3; ++row) {
        local.axes[row] = {dot(child.axes[row], parent.axes[0]), dot(child.axes[row], parent.axes[1]),
                           dot(child.axes[row], parent.axes[2])};
    }
    local.origin = intoFrame(child.origin, parent);
    return local;
}

Matrix44 toMatrix(const Frame& frame) {
    Matrix44 matrix;
    for (int row = 0; row < 3; ++row) {
        const D3& axis = frame.axes[static_cast<std::size_t>(row)];
        matrix.at(row, 0) = static_cast<float>(axis.x);
        matrix.at(row, 1) = static_cast<float>(axis.y);
        matrix.at(row, 2) = static_cast<float>(axis.z);
    }
    matrix.at(3, 0) = static_cast<float>(frame.origin.x);
    matrix.at(3, 1) = static_cast<float>(frame.origin.y);
    matrix.at(3, 2) = static_cast<float>(frame.origin.z);
    matrix.at(3, 3) = 1;
    return matrix;
}

// The table's axes are rounded to three decimals: made exactly orthonormal
// (right-handed) about X, which is what a bone points with.
Rows orthonormal(const std::array<Vec3, 3>& axes) {
    const D3 x = normalised(toD3(axes[0]));
    const D3 z = normalised(cross(x, toD3(axes[1])));
    return {x, cross(z, x), z};
}

// The smallest rotation taking unit `from` onto unit `to`, applied to each row.
Rows turnedOnto(const Rows& axes, D3 from, D3 to) {
    const double c = dot(from, to);
    if (c < -0.999999) {
        // Opposite: half a turn about the bone's Z.
        const D3 about = axes[2];
        Rows turned;
        for (std::size_t row = 0; row < 3; ++row) {
            turned[row] = about * (2 * dot(axes[row], about)) - axes[row];
        }
        return turned;
    }
    // Rodrigues' formula with the sine and cosine taken from the vectors themselves.
    const D3 v = cross(from, to);
    const double k = 1 / (1 + c);
    Rows turned;
    for (std::size_t row = 0; row < 3; ++row) {
        const D3 a = axes[row];
        turned[row] = a * c + cross(v, a) + v * (dot(v, a) * k);
    }
    return turned;
}

// MMD: x the model's left, y up, facing -z. The game: x right, y forward, z up.
D3 gameDirection(Vec3 mmd) {
    return {-static_cast<double>(mmd.x), -static_cast<double>(mmd.z), static_cast<double>(mmd.y)};
}

struct Geometry {
    double scale = 0.1;   // metres per PMX unit
    double lowest = 0;    // the lowest vertex's height, in metres
    double pedScale = 1;  // the model's height against the game's median ped
};

Geometry measure(const PmxModel& model, const PmxToDffSettings& settings) {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    for (const Vec3& p : model.vertices.positions) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            throw UserMessageError("頂点の位置が数ではありません");
        }
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    const double extent = static_cast<double>(high) - static_cast<double>(low);
    Geometry g;
    if (settings.height) {
        if (!(extent > 0) || !std::isfinite(*settings.height) || !(*settings.height > 0)) {
            throw UserMessageError("モデルの高さを合わせられません");
        }
        g.scale = static_cast<double>(*settings.height) / extent;
    }
    g.lowest = static_cast<double>(low) * g.scale;
    g.pedScale = extent > 0 ? extent * g.scale / pedMedianHeight : 1;
    return g;
}

class Converter {
public:
    Converter(const PmxModel& model, const std::vector<std::string>& textureNames, const PmxToDffSettings& settings,
              const WarningSink& warn)
        : model_(model),
          textureNames_(textureNames),
          warn_(warn),
          match_(findGameBones(model, settings.boneNames)),
          geometry_(measure(model, settings)) {}

    PedDff convert() {
        placeJoints();
        orientBones();
        PedDff dff;
        writeFrames(dff);
        writeVertices(dff);
        writeMaterials(dff);
        return dff;
    }

private:
    D3 gamePoint(Vec3 mmd) const { return gameDirection(mmd) * geometry_.scale; }

    D3 tableOffset(std::int32_t node, std::int32_t from) const {
        const auto table = pedSkeleton();
        return (toD3(table[static_cast<std::size_t>(node)].joint) - toD3(table[static_cast<std::size_t>(from)].joint)) *
               geometry_.pedScale;
    }

    std::optional<std::int32_t> boneNamed(std::u16string_view name) const {
        for (std::size_t k = 0; k < model_.bones.size(); ++k) {
            if (model_.bones[k].name == name) {
                return static_cast<std::int32_t>(k);
            }
        }
        return std::nullopt;
    }

    // Where a bone the model lacks goes, from the joints around it.
    D3 placed(std::int32_t node) const {
        const auto at = [&](std::int32_t n) { return joints_[static_cast<std::size_t>(n)]; };
        switch (node) {
        case spine1: return (at(spine) + at(neck)) * 0.5;
        case jaw:
        case leftBrow:
        case rightBrow: return at(head) + tableOffset(node, head);
        case leftBreast:
        case rightBreast: return at(spine1) + tableOffset(node, spine1);
        case belly: return at(spine) + tableOffset(node, spine);
        case leftClavicle: return at(neck) + (at(leftUpperArm) - at(neck)) * 0.1;
        case rightClavicle: return at(neck) + (at(rightUpperArm) - at(neck)) * 0.1;
        case leftFinger:
        case rightFinger: {
            const std::int32_t hand = node == leftFinger ? leftHand : rightHand;
            const std::int32_t foreArm = node == leftFinger ? leftForeArm : rightForeArm;
            return at(hand) + normalised(at(hand) - at(foreArm)) * (0.08 * geometry_.pedScale);
        }
        case leftFinger01:
        case rightFinger01: {
            const std::int32_t finger = node == leftFinger01 ? leftFinger : rightFinger;
            const std::int32_t hand = node == leftFinger01 ? leftHand : rightHand;
            return at(finger) + normalised(at(finger) - at(hand)) * (0.045 * geometry_.pedScale);
        }
        case leftToe:
        case rightToe: {
            // The toe IK stands on the toe.
            const auto ik = boneNamed(node == leftToe ? u"左つま先ＩＫ" : u"右つま先ＩＫ");
            if (ik) {
                return gamePoint(model_.bones[static_cast<std::size_t>(*ik)].position);
            }
            const std::int32_t foot = node == leftToe ? leftFoot : rightFoot;
            return at(foot) + tableOffset(node, foot);
        }
        default: return at(pedSkeleton()[static_cast<std::size_t>(node)].parent);
        }
    }

    void placeJoints() {
        std::vector<std::u16string> placedNames;
        // Table order: every joint a placement reads comes earlier, or is found.
        constexpr std::int32_t order[] = {
            pelvis,        spine,      neck,        head,         leftUpperArm,  rightUpperArm, leftForeArm,
            rightForeArm,  leftHand,   rightHand,   leftThigh,    rightThigh,    leftCalf,      rightCalf,
            leftFoot,      rightFoot,  spine1,      jaw,          leftBrow,      rightBrow,     leftClavicle,
            rightClavicle, leftFinger, rightFinger, leftFinger01, rightFinger01, leftBreast,    rightBreast,
            belly,         leftToe,    rightToe};
        for (std::int32_t node : order) {
            const std::int32_t bone = match_.pmxBone[static_cast<std::size_t>(node)];
            if (bone >= 0) {
                joints_[static_cast<std::size_t>(node)] =
                    gamePoint(model_.bones[static_cast<std::size_t>(bone)].position);
            } else {
                joints_[static_cast<std::size_t>(node)] = placed(node);
                placedNames.emplace_back(standardBoneName(node));
            }
        }
        const D3 pelvisJoint = joints_[pelvis];
        // The game stands a ped by its Root: this far above the feet, on the hips' vertical.
        joints_[root] = {pelvisJoint.x, pelvisJoint.y, geometry_.lowest + pedRootHeight};
        if (!placedNames.empty()) {
            std::u16string list;
            for (const std::u16string& name : placedNames) {
                list += (list.empty() ? u"" : u", ") + name;
            }
            warn_("モデルにない標準ボーンを周りのボーンから置きました: " + utf16ToUtf8(list));
        }
    }

    void orientBones() {
        const auto table = pedSkeleton();
        for (std::size_t node = 0; node < pedNodeCount; ++node) {
            Rows axes = orthonormal(table[node].axes);
            if (table[node].aimsAt >= 0) {
                const D3 toward = joints_[static_cast<std::size_t>(table[node].aimsAt)] - joints_[node];
                // Joints in one place give no direction: the table's stays.
                if (length(toward) > 1e-6) {
                    axes = turnedOnto(axes, axes[0], normalised(toward));
                }
            }
            bind_[node] = {axes, joints_[node] - joints_[root]};
        }
    }

    void writeFrames(PedDff& dff) const {
        const auto table = pedSkeleton();
        DffFrame top;
        top.frameName.clear();
        dff.frames.push_back(top);
        for (std::size_t node = 0; node < pedNodeCount; ++node) {
            const std::int32_t parent = table[node].parent;
            const Frame local =
                parent < 0 ? bind_[node] : relative(bind_[node], bind_[static_cast<std::size_t>(parent)]);
            DffFrame frame;
            for (std::size_t row = 0; row < 3; ++row) {
                frame.rotation[row] = toVec3(local.axes[row]);
            }
            frame.translation = toVec3(local.origin);
            frame.parentIndex = parent + 1;
            frame.boneId = table[node].id;
            frame.boneNumber = static_cast<std::int32_t>(node);
            frame.frameName = std::string(table[node].frameName);
            dff.frames.push_back(frame);
            dff.nodes.push_back({table[node].id, static_cast<std::int32_t>(node), table[node].flags});
            // The skin's space is the Pelvis's at bind time.
            dff.inverseBindMatrices.push_back(toMatrix(relative(bind_[pelvis], bind_[node])));
        }
        dff.atomicFrame = 1 + pelvis;
    }

    // The influences of one vertex as the PMX stores them.
    std::array<std::pair<std::int32_t, float>, 4> influences(std::size_t k) const {
        const PmxVertices& v = model_.vertices;
        const PmxDeform deform = v.deforms.empty() ? PmxDeform::Bdef4 : v.deforms[k];
        std::array<std::int32_t, 4> bones{-1, -1, -1, -1};
        for (std::size_t l = 0; l < 4; ++l) {
            if (!v.smallBones.empty()) {
                bones[l] = v.smallBones[k][l];
            } else if (!v.bones.empty()) {
                bones[l] = v.bones[k][l];
            }
        }
        const Vec4 w = k < v.weights.size() ? v.weights[k] : Vec4{1, 0, 0, 0};
        switch (deform) {
        case PmxDeform::Bdef1: return {{{bones[0], 1.0f}, {-1, 0.0f}, {-1, 0.0f}, {-1, 0.0f}}};
        case PmxDeform::Bdef2: return {{{bones[0], w.x}, {bones[1], 1.0f - w.x}, {-1, 0.0f}, {-1, 0.0f}}};
        default: return {{{bones[0], w.x}, {bones[1], w.y}, {bones[2], w.z}, {bones[3], w.w}}};
        }
    }

    // Weights of one game bone summed, the four largest kept (largest first,
    // the lower node first on a tie), scaled to sum to 1.
    // Returns false where the vertex had no usable weight and was given whole to one bone.
    bool weigh(std::size_t k, PedDff& dff, std::vector<bool>& bonesMoved) const {
        std::array<std::pair<std::int32_t, float>, 4> sums{};
        std::size_t count = 0;
        std::int32_t fallback = -1;
        for (const auto& [bone, weight] : influences(k)) {
            if (bone < 0 || static_cast<std::size_t>(bone) >= model_.bones.size()) {
                continue;
            }
            const std::int32_t node = match_.weightNode[static_cast<std::size_t>(bone)];
            fallback = fallback < 0 ? node : fallback;
            if (!(weight > 0)) {
                continue;
            }
            if (match_.pmxBone[static_cast<std::size_t>(node)] != bone) {
                bonesMoved[static_cast<std::size_t>(bone)] = true;
            }
            auto* same = std::find_if(sums.begin(), sums.begin() + static_cast<std::ptrdiff_t>(count),
                                      [&](const auto& s) { return s.first == node; });
            if (same != sums.begin() + static_cast<std::ptrdiff_t>(count)) {
                same->second += weight;
            } else {
                sums[count++] = {node, weight};
            }
        }
        // Four at most: placed in order by hand (std::sort over part of an
        // array trips GCC 12's bounds warnings at -O3).
        for (std::size_t l = 1; l < count; ++l) {
            for (std::size_t m = l; m > 0; --m) {
                const auto& a = sums[m - 1];
                const auto& b = sums[m];
                if (b.second > a.second || (b.second == a.second && b.first < a.first)) {
                    std::swap(sums[m - 1], sums[m]);
                }
            }
        }
        float total = 0;
        for (std::size_t l = 0; l < count; ++l) {
            total += sums[l].second;
        }
        std::array<std::uint8_t, 4> indices{};
        Vec4 weights{};
        const bool usable = count > 0 && total > 0 && std::isfinite(total);
        if (!usable) {
            // Every vertex follows some bone: the one its first influence names, else the hips.
            indices[0] = static_cast<std::uint8_t>(fallback >= 0 ? fallback : pelvis);
            weights.x = 1;
        } else {
            float* slots[4] = {&weights.x, &weights.y, &weights.z, &weights.w};
            for (std::size_t l = 0; l < count; ++l) {
                indices[l] = static_cast<std::uint8_t>(sums[l].first);
                *slots[l] = sums[l].second / total;
            }
        }
        dff.boneIndices.push_back(indices);
        dff.boneWeights.push_back(weights);
        return usable;
    }

    void writeVertices(PedDff& dff) const {
        const PmxVertices& v = model_.vertices;
        const std::size_t count = v.positions.size();
        if (count == 0) {
            throw UserMessageError("頂点がありません");
        }
        if (count > maxPedVertices) {
            throw UserMessageError(tooManyVerticesMessage(count));
        }
        const Frame& hips = bind_[pelvis];
        const D3 rootJoint = joints_[root];
        dff.positions.reserve(count);
        dff.normals.reserve(count);
        dff.uvs.reserve(count);
        dff.boneIndices.reserve(count);
        dff.boneWeights.reserve(count);
        std::vector<bool> bonesMoved(model_.bones.size(), false);
        std::size_t unweighted = 0;
        for (std::size_t k = 0; k < count; ++k) {
            dff.positions.push_back(toVec3(intoFrame(gamePoint(v.positions[k]) - rootJoint, hips)));
            const D3 normal = k < v.normals.size() ? gameDirection(v.normals[k]) : D3{};
            const D3 local{dot(normal, hips.axes[0]), dot(normal, hips.axes[1]), dot(normal, hips.axes[2])};
            dff.normals.push_back(toVec3(normalised(local)));
            dff.uvs.push_back(k < v.uvs.size() ? v.uvs[k] : Vec2{});
            unweighted += weigh(k, dff, bonesMoved) ? 0 : 1;
        }
        reportMovedBones(bonesMoved);
        if (unweighted > 0) {
            warn_("ウェイトのない頂点を一つのボーンに付けました (" + std::to_string(unweighted) + " 個)");
        }
    }

    void reportMovedBones(const std::vector<bool>& bonesMoved) const {
        constexpr std::size_t listed = 8;
        std::u16string list;
        std::size_t count = 0;
        for (std::size_t bone = 0; bone < bonesMoved.size(); ++bone) {
            if (!bonesMoved[bone]) {
                continue;
            }
            if (count < listed) {
                list += (count == 0 ? u"" : u", ") + model_.bones[bone].name;
            }
            ++count;
        }
        if (count > 0) {
            std::string message =
                "ゲームにないボーンのウェイトを移しました (" + std::to_string(count) + " 本): " + utf16ToUtf8(list);
            warn_(count > listed ? message + ", ..." : message);
        }
    }

    void writeMaterials(PedDff& dff) const {
        const LargeArray<std::uint32_t>& faces = model_.faceIndices;
        const std::size_t vertexCount = model_.vertices.positions.size();
        std::size_t at = 0;
        for (const PmxMaterial& material : model_.materials) {
            const auto count = static_cast<std::size_t>(std::max(material.faceIndexCount, 0));
            if (count % 3 != 0 || count > faces.size() - at) {
                throw UserMessageError("材質の面の数が面の数と合いません");
            }
            if (count == 0) {
                continue;
            }
            PedDffMaterial written;
            const bool textured =
                material.texture >= 0 && static_cast<std::size_t>(material.texture) < textureNames_.size();
            written.textureName = textured ? textureNames_[static_cast<std::size_t>(material.texture)] : std::string();
            written.triangles.reserve(count);
            for (std::size_t k = at; k < at + count; k += 3) {
                if (faces[k] >= vertexCount || faces[k + 1] >= vertexCount || faces[k + 2] >= vertexCount) {
                    throw UserMessageError("存在しない頂点を指す面があります");
                }
                // The axes mirror (MMD is left-handed), so the winding turns.
                written.triangles.push_back(faces[k]);
                written.triangles.push_back(faces[k + 2]);
                written.triangles.push_back(faces[k + 1]);
            }
            dff.materials.push_back(std::move(written));
            at += count;
        }
        if (dff.materials.empty()) {
            throw UserMessageError("面がありません");
        }
    }

    const PmxModel& model_;
    const std::vector<std::string>& textureNames_;
    const WarningSink& warn_;
    GameBoneMatch match_;
    Geometry geometry_;
    std::array<D3, pedNodeCount> joints_{};
    std::array<Frame, pedNodeCount> bind_{};
};

}  // namespace

PedDff pmxToDff(const PmxModel& model, const std::vector<std::string>& textureNames, const PmxToDffSettings& settings,
                const WarningSink& warn) {
    return Converter(model, textureNames, settings, warn).convert();
}

}  // namespace zorvek
