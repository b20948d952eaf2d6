#include "rw/HAnimSection.h"

#include <span>

namespace zorvek {

namespace {

static_assert(sizeof(HAnimPayloadNode) == 12, "nodes are copied as stored");

HAnimPayload readHAnimPayload(SectionInput& input) {
    HAnimPayload payload;
    payload.hanimVersion = input.readI32();
    payload.nodeId = input.readI32();
    payload.numNodes = input.readI32();
    if (payload.numNodes == 0) {
        return payload;
    }
    const std::uint32_t numNodes = input.requireCount(payload.numNodes);
    payload.hierarchyFlags = input.readI32();
    payload.keyFrameSize = input.readI32();
    input.requireBytes(std::uint64_t{numNodes} * sizeof(HAnimPayloadNode));
    payload.nodes.resize(numNodes);
    input.readArray(std::span(payload.nodes));
    return payload;
}

}  // namespace

Section<SectionType::HAnimPLG>::Section(SectionInput& input)
    : Section_Base(input, SectionType::HAnimPLG, sectionName(SectionType::HAnimPLG)),
      payload_(readHAnimPayload(input)) {}

}  // namespace zorvek
