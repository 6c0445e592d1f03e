// The directory of one open archive: finds the end record, loads the central directory (or
// rebuilds it from the local headers), decodes names and extra fields, and works out the size
// of any data in front of the archive (a self-extracting stub). It is told what to do by value
// and reports what it found; the archiver stores what it needs of that.
// Usage: TZipDirManager dm(stream, options, nullptr, &archiver); dm.LoadDir(); dm.CDir[i].Name
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ZipDirArray.h"
#include "ZipItemNames.h"
#include "ZipRecords.h"
#include "ZipTypes.h"

namespace talu::zip {

class TComponent;
class TStream;
class TStreamWindow;

// How the directory is to be loaded.
struct TZipDirOptions {
  // Standard signatures; otherwise the alternative ones are looked for first.
  bool zipFormat = true;
  TZipSpanningMode spanning = smNone;
  // An unreadable central directory is rebuilt from the local headers instead of failing.
  bool openCorrupted = false;
  bool oemNames = false;
  // The archive is one file: end records that name other volumes are stray bytes, passed over.
  bool oneFile = false;
  // The character set of names without the UTF-8 flag; empty for the code page rules.
  std::string nameCharset{};
};

// Makes `volume` the open volume of a spanned archive and returns its stream. Without one the
// loader goes on in the stream it was given (a caller's stream holds every volume).
using TZipVolumeOpener = std::function<TStream&(TZipVolumeNumberInfo& volume)>;

class TZipDirManager {
 public:
  // The errors it raises carry the name of `owner`.
  TZipDirManager(TStream& stream, const TZipDirOptions& options, TZipVolumeOpener openVolume,
                 const TComponent* owner);

  // Finds the end record with `signature` (nearest the end of the stream that passes its
  // checks); `position` := its position or -1. Reads the archive comment.
  bool GetCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position, std::uint32_t signature);
  // Whether an end record exists; it is then in CentralDirEnd.
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
  // Damage found by the last load. No end record passed its checks, or its item count is a
  // Zip64 sentinel without the Zip64 records that hold the real one.
  bool EndRecordMissing = false;
  // The central directory runs past the end of the stream.
  bool CentralDirUnreadable = false;
  // The directory was built from the local headers.
  bool Rebuilt = false;

  // Number of the last volume (0 for an archive in one file), from the end records.
  std::int32_t LastVolumeNumber() const;

 private:
  bool CheckCDirEnd(const unsigned char* record, std::size_t available, std::int64_t pos,
                    std::int64_t streamSize, TZipCentralDirEnd& dirEnd) const;
  bool FindCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position);
  void ReadZip64Records(std::int64_t& dirEndPos);
  // Reads the Zip64 end record at `at`; whether it is one.
  bool ReadZip64End(std::uint64_t at);
  void SelectVolumes(TZipVolumeNumberInfo& volume);
  std::int64_t FirstCentralHeader(std::int64_t dirEndPos, std::uint64_t& count) const;
  // False when an entry runs past the end of the stream.
  bool ReadCentralEntries(std::int64_t position, std::uint64_t count, TZipVolumeNumberInfo& volume);
  bool ReadCentralEntry(TStreamWindow& window, std::int64_t& position);
  void OpenVolume(TZipVolumeNumberInfo& volume);
  // Opens volume `number` (counted from 0) of a spanned archive.
  void OpenVolumeNumber(std::int32_t number);
  void InitCentralDirEnd();
  void CheckIfCentralDirIsValid();
  bool CheckFile(TStreamWindow& window, std::int64_t headerPos) const;
  std::int64_t FindHeader(TStreamWindow& window, std::int64_t start) const;
  void BuildCentralDirByLocalHeaders();
  void AddLocalHeaderItem(TStreamWindow& headers, TStreamWindow& descriptors, std::int64_t pos);
  bool NamesInOemCodePage(std::uint16_t flag) const;
  // The name of an item stored as `raw` with the flags `flag`. A local header's name (`local`,
  // when the directory is rebuilt) is read up to its first zero byte, so that the same bytes
  // give the same name whether the directory was read or rebuilt.
  std::u16string_view DecodedName(std::string_view raw, std::uint16_t flag, bool local);
  bool Spanned() const;
  std::uint32_t EndSignature() const;
  std::uint32_t LocalHeaderSignature() const;

  TStream* stream_;
  TZipDirOptions options_;
  TZipVolumeOpener openVolume_;
  const TComponent* owner_;
  TZipNameDecoder decoder_;
};

}  // namespace talu::zip
