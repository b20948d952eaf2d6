#pragma once

#include "rw/Section.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvek {

// One node of the bone hierarchy as stored: the bone id and the skin bone
// number. (PedDff keeps its own HAnimNode, the one the writer takes.)
struct HAnimPayloadNode {
    std::int32_t nodeId = 0;
    std::int32_t nodeIndex = 0;
    std::int32_t nodeFlags = 0;
};

struct HAnimPayload {
    std::int32_t hanimVersion = 0;
    std::int32_t nodeId = 0;  // the bone id of the frame
    // 0 except on the one frame that carries the hierarchy; the two fields
    // after it are stored only then.
    std::int32_t numNodes = 0;
    std::int32_t hierarchyFlags = 0;
    std::int32_t keyFrameSize = 0;
    std::vector<HAnimPayloadNode> nodes;
};

template <>
class Section<SectionType::HAnimPLG> final : public Section_Base {
public:
    explicit Section(SectionInput& input);
    std::string_view name() const override { return sectionName(SectionType::HAnimPLG); }
    const HAnimPayload& payload() const { return payload_; }

private:
    HAnimPayload payload_;
};

}  // namespace zorvek
