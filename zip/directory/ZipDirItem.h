// One archive item as the directory describes it, and the view of its extra blocks.
#pragma once

#include <cstdint>
#include <string_view>

#include "ZipConst.h"
#include "ZipRecords.h"
#include "ZipTypes.h"

namespace talu::zip {

struct TZip64ExtendedInfo {
  std::uint64_t uncompSize;
  std::uint64_t compSize;
  std::uint64_t relOffsetLH;
  std::uint32_t diskNumberStart;
};

struct TZipExtraFieldDataBlock {
  std::uint16_t headerID;
  std::uint16_t dataSize;
  const unsigned char* pData;  // nullptr when dataSize is 0
};

// The extra blocks of an item, in stored order, read from the extra field's bytes. A block
// whose stated size runs past the field is cut to what is left; fewer than 4 bytes at the end
// are ignored. Usage: for (TZipExtraFieldDataBlock b : item.ExtraFields) ...
class TZipExtraFields {
 public:
  class Iterator {
   public:
    Iterator(std::string_view rest) : rest_(rest) {}
    TZipExtraFieldDataBlock operator*() const;
    Iterator& operator++();
    bool operator!=(const Iterator& other) const { return Live() != other.Live(); }

   private:
    bool Live() const { return rest_.size() >= 4; }
    std::string_view rest_;
  };

  TZipExtraFields() = default;
  explicit TZipExtraFields(std::string_view bytes) : bytes_(bytes) {}
  Iterator begin() const { return Iterator(bytes_); }
  Iterator end() const { return Iterator({}); }
  std::string_view Bytes() const { return bytes_; }

 private:
  std::string_view bytes_;
};

struct TDirItem {
  TZipCentralDir CentralDir;
  std::u16string_view Name;  // as decoded at load, separators as stored
  std::string_view Comment;  // raw bytes
  TZipExtraFields ExtraFields;
  TZipCryptoAlgorithm ZipEncryptionAlgorithm;
  bool bHugeFile;
  TZip64ExtendedInfo Zip64ExtInfo;
  bool Tagged;
  std::uint16_t CompressionMethod;
  TZipProcessOperation Operation;

  // The 64-bit values: the Zip64 ones where the 32-bit fields hold their sentinels.
  std::uint64_t UncompressedSize() const {
    return CentralDir.unCompSize == kSentinel32 ? Zip64ExtInfo.uncompSize : CentralDir.unCompSize;
  }
  std::uint64_t CompressedSize() const {
    return CentralDir.compSize == kSentinel32 ? Zip64ExtInfo.compSize : CentralDir.compSize;
  }
  std::uint64_t LocalHeaderOffset() const {
    return CentralDir.relOffsetLH == kSentinel32 ? Zip64ExtInfo.relOffsetLH
                                                 : CentralDir.relOffsetLH;
  }
  // Stores a 64-bit offset: in the 32-bit field when it fits below the sentinel, else as the
  // sentinel with the value in the Zip64 block.
  void SetLocalHeaderOffset(std::uint64_t offset) {
    const bool fits = offset < kSentinel32;
    CentralDir.relOffsetLH = fits ? static_cast<std::uint32_t>(offset) : kSentinel32;
    if (!fits) Zip64ExtInfo.relOffsetLH = offset;
  }
  bool IsEncrypted() const { return (CentralDir.genPurposeFlag & kFlagEncrypted) != 0; }
  bool IsDirectory() const { return (CentralDir.externalAttr & kAttrDirectory) != 0; }
  // The Unix mode (file type and permission bits) of an item made on Unix or macOS, kept in the
  // high half of the external attributes; 0 for items made elsewhere or without one.
  std::uint32_t UnixMode() const {
    const unsigned host = CentralDir.versionMadeBy >> 8;
    return host == kHostUnix || host == kHostMacOs ? CentralDir.externalAttr >> 16 : 0;
  }
  bool IsUnixLink() const { return (UnixMode() & kUnixTypeMask) == kUnixTypeLink; }
};

}  // namespace talu::zip
