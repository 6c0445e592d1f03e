// Counts the bytes the program holds through operator new, for tests that bound the memory an
// operation may take. Linking AllocationMeter.cpp replaces the global operator new and delete
// (not under ThreadSanitizer, where the counts stay 0).
#pragma once

#include <cstddef>

namespace talu::zip::test {

// Bytes currently held through operator new.
std::size_t HeldBytes();
// Highest value of HeldBytes since the last ResetPeakBytes.
std::size_t PeakBytes();
void ResetPeakBytes();
// From now on allocations of exactly `size` bytes fail on every thread but the calling one
// (0: none fail), as when a helper thread runs out of memory.
void FailAllocationsOnOtherThreads(std::size_t size);

}  // namespace talu::zip::test
