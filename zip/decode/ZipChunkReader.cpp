#include "ZipChunkReader.h"

#include <algorithm>

namespace talu::zip {

TZipChunkReader::TZipChunkReader(TStream& source, IZipItemDecryptor* decryptor, std::int64_t total,
                                 std::unique_ptr<std::uint8_t[]>& buffer, bool readAhead)
    : source_(source), decryptor_(decryptor), total_(total), buffer_(buffer) {
  if (!readAhead || total_ <= kZipChunkSize) return;
  for (int i = 0; i < 2; ++i) ring_[i].bytes.reset(new std::uint8_t[kZipChunkSize]);
  ring_.Start([this, offset = std::int64_t{0}](TSlot& slot) mutable {
    slot.wanted = ChunkLength(offset);
    offset += slot.wanted;
    return ReadChunk(slot.bytes.get(), slot.wanted, slot.size) && offset < total_;
  });
}

std::int64_t TZipChunkReader::ChunkLength(std::int64_t offset) const {
  return std::min(kZipChunkSize, total_ - offset);
}

// Reads and decrypts one chunk; false when the source delivered fewer bytes.
bool TZipChunkReader::ReadChunk(std::uint8_t* into, std::int64_t wanted, std::int64_t& got) {
  got = source_.Read(into, wanted);
  if (got != wanted) return false;
  if (decryptor_) decryptor_->DecryptBuffer(into, static_cast<std::size_t>(got));
  return true;
}

bool TZipChunkReader::Next(std::uint8_t*& data, std::int64_t& size) {
  if (!ring_.Running()) {  // read here, one chunk at a time
    if (!buffer_) buffer_.reset(new std::uint8_t[kZipChunkSize]);
    data = buffer_.get();
    const std::int64_t wanted = ChunkLength(offset_);
    offset_ += wanted;
    return ReadChunk(data, wanted, size);
  }
  const TSlot& slot = ring_.Take();
  data = slot.bytes.get();
  size = slot.size;
  return slot.size == slot.wanted;
}

}  // namespace talu::zip
