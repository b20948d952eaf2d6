#include "convert/GameBoneFinder.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "tables/TableFields.h"
#include "tables/TableText.h"

#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <optional>

namespace zorvek {

namespace {

using namespace ped;

// The names a node's bone goes by, preferred first: the standard mode's
// names, then what semi-standard models use for the same joint (足先EX is
// the toe that deforms; つま先 is often only the IK's end).
std::vector<std::u16string_view> namesOf(std::int32_t node) {
    switch (node) {
    case pelvis: return {u"下半身"};
    case spine: return {u"上半身"};
    case spine1: return {u"上半身2"};
    case neck: return {u"首"};
    case head: return {u"頭"};
    case jaw: return {u"あご", u"顎"};
    case leftBrow: return {u"左眉"};
    case rightBrow: return {u"右眉"};
    case leftClavicle: return {u"左肩"};
    case rightClavicle: return {u"右肩"};
    case leftUpperArm: return {u"左腕"};
    case rightUpperArm: return {u"右腕"};
    case leftForeArm: return {u"左ひじ"};
    case rightForeArm: return {u"右ひじ"};
    case leftHand: return {u"左手首"};
    case rightHand: return {u"右手首"};
    case leftFinger: return {u"左中指１", u"左中指1"};
    case rightFinger: return {u"右中指１", u"右中指1"};
    case leftFinger01: return {u"左中指２", u"左中指2"};
    case rightFinger01: return {u"右中指２", u"右中指2"};
    case leftBreast: return {u"左胸"};
    case rightBreast: return {u"右胸"};
    case belly: return {u"腹"};
    case leftThigh: return {u"左足"};
    case rightThigh: return {u"右足"};
    case leftCalf: return {u"左ひざ"};
    case rightCalf: return {u"右ひざ"};
    case leftFoot: return {u"左足首"};
    case rightFoot: return {u"右足首"};
    case leftToe: return {u"左足先EX", u"左つま先"};
    case rightToe: return {u"右足先EX", u"右つま先"};
    default: return {};
    }
}

// The joints nothing can be placed from: without them there is no body to drive.
constexpr std::int32_t requiredNodes[] = {pelvis,   spine,         neck,         head,      leftUpperArm, leftForeArm,
                                          leftHand, rightUpperArm, rightForeArm, rightHand, leftThigh,    leftCalf,
                                          leftFoot, rightThigh,    rightCalf,    rightFoot};

std::optional<std::int32_t> boneNamed(const PmxModel& model, std::u16string_view name) {
    for (std::size_t k = 0; k < model.bones.size(); ++k) {
        if (model.bones[k].name == name) {
            return static_cast<std::int32_t>(k);
        }
    }
    return std::nullopt;
}

// Fingers other than the one the ped's two finger bones follow: their first
// joint goes to Finger, the others to Finger01, so a fist closes them all.
std::optional<std::int32_t> fingerNode(std::u16string_view name) {
    if (name.size() != 4 || (name[0] != u'左' && name[0] != u'右')) {
        return std::nullopt;
    }
    const std::u16string_view finger = name.substr(1, 2);
    if (finger != u"人指" && finger != u"中指" && finger != u"薬指" && finger != u"小指") {
        return std::nullopt;
    }
    const bool left = name[0] == u'左';
    switch (name[3]) {
    case u'１':
    case u'1': return left ? leftFinger : rightFinger;
    case u'２':
    case u'2':
    case u'３':
    case u'3': return left ? leftFinger01 : rightFinger01;
    default: return std::nullopt;
    }
}

class WeightNodes {
public:
    WeightNodes(const PmxModel& model, const std::array<std::int32_t, pedNodeCount>& pmxBone)
        : model_(model), nodes_(model.bones.size(), unresolved) {
        for (std::size_t node = 0; node < pmxBone.size(); ++node) {
            if (pmxBone[node] >= 0) {
                nodes_[static_cast<std::size_t>(pmxBone[node])] = static_cast<std::int32_t>(node);
            }
        }
    }

    std::vector<std::int32_t> resolveAll() {
        for (std::size_t bone = 0; bone < nodes_.size(); ++bone) {
            resolve(static_cast<std::int32_t>(bone), 0);
        }
        return std::move(nodes_);
    }

private:
    static constexpr std::int32_t unresolved = -1;

