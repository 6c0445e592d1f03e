#include "ZipMemoryStreams.h"

#include <algorithm>
#include <cstring>

namespace talu::zip {

template <class Bytes>
std::int64_t TBytesStream<Bytes>::Read(void* buffer, std::int64_t count) {
  const std::int64_t available = std::max<std::int64_t>(0, Size() - position_);
  const std::int64_t n = std::clamp<std::int64_t>(count, 0, available);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
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

template class TBytesStream<std::vector<unsigned char>>;
template class TBytesStream<std::string>;

}  // namespace talu::zip
