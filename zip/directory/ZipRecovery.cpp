// Rebuilding a directory from the local headers when the central directory is missing or
// unreadable: every plausible local header in the stream becomes an item.
#include <algorithm>

#include "ZipConst.h"
#include "ZipDirManager.h"
#include "ZipExcept.h"
#include "ZipExtraFields.h"
#include "stream/ZipStreamWindow.h"

namespace talu::zip {
namespace {

// Local headers and data descriptors are searched through two windows, so that each moves
// forward through the stream once.
constexpr std::size_t kHeaderWindow = 256 * 1024;
constexpr std::size_t kDescriptorWindow = 64 * 1024;
// A local header with a longer extra field is not taken for one.
constexpr std::uint16_t kMaxLocalExtra = 260;

std::string_view Chars(const unsigned char* bytes, std::size_t count) {
  return {reinterpret_cast<const char*>(bytes), count};
}

TZipCentralDir CentralFromLocal(const TZipLocalHeader& lh) {
  TZipCentralDir cd{};
  static_cast<TZipHeaderFields&>(cd) = lh;
  cd.versionMadeBy = lh.extractVersion;
  // An entry of size 0 without a data descriptor is taken to be a folder.
  const bool hasData = lh.unCompSize != 0 || (lh.genPurposeFlag & kFlagDataDescriptor) != 0;
  cd.externalAttr = hasData ? kAttrArchive : kAttrDirectory;
  return cd;
}

}  // namespace

std::int64_t TZipDirManager::FindHeader(TStreamWindow& window, std::int64_t start) const {
  const std::int64_t found = window.Find(LocalHeaderSignature(), start);
  return found >= 0 && window.Size() - found >= kLocalHeaderSize ? found : -1;
}

std::int64_t TZipDirManager::FindLocalFileHeader(std::int64_t startPosition) {
  const std::int64_t saved = stream_->Position();
  TStreamWindow window(*stream_, kHeaderWindow);
  const std::int64_t found = FindHeader(window, startPosition);
  stream_->SetPosition(saved);
  return found;
}

void TZipDirManager::TryToBuildCentralDir() {
  CDir.Clear();
  if (Spanned()) throw EZipException(kNeRebuildSpanned, owner_);
  BuildCentralDirByLocalHeaders();
  CentralDirOffset = stream_->Size();
  Rebuilt = true;
}

void TZipDirManager::BuildCentralDirByLocalHeaders() {
  TStreamWindow headers(*stream_, kHeaderWindow);
  TStreamWindow descriptors(*stream_, kDescriptorWindow);
  std::int64_t pos = FindHeader(headers, 0);
  if (pos < 0) throw EZipException(kNeNoLocalHeader, owner_);
  for (; pos >= 0; pos = FindHeader(headers, pos + 4)) {
    AddLocalHeaderItem(headers, descriptors, pos);
  }
}

void TZipDirManager::AddLocalHeaderItem(TStreamWindow& headers, TStreamWindow& descriptors,
                                        std::int64_t pos) {
  const std::int64_t size = headers.Size();
  TByteCursor in(headers.Read(pos, kLocalHeaderSize), kLocalHeaderSize);
  const TZipLocalHeader lh = ReadLocalHeader(in);
  // A Zip64 header keeps its sizes in the extra field, read with the item below.
  const bool plausibleSize = lh.compSize == kSentinel32 || lh.compSize < size;
  if (!plausibleSize || lh.extraLength > kMaxLocalExtra) return;

  const int index = CDir.Count();
  TDirItem& item = CDir.Append();
  item.CentralDir = CentralFromLocal(lh);
  item.CompressionMethod = lh.compMethod;

  const std::int64_t namePos = pos + kLocalHeaderSize;
  std::string storedName;
  if (lh.nameLength != 0 && size - namePos >= lh.nameLength) {
    storedName.assign(Chars(headers.Read(namePos, lh.nameLength), lh.nameLength));
  }
  CDir.SetItemName(index, DecodedName(storedName, lh.genPurposeFlag, true));
  const unsigned char* extra = headers.Read(namePos + lh.nameLength, lh.extraLength);
  CDir.GetItemPtr(index).ExtraFields =
      TZipExtraFields(CDir.StoreBytes(Chars(extra, lh.extraLength)));
  ApplyExtraFields(CDir, index, storedName);
  CDir.GetItemPtr(index).SetLocalHeaderOffset(static_cast<std::uint64_t>(pos));

  if ((lh.genPurposeFlag & kFlagDataDescriptor) == 0) return;
  const std::int64_t found = descriptors.Find(kDataDescriptorSig, pos);
  const unsigned char* bytes = found < 0 ? nullptr : descriptors.Peek(found, kDataDescriptorSize);
  if (bytes == nullptr) return;
  TByteCursor dd(bytes, kDataDescriptorSize);
  const TZipDataDescriptor descriptor = ReadDataDescriptor(dd);
  TZipCentralDir& cd = CDir.GetItemPtr(index).CentralDir;
  cd.crc32 = descriptor.crc32;
  cd.compSize = descriptor.compSize;
  cd.unCompSize = descriptor.unCompSize;
}

}  // namespace talu::zip
