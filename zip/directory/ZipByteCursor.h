// A bounds-checked little-endian reader over a byte range. A read past the end yields zeros
// and clears Ok(), so a record can be parsed field by field and checked once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talu::zip {

class TByteCursor {
 public:
  TByteCursor(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  explicit TByteCursor(std::string_view bytes)
      : TByteCursor(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) {}

  bool Ok() const { return ok_; }
  std::size_t Remaining() const { return size_ - pos_; }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Load(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Load(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Load(4)); }
  std::uint64_t U64() { return Load(8); }
  // The next `count` bytes, or an empty view (and Ok() false) when fewer remain.
  std::string_view Bytes(std::size_t count) {
    if (!Has(count)) return {};
    const char* p = reinterpret_cast<const char*>(data_ + pos_);
    pos_ += count;
    return {p, count};
  }

 private:
  bool Has(std::size_t count) {
    if (count > Remaining()) ok_ = false;
    return ok_;
  }
  std::uint64_t Load(std::size_t count) {
    if (!Has(count)) return 0;
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = (value << 8) | data_[pos_ + i];
    pos_ += count;
    return value;
  }

  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace talu::zip
