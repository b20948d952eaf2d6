#include "pmx/PmxWriter.h"

#include "base/TextEncoding.h"

#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBoneWriter.h"
#include "pmx/PmxBuffer.h"
#include "pmx/PmxFrameWriter.h"
#include "pmx/PmxGeometryChecks.h"
#include "pmx/PmxGeometryWriter.h"

namespace zorvek {

namespace {

// Room for everything but vertices and faces, so that the buffer is allocated once.
std::size_t estimateFileSize(const DffModel& model, const BonePlan& plan) {
    constexpr std::size_t fixedPart = 64 * 1024;
    constexpr std::size_t perBone = 256;
    constexpr std::size_t perMaterial = 256;
    return estimateGeometrySize(model, plan.boneIndexSize) + fixedPart +
           perBone * static_cast<std::size_t>(plan.boneCount()) + perMaterial * model.meshSplits.size();
}

}  // namespace

std::u16string pmxTextureName(const std::string& textureName, const PmxTexts& texts) {
    const auto renamed = texts.renamedTextures.find(textureName);
    std::u16string name = renamed != texts.renamedTextures.end() ? renamed->second : widenBytes(textureName);
    return name.append(texts.textureExtension);
}

Bytes buildPmx(const DffModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
               const PmxTexts& texts, const WarningSink& warn) {
    // Everything that could refuse the model runs before anything is reported or written.
    const BonePlan plan = planBones(model, mode, bones, iks);
    checkGeometry(model, plan.skinBones.size());
    for (const std::string& warning : plan.warnings) {
        warn(warning);
    }

    PmxBuffer buffer(plan.boneIndexSize, estimateFileSize(model, plan));
    writeHeader(buffer, model);
    writeModelInformation(buffer, texts);
    writeVertices(buffer, model);
    writeFaces(buffer, model);
    writeTextures(buffer, model, texts);
    writeMaterials(buffer, model);
    writeBones(buffer, model, mode, plan, iks);
    buffer.appendI32(0);  // morphs
    writeDisplayFrames(buffer, plan);
    buffer.appendI32(0);  // rigid bodies
    buffer.appendI32(0);  // joints
    return buffer.release();
}

}  // namespace zorvek
