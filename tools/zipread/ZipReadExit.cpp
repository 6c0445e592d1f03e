#include "ZipReadExit.h"

#include <algorithm>
#include <iterator>

#include "ZipConst.h"

namespace talu::zipread {
namespace {

// From the mildest to the gravest.
constexpr TExit kOrder[] = {kExitOk,          kExitWarning,     kExitNoMatch,  kExitPassword,
                            kExitUnsupported, kExitError,       kExitNotFound, kExitSevere,
                            kExitDiskFull,    kExitInterrupted, kExitUsage};

int Rank(TExit code) {
  return static_cast<int>(std::find(std::begin(kOrder), std::end(kOrder), code) -
                          std::begin(kOrder));
}

}  // namespace

TExit Graver(TExit a, TExit b) {
  return Rank(a) >= Rank(b) ? a : b;
}

TExit ExitForNativeError(int nativeError) {
  switch (nativeError) {
    case zip::kNeDiskFull:
    case zip::kNeDiskFull66:
      return kExitDiskFull;
    case zip::kNeInvalidPassword:
      return kExitPassword;
    case zip::kNeDeflate64:
    case zip::kNeCompressionMode:
      return kExitUnsupported;
    case zip::kNeCreateOutputFile:  // an unsafe name refused, or a file that cannot be made
    case zip::kNeUnsafeLink:        // a link leading out of the destination refused
      return kExitWarning;
    case zip::kNeItemNotFound:
    case zip::kNePasswordItemNotFound:
      return kExitNoMatch;
    case zip::kNeArchiveFileNotFound:
      return kExitNotFound;
    case zip::kNeEndRecordMissing:
    case zip::kNeNoLocalHeader:
    case zip::kNeZip64EndMissing:
      return kExitSevere;
    default:
      return kExitError;
  }
}

}  // namespace talu::zipread
