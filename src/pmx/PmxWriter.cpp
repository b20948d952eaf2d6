#include "pmx/PmxWriter.h"

#include "base/TextEncoding.h"

#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBoneWriter.h"
#include "pmx/PmxBuffer.h"
#include "pmx/PmxFrameWriter.h"
#include "pmx/PmxGeometryChecks.h"
#include "pmx/PmxGeometryWriter.h"

namespace zorvek {

std::size_t pmxFileSize(const DffModel& model, ConversionMode mode, const BonePlan& plan, const IkTable& iks,
                        const PmxTexts& texts) {
    constexpr std::size_t morphs = 4, rigidBodies = 4, joints = 4;  // empty sections: their counts only
    return headerSize() + modelInformationSize(texts) + vertexSectionSize(model, plan.boneIndexSize) +
           faceSectionSize(model) + textureSectionSize(model, texts) + materialSectionSize(model) +
           boneSectionSize(model, mode, plan, iks) + morphs + displayFrameSectionSize(plan) + rigidBodies + joints;
}

std::u16string pmxTextureName(const std::string& textureName, const PmxTexts& texts) {
    const auto renamed = texts.renamedTextures.find(textureName);
    std::u16string name = renamed != texts.renamedTextures.end() ? renamed->second : widenBytes(textureName);
    return name.append(texts.textureExtension);
}

ByteBlock buildPmx(const DffModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
                   const PmxTexts& texts, const WarningSink& warn) {
    // Everything that could refuse the model runs before anything is reported or written.
    const BonePlan plan = planBones(model, mode, bones, iks);
    checkGeometry(model, plan.skinBones.size());
    for (const std::string& warning : plan.warnings) {
        warn(warning);
    }

    PmxBuffer buffer(plan.boneIndexSize, pmxFileSize(model, mode, plan, iks, texts));
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
    return buffer.finish();
}

}  // namespace zorvek
