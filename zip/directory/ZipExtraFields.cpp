#include "ZipExtraFields.h"

#include "ZipConst.h"
#include "ZipItemNames.h"

namespace talu::zip {
namespace {

// Takes the Zip64 values that the header's sentinels announce, each only when it lies wholly
// inside the block.
void ApplyZip64(TDirItem& item, const TZipExtraFieldDataBlock& block) {
  TByteCursor in(reinterpret_cast<const unsigned char*>(block.pData), block.dataSize);
  TZip64ExtendedInfo& info = item.Zip64ExtInfo;
  const TZipCentralDir& cd = item.CentralDir;
  auto take64 = [&in](std::uint64_t& field) {
    if (in.Remaining() >= 8) field = in.U64();
  };
  if (cd.unCompSize == kSentinel32) take64(info.uncompSize);
  if (cd.compSize == kSentinel32) take64(info.compSize);
  if (cd.relOffsetLH == kSentinel32) take64(info.relOffsetLH);
  if (cd.diskNumberStart == kSentinel16 && in.Remaining() >= 4) info.diskNumberStart = in.U32();
  item.bHugeFile = true;
}

void ApplyAes(TDirItem& item, const TZipExtraFieldDataBlock& block) {
  if (item.CentralDir.extractVersion >= kNoEncryptionRulesVersion || block.dataSize < 7) return;
  static constexpr TZipCryptoAlgorithm kByStrength[] = {caAES_128, caAES_192, caAES_256};
  const unsigned strength = block.pData[4];
  if (strength >= 1 && strength <= 3) item.ZipEncryptionAlgorithm = kByStrength[strength - 1];
  item.CompressionMethod = static_cast<std::uint16_t>(block.pData[5] | (block.pData[6] << 8));
}

// 100 ns steps between 1601-01-01 and 1970-01-01, the NTFS and Unix epochs.
constexpr std::uint64_t kNtfsToUnixEpoch = 116444736000000000ull;

// The NTFS block: 4 reserved bytes, then tagged attributes; tag 1 (24 bytes) holds the
// last-write, last-access and creation times.
std::optional<TZipUnixTime> NtfsModifiedTime(const TZipExtraFieldDataBlock& block) {
  TByteCursor in(block.pData, block.dataSize);
  in.Bytes(4);
  while (in.Ok() && in.Remaining() >= 4) {
    const std::uint16_t tag = in.U16(), size = in.U16();
    TByteCursor attribute(in.Bytes(size));
    if (!in.Ok() || tag != 1 || size < 8) continue;
    const std::uint64_t steps = attribute.U64();
    if (steps < kNtfsToUnixEpoch) return std::nullopt;
    const std::uint64_t sinceUnix = steps - kNtfsToUnixEpoch;
    return TZipUnixTime{static_cast<std::int64_t>(sinceUnix / 10000000),
                        static_cast<std::uint32_t>(sinceUnix % 10000000 * 100)};
  }
  return std::nullopt;
}

// The extended time block: a flags byte, then the last-write time in seconds when bit 0 is set
// (read as unsigned, so that times after 2038 stay right).
std::optional<TZipUnixTime> UnixModifiedTime(const TZipExtraFieldDataBlock& block) {
  TByteCursor in(block.pData, block.dataSize);
  if (in.Remaining() < 5 || !(in.U8() & 1)) return std::nullopt;
  return TZipUnixTime{in.U32(), 0};
}

}  // namespace

std::optional<TZipUnixTime> ExactModifiedTime(const TZipExtraFields& extra) {
  std::optional<TZipUnixTime> unix;
  for (const TZipExtraFieldDataBlock block : extra) {
    if (block.headerID == kExtraNtfsTimes) {
      if (const auto ntfs = NtfsModifiedTime(block)) return ntfs;
    } else if (block.headerID == kExtraUnixTime && !unix) {
      unix = UnixModifiedTime(block);
    }
  }
  return unix;
}

void ApplyExtraFields(TZipDirArray& dir, int index, std::string_view storedName) {
  bool namedByBlock = false;
  const TZipExtraFields extra = dir[index].ExtraFields;
  for (const TZipExtraFieldDataBlock block : extra) {
    if (block.headerID == kExtraZip64) {
      ApplyZip64(dir.GetItemPtr(index), block);
    } else if (block.headerID == kExtraAes) {
      ApplyAes(dir.GetItemPtr(index), block);
    } else if (block.headerID == kExtraUnicodeName) {
      if (const auto name = UnicodeExtendedName(block)) {
        dir.SetItemName(index, *name);
        namedByBlock = true;
      }
    }
  }
  if (namedByBlock) return;
  for (const TZipExtraFieldDataBlock block : extra) {
    if (block.headerID != kExtraUnicodePath) continue;
    if (const auto name = UnicodePathName(block, storedName)) {
      dir.SetItemName(index, *name);
      return;
    }
  }
}

}  // namespace talu::zip
