#pragma once

#include <cstddef>

namespace zorvek::test {

// The largest single request operator new received since the last reset, in
// this test program. operator new is replaced in AllocationWatch.cpp, which
// only the test programs that link zorvek_allocationwatch contain.
void resetLargestAllocation();
std::size_t largestAllocation();

}  // namespace zorvek::test
