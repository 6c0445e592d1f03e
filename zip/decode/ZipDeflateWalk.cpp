#include "ZipDeflateWalk.h"

#include <algorithm>
#include <array>

#include "ZipDeflateSymbols.h"

namespace talu::zip {

namespace {

// Bits a walk keeps back from the end of a piece that is not the last: more than the longest
// block header (about 4,500 bits) before a header, more than the longest symbol with its extra
// bits and the reader's lookahead (48 + 64 bits) before a symbol.
constexpr std::uint64_t kHeaderMargin = 640 * 8;
constexpr std::uint64_t kSymbolMargin = 32 * 8;

}  // namespace

void TZipDeflateWalk::Reset() {
  position_ = 0;
  block_ = kHeader;
  lastBlock_ = false;
  storedLeft_ = 0;
  produced_ = 0;
}

TZipDeflateWalk::TStop TZipDeflateWalk::Walk(const std::uint8_t* data, std::size_t size,
                                             bool last) {
  in_.Start(data, size, position_);
  for (;;) {
    switch (block_) {
      case kEnded:
        return kStreamEnd;
      case kHeader: {
        if (!last && position_ + kHeaderMargin > in_.EndBit()) return kNeedInput;
        const TZipHeaderRead read = headers_.Read(in_, header_);
        if (read != TZipHeaderRead::kOk) return read == TZipHeaderRead::kCut ? kCut : kDamaged;
        lastBlock_ = header_.last;
        storedLeft_ = header_.storedLength;
        block_ = header_.type == 0 ? kStored : kCodes;
        runsMade_ = false;
        position_ = in_.Position();
        break;
      }
      case kStored: {
        const std::uint64_t there = (in_.EndBit() - position_) / 8;
        const std::uint32_t take =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(storedLeft_, there));
        storedLeft_ -= take;
        produced_ += take;
        position_ += take * std::uint64_t{8};
        in_.Seek(position_);
        if (storedLeft_ > 0) return last ? kCut : kNeedInput;
        block_ = lastBlock_ ? kEnded : kHeader;
        break;
      }
      case kCodes: {
        const TStop stop = WalkCodes(last);
        if (stop != kStreamEnd) return stop;
        block_ = lastBlock_ ? kEnded : kHeader;
        break;
      }
    }
  }
}

// Per value of the next kRunBits bits, the bits of the run of symbols they begin with: one or
// two literals, or a length symbol with its extra bits (kThenDistance: a distance follows), or a
// literal and such a length symbol; 0 where they begin with anything else or do not hold it.
void TZipDeflateWalk::MakeRuns() {
  const TZipHuffman& lengths = *header_.lengths;
  for (std::uint32_t i = 0; i < (1u << kRunBits); ++i) {  // first, runs of one symbol
    const std::uint32_t entry = lengths.Lookup(i);
    const int symbol = TZipHuffman::Symbol(entry);
    const int span = TZipHuffman::Span(entry);
    const bool held =
        entry != 0 && symbol != 256 && symbol < 257 + kZipLengthSymbols && span <= kRunBits;
    runs_[i] = static_cast<std::uint8_t>(!held ? 0 : symbol < 256 ? span : span | kThenDistance);
  }
  // A literal takes the symbol after it along where that one's bits are among the kRunBits. The
  // runs of one symbol at i >> bits lie below i: going down, they are not joined yet.
  for (std::uint32_t i = (1u << kRunBits); i-- > 0;) {
    const int first = runs_[i];
    if (first == 0 || first >= kThenDistance) continue;
    const int second = runs_[i >> first];
    if (second != 0 && (second & (kThenDistance - 1)) <= kRunBits - first)
      runs_[i] = static_cast<std::uint8_t>(first + second);
  }
  runsMade_ = true;
}

// Past the first 32 KiB of output, where distances need no check but their code: whole runs of
// the runs_ table, each with the distance after it, with no branch on the kind of symbol.
// Stops before any symbol the table does not hold or a distance code that is not valid.
TZipBitReader TZipDeflateWalk::SkipRuns(TZipBitReader in, std::uint64_t until) {
  if (!runsMade_) MakeRuns();
  const TZipHuffman& distances = *header_.distances;
  while (in.Position() <= until) {
    in.Refill();  // a run and a distance with its extra bits take at most 40 bits
    const std::uint64_t bits = in.Peek();
    const unsigned run = runs_[bits & ((1u << kRunBits) - 1)];
    if (run == 0) break;
    const unsigned taken = run & (kThenDistance - 1);
    const std::uint32_t far = distances.Lookup(bits >> taken);
    const unsigned distance = run / kThenDistance;  // 1 where a distance follows
    const unsigned invalid = (far == 0) | (TZipHuffman::Symbol(far) >= kZipDistanceSymbols);
    if (distance & invalid) break;
    in.Consume(static_cast<int>(taken + (TZipHuffman::Span(far) & (0u - distance))));
  }
  return in;
}

