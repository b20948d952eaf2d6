#pragma once

#include "dff/DffModel.h"
#include "pmx/PmxBuffer.h"
#include "pmx/PmxWriter.h"

#include <cstddef>
#include <string_view>

namespace zorvek {

// The sections before the bones, for a model that checkGeometry accepted.
void writeHeader(PmxBuffer& buffer, const DffModel& model);
void writeModelInformation(PmxBuffer& buffer, const PmxTexts& texts);
void writeVertices(PmxBuffer& buffer, const DffModel& model);
void writeFaces(PmxBuffer& buffer, const DffModel& model);
void writeTextures(PmxBuffer& buffer, const DffModel& model, const PmxTexts& texts);
void writeMaterials(PmxBuffer& buffer, const DffModel& model);

// The byte length of each of those sections, for the same model and texts.
std::size_t headerSize();
std::size_t modelInformationSize(const PmxTexts& texts);
std::size_t vertexSectionSize(const DffModel& model, int boneIndexSize);
std::size_t faceSectionSize(const DffModel& model);
std::size_t textureSectionSize(const DffModel& model, const PmxTexts& texts);
std::size_t materialSectionSize(const DffModel& model);

}  // namespace zorvek
