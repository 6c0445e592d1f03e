// A canonical Huffman code of deflate data as one lookup table: indexed by the next bits of the
// input (least significant bit first), an entry gives the symbol and its code length. Codes are
// accepted as zlib accepts them: over-subscribed never, incomplete only as a lone code of one
// bit (and an empty code, for distances), where the missing pattern decodes as invalid.
//
// Usage: table.Build(lengths, count, kind);  entry = table.Lookup(bits);
#pragma once

#include <array>
#include <cstdint>

namespace talu::zip {

class TZipHuffman {
 public:
  static constexpr int kMaxBits = 15;
  enum TKind { kCodeLengths, kSymbols };

  // False where deflate data may not use the code (over-subscribed, or incomplete).
  bool Build(const std::uint8_t* lengths, int count, TKind kind);

  // The entry for the next input bits: symbol << 4 | length; length 0 where no code matches.
  std::uint32_t Lookup(std::uint64_t bits) const { return table_[bits & mask_]; }
  static int Length(std::uint32_t entry) { return static_cast<int>(entry & 15); }
  static int Symbol(std::uint32_t entry) { return static_cast<int>(entry >> 4); }

 private:
  std::array<std::uint32_t, 1u << kMaxBits> table_{};
  std::uint64_t mask_ = 0;
};

}  // namespace talu::zip
