// The archive component: one ZIP archive held in a file or in a caller's stream. It is
// configured through properties, opened, read by the selection and extraction operations,
// and closed again.
// Usage: TZipArchiver zip; zip.SetFileName(u"a.zip"); zip.OpenArchive(); zip.FileCount();
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ZipComponent.h"
#include "ZipConst.h"
#include "ZipEvents.h"
#include "ZipSearch.h"
#include "ZipTypes.h"
#include "decode/ZipKeyCache.h"
#include "directory/ZipDirManager.h"
#include "directory/ZipRecords.h"
#include "text/ZipStringList.h"

namespace talu::zip {

class TStream;
class TAESCryptoTransform;
class TZipDecodeWorkspace;
class TZipDecodeAhead;
class TLandingFolders;
class TZipDecodedItem;
struct TZipKeys;

class TZipBaseArchiver : public TComponent {
 public:
  explicit TZipBaseArchiver(TComponent* owner = nullptr);
  ~TZipBaseArchiver() override;

  // Published properties.
  bool ExtractCorruptedFiles() const { return FExtractCorruptedFiles; }
  void SetExtractCorruptedFiles(bool value) { FExtractCorruptedFiles = value; }
  // Whether the last item read failed its check and was kept (ExtractCorruptedFiles).
  bool LastItemKeptDamaged() const { return FLastItemKeptDamaged; }
  TZipCompressionLevel CompressionLevel() const { return FCompressionLevel; }
  void SetCompressionLevel(TZipCompressionLevel value);
  int CompressionMode() const { return FCompressionMode; }
  // Above 9: kNeCompressionMode.
  void SetCompressionMode(int value);
  // "6.80 " whatever the locale; there is nothing to set.
  std::u16string CurrentVersion() const;
  const std::string& Password() const { return FPassword; }
  virtual void SetPassword(const std::string& value);
  // Passwords from OnPassword that may fail on one item before it fails with kNeInvalidPassword
  // (in a batch: the failure event), so that a handler that never skips cannot loop for ever.
  int PasswordAttempts() const { return FPasswordAttempts; }
  void SetPasswordAttempts(int value) { FPasswordAttempts = value; }
  // Items of the last batch or single-item call skipped for their password, by OnPassword's
  // skipFile or by running out of attempts.
  int PasswordSkips() const { return FPasswordSkips; }
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
  // How those masks match: letters in their case only; "[...]" as a class of characters.
  void SetMaskRules(bool caseSensitive, bool classes) {
    FCaseSensitiveMasks = caseSensitive;
    FMaskClasses = classes;
  }
  TStringList& NoCompressionMasks() { return FNoCompressionMasks; }
  // Archives are files or a caller's stream, never of the archiver's own memory.
  bool InMemory() const { return false; }

  // Events; without a handler each takes the default of its dispatcher.
  TZipFileProgressEvent OnFileProgress;
  TZipProgressEvent OnOverallProgress;
  TZipCopyTempFileProgressEvent OnCopyTempFileProgress;
  TZipConfirmOverwriteEvent OnConfirmOverwrite;
  TZipConfirmProcessFileEvent OnConfirmProcessFile;
  TNotifyEvent AfterOpen;
  TZipOnPasswordEvent OnPassword;
  TZipProcessFileFailureEvent OnProcessFileFailure;
  TZipOnRequestBlankVolumeEvent OnRequestBlankVolume;
  TZipOnRequestFirstVolumeEvent OnRequestFirstVolume;
  TZipOnRequestLastVolumeEvent OnRequestLastVolume;
  TZipOnRequestMiddleVolumeEvent OnRequestMiddleVolume;
  TZipOnDiskFullEvent OnDiskFull;
  TZipOnStoreFileEvent OnStoreFile;
  TZipOnExtractFileEvent OnExtractFile;

  // Public properties.
  const TZipVolumeNumberInfo& VolumeNumberInfo() const { return FVolumeNumberInfo; }
  // Size of the archive stream; kNeArchiveNotOpen when no archive is open.
  std::int64_t Size();
  // Items that are not folders; kNeArchiveNotOpen when no archive is open.
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
  // Never raises. Made from an event of a running call of this archiver, it takes effect when
  // that call ends (and ends a batch after its current item, as cancelled).
  void CloseArchive() noexcept;
  // Whether FileName holds an archive that can be opened.
  bool IsValidArchiveFile();
  // Makes the archive stream the stream of the requested volume.
  void OpenVolume(TZipVolumeNumberInfo& volumeNumberInfo);
  void ReopenFileStream(const std::u16string& newFileName);
  static bool IsSFXArchive(std::u16string_view arcFileName);

