#include "ZipDirManager.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipExtraFields.h"
#include "stream/ZipStreamWindow.h"

namespace talu::zip {

namespace {

// The central directory is read through a window of this size.
constexpr std::size_t kDirectoryWindow = 1 << 20;

// `end` - `size` as a stream position, or -1 when that lies before the start.
std::int64_t Before(std::int64_t end, std::uint64_t size) {
  return size > static_cast<std::uint64_t>(end) ? -1 : end - static_cast<std::int64_t>(size);
}

std::int64_t AsPosition(std::uint64_t offset) {
  return offset > static_cast<std::uint64_t>(INT64_MAX) ? -1 : static_cast<std::int64_t>(offset);
}

std::string_view Chars(const unsigned char* bytes, std::size_t count) {
  return {reinterpret_cast<const char*>(bytes), count};
}

}  // namespace

TZipDirManager::TZipDirManager(TStream& stream, const TZipDirOptions& options,
                               TZipVolumeOpener openVolume, const TComponent* owner)
    : stream_(&stream), options_(options), openVolume_(std::move(openVolume)), owner_(owner) {
  InitCentralDirEnd();
}

void TZipDirManager::InitCentralDirEnd() {
  CDir.SetCount(0);
  CentralDirEnd = {};
  CentralDirEnd.signature = EndSignature();
}

std::uint32_t TZipDirManager::EndSignature() const {
  return options_.zipFormat ? kEndOfDirSig : kAltEndOfDirSig;
}

std::uint32_t TZipDirManager::LocalHeaderSignature() const {
  return options_.zipFormat ? kLocalHeaderSig : kAltLocalHeaderSig;
}

bool TZipDirManager::Spanned() const {
  return options_.spanning != smNone;
}

bool TZipDirManager::NamesInOemCodePage(std::uint16_t flag) const {
  return CentralDirEnd.signature == kEndOfDirSig && options_.oemNames && (flag & kFlagUtf8) == 0;
}

std::u16string_view TZipDirManager::DecodedName(std::string_view raw, std::uint16_t flag,
                                                bool local) {
  if (raw.empty()) return {};
  if (local) raw = raw.substr(0, raw.find('\0'));
  if (!options_.nameCharset.empty() && (flag & kFlagUtf8) == 0) {
    if (const auto name = decoder_.InCharset(raw, options_.nameCharset)) return *name;
  }
  return decoder_.DecodeCentral(raw, NamesInOemCodePage(flag));
}

void TZipDirManager::LoadDir() {
  TZipVolumeNumberInfo volume;
  InitCentralDirEnd();
  StubSize = 0;
  EndRecordMissing = CentralDirUnreadable = Rebuilt = false;
  TZipCentralDirEnd found{};
  std::int64_t dirEndPos = -1;
  EndRecordMissing = !FindCentralDirEnd(found, dirEndPos);
  if (!EndRecordMissing) {
    CentralDirEnd = found;
    ReadZip64Records(dirEndPos);
    EndRecordMissing = !FZip64 && CentralDirEnd.entriesCentralDir == kSentinel16;
  }
  if (!EndRecordMissing) {
    SelectVolumes(volume);
    std::uint64_t count = 0;
    const std::int64_t first = FirstCentralHeader(dirEndPos, count);
    CentralDirUnreadable = !ReadCentralEntries(first, count, volume);
    if (CentralDirUnreadable && !options_.openCorrupted) throw EReadError();
  }
  if (EndRecordMissing || CentralDirUnreadable) {
    TryToBuildCentralDir();
    return;
  }
  if (!options_.openCorrupted && !Spanned()) CheckIfCentralDirIsValid();
  if (volume.FLastVolumeNumber == 0) CalculateStubSize(dirEndPos);
  if (!IsStubOffsetApplied()) ApplyStubOffset();
}

std::int32_t TZipDirManager::LastVolumeNumber() const {
  const TZipCentralDirEnd& end = CentralDirEnd;
  if (end.diskNumber != kSentinel16) return end.diskNumber;
  return FZip64 ? static_cast<std::int32_t>(Zip64CentralDirEndLocator.totalNumberOfDisks) - 1 : 0;
}

void TZipDirManager::SelectVolumes(TZipVolumeNumberInfo& volume) {
  const TZipCentralDirEnd& end = CentralDirEnd;
  std::int64_t first = end.startDiskNumber;
  if (end.startDiskNumber == kSentinel16) first = FZip64 ? Zip64CentralDirEnd.startDiskNumber : 0;
  volume.FLastVolumeNumber = LastVolumeNumber();
  volume.SetVolumeNumber(static_cast<std::int32_t>(first));
  if (Spanned()) OpenVolume(volume);
}

std::int64_t TZipDirManager::FirstCentralHeader(std::int64_t dirEndPos,
                                                std::uint64_t& count) const {
  // A single-file archive finds its directory by size, counted back from the end records, so
  // that data in front of the archive does not matter.
  if (FZip64) {
    count = Zip64CentralDirEnd.entriesCentralDir;
    return Spanned() ? AsPosition(Zip64CentralDirEnd.offsetStartDir)
                     : Before(dirEndPos, Zip64CentralDirEnd.centralDirSize);
  }
  count = CentralDirEnd.entriesCentralDir;
  return Spanned() ? std::int64_t{CentralDirEnd.offsetStartDir}
                   : Before(dirEndPos, CentralDirEnd.centralDirSize);
}

bool TZipDirManager::ReadCentralEntries(std::int64_t position, std::uint64_t count,
                                        TZipVolumeNumberInfo& volume) {
  auto window = std::make_unique<TStreamWindow>(*stream_, kDirectoryWindow);
  // The claimed count is untrusted: reserve no more than the stream can hold.
  const std::int64_t room =
      std::max<std::int64_t>(0, window->Size() - std::max<std::int64_t>(position, 0));
  CDir.Reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, room / kCentralHeaderSize)));
  for (std::uint64_t i = 0; i < count; ++i) {
    if (Spanned() && window->Size() - position < kCentralHeaderSize) {
      volume.SetVolumeNumber(volume.FVolumeNumber + 1);
      OpenVolume(volume);
      window = std::make_unique<TStreamWindow>(*stream_, kDirectoryWindow);
      position = stream_->Position();
    }
    if (i == 0) CentralDirOffset = position;
    if (!ReadCentralEntry(*window, position)) return false;
  }
  return true;
}

