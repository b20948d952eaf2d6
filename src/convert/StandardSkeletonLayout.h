#pragma once

// The ped in the hierarchy of standard MMD models, so that motions made for
// them play as their authors meant: 全ての親, センター and グルーブ above the
// body, 上半身 beside 下半身 rather than under it, the shoulders under
// 上半身2 with 肩P and 肩C, twist bones in the arms, and the leg IK under
// 足IK親. The skin bones keep the game hierarchy's names, places and axes.

#include "dff/DffModel.h"
#include "rig/PmxRig.h"
#include "skeleton/Skeleton.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

namespace zorvek {

// Refuses what the game hierarchy's layout refuses. A part of the standard
// skeleton whose game bones the model lacks (or parents otherwise) is left
// as the game has it.
PmxRig layoutStandardSkeleton(const DffModel& model, const PreparedSkeleton& skeleton, const BoneTable& bones,
                              const IkTable& iks);

}  // namespace zorvek