// Symbols consumed while far from the end of the data, each checked as zlib checks it (a
// distance only while the output is short of 32 KiB: none reaches further). A literal and a
// length take the same steps, with the distance looked up either way and then used or not, so
// that the loop has no branch on the kind of symbol. Stops before the end of the block and
// before any symbol that fails a check, for the careful walk to take.
void TZipDeflateWalk::SkipCodes() {
  // Per literal/length symbol (the table's 10 bits of them), the bytes it makes less its extra
  // bits: 1 for a literal, its base for a length, 0 for the end of block and the invalid ones.
  static constexpr auto kMakes = [] {
    std::array<std::uint16_t, 1024> makes{};
    for (int i = 0; i < 256; ++i) makes[i] = 1;
    for (int i = 0; i < kZipLengthSymbols; ++i) makes[257 + i] = kZipLengthBase[i];
    return makes;
  }();
  static constexpr auto kDistanceBase = [] {  // per distance code, 0 for the invalid ones
    std::array<std::uint16_t, 1024> base{};
    for (int i = 0; i < kZipDistanceSymbols; ++i) base[i] = kZipDistanceBase[i];
    return base;
  }();
  const TZipHuffman& lengths = *header_.lengths;
  const TZipHuffman& distances = *header_.distances;
  if (in_.EndBit() < kSymbolMargin) return;
  const std::uint64_t until = in_.EndBit() - kSymbolMargin;
  TZipBitReader in = in_;  // a copy the compiler keeps in registers
  std::uint64_t produced = produced_;
  const auto extra = [](std::uint64_t bits, int from, int to) {
    return (bits >> from) & ((std::uint64_t{1} << (to - from)) - 1);
  };
  while (in.Position() <= until) {  // every break before a symbol's bits are consumed
    if (produced >= kZipWindow) {
      in = SkipRuns(in, until);
      if (in.Position() > until) break;
    }
    in.Refill();  // the longest symbol with its extra bits, then the longest distance: 48 bits
    const std::uint64_t bits = in.Peek();
    const std::uint32_t entry = lengths.Lookup(bits);
    const int symbol = TZipHuffman::Symbol(entry);
    const std::uint64_t makes = kMakes[symbol];
    if ((entry == 0) | (makes == 0)) break;  // no code, the end of block, an invalid symbol
    const int lengthBits = TZipHuffman::Span(entry);
    const std::uint32_t far = distances.Lookup(bits >> lengthBits);
    const std::uint64_t lengthMask = 0 - static_cast<std::uint64_t>(symbol > 256);
    const int farBits = TZipHuffman::Span(far);
    const std::uint64_t distanceBase = kDistanceBase[TZipHuffman::Symbol(far)];
    const std::uint64_t distance =
        distanceBase + extra(bits, lengthBits + TZipHuffman::Length(far), lengthBits + farBits);
    // How far back the symbol reaches: 0 for a literal, past any output for an invalid code.
    const std::uint64_t invalid = static_cast<std::uint64_t>((far == 0) | (distanceBase == 0));
    if (((distance | invalid << 62) & lengthMask) > produced) break;
    produced += makes + extra(bits, TZipHuffman::Length(entry), lengthBits);
    in.Consume(lengthBits + (farBits & static_cast<int>(lengthMask)));
  }
  in_ = in;
  position_ = in.Position();
  produced_ = produced;
}

// kStreamEnd here: the block ended. Each symbol is taken whole or not at all: where its bits run
// past the data it is cut, where they are there and wrong it is damage, in the order zlib reads
// them (code, extra bits, distance code, extra bits, then the distance's check).
TZipDeflateWalk::TStop TZipDeflateWalk::WalkCodes(bool last) {
  const TZipHuffman& lengths = *header_.lengths;
  const TZipHuffman& distances = *header_.distances;
  const std::uint64_t end = in_.EndBit();
  auto failAt = [this](TStop stop) {
    in_.Seek(position_);
    return stop;
  };
  for (;;) {
    SkipCodes();
    if (!last && position_ + kSymbolMargin > end) return kNeedInput;
    in_.Refill();
    std::uint32_t entry = lengths.Lookup(in_.Peek());
    if (TZipHuffman::Length(entry) == 0) return failAt(position_ + 1 > end ? kCut : kDamaged);
    in_.Consume(TZipHuffman::Length(entry));
    int symbol = TZipHuffman::Symbol(entry);
    if (in_.PastEnd()) return failAt(kCut);
    if (symbol < 256) {
      ++produced_;
      position_ = in_.Position();
      continue;
    }
    if (symbol == 256) {
      position_ = in_.Position();
      return kStreamEnd;
    }
    symbol -= 257;
    if (symbol >= kZipLengthSymbols) return failAt(kDamaged);
    const std::uint64_t length = kZipLengthBase[symbol] + in_.Bits(kZipLengthExtra[symbol]);
    if (in_.PastEnd()) return failAt(kCut);
    entry = distances.Lookup(in_.Peek());
    if (TZipHuffman::Length(entry) == 0) return failAt(in_.Position() + 1 > end ? kCut : kDamaged);
    in_.Consume(TZipHuffman::Length(entry));
    symbol = TZipHuffman::Symbol(entry);
    if (in_.PastEnd()) return failAt(kCut);
    if (symbol >= kZipDistanceSymbols) return failAt(kDamaged);
    const std::uint64_t distance = kZipDistanceBase[symbol] + in_.Bits(kZipDistanceExtra[symbol]);
    if (in_.PastEnd()) return failAt(kCut);
    if (distance > produced_) return failAt(kDamaged);
    produced_ += length;
    position_ = in_.Position();
  }
}

int TZipDeflateWalk::Ending(std::uint64_t& bits) const {
  constexpr std::uint64_t kEmptyLastBlock = 0b0000000'01'1;  // last, fixed codes, end of block
  constexpr int kEmptyLastBlockBits = 10;
  if (block_ != kCodes) {
    bits = kEmptyLastBlock;
    return kEmptyLastBlockBits;
  }
  const std::uint32_t end = header_.lengths->EndOfBlock();
  const int length = TZipHuffman::Length(end);
  bits = (end >> 4) | kEmptyLastBlock << length;
  return length + kEmptyLastBlockBits;
}

}  // namespace talu::zip
