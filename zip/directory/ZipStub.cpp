// The size of foreign data in front of an archive (a self-extracting stub), and the shift of the
// items' offsets by it when they were counted from the start of the archive data.
#include "ZipConst.h"
#include "ZipDirManager.h"
#include "ZipExcept.h"
#include "stream/ZipStreamWindow.h"

namespace talu::zip {
namespace {

constexpr std::size_t kStubSearchWindow = 64 * 1024;

}  // namespace

bool TZipDirManager::CheckFile(TStreamWindow& window, std::int64_t headerPos) const {
  const unsigned char* bytes = window.Peek(headerPos, kLocalHeaderSize);
  if (bytes == nullptr) return false;
  TByteCursor in(bytes, kLocalHeaderSize);
  const TZipLocalHeader lh = ReadLocalHeader(in);
  if (window.Peek(headerPos + kLocalHeaderSize, lh.nameLength) == nullptr) return false;
  if (lh.signature != kLocalHeaderSig && lh.signature != kAltLocalHeaderSig) return false;
  if (headerPos == 0) return true;
  const TZipCentralDir& first = CDir.GetItem(0).CentralDir;
  const bool sameHead = lh.extractVersion == first.extractVersion &&
                        lh.compMethod == first.compMethod && lh.lastModTime == first.lastModTime &&
                        lh.lastModDate == first.lastModDate;
  // A header written before its data (data descriptor) holds no CRC and sizes, and one with
  // Zip64 sizes holds sentinels: only the values the header really carries are compared.
  if ((lh.genPurposeFlag & kFlagDataDescriptor) != 0) return sameHead;
  const bool sameSizes = (lh.compSize == kSentinel32 && lh.unCompSize == kSentinel32) ||
                         (lh.compSize == first.compSize && lh.unCompSize == first.unCompSize);
  return sameHead && lh.crc32 == first.crc32 && sameSizes;
}

void TZipDirManager::CalculateStubSize(std::int64_t dirEndPos) {
  // No items (a Zip64 count of 0 included): everything in front of the end record is stub.
  if (CentralDirEnd.entriesCentralDir == 0 || CDir.Count() == 0) {
    StubSize = dirEndPos;
    return;
  }
  const std::uint64_t offset = CDir.GetItem(0).LocalHeaderOffset();
  TStreamWindow window(*stream_, kStubSearchWindow);
  if (offset >= static_cast<std::uint64_t>(window.Size())) return;
  // The first local header from item 0's offset on that matches item 0 marks the archive start.
  for (std::int64_t start = static_cast<std::int64_t>(offset);;) {
    const std::int64_t found = window.Find(LocalHeaderSignature(), start);
    if (found < 0) return;
    if (CheckFile(window, found)) {
      StubSize = found;
      return;
    }
    start = found + 1;
  }
}

bool TZipDirManager::IsStubOffsetApplied() const {
  for (int i = 0; i < CDir.Count(); ++i) {
    if (CDir[i].CentralDir.compSize > 0) {
      return CDir[i].LocalHeaderOffset() >= static_cast<std::uint64_t>(StubSize);
    }
  }
  return true;
}

void TZipDirManager::ApplyStubOffset() {
  // Directory items keep their offsets. The sum is kept in 64 bits: it moves to the Zip64 value
  // when it reaches the 32-bit sentinel.
  for (int i = 0; i < CDir.Count(); ++i) {
    TDirItem& item = CDir.GetItemPtr(i);
    if (!item.IsDirectory())
      item.SetLocalHeaderOffset(item.LocalHeaderOffset() + static_cast<std::uint64_t>(StubSize));
  }
}

}  // namespace talu::zip
