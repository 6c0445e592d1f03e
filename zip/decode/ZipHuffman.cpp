#include "ZipHuffman.h"

#include <algorithm>

#include "ZipDeflateSymbols.h"

namespace talu::zip {

namespace {

int ExtraBits(int symbol, TZipHuffman::TKind kind) {
  if (kind == TZipHuffman::kDistances)
    return symbol < kZipDistanceSymbols ? kZipDistanceExtra[symbol] : 0;
  const int length = symbol - 257;
  return kind == TZipHuffman::kLengths && length >= 0 && length < kZipLengthSymbols
             ? kZipLengthExtra[length]
             : 0;
}

}  // namespace

bool TZipHuffman::Build(const std::uint8_t* lengths, int count, TKind kind) {
  int counts[kMaxBits + 1] = {};
  int maxLength = 0;
  for (int i = 0; i < count; ++i) {
    ++counts[lengths[i]];
    maxLength = std::max<int>(maxLength, lengths[i]);
  }
  int left = 1;  // code space left at each length
  for (int length = 1; length <= kMaxBits; ++length) {
    left = (left << 1) - counts[length];
    if (left < 0) return false;
  }
  if (left > 0 && maxLength > 0 && (kind == kCodeLengths || maxLength != 1)) return false;
  if (maxLength == 0 && kind == kCodeLengths) return false;
  rootBits_ = std::clamp(maxLength, 1, kRootBits);
  rootMask_ = (1u << rootBits_) - 1;
  const int subBits = maxLength - rootBits_;  // every sub-table as wide as the longest code
  std::fill(table_.begin(), table_.begin() + (1 << rootBits_), 0);
  int next[kMaxBits + 1] = {};
  counts[0] = 0;
  for (int length = 1, code = 0; length <= kMaxBits; ++length) {
    code = (code + counts[length - 1]) << 1;
    next[length] = code;
  }
  std::uint32_t used = 1u << rootBits_;
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    const int code = next[length]++;
    std::uint32_t reversed = 0;
    for (int b = 0; b < length; ++b) reversed |= ((code >> b) & 1u) << (length - 1 - b);
    const std::uint32_t span = static_cast<std::uint32_t>(length + ExtraBits(symbol, kind));
    const std::uint32_t entry = span << 20 | static_cast<std::uint32_t>(symbol) << 4 | length;
    if (symbol == 256) endOfBlock_ = reversed << 4 | length;
    if (length <= rootBits_) {
      for (std::uint32_t i = reversed; i <= rootMask_; i += 1u << length) table_[i] = entry;
      continue;
    }
    std::uint32_t& root = table_[reversed & rootMask_];
    if (!(root & kLink)) {
      root = kLink | used << 4 | static_cast<std::uint32_t>(subBits);
      std::fill(table_.begin() + used, table_.begin() + used + (1u << subBits), 0);
      used += 1u << subBits;
    }
    const std::uint32_t sub = (root >> 4) & 0xFFFF;
    const int step = length - rootBits_;
    for (std::uint32_t i = reversed >> rootBits_; i < (1u << subBits); i += 1u << step)
      table_[sub + i] = entry;
  }
  return true;
}

}  // namespace talu::zip
