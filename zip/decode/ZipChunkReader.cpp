#include "ZipChunkReader.h"

#include <algorithm>

namespace talu::zip {

TZipChunkReader::TZipChunkReader(TStream& source, IZipItemDecryptor* decryptor, std::int64_t total,
                                 std::unique_ptr<std::uint8_t[]>& buffer, bool readAhead)
    : source_(source), decryptor_(decryptor), total_(total), buffer_(buffer) {
  if (!readAhead || total_ <= kZipChunkSize) return;
  for (TSlot& slot : slots_) slot.bytes.reset(new std::uint8_t[kZipChunkSize + 2]);
  producer_ = std::thread([this] { Produce(); });
}

TZipChunkReader::~TZipChunkReader() {
  if (!producer_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  producer_.join();
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

void TZipChunkReader::Produce() {
  for (std::int64_t offset = 0, index = 0; offset < total_; ++index) {
    TSlot& slot = slots_[index % kSlots];
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || !slot.filled; });
      if (stop_) return;
    }
    slot.wanted = ChunkLength(offset);
    bool complete = false;
    try {
      complete = ReadChunk(slot.bytes.get() + 2, slot.wanted, slot.size);
    } catch (...) {
      slot.error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slot.filled = true;
    }
    changed_.notify_all();
    if (!complete) return;
    offset += slot.wanted;
  }
}

bool TZipChunkReader::Next(std::uint8_t*& data, std::int64_t& size) {
  if (!producer_.joinable()) {  // read here, one chunk at a time
    if (!buffer_) buffer_.reset(new std::uint8_t[kZipChunkSize + 2]);
    data = buffer_.get() + 2;
    const std::int64_t wanted = ChunkLength(offset_);
    offset_ += wanted;
    return ReadChunk(data, wanted, size);
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (holding_) {  // give back the chunk handed out last time
    slots_[(next_ + kSlots - 1) % kSlots].filled = false;
    changed_.notify_all();
  }
  TSlot& slot = slots_[next_];
  changed_.wait(lock, [&] { return slot.filled; });
  if (slot.error) std::rethrow_exception(slot.error);
  next_ = (next_ + 1) % kSlots;
  holding_ = true;
  data = slot.bytes.get() + 2;
  size = slot.size;
  return slot.size == slot.wanted;
}

}  // namespace talu::zip
