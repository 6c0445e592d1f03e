// The archive component's properties, guards and lock.
#include "ZipArchiver.h"

#include <mutex>

#include "ZipConst.h"
#include "ZipExcept.h"
#include "decode/ZipItemDecoder.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipStream.h"

namespace talu::zip {
namespace {

std::recursive_mutex& BatchLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

TZipBaseArchiver::TZipBaseArchiver(TComponent* owner) : TComponent(owner) {
  SetCompressionLevel(clFastest);
}

TZipBaseArchiver::~TZipBaseArchiver() {
  CloseNow();
}

void TZipBaseArchiver::SetCompressionLevel(TZipCompressionLevel value) {
  static constexpr std::uint8_t kModeOfLevel[] = {0, 1, 6, 9};
  FCompressionLevel = value;
  FCompressionMode = kModeOfLevel[value];
  SetCompMethod();
}

void TZipBaseArchiver::SetCompressionMode(int value) {
  if (value < 0 || value > 9) throw EZipException(kNeCompressionMode, this);
  FCompressionMode = static_cast<std::uint8_t>(value);
  FCompressionLevel = value == 0 ? clNone : value <= 3 ? clFastest : value <= 6 ? clNormal : clMax;
  SetCompMethod();
}

void TZipBaseArchiver::SetCompMethod() {
  FCompressionMethod = 0xFFFF;
}

std::u16string TZipBaseArchiver::CurrentVersion() const {
  return u"6.80 ";
}

void TZipBaseArchiver::SetPassword(const std::string& value) {
  FPassword = value;
}

void TZipBaseArchiver::SetSpanningMode(TZipSpanningMode value) {
  if (FActive) throw Exception(u"Cannot set spanning mode on open archive");
  FSpanningMode = value;
}

std::int64_t TZipBaseArchiver::Size() {
  CheckInactive();
  return FCompressedStream->Size();
}

int TZipBaseArchiver::FileCount() {
  CheckInactive();
  // Folder items are those with the folder bit whose other attributes a search for folders
  // accepts (not hidden, system or volume label).
  const TZipDirArray& dir = FDirManager->CDir;
  int folders = 0;
  for (int i = 0; i < dir.Count(); ++i) {
    const std::uint32_t attr = dir[i].CentralDir.externalAttr;
    if ((attr & kAttrDirectory) != 0 && (attr & 0x0E) == 0) ++folders;
  }
  return dir.Count() - folders;
}

bool TZipBaseArchiver::Exists() const {
  return platform::FileExists(FFileName);
}

void TZipBaseArchiver::SetActive(bool value) {
  if (value) {
    OpenArchive();
  } else {
    CloseArchive();
  }
}

std::string TZipBaseArchiver::Comment() const {
  return FActive && FDirManager ? FDirManager->ArchiveComment : std::string();
}

void TZipBaseArchiver::CheckIdle() const {
  if (FInCall) throw EZipException(kNeArchiverBusy, this);
}

void TZipBaseArchiver::CheckInactive() const {
  if (!FActive) throw EZipException(kNeArchiveNotOpen, this);
}

void TZipBaseArchiver::CheckInUpdate() const {
  if (FUpdateCount > 0) throw EZipException(kNeUpdateNotEnded, this);
}

void TZipBaseArchiver::CheckModifySpanning() const {
  if (FUpdateCount == 0 && FDirManager && FDirManager->CDir.Count() > 0 &&
      FSpanningMode != smNone) {
    throw EZipException(kNeModifySpanned, this);
  }
}

void TZipBaseArchiver::Lock() {
  BatchLock().lock();
}
void TZipBaseArchiver::Unlock() {
  BatchLock().unlock();
}

bool TZipBaseArchiver::IsSFXArchive(std::u16string_view arcFileName) {
  return ZipLowerCase(ExtractFileExt(arcFileName)).find(u".exe") != std::u16string::npos;
}

void TZipBaseArchiver::DoAfterOpen() {
  if (AfterOpen) AfterOpen(*this);
}

TZipArchiver::TZipArchiver(TComponent* owner) : TZipBaseArchiver(owner) {
  FIsZIPFormat = true;
  FZip64Mode = zmDisabled;
  SetCompMethod();  // the base constructor could not reach this class's choice
}

void TZipArchiver::SetPassword(const std::string& value) {
  FPassword = value;
}

void TZipArchiver::SetCompMethod() {
  FCompressionMethod = CompressionMode() != 0 ? 8 : 0;
}

}  // namespace talu::zip
