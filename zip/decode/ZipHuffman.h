// A canonical Huffman code of deflate data as a two-level lookup table: indexed by the next bits
// of the input (least significant bit first), a root table of at most kRootBits bits gives the
// symbol and its code length, or for a longer code the sub-table its remaining bits index.
// Codes are accepted as zlib accepts them: over-subscribed never, incomplete only as a lone code
// of one bit (and an empty code, for distances), where the missing pattern decodes as invalid.
// An entry also gives the bits its symbol takes with the extra bits that follow it (the span), so
// that a walk over the data need not look them up.
//
// Usage: table.Build(lengths, count, kind);  entry = table.Lookup(bits);
#pragma once

#include <array>
#include <cstdint>

namespace talu::zip {

class TZipHuffman {
 public:
  static constexpr int kMaxBits = 15;
  static constexpr int kRootBits = 10;
  enum TKind { kCodeLengths, kLengths, kDistances };  // literal/length symbols: kLengths

  // False where deflate data may not use the code (over-subscribed, or incomplete).
  bool Build(const std::uint8_t* lengths, int count, TKind kind);

  // The entry for the next input bits (at least kMaxBits of them): span << 20 | symbol << 4 |
  // length; 0 where no code matches.
  std::uint32_t Lookup(std::uint64_t bits) const {
    const std::uint32_t entry = table_[bits & rootMask_];
    if (!(entry & kLink)) return entry;
    const std::uint32_t sub = (entry >> 4) & 0xFFFF;
    return table_[sub + ((bits >> rootBits_) & ((1u << (entry & 15)) - 1))];
  }
  // The code of symbol 256 (end of block) as reversed bits << 4 | length: for a decoder that
  // must end a block early.
  std::uint32_t EndOfBlock() const { return endOfBlock_; }
  static int Length(std::uint32_t entry) { return static_cast<int>(entry & 15); }
  static int Symbol(std::uint32_t entry) { return static_cast<int>((entry >> 4) & 0x3FF); }
  static int Span(std::uint32_t entry) { return static_cast<int>(entry >> 20); }

 private:
  static constexpr std::uint32_t kLink = 1u << 31;  // | sub-table offset << 4 | its bits
  // The root table, then a sub-table of 2^(kMaxBits - kRootBits) entries for each root entry
  // that begins longer codes (at most one per symbol).
  static constexpr int kSize = (1 << kRootBits) + 320 * (1 << (kMaxBits - kRootBits));

  std::array<std::uint32_t, kSize> table_{};
  std::uint32_t rootMask_ = 0;
  int rootBits_ = 1;
  std::uint32_t endOfBlock_ = 0;
};

}  // namespace talu::zip
