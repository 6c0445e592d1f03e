#include "ZipItemDecoder.h"

#include <algorithm>
#include <memory>

#include "ZipChunkReader.h"
#include "ZipCrc32.h"
#include "ZipInflater.h"
#include "ZipRawInflate.h"

namespace talu::zip {

struct TZipDecodeWorkspace::TState {
  std::unique_ptr<std::uint8_t[]> input;   // made when a chunk is read in this thread
  std::unique_ptr<std::uint8_t[]> output;  // made on the first deflate item
  std::unique_ptr<TZipRawInflate> inflate;

  // A fresh inflate state for the next item's raw deflate data: the first is made, later ones
  // are reset.
  void StartInflate() {
    if (inflate)
      inflate->Reset();
    else
      inflate = ZipMakeRawInflate(ZipInflaterInUse());
  }
};

TZipDecodeWorkspace::TZipDecodeWorkspace() : state_(std::make_unique<TState>()) {}
TZipDecodeWorkspace::~TZipDecodeWorkspace() = default;

namespace {

class TDecodeRun {
 public:
  TDecodeRun(const TZipDecodeRequest& request, IZipDecodeSink& sink,
             TZipDecodeWorkspace::TState& work)
      : req_(request), sink_(sink), work_(work) {
    work.StartInflate();
  }
  TDecodeRun(const TDecodeRun&) = delete;
  TDecodeRun& operator=(const TDecodeRun&) = delete;

  TZipDecodeResult Run();

 private:
  bool CopyStored(TZipChunkReader& reader);
  bool InflateAll(TZipChunkReader& reader, bool ahead);
  bool WindowComplete();
  bool Emit(const std::uint8_t* data, std::int64_t size);

  const TZipDecodeRequest& req_;
  IZipDecodeSink& sink_;
  TZipDecodeWorkspace::TState& work_;
  TZipDecodeResult result_;
  std::int64_t chunkOut_ = 0;  // output of the current chunk
  std::int64_t skip_ = 0;      // where the window starts in `dest`
  bool stopped_ = false;       // cancelled or a write given up: the item ends there
};

// A cancel or a write given up ends the item at once; it still counts as read. A deflate item
// that fills more than one output block is inflated ahead by a helper thread, which also reads
// its chunks; a second helper reads ahead only where there is decrypting to do, or for a
// stored item, which has no inflating to read beside.
TZipDecodeResult TDecodeRun::Run() {
  const bool ahead = req_.readAhead && req_.count == 0;
  const bool inflateAhead = ahead && req_.method == 8 &&
                            (req_.compressedSize > kZipChunkSize ||
                             req_.sizeLimit > static_cast<std::uint64_t>(kZipChunkSize));
  TZipChunkReader reader(*req_.source, req_.decryptor, req_.compressedSize, work_.input,
                         ahead && (req_.decryptor || !inflateAhead));
  result_.ok = req_.method == 0 ? CopyStored(reader) : InflateAll(reader, inflateAhead);
  return result_;
}

bool TDecodeRun::CopyStored(TZipChunkReader& reader) {
  for (std::int64_t consumed = 0; consumed < req_.compressedSize;) {
    std::uint8_t* data = nullptr;
    std::int64_t size = 0;
    if (!reader.Next(data, size)) return false;
    for (std::int64_t done = 0; done < size;) {
      const std::int64_t piece = std::min(kZipStoredPieceSize, size - done);
      result_.crc = CRC32(result_.crc, data + done, static_cast<std::size_t>(piece));
      done += piece;
      if (!sink_.Progress(consumed + done)) return true;
      if (!Emit(data + done - piece, piece)) return false;
      if (stopped_) return true;
    }
    consumed += size;
    if (WindowComplete()) return true;
  }
  return true;
}

// Progress comes before each inflate call's output is taken: a cancel drops that output.
bool TDecodeRun::InflateAll(TZipChunkReader& reader, bool ahead) {
  TZipInflater inflater(reader, *work_.inflate, req_.compressedSize, work_.output, ahead);
  for (;;) {
    const TZipInflateStep step = inflater.Next();
    if (step.kind == TZipInflateStep::kEnd) return true;
    if (step.kind == TZipInflateStep::kShortSource) return false;
    if (!sink_.Progress(result_.totalOut)) return true;
    if (step.kind == TZipInflateStep::kCorrupt) return false;
    result_.crc = CRC32(result_.crc, step.data, static_cast<std::size_t>(step.size));
    if (!Emit(step.data, step.size)) return false;
    if (stopped_ || (step.chunkEnd && WindowComplete())) return true;
  }
}

// Window bookkeeping at the end of a chunk: output before the window is overwritten by the
// next chunk. True once the window is complete.
bool TDecodeRun::WindowComplete() {
  const std::int64_t total = result_.totalOut;
  if (total < req_.offset)
    req_.dest->SetPosition(0);
  else if (total - chunkOut_ < req_.offset)
    skip_ = chunkOut_ - (total - req_.offset);
  chunkOut_ = 0;
  if (req_.count == 0 || req_.offset + req_.count > total) return false;
  if (req_.offset > 0) req_.dest->SetPosition(skip_);
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
