#include "ZipPartInflate.h"

#include <algorithm>
#include <cstring>

namespace talu::zip {

namespace {

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
constexpr std::size_t kMaxMatch = 258;

}  // namespace

TZipPartInflate::TZipPartInflate(std::size_t capacity)
    : capacity_(std::max(capacity, kMaxMatch)),
      out_(new std::uint16_t[kWindow + capacity_]),
      window_(new std::uint8_t[kWindow]) {}

void TZipPartInflate::Start(const std::uint8_t* data, std::size_t size, std::uint64_t startBit,
                            const std::uint8_t* window, std::size_t windowSize) {
  data_ = data;
  size_ = size;
  Seek(startBit);
  block_ = kHeader;
  last_ = false;
  firstType_ = -1;
  kept_ = used_ = 0;
  drained_ = 0;
  markersEnd_ = 0;
  windowKnown_ = window != nullptr;
  windowSize_ = window ? std::min(windowSize, kWindow) : 0;
  if (window) std::memcpy(window_.get(), window + windowSize - windowSize_, windowSize_);
}

void TZipPartInflate::Refill() {
  if (bytePos_ + 8 <= size_) {
    std::uint64_t word;
    std::memcpy(&word, data_ + bytePos_, 8);  // little-endian hosts only
    bitBuffer_ |= word << bitCount_;
    bytePos_ += (63 - bitCount_) >> 3;
    bitCount_ |= 56;
    return;
  }
  while (bitCount_ <= 56) {  // the end of the data: zero bits past it, caught by PastEnd
    const std::uint64_t byte = bytePos_ < size_ ? data_[bytePos_] : 0;
    bitBuffer_ |= byte << bitCount_;
    ++bytePos_;
    bitCount_ += 8;
  }
}

std::uint64_t TZipPartInflate::Bits(int count) {
  if (bitCount_ < count) Refill();
  const std::uint64_t value = bitBuffer_ & ((std::uint64_t{1} << count) - 1);
  Consume(count);
  return value;
}

void TZipPartInflate::Seek(std::uint64_t bit) {
  bytePos_ = static_cast<std::size_t>(bit >> 3);
  bitBuffer_ = 0;
  bitCount_ = 0;
  Refill();
  Consume(static_cast<int>(bit & 7));
}

bool TZipPartInflate::HeaderFollows() {
  const std::uint64_t at = Position();
  TStatus failure;
  const bool last = last_;
  const bool follows = !last_ && ReadHeader(failure);
  last_ = last;
  block_ = last_ ? kEnded : kHeader;
  Seek(at);
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
  Refill();
  last_ = Bits(1) != 0;
  const int type = static_cast<int>(Bits(2));
  if (firstType_ < 0) firstType_ = type;
  failure = kCorrupt;
  if (type == 0) {
    Consume(bitCount_ & 7);
    const std::uint64_t length = Bits(16);
    const std::uint64_t check = Bits(16);
    if (PastEnd()) failure = kInputEnd;
    if (PastEnd() || length != (~check & 0xFFFF)) return false;
    storedLeft_ = static_cast<std::uint32_t>(length);
    block_ = kStored;
    return true;
  }
  if (type == 1) {
    std::uint8_t lengths[288 + 32];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    std::fill(lengths + 288, lengths + 320, 5);
    lengths_.Build(lengths, 288, TZipHuffman::kSymbols);
    distances_.Build(lengths + 288, 32, TZipHuffman::kSymbols);
    block_ = kCodes;
    return true;
  }
  if (type == 2 && ReadCodes()) {
    block_ = kCodes;
    return true;
  }
  if (PastEnd()) failure = kInputEnd;
  return false;
}

bool TZipPartInflate::ReadCodes() {
  Refill();
  const int symbols = static_cast<int>(Bits(5)) + 257;
  const int distances = static_cast<int>(Bits(5)) + 1;
  const int codeLengths = static_cast<int>(Bits(4)) + 4;
  if (symbols > 286 || distances > 30) return false;
  std::uint8_t lengths[286 + 30] = {};
  int space = 0;  // of 128: a complete code fills it (checked here first: most guesses fail)
  for (int i = 0; i < codeLengths; ++i) {
    const int length = static_cast<int>(Bits(3));
    lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
    space += length ? 128 >> length : 0;
  }
  if (space != 128 || !lengths_.Build(lengths, 19, TZipHuffman::kCodeLengths)) return false;
  const int total = symbols + distances;
  for (int n = 0; n < total;) {
    Refill();
    const std::uint32_t entry = lengths_.Lookup(bitBuffer_);
    Consume(TZipHuffman::Length(entry));
    const int symbol = TZipHuffman::Symbol(entry);
    if (symbol < 16) {
      lengths[n++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    if (symbol == 16 && n == 0) return false;
    const std::uint8_t value = symbol == 16 ? lengths[n - 1] : 0;
    const int repeat = symbol == 16   ? 3 + static_cast<int>(Bits(2))
                       : symbol == 17 ? 3 + static_cast<int>(Bits(3))
                                      : 11 + static_cast<int>(Bits(7));
    if (n + repeat > total) return false;
    std::fill(lengths + n, lengths + n + repeat, value);
    n += repeat;
  }
  return !PastEnd() && lengths[256] != 0 &&
         lengths_.Build(lengths, symbols, TZipHuffman::kSymbols) &&
         distances_.Build(lengths + symbols, distances, TZipHuffman::kSymbols);
}

bool TZipPartInflate::DecodeStored(TStatus& status) {
  const std::size_t room = kWindow + capacity_ - used_;
  const std::size_t count = std::min<std::size_t>(storedLeft_, room);
  const std::size_t at = static_cast<std::size_t>(Position() >> 3);
  if (at + count > size_) {
    status = kInputEnd;
    return false;
  }
  std::copy(data_ + at, data_ + at + count, out_.get() + used_);
  used_ += count;
  storedLeft_ -= static_cast<std::uint32_t>(count);
  Seek((at + count) * std::uint64_t{8});
  if (storedLeft_ > 0) {
    status = kFull;
    return false;
  }
  block_ = kHeader;
  return true;
}

bool TZipPartInflate::DecodeCodes(TStatus& status) {
  std::uint16_t* const out = out_.get();
  const std::size_t end = kWindow + capacity_;
  status = kCorrupt;
  for (;;) {
    if (used_ + kMaxMatch > end) {
      status = kFull;
      return false;
    }
    Refill();
    std::uint32_t entry = lengths_.Lookup(bitBuffer_);
    if (TZipHuffman::Length(entry) == 0) return false;
    Consume(TZipHuffman::Length(entry));
    int symbol = TZipHuffman::Symbol(entry);
    if (symbol < 256) {
      if (PastEnd()) break;
      out[used_++] = static_cast<std::uint16_t>(symbol);
      continue;
    }
    if (symbol == 256) {
      if (PastEnd()) break;
      block_ = kHeader;
      return true;
    }
    symbol -= 257;
    if (symbol >= 29) return false;
    const std::size_t length = kLengthBase[symbol] + Bits(kLengthExtra[symbol]);
    entry = distances_.Lookup(bitBuffer_);
    if (TZipHuffman::Length(entry) == 0) return false;
    Consume(TZipHuffman::Length(entry));
    symbol = TZipHuffman::Symbol(entry);
    if (symbol >= 30) return false;
    const std::size_t distance = kDistanceBase[symbol] + Bits(kDistanceExtra[symbol]);
    if (PastEnd()) break;
    if (!Copy(distance, length)) return false;
  }
  status = kInputEnd;
  return false;
}

bool TZipPartInflate::Copy(std::size_t distance, std::size_t length) {
  std::uint16_t* const to = out_.get() + used_;
  if (distance <= used_) {
    const std::uint16_t* from = to - distance;
    for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
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
  std::uint16_t* const out = out_.get();
  for (std::size_t i = 0; i < markersEnd_; ++i) {
    if (out[i] < kMarker) continue;
    const std::size_t before = kWindow - (out[i] - kMarker);
    if (before > windowSize_) return false;
    out[i] = window_[windowSize_ - before];
  }
  windowKnown_ = true;
  return true;
}

void TZipPartInflate::Drain() {
  if (used_ > kWindow) {
    std::copy(out_.get() + used_ - kWindow, out_.get() + used_, out_.get());
    drained_ += used_ - kWindow;
    used_ = kWindow;
  }
  kept_ = used_;
}

}  // namespace talu::zip
