// Finding the end of central directory record and the Zip64 records in front of it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ZipConst.h"
#include "ZipDirManager.h"
#include "ZipExcept.h"
#include "stream/ZipStream.h"

namespace talu::zip {
namespace {

// The end record, with the largest comment, fits in this many bytes from the end.
constexpr std::int64_t kEndSearchWindow = 65600;

}  // namespace

bool TZipDirManager::CheckCDirEnd(const unsigned char* record, std::size_t available,
                                  std::int64_t pos, std::int64_t streamSize,
                                  TZipCentralDirEnd& dirEnd) const {
  TByteCursor in(record, std::min<std::size_t>(available, kEndOfDirSize));
  dirEnd = ReadCentralDirEnd(in);
  const std::int64_t end = pos + kEndOfDirSize;
  if (!in.Ok() || dirEnd.startDiskNumber > dirEnd.diskNumber ||
      dirEnd.entriesOnDisk > dirEnd.entriesCentralDir ||
      (options_.oneFile && dirEnd.diskNumber != 0 && dirEnd.diskNumber != kSentinel16)) {
    return false;
  }
  // The directory must fit in front of the record only when it starts on the record's volume:
  // a split archive's directory may begin in an earlier one.
  if (dirEnd.startDiskNumber == dirEnd.diskNumber) {
    if (dirEnd.centralDirSize != kSentinel32 && dirEnd.centralDirSize >= end) return false;
    if (dirEnd.offsetStartDir != kSentinel32 &&
        dirEnd.offsetStartDir >= end - static_cast<std::int64_t>(dirEnd.centralDirSize)) {
      return false;
    }
  }
  return streamSize - end >= dirEnd.commentLength;
}

bool TZipDirManager::GetCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position,
                                      std::uint32_t signature) {
  position = -1;
  ArchiveComment.clear();
  dirEnd = {};
  TStream& stream = *stream_;
  const std::int64_t size = stream.Size();
  const std::int64_t window = std::min(size, kEndSearchWindow);
  const std::int64_t base = size - window;
  std::vector<unsigned char> tail(static_cast<std::size_t>(window));
  stream.SetPosition(base);
  stream.ReadBuffer(tail.data(), window);

  unsigned char sig[4];
  for (int i = 0; i < 4; ++i) sig[i] = static_cast<unsigned char>(signature >> (8 * i));
  for (std::int64_t i = window - 1; i >= 3 && position < 0; --i) {
    const unsigned char* candidate = tail.data() + i - 3;
    if (tail[static_cast<std::size_t>(i)] != sig[3] || std::memcmp(candidate, sig, 3) != 0)
      continue;
    const auto available = static_cast<std::size_t>(window - (i - 3));
    if (CheckCDirEnd(candidate, available, base + i - 3, size, dirEnd)) position = base + i - 3;
  }
  if (position < 0) return false;
  if (dirEnd.commentLength != 0) {
    ArchiveComment.resize(dirEnd.commentLength);
    stream.SetPosition(position + kEndOfDirSize);
    stream.ReadBuffer(ArchiveComment.data(), dirEnd.commentLength);
  }
  return true;
}

bool TZipDirManager::HasCentralDirEnd() {
  std::int64_t position = -1;
  EndRecordMissing = !GetCentralDirEnd(CentralDirEnd, position, EndSignature());
  return !EndRecordMissing;
}

bool TZipDirManager::FindCentralDirEnd(TZipCentralDirEnd& dirEnd, std::int64_t& position) {
  if (options_.zipFormat) return GetCentralDirEnd(dirEnd, position, kEndOfDirSig);
  return GetCentralDirEnd(dirEnd, position, kAltEndOfDirSig) ||
         GetCentralDirEnd(dirEnd, position, kEndOfDirSig);
}

void TZipDirManager::ReadZip64Records(std::int64_t& dirEndPos) {
  // A writer that fills a volume moves the records that do not fit into the next one: the
  // locator may end the volume before the end record's.
  const std::uint16_t endDisk = CentralDirEnd.diskNumber;
  const bool moved =
      dirEndPos < kZip64LocatorSize && Spanned() && endDisk > 0 && endDisk != kSentinel16;
  if (moved) {
    OpenVolumeNumber(endDisk - 1);
    dirEndPos = stream_->Size();
  }
  if (dirEndPos >= kZip64LocatorSize) {
    unsigned char bytes[kZip64LocatorSize];
    stream_->SetPosition(dirEndPos - kZip64LocatorSize);
    stream_->ReadBuffer(bytes, kZip64LocatorSize);
    TByteCursor in(bytes, sizeof bytes);
    Zip64CentralDirEndLocator = ReadZip64Locator(in);
    if (Zip64CentralDirEndLocator.signature == kZip64LocatorSig) {
      FZip64 = true;
      dirEndPos -= kZip64LocatorSize;
    }
  }
  if (!FZip64) return;
  const std::uint64_t at = Zip64CentralDirEndLocator.offsetStartDirEnd;
  // In a multi-volume archive the locator names the volume that holds the Zip64 end record,
  // which may be an earlier one than its own.
  const auto disk = static_cast<std::int64_t>(Zip64CentralDirEndLocator.startDiskNumber);
  const std::int64_t locatorDisk = moved ? endDisk - 1 : LastVolumeNumber();
  if (Spanned() && disk != locatorDisk) {
    if (disk < locatorDisk) {
      OpenVolumeNumber(static_cast<std::int32_t>(disk));
      if (ReadZip64End(at)) return;
    }
    throw EZipException(kNeZip64EndMissing, owner_);
  }
  // Where the locator points, or else right before the locator: data put in front of the
  // archive without adjusting the locator (a stub) moves the record by the stub's size.
  const std::int64_t before = dirEndPos - kZip64EndSize;
  if (before >= 0 && (ReadZip64End(at) || ReadZip64End(static_cast<std::uint64_t>(before)))) {
    dirEndPos = before;
    return;
  }
  throw EZipException(kNeZip64EndMissing, owner_);
}

bool TZipDirManager::ReadZip64End(std::uint64_t at) {
  const auto size = static_cast<std::uint64_t>(stream_->Size());
  if (size < kZip64EndSize || at > size - kZip64EndSize) return false;
  unsigned char bytes[kZip64EndSize];
  stream_->SetPosition(static_cast<std::int64_t>(at));
  stream_->ReadBuffer(bytes, kZip64EndSize);
  TByteCursor in(bytes, sizeof bytes);
  Zip64CentralDirEnd = ReadZip64CentralDirEnd(in);
  return Zip64CentralDirEnd.signature == kZip64EndSig;
}

}  // namespace talu::zip
