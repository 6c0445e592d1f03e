// The chunk loop of item extraction: one item's data read in chunks of 1 MiB, decrypted in
// place, inflated (or copied, for stored items) into the destination, with a running CRC-32,
// progress callbacks before each inflate call's output or after each stored piece, and a window
// of the uncompressed data: only its bytes reach the destination, and reading stops once it is
// complete. Whole items of several
// chunks are read ahead and inflated ahead on helper threads (ZipChunkReader, ZipInflater);
// the CRC, the writes and the progress callbacks stay on the caller's thread.
//
// Usage: ZipDecodeItemData(request, sink) -> result; the caller checks size and CRC.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "ZipExcept.h"
#include "stream/ZipStream.h"

namespace talu::zip {

// Raised when the decompressor cannot be set up.
class EDecompressionError : public Exception {
 public:
  using Exception::Exception;
};

// Decrypts an item's data in place; the state carries over from call to call.
class IZipItemDecryptor {
 public:
  virtual ~IZipItemDecryptor() = default;
  virtual void DecryptBuffer(std::uint8_t* data, std::size_t count) = 0;
};

// The archiver's side of one extraction.
class IZipDecodeSink {
 public:
  virtual ~IZipDecodeSink() = default;
  // Reports `done` uncompressed (deflate) or compressed (stored) bytes of the item; false when
  // a handler asked to cancel.
  virtual bool Progress(std::int64_t done) = 0;
  // Writes all `count` bytes to `dest`; false when writing was given up (full disk, cancelled).
  virtual bool Write(TStream& dest, const void* data, std::int64_t count) = 0;
};

struct TZipDecodeRequest {
  TStream* source;  // at the first byte of the item's data (after encryption headers)
  TStream* dest;
  std::int64_t compressedSize;   // data bytes to read
  std::uint64_t sizeLimit;       // output beyond this many bytes fails the item
  std::uint16_t method;          // 0 stored, 8 deflate
  IZipItemDecryptor* decryptor;  // null for items that are not encrypted
  std::int64_t count = 0;        // window size, 0 for the rest of the item from `offset`
  std::int64_t offset = 0;       // first uncompressed byte of the window (0 or more)
  // Whole items of several chunks may be read ahead by a helper thread. Only for sources that
  // nothing else reads or moves meanwhile (the engine's own file streams): a caller's stream is
  // read on the caller's thread.
  bool readAhead = true;
  // A large deflate item may be inflated on several cores, its source read on the caller's
  // thread. Not for the data of a spanned archive, nor where the caller is a helper already.
  bool maySplit = true;
};

struct TZipDecodeResult {
  bool ok = false;            // all data read and decoded (a cancel or full disk still counts)
  std::int64_t totalOut = 0;  // uncompressed bytes produced
  std::uint32_t crc = 0xFFFFFFFFu;  // running CRC-32, not yet complemented
};

// The first uncompressed byte after the window of `count` bytes from `offset` (count 0: none).
inline std::int64_t ZipWindowEnd(std::int64_t offset, std::int64_t count) {
  return count == 0 || offset > std::numeric_limits<std::int64_t>::max() - count
             ? std::numeric_limits<std::int64_t>::max()
             : offset + count;
}

inline constexpr std::int64_t kZipChunkSize = 0x100000;      // input chunk, deflate output
inline constexpr std::int64_t kZipStoredPieceSize = 0xFFFF;  // output piece of stored items

// Working memory of the chunk loop, kept from item to item so that a batch of small items does
// not allocate and clear two chunks and an inflate state for each: the input chunk (with room
// for the two header bytes), the output chunk and the inflate state.
class TZipDecodeWorkspace {
 public:
  TZipDecodeWorkspace();
  ~TZipDecodeWorkspace();
  TZipDecodeWorkspace(const TZipDecodeWorkspace&) = delete;
  TZipDecodeWorkspace& operator=(const TZipDecodeWorkspace&) = delete;

  struct TState;
  TState& State() { return *state_; }

 private:
  std::unique_ptr<TState> state_;
};

// Runs the chunk loop for one item. Raises EDecompressionError when inflate cannot start and
// passes on exceptions of the streams and the sink.
TZipDecodeResult ZipDecodeItemData(const TZipDecodeRequest& request, IZipDecodeSink& sink,
                                   TZipDecodeWorkspace& workspace);

}  // namespace talu::zip