  // Selection and batches: items chosen by the FileMasks/ExclusionMasks lists or by a mask,
  // extracted under BaseDir or tested. kNeArchiveNotOpen when no archive is open, kNeUpdateNotEnded
  // in update.
  void ExtractFiles();
  void ExtractFiles(const std::u16string& fileMask, std::int32_t searchAttr = kZipAllAttributes,
                    const std::u16string& exclusionMask = u"");
  void TestFiles();
  void TestFiles(const std::u16string& fileMask, std::int32_t searchAttr = kZipAllAttributes,
                 const std::u16string& exclusionMask = u"");
  void TagFiles();
  void TagFiles(const std::u16string& fileMask, std::int32_t searchAttr,
                const std::u16string& exclusionMask);
  // Runs `operation` on every tagged item (index -1) or on item `index` if it is tagged; past the
  // last item only the batch's start and end are reported. Below -1: kNeItemIndex.
  void ProcessTaggedFiles(TZipProcessOperation operation, int index);
  bool FindFirst(TZipArchiveItem& item);
  bool FindFirst(const std::u16string& fileMask, TZipArchiveItem& item, std::int32_t searchAttr,
                 const std::u16string& exclusionMask);
  bool FindNext(TZipArchiveItem& item);

  // One item found by name (kNeItemNotFound when there is none): into a stream, a window of
  // `count` bytes from uncompressed byte `offset` into a buffer, or the whole item as text.
  void ExtractToStream(const std::u16string& fileName, TStream& stream);
  void ExtractToBuffer(const std::u16string& fileName, void* buffer, std::int32_t count,
                       std::int64_t offset);
  void ExtractToString(const std::u16string& fileName, std::u16string& text);
  // Whether the last batch or single-item extraction was cancelled by a progress or disk-full
  // handler (its items then end without an error and without their output).
  bool Cancelled() const { return FProgressCancel; }
  // Whether `password` opens the named item (true for an item that is not encrypted);
  // kNePasswordItemNotFound when no item has the name.
  bool IsFilePasswordValid(const std::u16string& fileName, const std::string& password);

  // Guards: kNeArchiveNotOpen when no archive is open, kNeUpdateNotEnded while in update,
  // kNeModifySpanned when a spanned directory would be modified outside an update,
  // kNeArchiverBusy while a call runs (an open, a batch, a single-item call, the password test:
  // the same calls made from its events are refused).
  void CheckIdle() const;
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

  // Event dispatchers: fire the event, or apply its default without a handler.
  virtual void DoOnOverallProgress(double progress, TZipProcessOperation operation,
                                   TZipProgressPhase phase, bool& cancel);
  virtual void DoOnFileProgress(const std::u16string& fileName, double progress,
                                TZipProcessOperation operation, TZipProgressPhase phase,
                                bool& cancel);
  virtual void DoOnCopyTempFileProgress(double progress, TZipProgressPhase phase, bool& cancel);
  virtual void DoOnConfirmOverwrite(const std::u16string& sourceFileName,
                                    std::u16string& destFileName, bool& confirm);
  virtual void DoOnConfirmProcessFile(const std::u16string& fileName,
                                      TZipProcessOperation operation, bool& confirm);
  virtual void DoOnPassword(const std::u16string& fileName, std::string& newPassword,
                            bool& skipFile);
  virtual void DoOnProcessFileFailure(const std::u16string& fileName,
                                      TZipProcessOperation operation, std::int32_t nativeError,
                                      std::int32_t errorCode, const std::u16string& errorMessage,
                                      TZipAction& action);
  // The volume requests take the volume's number counted from 0.
  virtual void DoOnRequestBlankVolume(std::int32_t volumeNumber, std::u16string& volumeFileName,
                                      bool& cancel);
  virtual void DoOnRequestFirstVolume(std::u16string& volumeFileName, bool& cancel);
  virtual void DoOnRequestLastVolume(std::u16string& volumeFileName, bool& cancel);
  virtual void DoOnRequestMiddleVolume(std::int32_t volumeNumber, std::u16string& volumeFileName,
                                       bool& cancel);
  virtual void DoOnDiskFull(std::int32_t volumeNumber, const std::u16string& volumeFileName,
                            bool& cancel);
  virtual void DoOnProcessVolumeFailure(TZipProcessOperation operation, std::int32_t volumeNumber,
                                        const std::u16string& volumeFileName, bool& cancel);
  virtual void DoOnStoreFile(std::u16string& fileName, std::int32_t& fileAttr, std::string& comment,
                             const std::u16string& originalFileName);
  virtual void DoOnExtractFile(std::u16string& fileName, std::uint32_t& fileAttr,
                               const std::string& comment);

