// Which instruction-set extensions the crypto units (and the CRC-32 of archives) may use. Detected
// once with cpuid; tests may switch them off to run the portable code on a machine that has them.
#pragma once

namespace talu::crypto {

struct TCpuFeatures {
  bool Aes = false;    // AES-NI with SSE4.1
  bool Sha = false;    // SHA-NI with SSE4.1
  bool Clmul = false;  // carry-less multiply (PCLMULQDQ) with SSE4.1, for CRC-32
};

// The features in force: those detected, minus any that tests switched off.
const TCpuFeatures& CpuFeatures();

// What the processor offers.
TCpuFeatures DetectCpuFeatures();

// Restricts the features in force to Wanted (never beyond what was detected); pass
// DetectCpuFeatures() to restore. Not for use while other threads run crypto code.
void SetCpuFeaturesForTesting(const TCpuFeatures& Wanted);

}  // namespace talu::crypto
