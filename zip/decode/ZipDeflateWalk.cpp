#include "ZipDeflateWalk.h"

#include <algorithm>

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
  const auto fits = [](std::uint32_t entry, int room) {  // the run may end with it
    const int symbol = TZipHuffman::Symbol(entry);
    if (entry == 0 || symbol == 256 || symbol >= 257 + kZipLengthSymbols) return 0;
    const int span = TZipHuffman::Span(entry);
    if (span > room) return 0;
    return symbol < 256 ? span : span | kThenDistance;
  };
  for (std::uint32_t i = 0; i < (1u << kRunBits); ++i) {
    const std::uint32_t first = lengths.Lookup(i);
    int run = fits(first, kRunBits);
    if (run != 0 && run < kThenDistance) {  // a literal: a second symbol may follow
      if (const int second = fits(lengths.Lookup(i >> run), kRunBits - run)) run += second;
    }
    runs_[i] = static_cast<std::uint8_t>(run);
  }
  runsMade_ = true;
}

// Past the first 32 KiB of output, where distances need no check but their code: whole runs of
// the runs_ table, each with the distance after it, with no branch on the kind of symbol.
// Stops before any symbol the table does not hold or a distance code that is not valid.
void TZipDeflateWalk::SkipRuns(TZipBitReader& reader, std::uint64_t until) {
  if (!runsMade_) MakeRuns();
  const TZipHuffman& distances = *header_.distances;
  TZipBitReader in = reader;  // a copy the compiler keeps in registers
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
  reader = in;
}

// Symbols consumed while far from the end of the data, each checked as zlib checks it (a
// distance only while the output is short of 32 KiB: none reaches further). Stops before the
// end of the block and before any symbol that fails a check, for the careful walk to take.
void TZipDeflateWalk::SkipCodes() {
  const TZipHuffman& lengths = *header_.lengths;
  const TZipHuffman& distances = *header_.distances;
  if (in_.EndBit() < kSymbolMargin) return;
  const std::uint64_t until = in_.EndBit() - kSymbolMargin;
  TZipBitReader in = in_;  // a copy the compiler keeps in registers
  std::uint64_t produced = produced_;
  while (in.Position() <= until) {  // every break before a symbol's bits are consumed
    if (produced >= kZipWindow) {
      SkipRuns(in, until);
      if (in.Position() > until) break;
    }
    if (in.Buffered() < 48) in.Refill();  // the longest symbol, with its extra bits
    const std::uint64_t bits = in.Peek();
    const std::uint32_t entry = lengths.Lookup(bits);
    const int symbol = TZipHuffman::Symbol(entry);
    if (symbol < 256) {
      if (entry == 0) break;
      in.Consume(TZipHuffman::Length(entry));
      ++produced;
      continue;
    }
    if (symbol == 256 || symbol >= 257 + kZipLengthSymbols) break;
    const int lengthBits = TZipHuffman::Span(entry);
    const std::uint32_t far = distances.Lookup(bits >> lengthBits);
    const int code = TZipHuffman::Symbol(far);
    if (far == 0 || code >= kZipDistanceSymbols) break;
    if (produced < kZipWindow) {
      const auto extra = [bits](int from, int count) {
        return (bits >> from) & ((std::uint64_t{1} << count) - 1);
      };
      const int lengthCode = TZipHuffman::Length(entry);
      const std::uint64_t distance =
          kZipDistanceBase[code] + extra(lengthBits + TZipHuffman::Length(far),
                                         TZipHuffman::Span(far) - TZipHuffman::Length(far));
      if (distance > produced) break;
      produced += kZipLengthBase[symbol - 257] + extra(lengthCode, lengthBits - lengthCode);
    }
    in.Consume(lengthBits + TZipHuffman::Span(far));
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