  // Per-item steps of a batch, and the extraction of one item into a stream (kNeItemIndex
  // for a bad index, kNeItemFailed when the item fails its checks).
  void ExtractTaggedFile(int index, const std::u16string& fileName, const std::u16string& path);
  void TestTaggedFile(int index, const std::u16string& fileName);
  void ExtractItem(int index, TStream& dest, std::int32_t count, std::int64_t offset);
  bool GetFileCendralDirItemNo(const std::u16string& fileName, int& itemNo);
  void CancelUpdate() { FUpdateCount = 0; }
  // Fires the request of the volume's kind.
  void DoOnRequestVolume(const TZipVolumeNumberInfo& volume, std::u16string& fileName,
                         bool& cancel);

  const TZipKeyCache& KeyCache() const { return FKeyCache; }

  bool FIsZIPFormat = false;
  std::uint16_t FCompressionMethod = 0;
  TZip64Mode FZip64Mode = zmAuto;
  bool FUnicodeFilenames = false;
  TZipCryptoAlgorithm FZipCryptoAlgorithm = caPkzipClassic;
  std::string FPassword;

 private:
  class TExtractSink;

  bool InternalFind(TZipArchiveItem& item);
  bool IsItemMatches(int index, const TInternalSearchRec& rec) const;
  static void FillArchiveItem(const TDirItem& dirItem, TZipArchiveItem& item);
  TZipAction ProcessOneItem(int index, TZipProcessOperation operation);
  // Where an item lands: its path and the held folder it lands in (ZipArchiverDisk.cpp).
  struct TLandingSpot;
  bool MayReplace(const TDirItem& item, std::u16string& name, TLandingSpot& spot);
  bool MakeWay(const TDirItem& item, std::u16string& name, TLandingSpot& spot);
  void CheckLanding(bool ownName, std::u16string& path, const std::u16string& name) const;
  TLandingSpot LandingSpot(const std::u16string& path, const std::u16string& name) const;
  void LandSymbolicLink(int index, const TLandingSpot& spot, std::u16string_view relative);
  TZipVolumeNumberInfo SeekToLocalHeader(const TDirItem& item);
  bool InternalDecompressFile(TStream& source, TStream& dest, TDirItem& item, std::int32_t count,
                              std::int64_t offset);
  bool ReplayDecoded(const TZipDecodedItem& decoded, TStream& dest, const TDirItem& item);
  // Starts an item's progress at 0 of `progressMax` bytes (2 for none), not skipped.
  void StartItemProgress(std::int64_t progressMax);
  // The decoding ahead of a batch of several items (see ZipDecodeAhead.h), or null.
  std::unique_ptr<TZipDecodeAhead> StartDecodeAhead(TZipProcessOperation operation, int index);
  // A transform set up to decrypt the AES item `item` with `password`; null for any other item.
  std::unique_ptr<TAESCryptoTransform> AesTransformFor(const TDirItem& item,
                                                       const std::string& password);
  bool PasswordStage(TStream& source, const TDirItem& item, const TZipLocalHeader& local,
                     TAESCryptoTransform* aes, TZipKeys& keys);
  int FindSingleItem(const std::u16string& fileName);
  void StartSingleItem(bool progress);

  // Without a request handler: a box asking for a disk with `text`, when the archive is on disks
  // (smSpanning); whether it asked.
  bool AskForDisk(const std::u16string& text, bool& cancel) const;
  // Marks a call running for its scope (see CheckIdle); a CloseArchive made meanwhile is done
  // when it ends.
  class TCallGuard {
   public:
    explicit TCallGuard(TZipBaseArchiver& arc) : arc_(arc) {
      arc.CheckIdle();
      arc.FInCall = true;
    }
    ~TCallGuard() {
      arc_.FInCall = false;
      if (std::exchange(arc_.FCloseDeferred, false)) arc_.CloseNow();
    }
    TCallGuard(const TCallGuard&) = delete;
    TCallGuard& operator=(const TCallGuard&) = delete;

