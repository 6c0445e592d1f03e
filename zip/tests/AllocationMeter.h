// Counts the bytes the program holds through operator new, for tests that bound the memory an
// operation may take. Linking AllocationMeter.cpp replaces the global operator new and delete.
#pragma once

#include <cstddef>

namespace talu::zip::test {

// Bytes currently held through operator new.
std::size_t HeldBytes();
// Highest value of HeldBytes since the last ResetPeakBytes.
std::size_t PeakBytes();
void ResetPeakBytes();

}  // namespace talu::zip::test
