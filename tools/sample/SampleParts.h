#pragma once

// The body parts of the sample model, each a few closed surfaces in model
// space skinned to the bones around it.

#include "sample/MeshBuilder.h"
#include "sample/SampleSkeleton.h"

namespace zorvek::sample {

void addTorso(MeshBuilder& mesh, const BindPose& pose);
void addNeck(MeshBuilder& mesh, const BindPose& pose);
void addHead(MeshBuilder& mesh, const BindPose& pose);
void addHair(MeshBuilder& mesh, const BindPose& pose);
void addArm(MeshBuilder& mesh, const BindPose& pose, const Side& side);
void addHand(MeshBuilder& mesh, const BindPose& pose, const Side& side);
void addLeg(MeshBuilder& mesh, const BindPose& pose, const Side& side);
void addShoe(MeshBuilder& mesh, const BindPose& pose, const Side& side);

// The whole body, part after part.
MeshBuilder buildSampleMesh(const BindPose& pose);

}  // namespace zorvek::sample
