#pragma once

#include "base/FileIo.h"

namespace zorvek::fuzz {

// The fixed ped the motion fuzzers pose: a synthetic 32-bone model with the
// standard skeleton, built once.
const Bytes& syntheticPedDff();

}  // namespace zorvek::fuzz
