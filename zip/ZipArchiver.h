// The archive component: one ZIP archive held in a file or in a caller's stream. It is
// configured through properties, opened, read by the selection and extraction operations,
// and closed again.
// Usage: TZipArchiver zip; zip.SetFileName(u"a.zip"); zip.OpenArchive(); zip.FileCount();
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZipComponent.h"
#include "ZipDirManager.h"
#include "ZipEvents.h"
#include "ZipStringList.h"
#include "ZipTypes.h"

namespace talu::zip {

class TStream;

class TZipBaseArchiver : public TComponent {
 public:
  explicit TZipBaseArchiver(TComponent* owner = nullptr);
  ~TZipBaseArchiver() override;

  // Published properties.
  bool ExtractCorruptedFiles() const { return FExtractCorruptedFiles; }
  void SetExtractCorruptedFiles(bool value) { FExtractCorruptedFiles = value; }
  TZipCompressionLevel CompressionLevel() const { return FCompressionLevel; }
  void SetCompressionLevel(TZipCompressionLevel value);
  int CompressionMode() const { return FCompressionMode; }
  // Above 9: native error 5.
  void SetCompressionMode(int value);
  // "6.80 " whatever the locale; there is nothing to set.
  std::u16string CurrentVersion() const;
  const std::string& Password() const { return FPassword; }
  virtual void SetPassword(const std::string& value);
  const std::u16string& FileName() const { return FFileName; }
  void SetFileName(std::u16string value) { FFileName = std::move(value); }
  const std::u16string& BaseDir() const { return FBaseDir; }
  void SetBaseDir(std::u16string value) { FBaseDir = std::move(value); }
  const std::u16string& TempDir() const { return FTempDir; }
  void SetTempDir(std::u16string value) { FTempDir = std::move(value); }
  const std::u16string& SFXStub() const { return FSFXStub; }
  void SetSFXStub(std::u16string value) { FSFXStub = std::move(value); }
  TZipSpanningMode SpanningMode() const { return FSpanningMode; }
  // Refused (a general Exception) while an archive is open.
  void SetSpanningMode(TZipSpanningMode value);
  TZipSpanningOptions& SpanningOptions() { return FSpanningOptions; }
  TZipOptions& Options() { return FOptions; }
  const TZipOptions& Options() const { return FOptions; }
  TStringList& FileMasks() { return FFileMasks; }
  TStringList& ExclusionMasks() { return FExclusionMasks; }
  TStringList& NoCompressionMasks() { return FNoCompressionMasks; }
  bool InMemory() const { return FInMemory; }

  // Events.
  TNotifyEvent AfterOpen;
  TZipOnRequestFirstVolumeEvent OnRequestFirstVolume;
  TZipOnRequestLastVolumeEvent OnRequestLastVolume;
  TZipOnRequestMiddleVolumeEvent OnRequestMiddleVolume;

  // Public properties.
  const TZipVolumeNumberInfo& VolumeNumberInfo() const { return FVolumeNumberInfo; }
  // Size of the archive stream; native error 13 when no archive is open.
  std::int64_t Size();
  // Items that are not folders; native error 13 when no archive is open.
  int FileCount();
  bool Exists() const;
  bool InUpdate() const { return FUpdateCount > 0; }
  bool Active() const { return FActive; }
  void SetActive(bool value);
  // The archive comment while open, else empty.
  std::string Comment() const;
  bool OpenCorruptedArchives() const { return FOpenCorruptedArchives; }
  void SetOpenCorruptedArchives(bool value) { FOpenCorruptedArchives = value; }

