// The directory of one open archive: finds the end record, loads the central directory (or
// rebuilds it from the local headers), decodes names and extra fields, and works out the size
// of any data in front of the archive (a self-extracting stub).
// Usage: TZipDirManager dm(&stream, false, &archiver); dm.LoadDir(); dm.CDir[i].Name
#pragma once

#include <cstdint>
#include <string>

#include "ZipDirArray.h"
#include "ZipItemNames.h"
#include "ZipRecords.h"
#include "ZipTypes.h"

namespace talu::zip {

class TStream;
class TStreamWindow;
class TZipBaseArchiver;

class TZipDirManager {
 public:
  TZipDirManager(TStream* stream, bool bCreate, TZipBaseArchiver* arc);

  void InitCentralDirEnd();
  // Finds the end record with `signature` (nearest the end of the stream that passes its
  // checks); `position` := its position or -1. Reads the archive comment.
  bool GetCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position, std::uint32_t signature);
  // Whether an end record exists (always true when the archiver opens corrupted archives).
  bool HasCentralDirEnd();
  void LoadDir();

  // Item 0 is encrypted.
  bool IsEncrypted() const;
  // Item 0 does not start at offset 0.
  bool IsSFXArchive() const;

  // The first local header signature at or after `startPosition` with a whole header behind
  // it, or -1. The stream position is kept.
  std::int64_t FindLocalFileHeader(std::int64_t startPosition);
  void CalculateStubSize(std::int64_t dirEndPos);
  bool IsStubOffsetApplied() const;
  void ApplyStubOffset();
  void OpenVolume(TZipVolumeNumberInfo& volumeNumberInfo);

  // Empties the directory and builds it from the local headers.
  void TryToBuildCentralDir();

  TZipDirArray CDir;
  std::string ArchiveComment;
  TZip64CentralDirEndLocator Zip64CentralDirEndLocator{};
  TZip64CentralDirEnd Zip64CentralDirEnd{};
  TZipCentralDirEnd CentralDirEnd{};
  std::int64_t StubSize = 0;
  bool FZip64 = false;
  std::int64_t CentralDirOffset = 0;
  // The directory was built from the local headers.
  bool Rebuilt = false;

  // Number of the last volume (0 for an archive in one file), from the end records.
  std::int32_t LastVolumeNumber() const;

 private:
  bool CheckCDirEnd(const unsigned char* record, std::size_t available, std::int64_t pos,
                    std::int64_t streamSize, TZipCentralDirEnd& dirEnd) const;
  bool FindCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position);
  void ReadZip64Records(std::int64_t& dirEndPos);
  void SelectVolumes(TZipVolumeNumberInfo& volume);
  std::int64_t FirstCentralHeader(std::int64_t dirEndPos, std::uint64_t& count) const;
  void ReadCentralEntries(std::int64_t position, std::uint64_t count, TZipVolumeNumberInfo& volume);
  void ReadCentralEntry(TStreamWindow& window, std::int64_t& position);
  void CheckIfCentralDirIsValid();
  bool CheckFile(TStreamWindow& window, std::int64_t headerPos) const;
  std::int64_t FindHeader(TStreamWindow& window, std::int64_t start) const;
  void BuildCentralDirByLocalHeaders();
  void AddLocalHeaderItem(TStreamWindow& headers, TStreamWindow& descriptors, std::int64_t pos);
  bool NamesInOemCodePage(std::uint16_t flag) const;
  bool Spanned() const;
  std::uint32_t EndSignature() const;
  std::uint32_t LocalHeaderSignature() const;

  TStream* FCompressedStream;
  bool FCreate;
  bool FIsCustomStream;
  TZipBaseArchiver* FArc;
  TZipNameDecoder decoder_;
};

}  // namespace talu::zip
