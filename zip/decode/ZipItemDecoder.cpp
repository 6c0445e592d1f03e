#include "ZipItemDecoder.h"

#include <algorithm>
#include <memory>

#include "ZipChunkReader.h"
#include "ZipCrc32.h"
#include "ZipInflater.h"
#include "ZipRawInflate.h"

namespace talu::zip {

struct TZipDecodeWorkspace::TState {
  std::unique_ptr<std::uint8_t[]> input;        // made when a chunk is read in this thread
  std::unique_ptr<std::uint8_t[]> output;       // made on the first deflate item
  std::unique_ptr<TZipRawInflate> inflates[2];  // per inflater, made when first wanted
  TZipRawInflate* inflate = nullptr;            // the one of the item under way

  // A fresh inflate state for the next item's raw deflate data.
  void StartInflate(std::int64_t compressedSize) {
    const TZipInflaterKind kind = ZipInflaterFor(compressedSize);
    std::unique_ptr<TZipRawInflate>& slot = inflates[kind == TZipInflaterKind::kIsal];
    if (slot)
      slot->Reset();
    else
      slot = ZipMakeRawInflate(kind);
    inflate = slot.get();
  }
};

TZipDecodeWorkspace::TZipDecodeWorkspace() : state_(std::make_unique<TState>()) {}
TZipDecodeWorkspace::~TZipDecodeWorkspace() = default;

namespace {

class TDecodeRun {
 public:
  TDecodeRun(const TZipDecodeRequest& request, IZipDecodeSink& sink,
             TZipDecodeWorkspace::TState& work)
      : req_(request),
        sink_(sink),
        work_(work),
        windowEnd_(ZipWindowEnd(request.offset, request.count)) {
    work.StartInflate(request.compressedSize);
  }
  TDecodeRun(const TDecodeRun&) = delete;
  TDecodeRun& operator=(const TDecodeRun&) = delete;

  TZipDecodeResult Run();

 private:
  bool CopyStored(TZipChunkReader& reader);
  bool InflateAll(TZipChunkReader& reader, bool ahead);
  bool WindowComplete() const { return result_.totalOut >= windowEnd_; }
  bool Emit(const std::uint8_t* data, std::int64_t size);

  const TZipDecodeRequest& req_;
  IZipDecodeSink& sink_;
  TZipDecodeWorkspace::TState& work_;
  TZipDecodeResult result_;
  std::int64_t windowEnd_;  // first uncompressed byte after the window
  bool stopped_ = false;    // cancelled or a write given up: the item ends there
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
      if (stopped_ || WindowComplete()) return true;
    }
    consumed += size;
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
    if (stopped_ || WindowComplete()) return true;
  }
}

// Counts produced bytes and writes the part of them that lies in the window, so that `dest`
// holds the window's bytes alone, in order, whatever the chunks' sizes. Output past the item's
// size limit fails the item at once, so an archive that lies about sizes cannot fill the disk.
bool TDecodeRun::Emit(const std::uint8_t* data, std::int64_t size) {
  const std::int64_t start = result_.totalOut;
  result_.totalOut += size;
  if (static_cast<std::uint64_t>(result_.totalOut) > req_.sizeLimit) return false;
  const std::int64_t from = std::max(start, req_.offset);
  const std::int64_t to = std::min(result_.totalOut, windowEnd_);
  if (to > from && !sink_.Write(*req_.dest, data + (from - start), to - from)) stopped_ = true;
  return true;
}

}  // namespace

TZipDecodeResult ZipDecodeItemData(const TZipDecodeRequest& request, IZipDecodeSink& sink,
                                   TZipDecodeWorkspace& workspace) {
  return TDecodeRun(request, sink, workspace.State()).Run();
}

}  // namespace talu::zip
