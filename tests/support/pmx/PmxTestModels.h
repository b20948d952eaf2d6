#pragma once

#include "convert/DffToPmx.h"
#include "dff/DffModel.h"
#include "skeleton/ConversionMode.h"
#include "skeleton/Skeleton.h"
#include "support/pmx/PmxTestDecoder.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <string>
#include <vector>

namespace zorvek::test {

Matrix44 identityMatrix();
// Axes given as rows 0 to 2, position as row 3.
Matrix44 boneMatrix(Vec3 x, Vec3 y, Vec3 z, Vec3 position);

DffFrame makeFrame(std::string name, std::int32_t parentIndex, std::int32_t boneId, std::int32_t boneNumber,
                   Vec3 translation = {});

// A model with its skeleton as prepareSkeleton would give it, set directly.
struct PreparedModel : DffModel {
    PreparedSkeleton skeleton;
};

// Frames (bone number, id, parent):
//   0 Root (none), 1 Normal (0, id 0), 2 Pelvis (1, id 1, under Normal),
//   3 L Thigh (3, id 41, under Pelvis), 4 Spine (2, id 3, under Pelvis), 5 L Calf (4, id 42, under L Thigh).
// Bone matrices are set directly: identity axes except Spine (X = (0, 1, 0)),
// positions Normal (0, 1, 0), Pelvis (0, 1.25, 0), Spine (0.25, 1.25, 0),
// L Thigh (0, 1, 0.5), L Calf (0.0625, 0.5, 0.5). Skinning matrices:
// bone 1 moves by (1, 0, 0), bone 2 turns X to Y and moves by (0, 0, 1), others identity.
// Three vertices, one list split of material 0 ("skin"), material 1 without texture.
PreparedModel makeWriterModel();

// Rows for ids 0, 1, 3 and 41; 42 (L Calf) is missing on purpose.
BoneTable makeWriterBoneTable();

// Rows: 0 foot IK (target 42, links 41 limited and 1 unlimited), 1 toe IK
// under row 0, 2 an IK with a missing target 99, 3 under row 2, 4 under the
// later row 5, 5 a valid IK on 41 with one link.
IkTable makeWriterIkTable();

PmxTexts makeTexts();

struct Converted {
    DecodedPmx pmx;
    std::vector<std::string> warnings;
};

// buildPmx of a copy, then decodePmx of its bytes.
Converted convert(const PreparedModel& model, ConversionMode mode, const BoneTable& bones = {}, const IkTable& iks = {},
                  const PmxTexts& texts = makeTexts());

// The message of the UserMessageError that buildPmx throws, or "" when it accepts the model;
// warnings receives what was reported before.
std::string refusal(const PreparedModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
                    std::vector<std::string>& warnings);

// A chain of boneCount bones under a plain root frame, one vertex per bone.
PreparedModel makeChainModel(int boneCount);

// The bundled sample's DFF as read, its textures numbered as the conversion numbers them.
DffModel readSampleModel();

}  // namespace zorvek::test
