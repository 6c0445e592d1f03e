// Raw deflate data decoded from any bit offset, block by block, as one part of a stream split
// for decoding on several threads. Where the 32 KiB before the part are not known yet, a
// back-reference into them is kept as a marker (kMarker + its index in that window, 32767 the
// byte just before the part); Resolve turns the markers into bytes once the window is known.
// Damaged data is refused as zlib refuses it, at the same symbol.
//
// Usage: part.Start(data, size, bit, nullptr, 0);  status = part.Decode(stopBit);
//        part.Resolve(window, windowSize);  use Symbols(), Drain(), Decode(stopBit) again
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ZipBitReader.h"
#include "ZipBlockHeader.h"

namespace talu::zip {

class TZipPartInflate {
 public:
  static constexpr std::size_t kWindow = 32768;
  static constexpr std::uint16_t kMarker = 256;
  enum TStatus {
    kFull,      // the output holds `capacity` symbols; Drain, then go on
    kBoundary,  // a block ended at or past the stop bit (Position)
    kFinal,     // the last block of the stream ended (Position)
    kCorrupt,   // damaged data (or a reference before the start of the stream)
    kInputEnd,  // the data ran out inside a block
    kHeldEnd    // the decode came near the end of the data held (LimitInput); MoveInput, go on
  };

  explicit TZipPartInflate(std::size_t capacity);

  // Decodes from `startBit` of `data`; `window` (the `windowSize` bytes before the part, at most
  // kWindow) is known where it is not null.
  void Start(const std::uint8_t* data, std::size_t size, std::uint64_t startBit,
             const std::uint8_t* window, std::size_t windowSize);
  // Where the data held are only a piece of the stream's: the decode stops at a symbol (or block)
  // boundary once it has read past byte `heldEnd`, at least 4 KiB before their end, so that the
  // next piece can take over there.
  void LimitInput(std::size_t heldEnd) { heldEnd_ = heldEnd; }
  // The data held move on: the same stream's data, now from `bit` of `data`.
  void MoveInput(const std::uint8_t* data, std::size_t size, std::uint64_t bit);
  // Decodes until the output is full, or a block ends at a bit at or past `stopBit`, or the
  // stream or its data end. kFull, kBoundary and kHeldEnd may be followed by more calls.
  TStatus Decode(std::uint64_t stopBit);
  // Whether a block header that zlib accepts starts at Position (nothing is consumed).
  bool HeaderFollows();
  // Whether the first block decoded was stored or had codes of its own.
  bool FirstBlockStrong() const { return firstType_ == 0 || firstType_ == 2; }

  std::uint64_t Position() const { return in_.Position(); }
  // The start of the block read last (its header's first bit, before the data held where
  // MoveInput moved them past it: add the new data's offset in the stream, modulo 2^64), and the
  // symbols before it.
  std::uint64_t BlockStart() const { return blockStart_; }
  std::uint64_t ProducedAtBlockStart() const { return blockStartProduced_; }

  // The symbols decoded since the last Drain; once resolved, `count` of them from `from` on as
  // bytes.
  std::size_t SymbolCount() const { return used_ - kept_; }
  std::size_t MaxSymbolCount() const { return kWindow + capacity_; }
  void TakeBytes(std::size_t from, std::size_t count, std::uint8_t* to) const;
  std::uint64_t Produced() const { return drained_ + used_; }
  bool Resolved() const { return windowKnown_; }
  // Makes bytes of the markers (where the window is whole, as they are taken); false where one
  // reaches before the start of the stream.
  bool Resolve(const std::uint8_t* window, std::size_t windowSize);
  // Keeps only the last kWindow symbols, for the references of what follows (resolved only).
  void Drain();

 private:
  // Each false where the block cannot go on, with the status to return.
  bool ReadHeader(TStatus& failure);
  bool DecodeStored(TStatus& status);
  bool DecodeCodes(TStatus& status);
  bool Copy(std::size_t distance, std::size_t length);

  TZipBitReader in_;
  enum TBlock { kHeader, kStored, kCodes, kEnded };
  TBlock block_ = kHeader;
  bool last_ = false;
  int firstType_ = -1;
  std::uint64_t blockStart_ = 0;
  std::uint64_t blockStartProduced_ = 0;
  std::uint32_t storedLeft_ = 0;
  std::size_t heldEnd_ = SIZE_MAX;
  TZipHeaderReader headers_;
  TZipBlockHeader header_;

  const std::size_t capacity_;
  std::unique_ptr<std::uint16_t[]> out_;  // kWindow kept symbols, then capacity_ new ones
  std::size_t kept_ = 0;
  std::size_t used_ = 0;
  std::size_t markersEnd_ = 0;  // no marker at or past it (copies carry them on)
  bool mapped_ = false;         // markers become bytes through bytes_ when taken
  std::uint64_t drained_ = 0;   // symbols dropped from the front by Drain
  bool windowKnown_ = false;
  std::unique_ptr<std::uint8_t[]> window_;  // the bytes before the part, once known
  std::size_t windowSize_ = 0;
  std::unique_ptr<std::uint8_t[]> bytes_;  // per symbol: its byte, for a literal or a marker
};

}  // namespace talu::zip
