#include "ZipHash.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "ZipSha1.h"

namespace talu::crypto {

namespace {

using THashRegistry = std::array<PHashDesc, kHashAlgorithmCount>;

bool IsValidDesc(THashAlgorithm AlgId, const THashDesc& Desc) {
  return Desc.HSig == kHashDescSig && Desc.HDSize == sizeof(THashDesc) &&
         Desc.HDVersion == kHashDescVersion && Desc.HAlgNum == AlgId && AlgId < kHashAlgorithmCount;
}

THashRegistry& Registry() {
  static THashRegistry registry = [] {
    THashRegistry built_in{};
    built_in[haSHA1] = &SHA1Descriptor();
    return built_in;
  }();
  return registry;
}

std::string UpperName(std::string_view Name) {
  std::string upper(Name.substr(0, kMaxHashNameLen));
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

}  // namespace

bool RegisterHash(THashAlgorithm AlgId, const THashDesc& Desc) {
  if (!IsValidDesc(AlgId, Desc)) return false;
  Registry()[AlgId] = &Desc;
  return true;
}

PHashDesc FindHash_by_ID(THashAlgorithm algorithm) {
  if (algorithm >= kHashAlgorithmCount) return nullptr;
  PHashDesc desc = Registry()[algorithm];
  return desc && IsValidDesc(algorithm, *desc) ? desc : nullptr;
}

PHashDesc FindHash_by_Name(std::string_view AlgoName) {
  const std::string wanted = UpperName(AlgoName);
  for (std::size_t id = 0; id < kHashAlgorithmCount; ++id) {
    PHashDesc desc = FindHash_by_ID(static_cast<THashAlgorithm>(id));
    if (desc && UpperName(desc->HName) == wanted) return desc;
  }
  return nullptr;
}

}  // namespace talu::crypto
