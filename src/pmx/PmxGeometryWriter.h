#pragma once

#include "dff/DffModel.h"
#include "pmx/PmxBuffer.h"
#include "pmx/PmxWriter.h"

#include <cstddef>

namespace zorvek {

// The sections before the bones, for a model that checkGeometry accepted.
void writeHeader(PmxBuffer& buffer, const DffModel& model);
void writeModelInformation(PmxBuffer& buffer, const PmxTexts& texts);
void writeVertices(PmxBuffer& buffer, const DffModel& model);
void writeFaces(PmxBuffer& buffer, const DffModel& model);
void writeTextures(PmxBuffer& buffer, const DffModel& model, const PmxTexts& texts);
void writeMaterials(PmxBuffer& buffer, const DffModel& model);

// Bytes of the vertex and face sections, which make up nearly all of a file.
std::size_t estimateGeometrySize(const DffModel& model, int boneIndexSize);

}  // namespace zorvek
