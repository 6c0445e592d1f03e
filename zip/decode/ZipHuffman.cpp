#include "ZipHuffman.h"

namespace talu::zip {

bool TZipHuffman::Build(const std::uint8_t* lengths, int count, TKind kind) {
  int counts[kMaxBits + 1] = {};
  int maxLength = 0;
  for (int i = 0; i < count; ++i) {
    ++counts[lengths[i]];
    if (lengths[i] > maxLength) maxLength = lengths[i];
  }
  int left = 1;  // code space left at each length
  for (int length = 1; length <= kMaxBits; ++length) {
    left = (left << 1) - counts[length];
    if (left < 0) return false;
  }
  if (left > 0 && maxLength > 0 && (kind == kCodeLengths || maxLength != 1)) return false;
  if (maxLength == 0 && kind == kCodeLengths) return false;
  const int bits = maxLength > 0 ? maxLength : 1;
  mask_ = (1u << bits) - 1;
  for (std::uint64_t i = 0; i <= mask_; ++i) table_[i] = 0;
  int next[kMaxBits + 2] = {};
  counts[0] = 0;
  for (int length = 1, code = 0; length <= kMaxBits; ++length) {
    code = (code + counts[length - 1]) << 1;
    next[length] = code;
  }
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    const int code = next[length]++;
    unsigned reversed = 0;
    for (int b = 0; b < length; ++b) reversed |= ((code >> b) & 1u) << (length - 1 - b);
    const std::uint32_t entry = static_cast<std::uint32_t>(symbol) << 4 | length;
    for (std::uint64_t i = reversed; i <= mask_; i += 1u << length) table_[i] = entry;
  }
  return true;
}

}  // namespace talu::zip