    bool valid(std::int32_t bone) const { return bone >= 0 && static_cast<std::size_t>(bone) < nodes_.size(); }

    // Parents and grants may form loops in a broken file: past as many steps
    // as there are bones, the vertices go to Pelvis.
    std::int32_t resolve(std::int32_t bone, std::size_t depth) {
        std::int32_t& node = nodes_[static_cast<std::size_t>(bone)];
        if (node != unresolved) {
            return node;
        }
        if (depth > nodes_.size()) {
            return pelvis;
        }
        const PmxBone& b = model_.bones[static_cast<std::size_t>(bone)];
        std::int32_t found = pelvis;
        if ((b.flags & PmxInheritsRotation) != 0 && b.inheritWeight == 1.0f && valid(b.inheritParent)) {
            found = resolve(b.inheritParent, depth + 1);
        } else if (const auto finger = fingerNode(b.name)) {
            found = *finger;
        } else if (valid(b.parent)) {
            found = resolve(b.parent, depth + 1);
        }
        node = found;
        return found;
    }

    const PmxModel& model_;
    std::vector<std::int32_t> nodes_;
};

constexpr std::string_view cannotOpenMessage = "ボーン表を開けませんでした";

}  // namespace

std::u16string_view standardBoneName(std::int32_t node) {
    // The toes are looked for as 足先EX first, but the standard name is つま先.
    const auto names = namesOf(node);
    return names.empty()                                                ? std::u16string_view(u"センター")
           : names.back() == u"左つま先" || names.back() == u"右つま先" ? names.back()
                                                                        : names.front();
}

GameBoneNames parseGameBoneNames(std::string_view fileBytes, std::string_view fileLabel) {
    const auto lines = decodeTableLines(fileBytes);
    if (!lines) {
        throw UserMessageError(std::string(cannotOpenMessage));
    }
    GameBoneNames names;
    for (std::size_t index = 0; index < lines->size(); ++index) {
        const std::u16string& line = (*lines)[index];
        if (isSkippedTableLine(line)) {
            continue;
        }
        const std::size_t tab = line.find(u'\t');
        if (tab == std::u16string::npos) {
            throw UserMessageError(tableLineMessage(fileLabel, index + 1, missingFieldsText));
        }
        std::int32_t id = 0;
        try {
            id = convertInt32Field(std::u16string_view(line).substr(tab + 1));
        } catch (const boost::bad_lexical_cast&) {
            throw UserMessageError(tableLineMessage(fileLabel, index + 1, badTokenText));
        }
        if (pedNodeIndex(id) <= root) {
            throw UserMessageError(
                tableLineMessage(fileLabel, index + 1, "ゲームのボーン番号ではありません: " + std::to_string(id)));
        }
        names.emplace_back(line.substr(0, tab), id);
    }
    return names;
}

GameBoneNames loadGameBoneNames(const std::filesystem::path& file) {
    const Bytes bytes = readTableFile(file, cannotOpenMessage);
    return parseGameBoneNames(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                              pathToUtf8(file.filename()));
}

GameBoneMatch findGameBones(const PmxModel& model, const GameBoneNames& userNames) {
    GameBoneMatch match;
    match.pmxBone.fill(-1);
    for (const auto& [name, id] : userNames) {
        const std::int32_t node = pedNodeIndex(id);
        if (const auto bone = boneNamed(model, name); bone && node > root && match.pmxBone[node] < 0) {
            match.pmxBone[static_cast<std::size_t>(node)] = *bone;
        }
    }
    for (std::int32_t node = pelvis; node < static_cast<std::int32_t>(pedNodeCount); ++node) {
        std::int32_t& bone = match.pmxBone[static_cast<std::size_t>(node)];
        for (std::u16string_view name : namesOf(node)) {
            if (bone >= 0) {
                break;
            }
            bone = boneNamed(model, name).value_or(-1);
        }
    }
    for (std::int32_t node : requiredNodes) {
        if (match.pmxBone[static_cast<std::size_t>(node)] < 0) {
            throw UserMessageError("標準ボーンが見つかりません: " + utf16ToUtf8(standardBoneName(node)));
        }
    }
    match.weightNode = WeightNodes(model, match.pmxBone).resolveAll();
    return match;
}

}  // namespace zorvek
