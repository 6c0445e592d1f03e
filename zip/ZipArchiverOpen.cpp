// Opening and closing archives: file modes, self-extracting archives, volume detection, and the
// validity test of an archive file.
#include <cstdio>
#include <optional>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipFileStream.h"

namespace talu::zip {
void TZipBaseArchiver::OpenArchive() {
  if (ExtractFileName(FFileName).empty()) throw EZipException(kNeOpenNameBlank, this);
  std::uint16_t mode = platform::kModeCreate;
  if (platform::FileExists(FFileName)) {
    const platform::FileHandle probe =
        platform::OpenFile(FFileName, platform::kModeReadWriteDenyWrite);
    mode = probe != platform::kInvalidFile ? platform::kModeReadWriteDenyWrite
                                           : platform::kModeReadDenyNone;
    platform::CloseFile(probe);
  }
  OpenArchive(mode);
}

void TZipBaseArchiver::OpenArchive(std::uint16_t mode) {
  OpenFileArchive(mode, FOpenCorruptedArchives);
}

void TZipBaseArchiver::OpenFileArchive(std::uint16_t mode, bool openCorrupted) {
  if (ExtractFileName(FFileName).empty()) throw EZipException(kNeOpenModeNameBlank, this);
  if (mode != platform::kModeCreate && !platform::FileExists(FFileName) &&
      FSpanningMode != smSpanning && !OnRemovableDrive(FFileName)) {
    throw EZipException(kNeArchiveFileNotFound, {FFileName}, this);
  }
  const TCallGuard call(*this);
  CloseNow();
  FIsCustomStream = false;
  FFileOpenMode = mode;
  InternalOpenArchive(openCorrupted);
}

void TZipBaseArchiver::OpenArchive(TStream& stream, bool create) {
  if (FSpanningMode != smNone) throw EZipException(kNeCustomStreamSpanning, this);
  const TCallGuard call(*this);
  CloseNow();
  FIsCustomStream = true;
  if (create) stream.SetSize(0);
  FDirManager = std::make_unique<TZipDirManager>(
      stream, DirOptions(FSpanningMode, FOpenCorruptedArchives), nullptr, this);
  FCompressedStream = &stream;
  if (create) {
    FVolumeNumberInfo.SetFirstVolume(true);
    WriteEmptyDirectory();
  } else {
    FDirManager->LoadDir();
  }
  FActive = true;
  DoAfterOpen();
}

TZipDirOptions TZipBaseArchiver::DirOptions(TZipSpanningMode spanning, bool openCorrupted) const {
  return {FIsZIPFormat,          spanning, openCorrupted,
          FOptions.OEMFileNames, FOneFile, FOptions.NameCharset};
}

void TZipBaseArchiver::InternalOpenArchive(bool openCorrupted) {
  if (FFileOpenMode == platform::kModeCreate) {
    InternalCreateArchive();
  } else {
    FSpanningMode = smNone;
    FVolumeNumberInfo.Init();
    const bool found =
        IsSFXArchive(FFileName) ? InternalOpenSFXArchive() : InternalOpenNonSFXArchive();
    if (!found && !openCorrupted) {
      FreeStream();
      throw EZipException(kNeEndRecordMissing, this);
    }
    const TZipVolumeOpener openVolume = [this](TZipVolumeNumberInfo& volume) -> TStream& {
      OpenVolume(volume);
      return *FCompressedStream;
    };
    FDirManager = std::make_unique<TZipDirManager>(
        *FCompressedStream, DirOptions(FSpanningMode, openCorrupted), openVolume, this);
    FDirManager->LoadDir();
  }
  FActive = true;
  DoAfterOpen();
}

void TZipBaseArchiver::InternalCreateArchive() {
  FOwnedStream = std::make_unique<TFileStream>(FFileName, platform::kModeCreate);
  FVolumeFileName = FFileName;
  FCompressedStream = FOwnedStream.get();
  FVolumeNumberInfo.SetFirstVolume(true);
  FDirManager = std::make_unique<TZipDirManager>(*FCompressedStream, DirOptions(smNone, false),
                                                 nullptr, this);
}

std::optional<TZipCentralDirEnd> TZipBaseArchiver::LastEndRecord() {
  FVolumeNumberInfo.Init();
  TZipVolumeNumberInfo last;
  last.SetLastVolume(true);
  OpenVolume(last);
  TZipDirManager probe(*FCompressedStream, DirOptions(FSpanningMode, false), nullptr, this);
  if (!probe.HasCentralDirEnd()) return std::nullopt;
  return probe.CentralDirEnd;
}

bool TZipBaseArchiver::InternalOpenNonSFXArchive() {
  std::u16string triedVolume;
  for (;;) {
    if (!platform::FileExists(FFileName) && OnRemovableDrive(FFileName)) FSpanningMode = smSpanning;
    const std::optional<TZipCentralDirEnd> end = DetectArchive();
    // Offering the same volume again cannot give another answer: stop instead of looping.
    if (end || FSpanningMode == smNone || FVolumeFileName == triedVolume) return end.has_value();
    triedVolume = FVolumeFileName;
  }
}

bool TZipBaseArchiver::InternalOpenSFXArchive() {
  if (DetectArchive()) return true;
  // The data may be in split volumes beside the program: look at the last one.
  TZipVolumeNumberInfo last;
  last.SetLastVolume(true);
  const std::u16string lastVolume = MakeDefaultVolumeName(last);
  if (platform::FileExists(lastVolume)) ReopenFileStream(lastVolume);
  return InternalOpenNonSFXArchive();
}

std::optional<TZipCentralDirEnd> TZipBaseArchiver::DetectArchive() {
  const std::optional<TZipCentralDirEnd> end = LastEndRecord();
  DetectSpanning(end);
  return FOneFile ? LastEndRecord() : end;
}

// An end record that names other volumes makes the archive multi-volume when the volume before
// the last lies beside it (split files), or when it is on a removable drive or another volume it
// names lies beside it (disks, each asked for). Otherwise the record is stray bytes in a file of
// its own, such as a program or a damaged archive: that file is read as an archive in one file.
void TZipBaseArchiver::DetectSpanning(const std::optional<TZipCentralDirEnd>& end) {
  if (!end) {
    FSpanningMode = OnRemovableDrive(FFileName) ? smSpanning : smNone;
    return;
  }
  if (end->diskNumber == 0) {
    FSpanningMode = smNone;
    return;
  }
  FSpanningMode = smSplitting;
  if (VolumeBeside(end->diskNumber - 1)) return;
  const bool program = ZipLowerCase(FFileName).find(u".exe") != std::u16string::npos;
  const bool disks = OnRemovableDrive(FFileName) ||
                     (!program && (VolumeBeside(0) || VolumeBeside(end->startDiskNumber)));
  FSpanningMode = disks ? smSpanning : smNone;
  FOneFile = !disks;
}

bool TZipBaseArchiver::VolumeBeside(std::int32_t number) {
  TZipVolumeNumberInfo volume;
  volume.SetVolumeNumber(number);
  for (int naming = 0; naming < 2; ++naming) {
    if (platform::FileExists(MakeDefaultVolumeName(volume))) return true;
    FSpanningOptions.AdvancedNaming = !FSpanningOptions.AdvancedNaming;
  }
  return false;
}

std::u16string TZipBaseArchiver::MakeDefaultVolumeName(const TZipVolumeNumberInfo& volume) const {
  // Split volumes: the last one keeps the archive's own name with the extension ".zip" (the
  // archive's name itself, unless it is a program); the others are numbered from 1, as
  // "name.z01" or, with advanced naming, "name.001".
  const std::u16string_view ext = ExtractFileExt(FFileName);
  const std::u16string base = FFileName.substr(0, FFileName.size() - ext.size());
  if (volume.LastVolume()) return IsSFXArchive(FFileName) ? base + u".zip" : FFileName;
  char number[16];
  std::snprintf(number, sizeof number, FSpanningOptions.AdvancedNaming ? ".%03d" : ".z%02d",
                volume.FVolumeNumber + 1);
  return base + std::u16string(number, number + std::char_traits<char>::length(number));
}

bool TZipBaseArchiver::OnRemovableDrive(const std::u16string& path) const {
  const std::u16string drive = ZipLowerCase(ExtractFileDrive(path));
  return drive == u"a:" || drive == u"b:" || platform::IsRemovableDrive(path);
}

void TZipBaseArchiver::OpenVolume(TZipVolumeNumberInfo& volumeNumberInfo) {
  if (FSpanningMode == smNone) {
    if (FCompressedStream == nullptr) ReopenFileStream(FFileName);
  } else {
    while (FCompressedStream == nullptr || !volumeNumberInfo.IsEqualTo(FVolumeNumberInfo)) {
      std::u16string name = MakeDefaultVolumeName(volumeNumberInfo);
      bool cancel = false;
      DoOnRequestVolume(volumeNumberInfo, name, cancel);
      if (cancel) throw EZipException(kNeVolumeRequestCancelled, this);
      if (platform::FileExists(name)) {
        ReopenFileStream(name);
        break;
      }
    }
  }
  FVolumeNumberInfo.FVolumeNumber = volumeNumberInfo.FVolumeNumber;
  FVolumeNumberInfo.FVolumeKind = volumeNumberInfo.FVolumeKind;
  if (volumeNumberInfo.FLastVolumeNumber >= 0)
    FVolumeNumberInfo.FLastVolumeNumber = volumeNumberInfo.FLastVolumeNumber;
}

void TZipBaseArchiver::ReopenFileStream(const std::u16string& newFileName) {
  FreeStream();
  FOwnedStream = std::make_unique<TFileStream>(newFileName, FFileOpenMode);
  FCompressedStream = FOwnedStream.get();
  FVolumeFileName = newFileName;
}

void TZipBaseArchiver::WriteEmptyDirectory() {
  unsigned char record[kEndOfDirSize] = {0x50, 0x4B, 0x05, 0x06};
  const auto offset = static_cast<std::uint32_t>(FDirManager->StubSize);
  for (int i = 0; i < 4; ++i) record[16 + i] = static_cast<unsigned char>(offset >> (8 * i));
  FCompressedStream->SetPosition(FDirManager->StubSize);
  FCompressedStream->WriteBuffer(record, kEndOfDirSize);
  FCompressedStream->SetSize(FDirManager->StubSize + kEndOfDirSize);
}

void TZipBaseArchiver::FreeStream() noexcept {
  FOwnedStream.reset();  // a caller's stream is never held here
  FCompressedStream = nullptr;
}

void TZipBaseArchiver::CloseArchive() noexcept {
  if (FInCall) {
    FCloseDeferred = true;
    return;
  }
  CloseNow();
}

void TZipBaseArchiver::CloseNow() noexcept {
  if (FActive) {
    try {
      if (FDirManager && FCompressedStream->Size() == FDirManager->StubSize) WriteEmptyDirectory();
    } catch (...) {
      // Closing never fails; a directory that cannot be written is left as it is.
    }
    FActive = false;
  }
  FreeStream();
  FDirManager.reset();
  FKeyCache.Wipe();
  FOneFile = false;
}

bool TZipBaseArchiver::IsValidArchiveFile() {
  if (FActive) return true;
  CheckIdle();
  if (!platform::FileExists(FFileName)) return false;
  try {
    TFileStream stream(FFileName, platform::kModeReadDenyNone);
    TZipDirManager probe(stream, DirOptions(smNone, false), nullptr, this);
    if (probe.HasCentralDirEnd()) return true;
    // Without an end record the file is a candidate when its local headers give items.
    probe.LoadDir();
    if (probe.CDir.Count() == 0) return false;
  } catch (const Exception&) {
    return false;
  }
  // A candidate found only by rebuilding must also pass the test of all its items: the first
  // item that fails ends the test with the answer false, without asking anybody.
  bool valid = true;
  const TZipSpanningMode savedSpanning = FSpanningMode;
  const TZipProcessFileFailureEvent savedHandler = OnProcessFileFailure;
  OnProcessFileFailure = [&valid](TZipBaseArchiver&, const std::u16string&, TZipProcessOperation,
                                  std::int32_t, std::int32_t, const std::u16string&,
                                  TZipAction& action) {
    valid = false;
    action = fxaAbort;
  };
  try {
    OpenFileArchive(platform::kModeReadDenyNone, true);
    TestFiles(u"*.*", kZipAllAttributes, u"");
  } catch (const Exception&) {
    valid = false;
  }
  OnProcessFileFailure = savedHandler;
  CloseArchive();
  FSpanningMode = savedSpanning;  // the opening set the mode of the file it found
  return valid;
}

}  // namespace talu::zip
