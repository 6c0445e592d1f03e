// Deflate data read bit by bit, least significant bit first, from bytes held in memory; past the
// end of the data it reads zero bits, and PastEnd tells that they were read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace talu::zip {

class TZipBitReader {
 public:
  void Start(const std::uint8_t* data, std::size_t size, std::uint64_t bit) {
    data_ = data;
    size_ = size;
    Seek(bit);
  }
  void Seek(std::uint64_t bit) {
    bytePos_ = static_cast<std::size_t>(bit >> 3);
    buffer_ = 0;
    count_ = 0;
    Refill();
    Consume(static_cast<int>(bit & 7));
  }
  // At least 56 bits in the buffer afterwards.
  void Refill() {
    if (bytePos_ + 8 <= size_) {
      std::uint64_t word;
      std::memcpy(&word, data_ + bytePos_, 8);  // little-endian hosts only
      buffer_ |= word << count_;
      bytePos_ += (63 - count_) >> 3;
      count_ |= 56;
      return;
    }
    while (count_ <= 56) {
      const std::uint64_t byte = bytePos_ < size_ ? data_[bytePos_] : 0;
      buffer_ |= byte << count_;
      ++bytePos_;
      count_ += 8;
    }
  }
  std::uint64_t Peek() const { return buffer_; }
  int Buffered() const { return count_; }
  void Consume(int count) {
    buffer_ >>= count;
    count_ -= count;
  }
  std::uint64_t Bits(int count) {
    if (count_ < count) Refill();
    const std::uint64_t value = buffer_ & ((std::uint64_t{1} << count) - 1);
    Consume(count);
    return value;
  }
  // To the next byte boundary.
  void Align() { Consume(count_ & 7); }

  std::uint64_t Position() const { return bytePos_ * std::uint64_t{8} - count_; }
  std::uint64_t EndBit() const { return size_ * std::uint64_t{8}; }
  bool PastEnd() const { return Position() > EndBit(); }
  // The byte after the last one taken into the buffer.
  std::size_t ReadTo() const { return bytePos_; }
  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t bytePos_ = 0;
  std::uint64_t buffer_ = 0;
  int count_ = 0;
};

}  // namespace talu::zip