   private:
    TZipBaseArchiver& arc_;
  };
  void CloseNow() noexcept;
  void OpenFileArchive(std::uint16_t mode, bool openCorrupted);
  TZipDirOptions DirOptions(TZipSpanningMode spanning, bool openCorrupted) const;
  void InternalOpenArchive(bool openCorrupted);
  // Opens the last volume and reads its end record, if it has one.
  std::optional<TZipCentralDirEnd> LastEndRecord();
  // The last volume's end record after DetectSpanning: a stray one gives way to the search of
  // an archive in one file.
  std::optional<TZipCentralDirEnd> DetectArchive();
  bool InternalOpenSFXArchive();
  bool InternalOpenNonSFXArchive();
  void InternalCreateArchive();
  // Sets the spanning mode from the last volume's end record (none: not an archive here).
  void DetectSpanning(const std::optional<TZipCentralDirEnd>& end);
  // Whether volume `number` lies beside the archive in either naming; the naming found stays.
  bool VolumeBeside(std::int32_t number);
  void WriteEmptyDirectory();
  void FreeStream() noexcept;
  std::u16string MakeDefaultVolumeName(const TZipVolumeNumberInfo& volume) const;
  bool OnRemovableDrive(const std::u16string& path) const;

  std::u16string FCurrentDir;
  std::int32_t FUpdateCount = 0;
  bool FActive = false;
  bool FIsCustomStream = false;
  std::u16string FFileName;
  std::u16string FVolumeFileName;
  TZipVolumeNumberInfo FVolumeNumberInfo;
  std::uint16_t FFileOpenMode = 0;
  std::u16string FTempDir;
  std::u16string FBaseDir;
  std::u16string FSFXStub;
  TZipOptions FOptions;
  TStringList FFileMasks, FExclusionMasks, FNoCompressionMasks;
  TZipSpanningMode FSpanningMode = smNone;
  // The open file is an archive in one file whatever its end records say (DetectSpanning).
  bool FOneFile = false;
  TZipSpanningOptions FSpanningOptions;
  bool FExtractCorruptedFiles = false;
  bool FLastItemKeptDamaged = false;
  bool FCaseSensitiveMasks = false, FMaskClasses = false;
  bool FOpenCorruptedArchives = true;
  std::unique_ptr<TZipDirManager> FDirManager;
  std::uint8_t FCompressionMode = 1;
  TZipCompressionLevel FCompressionLevel = clFastest;
  std::unique_ptr<TStream> FOwnedStream;
  TStream* FCompressedStream = nullptr;
  TZipProcessVolumeFailureEvent FOnProcessVolumeFailure;
  std::unique_ptr<TZipDecodeWorkspace> FDecodeWorkspace;  // made by the first extraction
  TZipDecodeAhead* FDecodeAhead = nullptr;                // the running batch's, if any
  TLandingFolders* FLandingFolders = nullptr;             // the running batch's folders
  TZipKeyCache FKeyCache;  // AES keys of the open archive, wiped when it is closed

  // Batch and item progress.
  std::int32_t FProcessedFileNo = 0;
  std::int32_t FProcessedFileCount = 0;
  std::int64_t FProcessedFilesTotalSize = 0;
  std::int64_t FProcessedFilesSize = 0;
  std::int64_t FProgress = 0;
  std::int64_t FProgressMax = 0;
  bool FProgressCancel = false;
  bool FProgressEnabled = false;
  bool FSkipFile = false;
  bool FSuppressPasswordEvent = false;
  int FPasswordAttempts = 3;
  int FPasswordSkips = 0;
  bool FInCall = false;         // see TCallGuard
  bool FCloseDeferred = false;  // CloseArchive was called during the running call
};

// The base folder of a batch: BaseDir, or else the current folder, ending in "\".
std::u16string GetSlashedDir(const std::u16string& baseDir, const std::u16string& currentDir);
// Whether a path lies on a floppy drive (A: or B:) or a drive the system reports removable.
bool IsFloppyDrive(std::u16string_view fileName);
bool IsRemovableDrive(std::u16string_view fileName);
// Reads the local header at the stream's position and leaves the stream at the item's data.
TZipLocalHeader ReadLocalHeaderAt(TStream& source);
// The bytes of stored data to read for an item stating `stated` bytes whose data start at
// `dataStart`: no further than `dataEnd`. Compares without adding, so that no sum overflows.
std::int64_t StoredDataSize(std::uint64_t stated, std::int64_t dataStart, std::int64_t dataEnd);

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
