// Supplies an item's stored data chunk by chunk, read and decrypted. Whole items of several
// chunks are read and decrypted by a helper thread that keeps the next chunk ready, so that
// decryption (and reading) overlaps with decompression on a second core; the chunks, their
// order and their contents are the same either way.
//
// Usage: TZipChunkReader reader(source, decryptor, size, buffer, true);
//        for (done = 0; done < size; done += n) if (!reader.Next(data, n)) fail;
//        (data[-2] and data[-1] may be written)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "ZipItemDecoder.h"

namespace talu::zip {

class TZipChunkReader {
 public:
  // `buffer` (made on first use, kZipChunkSize + 2 bytes) serves chunks read in the caller's
  // thread: for items of one chunk, and when `readAhead` is false (a window must not read past
  // its end).
  TZipChunkReader(TStream& source, IZipItemDecryptor* decryptor, std::int64_t total,
                  std::unique_ptr<std::uint8_t[]>& buffer, bool readAhead);
  ~TZipChunkReader();
  TZipChunkReader(const TZipChunkReader&) = delete;
  TZipChunkReader& operator=(const TZipChunkReader&) = delete;

  // The next chunk of min(kZipChunkSize, bytes left) bytes, with two writable bytes in front
  // of it; call it only while data are left. False when the source ended early. Passes on
  // exceptions of the stream and the decryptor.
  bool Next(std::uint8_t*& data, std::int64_t& size);

 private:
  static constexpr int kSlots = 2;  // one with the consumer, one being filled
  struct TSlot {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int64_t size = 0;  // bytes read; short of the chunk's length when the source ended
    std::int64_t wanted = 0;
    std::exception_ptr error;
    bool filled = false;
  };

  std::int64_t ChunkLength(std::int64_t offset) const;
  bool ReadChunk(std::uint8_t* into, std::int64_t wanted, std::int64_t& got);
  void Produce();

  TStream& source_;
  IZipItemDecryptor* decryptor_;
  const std::int64_t total_;
  std::unique_ptr<std::uint8_t[]>& buffer_;

  std::int64_t offset_ = 0;  // bytes handed out in the caller's thread
  TSlot slots_[kSlots];
  int next_ = 0;          // slot the consumer takes next
  bool holding_ = false;  // the consumer holds slot next_ - 1
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread producer_;
};

}  // namespace talu::zip
