#include "ZipPartInflate.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ZipDeflateSymbols.h"

namespace talu::zip {

namespace {

constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kCopyStep = 8;  // symbols a copy moves at once; it may write past its end

}  // namespace

TZipPartInflate::TZipPartInflate(std::size_t capacity)
    : capacity_(std::max(capacity, kMaxMatch)),
      out_(new std::uint16_t[kWindow + capacity_ + kCopyStep]),
      window_(new std::uint8_t[kWindow]),
      bytes_(new std::uint8_t[kMarker + kWindow]) {
  for (std::size_t i = 0; i < kMarker; ++i) bytes_[i] = static_cast<std::uint8_t>(i);
}

void TZipPartInflate::Start(const std::uint8_t* data, std::size_t size, std::uint64_t startBit,
                            const std::uint8_t* window, std::size_t windowSize) {
  in_.Start(data, size, startBit);
  heldEnd_ = SIZE_MAX;
  block_ = kHeader;
  last_ = false;
  firstType_ = -1;
  blockStart_ = startBit;
  blockStartProduced_ = 0;
  kept_ = used_ = 0;
  drained_ = 0;
  markersEnd_ = 0;
  mapped_ = false;
  windowKnown_ = window != nullptr;
  windowSize_ = window ? std::min(windowSize, kWindow) : 0;
  if (window) std::memcpy(window_.get(), window + windowSize - windowSize_, windowSize_);
}

void TZipPartInflate::MoveInput(const std::uint8_t* data, std::size_t size, std::uint64_t bit) {
  blockStart_ += bit - Position();  // kept as far before the new position (it may wrap around)
  in_.Start(data, size, bit);
}

bool TZipPartInflate::HeaderFollows() {
  const std::uint64_t at = Position();
  TStatus failure;
  const bool last = last_;
  const bool follows = !last_ && ReadHeader(failure);
  last_ = last;
  block_ = last_ ? kEnded : kHeader;
  in_.Seek(at);
  return follows;
}

TZipPartInflate::TStatus TZipPartInflate::Decode(std::uint64_t stopBit) {
  for (;;) {
    TStatus status = kCorrupt;
    switch (block_) {
      case kEnded:
        return kFinal;
      case kHeader:
        if (Position() >= stopBit) return kBoundary;
        if (in_.ReadTo() > heldEnd_) return kHeldEnd;
        if (!ReadHeader(status)) return status;
        break;
      case kStored:
        if (!DecodeStored(status)) return status;
        break;
      case kCodes:
        if (!DecodeCodes(status)) return status;
        break;
    }
    if (block_ == kHeader && last_) block_ = kEnded;
  }
}

bool TZipPartInflate::ReadHeader(TStatus& failure) {
  blockStart_ = Position();
  blockStartProduced_ = Produced();
  const TZipHeaderRead read = headers_.Read(in_, header_);
  last_ = header_.last;
  if (firstType_ < 0) firstType_ = header_.type;
  if (read != TZipHeaderRead::kOk) {
    failure = read == TZipHeaderRead::kCut ? kInputEnd : kCorrupt;
    return false;
  }
  storedLeft_ = header_.storedLength;
  block_ = header_.type == 0 ? kStored : kCodes;
  return true;
}

bool TZipPartInflate::DecodeStored(TStatus& status) {
  const std::size_t at = static_cast<std::size_t>(Position() >> 3);
  const std::size_t held = heldEnd_ > at ? heldEnd_ - at : 0;
  const std::size_t count = std::min({std::size_t{storedLeft_}, kWindow + capacity_ - used_, held});
  if (at + count > in_.Size()) {
    status = kInputEnd;
    return false;
  }
  std::copy(in_.Data() + at, in_.Data() + at + count, out_.get() + used_);
  used_ += count;
  storedLeft_ -= static_cast<std::uint32_t>(count);
  in_.Seek((at + count) * std::uint64_t{8});
  if (storedLeft_ > 0) {
    status = count == held ? kHeldEnd : kFull;
    return false;
  }
  block_ = kHeader;
  return true;
}

bool TZipPartInflate::DecodeCodes(TStatus& status) {
  std::uint16_t* const out = out_.get();
  const std::size_t end = kWindow + capacity_;
  const TZipHuffman& lengths = *header_.lengths;
  const TZipHuffman& distances = *header_.distances;
  TZipBitReader in = in_;  // a copy the compiler keeps in registers
  struct TKeep {           // put back on every way out
    TZipBitReader& to;
    const TZipBitReader& from;
    ~TKeep() { to = from; }
  } keep{in_, in};
  status = kCorrupt;
  for (;;) {
    if (used_ + kMaxMatch > end) {
      status = kFull;
      return false;
    }
    if (in.ReadTo() > heldEnd_) {
      status = kHeldEnd;
      return false;
    }
    in.Refill();
    std::uint32_t entry = lengths.Lookup(in.Peek());
    if (TZipHuffman::Length(entry) == 0) return false;
    in.Consume(TZipHuffman::Length(entry));
    int symbol = TZipHuffman::Symbol(entry);
    if (symbol < 256) {
      if (in.PastEnd()) break;
      out[used_++] = static_cast<std::uint16_t>(symbol);
      continue;
    }
    if (symbol == 256) {
      if (in.PastEnd()) break;
      block_ = kHeader;
      return true;
    }
    symbol -= 257;
    if (symbol >= kZipLengthSymbols) return false;
    const std::size_t length = kZipLengthBase[symbol] + in.Bits(kZipLengthExtra[symbol]);
    entry = distances.Lookup(in.Peek());
    if (TZipHuffman::Length(entry) == 0) return false;
    in.Consume(TZipHuffman::Length(entry));
    symbol = TZipHuffman::Symbol(entry);
    if (symbol >= kZipDistanceSymbols) return false;
    const std::size_t distance = kZipDistanceBase[symbol] + in.Bits(kZipDistanceExtra[symbol]);
    if (in.PastEnd()) break;
    if (!Copy(distance, length)) return false;
  }
  status = kInputEnd;
  return false;
}

bool TZipPartInflate::Copy(std::size_t distance, std::size_t length) {
  std::uint16_t* const to = out_.get() + used_;
  if (distance <= used_) {
    const std::uint16_t* from = to - distance;
    if (distance >= kCopyStep) {  // whole steps, each from before where it writes
      for (std::size_t i = 0; i < length; i += kCopyStep)
        std::memcpy(to + i, from + i, kCopyStep * sizeof *to);
    } else {
      for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
    }
    if (used_ - distance < markersEnd_) markersEnd_ = used_ + length;
  } else {
    if (!windowKnown_) markersEnd_ = used_ + length;
    const std::size_t before = distance - used_;  // how far the copy starts before the part
    if (windowKnown_ && before > windowSize_) return false;
    for (std::size_t i = 0; i < length; ++i) {
      if (i >= before) {
        to[i] = out_[i - before];
      } else if (windowKnown_) {
        to[i] = window_[windowSize_ - before + i];
      } else {
        to[i] = static_cast<std::uint16_t>(kMarker + kWindow - before + i);
      }
    }
  }
  used_ += length;
  return true;
}

bool TZipPartInflate::Resolve(const std::uint8_t* window, std::size_t windowSize) {
  windowSize_ = std::min(windowSize, kWindow);
  std::memcpy(window_.get(), window + windowSize - windowSize_, windowSize_);
  windowKnown_ = true;
  if (windowSize_ == kWindow) {  // every marker has its byte: one lookup per symbol, when taken
    std::memcpy(bytes_.get() + kMarker, window_.get(), kWindow);
    mapped_ = true;
    return true;
  }
  std::uint16_t* const out = out_.get();
  for (std::size_t i = 0; i < markersEnd_; ++i) {
    if (out[i] < kMarker) continue;
    const std::size_t before = kWindow - (out[i] - kMarker);
    if (before > windowSize_) return false;
    out[i] = window_[windowSize_ - before];
  }
  markersEnd_ = 0;
  return true;
}

void TZipPartInflate::TakeBytes(std::size_t from, std::size_t count, std::uint8_t* to) const {
  const std::uint16_t* const symbols = out_.get() + kept_ + from;
  const std::size_t marked =
      mapped_ ? std::min(count, markersEnd_ - std::min(markersEnd_, kept_ + from)) : 0;
  const std::uint8_t* const bytes = bytes_.get();
  for (std::size_t i = 0; i < marked; ++i) to[i] = bytes[symbols[i]];
  std::size_t i = marked;
#if defined(__SSE2__)
  for (; i + 16 <= count; i += 16) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(symbols + i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(symbols + i + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_packus_epi16(low, high));
  }
#endif
  for (; i < count; ++i) to[i] = static_cast<std::uint8_t>(symbols[i]);
}

void TZipPartInflate::Drain() {
  if (used_ > kWindow) {
    const std::size_t dropped = used_ - kWindow;
    std::copy(out_.get() + dropped, out_.get() + used_, out_.get());
    drained_ += dropped;
    markersEnd_ -= std::min(markersEnd_, dropped);
    used_ = kWindow;
  }
  kept_ = used_;
}

}  // namespace talu::zip
