#include "ZipItemDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "ZipChunkReader.h"
#include "ZipCrc32.h"

namespace talu::zip {
namespace {

// The two zlib header bytes put in front of an item's raw deflate data (fastest level), so
// that the stream is read with the zlib wrapper; its Adler-32 trailer never arrives.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};

}  // namespace

struct TZipDecodeWorkspace::TState {
  std::unique_ptr<std::uint8_t[]> input;   // made when a chunk is read in this thread
  std::unique_ptr<std::uint8_t[]> output;  // made on the first deflate item
  z_stream z{};
  bool inflating = false;  // z holds an inflate state

  ~TState() {
    if (inflating) inflateEnd(&z);
  }
  // A fresh inflate state for the next item: the first is made, later ones are reset.
  void StartInflate() {
    const int rc = inflating ? inflateReset(&z) : inflateInit(&z);
    if (rc < 0) throw EDecompressionError(u"error");
    inflating = true;
  }
};

TZipDecodeWorkspace::TZipDecodeWorkspace() : state_(std::make_unique<TState>()) {}
TZipDecodeWorkspace::~TZipDecodeWorkspace() = default;

namespace {

class TDecodeRun {
 public:
  TDecodeRun(const TZipDecodeRequest& request, IZipDecodeSink& sink,
             TZipDecodeWorkspace::TState& work)
      : req_(request), sink_(sink), work_(work), z_(work.z) {
    work.StartInflate();
  }
  TDecodeRun(const TDecodeRun&) = delete;
  TDecodeRun& operator=(const TDecodeRun&) = delete;

  TZipDecodeResult Run();

 private:
  bool DecodeChunk(std::uint8_t* data, std::int64_t size);
  bool CopyStored(const std::uint8_t* data, std::int64_t size);
  bool Inflate(std::uint8_t* data, std::int64_t size);
  bool Emit(const std::uint8_t* data, std::int64_t size);

  const TZipDecodeRequest& req_;
  IZipDecodeSink& sink_;
  TZipDecodeWorkspace::TState& work_;
  z_stream& z_;
  TZipDecodeResult result_;
  std::int64_t consumed_ = 0;
  std::int64_t chunkOut_ = 0;
  bool stopped_ = false;  // cancelled or a write given up: the rest of the chunk is dropped
};

TZipDecodeResult TDecodeRun::Run() {
  TZipChunkReader reader(*req_.source, req_.decryptor, req_.compressedSize, work_.input,
                         req_.readAhead && req_.count == 0);
  std::int64_t skip = 0;
  while (consumed_ < req_.compressedSize) {
    std::uint8_t* data = nullptr;
    std::int64_t n = 0;
    if (!reader.Next(data, n)) return result_;
    chunkOut_ = 0;
    stopped_ = false;
    if (!DecodeChunk(data, n)) return result_;
    consumed_ += n;
    // Window bookkeeping: output before the window is overwritten by the next chunk.
    const std::int64_t total = result_.totalOut;
    if (total < req_.offset)
      req_.dest->SetPosition(0);
    else if (total - chunkOut_ < req_.offset)
      skip = chunkOut_ - (total - req_.offset);
    if (req_.count > 0 && req_.offset + req_.count <= total) {
      if (req_.offset > 0) req_.dest->SetPosition(skip);
      break;
    }
  }
  result_.ok = true;
  return result_;
}

// `data` has two writable bytes in front: the first chunk of deflate data gets the zlib header.
bool TDecodeRun::DecodeChunk(std::uint8_t* data, std::int64_t size) {
  if (req_.method == 0) return CopyStored(data, size);
  if (consumed_ == 0) {
    data[-2] = kZlibHeader[0];
    data[-1] = kZlibHeader[1];
    return Inflate(data - 2, size + 2);
  }
  return Inflate(data, size);
}

bool TDecodeRun::CopyStored(const std::uint8_t* data, std::int64_t size) {
  for (std::int64_t done = 0; done < size && !stopped_;) {
    const std::int64_t piece = std::min(kZipStoredPieceSize, size - done);
    result_.crc = CRC32(result_.crc, data + done, static_cast<std::size_t>(piece));
    done += piece;
    if (!sink_.Progress(consumed_ + done)) break;
    if (!Emit(data + done - piece, piece)) return false;
  }
  return true;
}

bool TDecodeRun::Inflate(std::uint8_t* data, std::int64_t size) {
  if (!work_.output) work_.output.reset(new std::uint8_t[kZipChunkSize]);
  std::uint8_t* output = work_.output.get();
  z_.next_in = data;
  z_.avail_in = static_cast<uInt>(size);
  while (!stopped_) {
    if (!sink_.Progress(result_.totalOut)) break;
    z_.next_out = output;
    z_.avail_out = static_cast<uInt>(kZipChunkSize);
    const int rc = inflate(&z_, Z_NO_FLUSH);
    if (rc < 0) return rc == Z_BUF_ERROR && z_.avail_in == 0;
    const std::int64_t produced = kZipChunkSize - z_.avail_out;
    result_.crc = CRC32(result_.crc, output, static_cast<std::size_t>(produced));
    if (!Emit(output, produced)) return false;
    if ((z_.avail_out > 0 && z_.avail_in == 0) || rc == Z_STREAM_END) break;
  }
  return true;
}

// Counts and writes produced bytes. Output past the item's size limit fails the item at once,
// so an archive that lies about sizes cannot fill the disk.
bool TDecodeRun::Emit(const std::uint8_t* data, std::int64_t size) {
  result_.totalOut += size;
  chunkOut_ += size;
  if (static_cast<std::uint64_t>(result_.totalOut) > req_.sizeLimit) return false;
  if (size > 0 && !sink_.Write(*req_.dest, data, size)) stopped_ = true;
  return true;
}

}  // namespace

TZipDecodeResult ZipDecodeItemData(const TZipDecodeRequest& request, IZipDecodeSink& sink,
                                   TZipDecodeWorkspace& workspace) {
  return TDecodeRun(request, sink, workspace.State()).Run();
}

}  // namespace talu::zip
