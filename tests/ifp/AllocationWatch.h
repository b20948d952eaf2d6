#pragma once

#include <cstddef>

namespace zorvek::test {

// The largest single request operator new received since the last reset, in
// this test program (operator new is replaced in AllocationWatch.cpp).
void resetLargestAllocation();
std::size_t largestAllocation();

}  // namespace zorvek::test