bool TZipDirManager::ReadCentralEntry(TStreamWindow& window, std::int64_t& position) {
  const unsigned char* bytes = window.Peek(position, kCentralHeaderSize);
  if (bytes == nullptr) return false;
  TByteCursor head(bytes, kCentralHeaderSize);
  const TZipCentralDir cd = ReadCentralDir(head);
  const std::size_t tailSize = std::size_t{cd.nameLength} + cd.extraLength + cd.commentLength;
  const unsigned char* tail = window.Peek(position + kCentralHeaderSize, tailSize);
  if (tail == nullptr) return false;
  position += kCentralHeaderSize + static_cast<std::int64_t>(tailSize);

  const int index = CDir.Count();
  TDirItem& item = CDir.Append();
  item.CentralDir = cd;  // a fresh item's encryption is traditional until an AES block says so
  item.CompressionMethod = cd.compMethod;
  item.ExtraFields = TZipExtraFields(CDir.StoreBytes(Chars(tail + cd.nameLength, cd.extraLength)));
  item.Comment = CDir.StoreBytes(Chars(tail + cd.nameLength + cd.extraLength, cd.commentLength));

  const std::string_view storedName = Chars(tail, cd.nameLength);
  CDir.SetItemName(index, DecodedName(storedName, cd.genPurposeFlag, false));
  ApplyExtraFields(CDir, index, storedName);
  return true;
}

void TZipDirManager::CheckIfCentralDirIsValid() {
  const auto size = static_cast<std::uint64_t>(stream_->Size());
  std::uint64_t total = 0;
  for (int i = 0; i < CDir.Count(); ++i) {
    total += std::min(CDir[i].CompressedSize(), size + 1);  // saturates instead of wrapping
    if (total > size) throw EZipException(kNeSizesExceedStream, owner_);
  }
}

bool TZipDirManager::IsEncrypted() const {
  return CDir.Count() > 0 && CDir[0].IsEncrypted();
}

bool TZipDirManager::IsSFXArchive() const {
  return CDir.Count() > 0 && CDir[0].CentralDir.relOffsetLH != 0;
}

void TZipDirManager::OpenVolume(TZipVolumeNumberInfo& volume) {
  if (openVolume_) stream_ = &openVolume_(volume);
}

void TZipDirManager::OpenVolumeNumber(std::int32_t number) {
  TZipVolumeNumberInfo volume;
  volume.FLastVolumeNumber = LastVolumeNumber();
  volume.SetVolumeNumber(number);
  OpenVolume(volume);
}

}  // namespace talu::zip
