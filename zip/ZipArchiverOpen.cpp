// Opening and closing archives: file modes, self-extracting archives, volume detection, and the
// validity test of an archive file.
#include <cstdio>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipScopedValue.h"
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
  if (ExtractFileName(FFileName).empty()) throw EZipException(kNeOpenModeNameBlank, this);
  if (mode != platform::kModeCreate && !platform::FileExists(FFileName) &&
      FSpanningMode != smSpanning && !OnRemovableDrive(FFileName)) {
    throw EZipException(kNeArchiveFileNotFound, {FFileName}, this);
  }
  CloseArchive();
  IsCustomStream = false;
  FileOpenMode = mode;
  InternalOpenArchive();
}

void TZipBaseArchiver::OpenArchive(TStream& stream, bool create) {
  if (FSpanningMode != smNone) throw EZipException(kNeCustomStreamSpanning, this);
  CloseArchive();
  IsCustomStream = true;
  if (create) stream.SetSize(0);
  FDirManager = std::make_unique<TZipDirManager>(&stream, create, this);
  FCompressedStream = &stream;
  if (create) {
    WriteEmptyDirectory();
  } else {
    FDirManager->LoadDir();
  }
  FActive = true;
  DoAfterOpen();
}

void TZipBaseArchiver::InternalOpenArchive() {
  if (FileOpenMode == platform::kModeCreate) {
    InternalCreateArchive();
  } else {
    FSpanningMode = smNone;
    FVolumeNumberInfo.Init();
    const bool found =
        IsSFXArchive(FFileName) ? InternalOpenSFXArchive() : InternalOpenNonSFXArchive();
    if (!found && !FOpenCorruptedArchives) {
      FreeStream();
      throw EZipException(kNeEndRecordMissing, this);
    }
    FDirManager->LoadDir();
  }
  FActive = true;
  DoAfterOpen();
}

void TZipBaseArchiver::InternalCreateArchive() {
  FOwnedStream = std::make_unique<TFileStream>(FFileName, platform::kModeCreate);
  VolumeFileName = FFileName;
  FCompressedStream = FOwnedStream.get();
  FDirManager = std::make_unique<TZipDirManager>(FCompressedStream, true, this);
}

bool TZipBaseArchiver::InternalOpenNonSFXArchive() {
  const TScopedValue<bool> corrupted(FOpenCorruptedArchives, false);
  bool found = false;
  std::u16string triedVolume;
  for (;;) {
    FDirManager.reset();
    FVolumeNumberInfo.Init();
    TZipVolumeNumberInfo last;
    last.SetLastVolume(true);
    if (!platform::FileExists(FFileName) && OnRemovableDrive(FFileName)) FSpanningMode = smSpanning;
    OpenVolume(last);
    FDirManager = std::make_unique<TZipDirManager>(FCompressedStream, false, this);
    found = FDirManager->HasCentralDirEnd();
    DetectSpanning();
    // Offering the same volume again cannot give another answer: stop instead of looping.
    if (found || FSpanningMode == smNone || VolumeFileName == triedVolume) return found;
    triedVolume = VolumeFileName;
  }
}

bool TZipBaseArchiver::InternalOpenSFXArchive() {
  {
    const TScopedValue<bool> corrupted(FOpenCorruptedArchives, false);
    FDirManager.reset();
    FVolumeNumberInfo.Init();
    TZipVolumeNumberInfo last;
    last.SetLastVolume(true);
    OpenVolume(last);
    FDirManager = std::make_unique<TZipDirManager>(FCompressedStream, false, this);
    if (FDirManager->HasCentralDirEnd()) {
      DetectSpanning();
      return true;
    }
  }
  // The data may be in split volumes beside the program: look at the last one.
  FDirManager.reset();
  FSpanningMode = smSplitting;
  TZipVolumeNumberInfo last;
  last.SetLastVolume(true);
  const std::u16string lastVolume = MakeDefaultVolumeName(last);
  if (platform::FileExists(lastVolume)) ReopenFileStream(lastVolume);
  FSpanningMode = smNone;
  return InternalOpenNonSFXArchive();
}

void TZipBaseArchiver::DetectSpanning() {
  const TZipCentralDirEnd& end = FDirManager->CentralDirEnd;
  if (end.signature == 0) {
    FSpanningMode = OnRemovableDrive(FFileName) ? smSpanning : smNone;
    return;
  }
  if (end.diskNumber == 0) {
    FSpanningMode = smNone;
    return;
  }
  FSpanningMode = smSplitting;
  TZipVolumeNumberInfo previous;
  previous.SetVolumeNumber(end.diskNumber - 1);
  if (platform::FileExists(MakeDefaultVolumeName(previous))) return;
  FSpanningOptions.AdvancedNaming = !FSpanningOptions.AdvancedNaming;
  if (platform::FileExists(MakeDefaultVolumeName(previous))) return;
  FSpanningOptions.AdvancedNaming = !FSpanningOptions.AdvancedNaming;
  if (ZipLowerCase(FFileName).find(u".exe") != std::u16string::npos) {
    FSpanningMode = smNone;
  } else {
    FSpanningMode = smSpanning;  // diskNumber is above 0 here
  }
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
  FOwnedStream = std::make_unique<TFileStream>(newFileName, FileOpenMode);
  FCompressedStream = FOwnedStream.get();
  VolumeFileName = newFileName;
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
}

bool TZipBaseArchiver::IsValidArchiveFile() {
  if (FActive) return true;
  if (!platform::FileExists(FFileName)) return false;
  const TZipSpanningMode savedSpanning = FSpanningMode;
  bool candidate = false;
  try {
    TFileStream stream(FFileName, platform::kModeReadDenyNone);
    const TScopedValue<bool> corrupted(FOpenCorruptedArchives, false);
    TZipDirManager probe(&stream, false, this);
    if (probe.HasCentralDirEnd()) return true;
    FSpanningMode = smSplitting;
    try {
      probe.LoadDir();
      candidate = true;
    } catch (const Exception&) {
      FSpanningMode = smNone;
      probe.LoadDir();
      candidate = probe.CDir.Count() > 0;
    }
  } catch (const Exception&) {
    candidate = false;
  }
  FSpanningMode = savedSpanning;
  if (!candidate) return false;
  {
    const TScopedValue<bool> corrupted(FOpenCorruptedArchives, true);
    // A candidate found only by rebuilding must also pass the test of all its items: the first
    // item that fails ends the test with the answer false, without asking anybody.
    const TZipProcessFileFailureEvent savedHandler = OnProcessFileFailure;
    OnProcessFileFailure = [&candidate](TZipBaseArchiver&, const std::u16string&,
                                        TZipProcessOperation, std::int32_t, std::int32_t,
                                        const std::u16string&, TZipAction& action) {
      candidate = false;
      action = fxaAbort;
    };
    try {
      OpenArchive(platform::kModeReadDenyNone);
      TestFiles(u"*.*", kZipAllAttributes, u"");
    } catch (const Exception&) {
      candidate = false;
    }
    OnProcessFileFailure = savedHandler;
    CloseArchive();
  }
  FSpanningMode = savedSpanning;
  return candidate;
}

}  // namespace talu::zip
