// Runtime detection of AES-NI, SHA-NI and PCLMULQDQ with cpuid (x86 and x86-64).
#include "CpuFeatures.h"

#include <cpuid.h>

namespace talu::crypto {

namespace {

constexpr unsigned kLeaf1EcxClmul = 1u << 1;
constexpr unsigned kLeaf1EcxSse41 = 1u << 19;
constexpr unsigned kLeaf1EcxAes = 1u << 25;
constexpr unsigned kLeaf7EbxSha = 1u << 29;

TCpuFeatures& FeaturesInForce() {
  static TCpuFeatures features = DetectCpuFeatures();
  return features;
}

}  // namespace

TCpuFeatures DetectCpuFeatures() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  TCpuFeatures found;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & kLeaf1EcxSse41)) return found;
  found.Aes = (ecx & kLeaf1EcxAes) != 0;
  found.Clmul = (ecx & kLeaf1EcxClmul) != 0;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) found.Sha = (ebx & kLeaf7EbxSha) != 0;
  return found;
}

const TCpuFeatures& CpuFeatures() {
  return FeaturesInForce();
}

void SetCpuFeaturesForTesting(const TCpuFeatures& Wanted) {
  const TCpuFeatures detected = DetectCpuFeatures();
  FeaturesInForce() = {Wanted.Aes && detected.Aes, Wanted.Sha && detected.Sha,
                       Wanted.Clmul && detected.Clmul};
}

}  // namespace talu::crypto
