#include "ZipMemoryStreams.h"

#include <algorithm>
#include <cstring>

namespace talu::zip {
namespace {

// Moves up to `count` bytes between `buffer` and the block at `position` of a block of `size`
// bytes; returns the number moved and advances `position` by it.
std::int64_t MoveWithin(unsigned char* block, std::int64_t size, std::int64_t& position,
                        void* buffer, std::int64_t count, bool toBlock) {
  const std::int64_t n =
      std::clamp<std::int64_t>(count, 0, std::max<std::int64_t>(0, size - position));
  if (n > 0) {
    unsigned char* at = block + position;
    if (toBlock)
      std::memcpy(at, buffer, static_cast<std::size_t>(n));
    else
      std::memcpy(buffer, at, static_cast<std::size_t>(n));
  }
  position += n;
  return n;
}

}  // namespace

template <class Bytes>
std::int64_t TBytesStream<Bytes>::Read(void* buffer, std::int64_t count) {
  return MoveWithin(reinterpret_cast<unsigned char*>(bytes_.data()), Size(), position_, buffer,
                    count, false);
}

template <class Bytes>
std::int64_t TBytesStream<Bytes>::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (position_ + count > Size()) bytes_.resize(static_cast<std::size_t>(position_ + count));
  std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}

template <class Bytes>
void TBytesStream<Bytes>::SetSize(std::int64_t size) {
  bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
  position_ = std::min(position_, Size());
}

std::int64_t TBufferStream::Read(void* buffer, std::int64_t count) {
  return MoveWithin(bytes_, size_, position_, buffer, count, false);
}

std::int64_t TBufferStream::Write(const void* buffer, std::int64_t count) {
  return MoveWithin(bytes_, size_, position_, const_cast<void*>(buffer), count, true);
}

template class TBytesStream<std::vector<unsigned char>>;
template class TBytesStream<std::string>;

}  // namespace talu::zip