  // Opens FileName, creating it when it does not exist.
  void OpenArchive();
  // Opens FileName with a file mode: 0xFF00 create, 0x22 read/write deny write, 0x40 read-only.
  void OpenArchive(std::uint16_t mode);
  // Opens (or, with `create`, creates) an archive in a caller's stream, which stays the
  // caller's.
  void OpenArchive(TStream& stream, bool create);
  // Never raises.
  void CloseArchive() noexcept;
  // Whether FileName holds an archive that can be opened.
  bool IsValidArchiveFile();
  // Makes the archive stream the stream of the requested volume.
  void OpenVolume(TZipVolumeNumberInfo& volumeNumberInfo);
  void ReopenFileStream(const std::u16string& newFileName);
  static bool IsSFXArchive(std::u16string_view arcFileName);

  // Guards: native error 13 when no archive is open, 26 while in update, 52 when a spanned
  // directory would be modified outside an update.
  void CheckInactive() const;
  void CheckInUpdate() const;
  void CheckModifySpanning() const;

  // One process-wide, re-entrant lock around batch processing.
  static void Lock();
  static void Unlock();

  // The directory of the open archive, or nullptr.
  TZipDirManager* DMHandle() const { return FDirManager.get(); }
  TStream* CompressedStream() const { return FCompressedStream; }

 protected:
  virtual void SetCompMethod();
  void DoAfterOpen();
  void DoOnRequestVolume(const TZipVolumeNumberInfo& volume, std::u16string& fileName,
                         bool& cancel);

  bool isZIPFormat = false;
  std::uint16_t FCompressionMethod = 0;
  TZip64Mode FZip64Mode = zmAuto;
  bool FUnicodeFilenames = false;
  TZipCryptoAlgorithm FZipCryptoAlgorithm = caPkzipClassic;
  std::string FPassword;

 private:
  friend class TZipDirManager;

  void InternalOpenArchive();
  bool InternalOpenSFXArchive();
  bool InternalOpenNonSFXArchive();
  void InternalCreateArchive();
  void DetectSpanning();
  void WriteEmptyDirectory();
  void FreeStream() noexcept;
  std::u16string MakeDefaultVolumeName(const TZipVolumeNumberInfo& volume) const;
  bool OnRemovableDrive(const std::u16string& path) const;

  std::u16string FCurrentDir;
  std::int32_t FUpdateCount = 0;
  bool FActive = false;
  bool IsCustomStream = false;
  std::u16string FFileName;
  std::u16string VolumeFileName;
  TZipVolumeNumberInfo FVolumeNumberInfo;
  std::uint16_t FileOpenMode = 0;
  std::u16string FTempDir;
  std::u16string FBaseDir;
  std::u16string FSFXStub;
  TZipOptions FOptions;
  TStringList FFileMasks, FExclusionMasks, FNoCompressionMasks;
  bool FInMemory = false;
  TZipSpanningMode FSpanningMode = smNone;
  TZipSpanningOptions FSpanningOptions;
  bool FExtractCorruptedFiles = false;
  bool FOpenCorruptedArchives = true;
  bool FUpdated = false;
  std::unique_ptr<TZipDirManager> FDirManager;
  std::uint8_t FCompressionMode = 1;
  TZipCompressionLevel FCompressionLevel = clFastest;
  std::unique_ptr<TStream> FOwnedStream;
  TStream* FCompressedStream = nullptr;
};

class TZipArchiver : public TZipBaseArchiver {
 public:
  explicit TZipArchiver(TComponent* owner = nullptr);

  TZip64Mode Zip64Mode() const { return FZip64Mode; }
  void SetZip64Mode(TZip64Mode value) { FZip64Mode = value; }
  bool UnicodeFilenames() const { return FUnicodeFilenames; }
  void SetUnicodeFilenames(bool value) { FUnicodeFilenames = value; }
  TZipCryptoAlgorithm EncryptionMethod() const { return FZipCryptoAlgorithm; }
  void SetEncryptionMethod(TZipCryptoAlgorithm value) { FZipCryptoAlgorithm = value; }
  void SetPassword(const std::string& value) override;

 protected:
  // Deflate (8) for every compression mode but 0 (stored).
  void SetCompMethod() override;
};

}  // namespace talu::zip
