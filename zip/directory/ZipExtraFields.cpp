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

}  // namespace

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
