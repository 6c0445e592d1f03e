// Supplies an item's stored data chunk by chunk, read and decrypted. Whole items of several
// chunks are read and decrypted by a helper thread that keeps the next chunk ready, so that
// decryption (and reading) overlaps with decompression on a second core; the chunks, their
// order and their contents are the same either way.
//
// Usage: TZipChunkReader reader(source, decryptor, size, buffer, true);
//        for (done = 0; done < size; done += n) if (!reader.Next(data, n)) fail;
#pragma once

#include <cstdint>
#include <memory>

#include "ZipAheadRing.h"
#include "ZipItemDecoder.h"

namespace talu::zip {

class TZipChunkReader {
 public:
  // `buffer` (made on first use, kZipChunkSize bytes) serves chunks read without the helper:
  // for items of one chunk, and when `readAhead` is false (a window must not read past its end;
  // the inflater's helper reads unencrypted deflate data itself), in the thread that calls Next.
  TZipChunkReader(TStream& source, IZipItemDecryptor* decryptor, std::int64_t total,
                  std::unique_ptr<std::uint8_t[]>& buffer, bool readAhead);
  TZipChunkReader(const TZipChunkReader&) = delete;
  TZipChunkReader& operator=(const TZipChunkReader&) = delete;

  // True when a helper thread reads the chunks.
  bool ReadsAhead() const { return ring_.Running(); }

  // The next chunk of min(kZipChunkSize, bytes left) bytes; call it only while data are left.
  // False when the source ended early. Passes on exceptions of the stream and the decryptor.
  bool Next(std::uint8_t*& data, std::int64_t& size);

 private:
  struct TSlot {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int64_t size = 0;  // bytes read; short of the chunk's length when the source ended
    std::int64_t wanted = 0;
  };

  std::int64_t ChunkLength(std::int64_t offset) const;
  bool ReadChunk(std::uint8_t* into, std::int64_t wanted, std::int64_t& got);

  TStream& source_;
  IZipItemDecryptor* decryptor_;
  const std::int64_t total_;
  std::unique_ptr<std::uint8_t[]>& buffer_;
  std::int64_t offset_ = 0;       // bytes handed out in the caller's thread
  TZipAheadRing<TSlot, 2> ring_;  // one slot with the consumer, one being filled; stops first
};

}  // namespace talu::zip
