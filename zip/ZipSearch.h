// Search results and search state of FindFirst/FindNext.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace talu::zip {

struct TInternalSearchRec {
  int ItemNo = 0;                         // current match; the next search starts here
  std::array<char16_t, 260> CFindMask{};  // zero-terminated, "\" turned into "/"
  bool FWildCards = false;
  std::int32_t FFindAttr = 0;
  std::u16string ExclusionMask;
  bool UseProperties = false;  // match against FileMasks and ExclusionMasks

  std::u16string_view FindMask() const { return CFindMask.data(); }
};

struct TZipArchiveItem {
  std::u16string FileName;    // name part, "\" separators
  std::u16string StoredPath;  // folder part ending in "\", or empty
  std::int64_t CompressedSize = 0;
  std::int64_t UncompressedSize = 0;
  double CompressionRate = 0;
  bool Encrypted = false;
  std::uint16_t LastModFileDate = 0;
  std::uint16_t LastModFileTime = 0;
  std::uint32_t CRC = 0;
  std::uint32_t ExternalFileAttributes = 0;
  std::string Comment;
  TInternalSearchRec Handle;
};

}  // namespace talu::zip
