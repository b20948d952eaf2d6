#include "FuzzPed.h"

#include "SyntheticModel.h"

namespace zorvek::fuzz {

const Bytes& syntheticPedDff() {
    static const Bytes dff = test::buildDff(bench::buildSyntheticModel(96));
    return dff;
}

}  // namespace zorvek::fuzz
