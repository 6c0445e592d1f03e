#include "ZipTypes.h"

namespace talu::zip {

void TZipVolumeNumberInfo::Init() {
  FVolumeKind = vnkUnknown;
  FVolumeNumber = -1;
  FLastVolumeNumber = -1;
}

void TZipVolumeNumberInfo::SetFirstVolume(bool value) {
  if (!value) return;
  FVolumeNumber = 0;
  FVolumeKind = vnkFirst;
}

bool TZipVolumeNumberInfo::LastVolume() const {
  return FLastVolumeNumber == -1 ? FVolumeKind == vnkLast : FVolumeNumber == FLastVolumeNumber;
}

void TZipVolumeNumberInfo::SetLastVolume(bool value) {
  if (!value) return;
  FVolumeNumber = FLastVolumeNumber;
  FVolumeKind = vnkLast;
}

void TZipVolumeNumberInfo::SetVolumeNumber(std::int32_t number) {
  FVolumeKind = vnkCustom;
  FVolumeNumber = number;
}

bool TZipVolumeNumberInfo::IsEqualTo(const TZipVolumeNumberInfo& other) const {
  if (LastVolume()) return other.LastVolume();
  if (FirstVolume()) return other.FirstVolume();
  if (FVolumeNumber < 0) return FVolumeKind == other.FVolumeKind;
  return FVolumeNumber == other.FVolumeNumber;
}

}  // namespace talu::zip
