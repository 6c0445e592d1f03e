#include "ZipStreamWindow.h"

#include <algorithm>
#include <cstring>

namespace talu::zip {

TStreamWindow::TStreamWindow(TStream& stream, std::size_t capacity)
    : stream_(stream), size_(stream.Size()) {
  const auto useful = static_cast<std::size_t>(std::max<std::int64_t>(size_, 64));
  buffer_.resize(std::min(capacity, useful));
}

bool TStreamWindow::Holds(std::int64_t position, std::size_t count) const {
  return position >= start_ &&
         position - start_ + static_cast<std::int64_t>(count) <= static_cast<std::int64_t>(length_);
}

void TStreamWindow::Fill(std::int64_t position, std::size_t count) {
  if (count > buffer_.size()) buffer_.resize(count);
  const std::int64_t left = size_ - position;
  const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, buffer_.size()));
  stream_.SetPosition(position);
  start_ = position;
  length_ = static_cast<std::size_t>(stream_.Read(buffer_.data(), static_cast<std::int64_t>(want)));
}

const unsigned char* TStreamWindow::Peek(std::int64_t position, std::size_t count) {
  static constexpr unsigned char kNothing = 0;
  if (count == 0) return &kNothing;
  if (position < 0 || position > size_ || static_cast<std::int64_t>(count) > size_ - position) {
    return nullptr;
  }
  if (!Holds(position, count)) Fill(position, count);
  return Holds(position, count) ? buffer_.data() + (position - start_) : nullptr;
}

const unsigned char* TStreamWindow::Read(std::int64_t position, std::size_t count) {
  const unsigned char* bytes = Peek(position, count);
  if (bytes == nullptr) throw EReadError();
  return bytes;
}

std::int64_t TStreamWindow::Find(std::uint32_t signature, std::int64_t from) {
  constexpr std::size_t kLength = 4;
  unsigned char pattern[kLength];
  for (std::size_t i = 0; i < kLength; ++i)
    pattern[i] = static_cast<unsigned char>(signature >> (8 * i));
  for (std::int64_t pos = std::max<std::int64_t>(from, 0);
       pos + static_cast<std::int64_t>(kLength) <= size_;) {
    if (!Holds(pos, kLength)) Fill(pos, kLength);
    if (!Holds(pos, kLength)) return -1;
    const unsigned char* p = buffer_.data() + (pos - start_);
    const unsigned char* last = buffer_.data() + length_ - (kLength - 1);  // past the last start
    for (; p < last; ++p) {
      p = static_cast<const unsigned char*>(
          std::memchr(p, pattern[0], static_cast<std::size_t>(last - p)));
      if (p == nullptr) break;
      if (std::memcmp(p, pattern, kLength) == 0) return start_ + (p - buffer_.data());
    }
    // Go on where a signature could still start: the last three bytes are searched again.
    pos = start_ + static_cast<std::int64_t>(length_ - (kLength - 1));
  }
  return -1;
}

}  // namespace talu::zip
