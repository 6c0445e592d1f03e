// Follows a raw deflate stream symbol by symbol without making its bytes, checking it as zlib
// checks it, to tell how far a faster decoder that is laxer about damage may be given the data:
// to the end of the stream, or to the point where zlib stops on damaged or cut-short data. The
// data come piece by piece into one buffer of the caller's; a walk stops short of the last few
// bytes until the last piece is in, so that nothing is decided on bits not yet there.
//
// Usage: stop = walk.Walk(buffer, size, last);  feed the decoder bits before walk.Position()
#pragma once

#include <cstddef>
#include <cstdint>

#include "ZipBitReader.h"
#include "ZipBlockHeader.h"

namespace talu::zip {

class TZipDeflateWalk {
 public:
  enum TStop {
    kNeedInput,  // walked up to the last few bytes: the next piece is wanted
    kStreamEnd,  // the last block ended at Position
    kDamaged,    // zlib fails at Position: nothing of the block header or symbol there is output
    kCut         // the data end: zlib outputs what lies before Position and waits for more
  };

  void Reset();
  // Walks on in `data` (the bytes walked so far, less those Dropped, and those after them).
  TStop Walk(const std::uint8_t* data, std::size_t size, bool last);
  // The bit of the data up to which the stream is checked.
  std::uint64_t Position() const { return position_; }
  // The caller's buffer no longer holds its first `bytes` (all of them before Position).
  void Dropped(std::size_t bytes) { position_ -= bytes * std::uint64_t{8}; }
  // Whether the walk stopped inside a stored block's data (cut: all of them before Position
  // may be output, and there is no way to end the stream early there).
  bool InStoredData() const { return block_ == kStored; }
  // After kDamaged or kCut outside stored data: the bits that end the stream at Position for
  // another decoder (the end of the block under way, then an empty last block), and their count.
  int Ending(std::uint64_t& bits) const;

 private:
  TStop WalkCodes(bool last);
  void SkipCodes();
  void MakeRuns();
  TZipBitReader SkipRuns(TZipBitReader in, std::uint64_t until);

  enum TBlock { kHeader, kStored, kCodes, kEnded };
  TZipBitReader in_;
  std::uint64_t position_ = 0;
  TBlock block_ = kHeader;
  bool lastBlock_ = false;
  std::uint32_t storedLeft_ = 0;
  std::uint64_t produced_ = 0;  // bytes the stream has made so far (for distances too far back)
  // Past the first 32 KiB, per value of the next kRunBits bits: the bits of the run of symbols
  // they begin with, or'ed with kThenDistance where a distance follows (made once per block).
  static constexpr int kRunBits = 12;
  static constexpr int kThenDistance = 16;
  std::uint8_t runs_[1 << kRunBits] = {};
  bool runsMade_ = false;
  TZipHeaderReader headers_;
  TZipBlockHeader header_;
};

}  // namespace talu::zip
