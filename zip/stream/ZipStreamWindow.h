// A read window over a stream for the directory loader and the signature searches: reads and
// searches are served from one buffer, which is refilled only when a request leaves it.
// Usage: TStreamWindow w(stream, 1 << 20); const unsigned char* p = w.Peek(pos, 46);
#pragma once

#include <cstdint>
#include <vector>

#include "ZipStream.h"

namespace talu::zip {

class TStreamWindow {
 public:
  TStreamWindow(TStream& stream, std::size_t capacity);

  std::int64_t Size() const { return size_; }
  // The `count` bytes at `position`, or nullptr when the stream ends before their end.
  const unsigned char* Peek(std::int64_t position, std::size_t count);
  // As Peek, but a short stream raises EReadError.
  const unsigned char* Read(std::int64_t position, std::size_t count);
  // The first position at or after `from` where the four bytes of `signature`, little-endian,
  // start; -1 when there is none.
  std::int64_t Find(std::uint32_t signature, std::int64_t from);

 private:
  bool Holds(std::int64_t position, std::size_t count) const;
  void Fill(std::int64_t position, std::size_t count);

  TStream& stream_;
  std::vector<unsigned char> buffer_;
  std::int64_t start_ = 0;  // stream position of buffer_[0]
  std::size_t length_ = 0;  // valid bytes in buffer_
  std::int64_t size_;
};

}  // namespace talu::zip
