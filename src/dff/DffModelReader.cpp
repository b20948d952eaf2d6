#include "dff/DffModelReader.h"

#include "base/UserMessageError.h"
#include "dff/DffModelGeometry.h"
#include "rw/HAnimSection.h"
#include "rw/Section.h"
#include "rw/SectionInput.h"
#include "rw/TextSections.h"

#include <algorithm>
#include <vector>

namespace zorvek {

namespace {

constexpr const char* noModelMessage = "ファイルにモデルが含まれていません";
constexpr const char* severalModelsMessage = "ファイルに複数のモデルが含まれていますが無視されます";

// Rotation (36 bytes), translation (12), parent index (4) and the matrix flags (4).
constexpr std::uint64_t frameEntrySize = 56;
constexpr std::uint64_t frameFlagsSize = 4;

// The count word of a Clump or GeometryList Struct: how many models the file holds.
void readModelCount(SectionInput& input, const WarningSink& warn) {
    const Section<SectionType::Struct> data(input);
    const std::uint32_t count = input.readU32();
    if (count == 0) {
        throw UserMessageError(noModelMessage);
    }
    if (count > 1 && warn) {
        warn(severalModelsMessage);
    }
}

void readFrameEntries(SectionInput& input, DffModel& model, DffScaledValueOffsets* offsets) {
    const Section<SectionType::Struct> data(input);
    const std::uint32_t numFrames = input.readU32();
    if (numFrames < 2) {
        throw UserMessageError("ファイルにボーンが含まれていません");
    }
    input.requireBytes(numFrames * frameEntrySize);
    if (offsets != nullptr) {
        offsets->frameEntries = static_cast<std::size_t>(input.tell());
        offsets->numFrames = numFrames;
    }
    model.frames.assign(numFrames, DffFrame{});
    for (DffFrame& frame : model.frames) {
        for (Vec3& row : frame.rotation) {
            row.x = input.readF32();
            row.y = input.readF32();
            row.z = input.readF32();
        }
        frame.translation.x = input.readF32();
        frame.translation.y = input.readF32();
        frame.translation.z = input.readF32();
        frame.parentIndex = input.readI32();
        input.skipInSection(frameFlagsSize);
    }
}

// The hierarchy that maps bone ids to numbers comes with one frame and holds
// for it and every frame after it.
void readFrameBone(SectionInput& input, DffFrame& frame, std::vector<HAnimPayloadNode>& nodeTable) {
    const Section<SectionType::HAnimPLG> hanim(input);
    const HAnimPayload& payload = hanim.payload();
    frame.boneId = payload.nodeId;
    if (payload.numNodes != 0) {
        nodeTable = payload.nodes;
    }
    const auto node = std::find_if(nodeTable.begin(), nodeTable.end(),
                                   [&](const HAnimPayloadNode& candidate) { return candidate.nodeId == frame.boneId; });
    if (node == nodeTable.end()) {
        throw UserMessageError("不明なBone IDがあります");
    }
    frame.boneNumber = node->nodeIndex;
}

void readFrameExtensions(SectionInput& input, DffModel& model) {
    std::vector<HAnimPayloadNode> nodeTable;
    for (DffFrame& frame : model.frames) {
        const Section<SectionType::Extension> extension(input);
        if (extension.size() == 0) {
            continue;
        }
        readFrameBone(input, frame, nodeTable);
        // The name is searched after the HAnimPLG, so it must follow it.
        const Section<SectionType::Frame> name(input);
        frame.frameName = name.text();
    }
}

void readFrameList(SectionInput& input, DffModel& model, DffScaledValueOffsets* offsets) {
    const Section<SectionType::FrameList> frameList(input);
    readFrameEntries(input, model, offsets);
    readFrameExtensions(input, model);
}

// Only the first geometry is read; the atomics and the rest of the clump never are.
void readGeometryList(SectionInput& input, DffModel& model, const WarningSink& warn, DffScaledValueOffsets* offsets,
                      VertexArrays arrays) {
    const Section<SectionType::GeometryList> geometryList(input);
    readModelCount(input, warn);
    const Section<SectionType::Geometry> geometry(input);
    readGeometryData(input, model, warn, offsets, arrays);
    readMaterialList(input, model, warn);
    readGeometryExtension(input, model, offsets);
}

void walkClump(SectionInput& input, DffModel& model, const WarningSink& warn, DffScaledValueOffsets* offsets,
               VertexArrays arrays) {
    const Section<SectionType::Clump> clump(input);
    readModelCount(input, warn);
    readFrameList(input, model, offsets);
    readGeometryList(input, model, warn, offsets, arrays);
}

}  // namespace

void readDffModel(SectionInput& input, DffModel& model, const WarningSink& warn, DffScaledValueOffsets* offsets) {
    walkClump(input, model, warn, offsets, VertexArrays::Keep);
}

DffScaledValueOffsets readDffScaledValueOffsets(SectionInput& input, const WarningSink& warn) {
    DffModel model;
    DffScaledValueOffsets offsets;
    walkClump(input, model, warn, &offsets, VertexArrays::PassOver);
    return offsets;
}

void numberTextures(DffModel& model) {
    std::int32_t number = 0;
    for (auto& entry : model.textureIndices) {
        entry.second = number++;
    }
}

}  // namespace zorvek
