// Enumerations of the archive engine and its small value classes: the option objects and the
// volume-number holder.
#pragma once

#include <cstdint>
#include <string>

#include "ZipConst.h"

namespace talu::zip {

enum TZipCompressionLevel { clNone, clFastest, clNormal, clMax };
enum TZipCompressionAlgorithm { caZLIB, caBZIP, caPPM };
enum TZipCryptoAlgorithm { caPkzipClassic, caAES_128, caAES_192, caAES_256 };
enum TZipProcessOperation {
  poAdd,
  poMove,
  poDelete,
  poUpdate,
  poExtract,
  poTest,
  poRename,
  poChangeAttr,
  poChangeComment,
  poMakeSFX,
  poMerge
};
enum TZipProgressPhase { ppStart, ppProcess, ppEnd };
enum TZipAction { fxaRetry, fxaIgnore, fxaAbort };
enum TZipOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum TZipFileShareMode {
  smShareCompat,
  smShareExclusive,
  smShareDenyWrite,
  smShareDenyRead,
  smShareDenyNone
};
enum TZipStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum TZip64Mode { zmDisabled, zmAuto, zmAlways };
enum TZipSpanningMode { smNone, smSpanning, smSplitting };
enum TZipVolumeSize {
  vsAutoDetect,
  vsCustom,
  vs1_44MB,
  vs100MB,
  vs200MB,
  vs250MB,
  vs600MB,
  vs650MB,
  vs700MB,
  vs4700MB
};
enum TZipVolumeNumberKind { vnkFirst, vnkLast, vnkCustom, vnkUnknown };

struct TZipOptions {
  bool Recurse = true;
  TZipStorePathMode StorePath = spRelativePath;
  TZipFileShareMode ShareMode = smShareDenyNone;
  TZipOverwriteMode OverwriteMode = omAlways;
  bool CreateDirs = true;
  bool ReplaceReadOnly = true;
  bool SetAttributes = true;
  std::int32_t SearchAttr = kZipAllAttributes;
  bool FlushBuffers = true;
  bool OEMFileNames = true;
  // The character set of names stored without the UTF-8 flag (platform::DecodeCharset); empty
  // for the OEM and ANSI code pages. A name whose bytes the set cannot hold keeps those rules.
  std::string NameCharset;

  void Assign(const TZipOptions& source) { *this = source; }
};

struct TZipSpanningOptions {
  bool AdvancedNaming = false;
  std::int64_t FirstVolumeSize = 0;
  TZipVolumeSize VolumeSize = vsAutoDetect;
  std::int64_t CustomVolumeSize = 0;
  bool FSaveDirToFirstVolume = false;

  void Assign(const TZipSpanningOptions& source) { *this = source; }
};

// Which volume of a multi-volume archive is meant: the first, the last, or one by number.
class TZipVolumeNumberInfo {
 public:
  TZipVolumeNumberInfo() { Init(); }
  void Init();

  bool FirstVolume() const { return FVolumeNumber == 0; }
  void SetFirstVolume(bool value);
  bool LastVolume() const;
  void SetLastVolume(bool value);
  void SetVolumeNumber(std::int32_t number);
  bool IsEqualTo(const TZipVolumeNumberInfo& other) const;

  TZipVolumeNumberKind FVolumeKind;
  std::int32_t FVolumeNumber;
  std::int32_t FLastVolumeNumber;
};

}  // namespace talu::zip
