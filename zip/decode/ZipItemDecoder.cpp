#include "ZipItemDecoder.h"

#include <algorithm>
#include <memory>

#include "ZipChunkReader.h"
#include "ZipCrc32.h"
#include "ZipInflater.h"
#include "ZipRawInflate.h"
#include "ZipSplitInflate.h"

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
  const TZipSplitOptions* SplitOptions() const;
  bool InflateSplit(const TZipSplitOptions& options);
  bool Output(const std::uint8_t* data, std::int64_t size);
  bool WindowComplete() const { return result_.totalOut >= windowEnd_; }
  bool Emit(const std::uint8_t* data, std::int64_t size);

  const TZipDecodeRequest& req_;
  IZipDecodeSink& sink_;
  TZipDecodeWorkspace::TState& work_;
  TZipDecodeResult result_;
  std::int64_t windowEnd_;  // first uncompressed byte after the window
  bool stopped_ = false;    // cancelled or a write given up: the item ends there
};

// A cancel or a write given up ends the item at once; it still counts as read. A large deflate
// item is inflated on several cores; another deflate item that fills more than one output block
// is inflated ahead by a helper thread, which also reads its chunks; a second helper reads ahead
// only where there is decrypting to do, or for a stored item, which has no inflating to read
// beside.
TZipDecodeResult TDecodeRun::Run() {
  if (const TZipSplitOptions* split = SplitOptions()) {
    result_.ok = InflateSplit(*split);
    return result_;
  }
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

// Progress comes before each inflate call's output is taken: a cancel drops that output. The
// bytes before damage are written too, so that what an item that fails leaves is the same
// whatever the pieces of the data and the output.
bool TDecodeRun::InflateAll(TZipChunkReader& reader, bool ahead) {
  TZipInflater inflater(reader, *work_.inflate, req_.compressedSize, work_.output, ahead);
  for (;;) {
    const TZipInflateStep step = inflater.Next();
    if (step.kind == TZipInflateStep::kEnd) return true;
    if (step.kind == TZipInflateStep::kShortSource) return false;
    if (!sink_.Progress(result_.totalOut)) return true;
    if (!Output(step.data, step.size)) return false;
    if (step.kind == TZipInflateStep::kCorrupt) return false;
    if (stopped_ || WindowComplete()) return true;
  }
}

// A large deflate item that its source holds whole.
const TZipSplitOptions* TDecodeRun::SplitOptions() const {
  if (req_.method != 8 || req_.decryptor || !req_.maySplit) return nullptr;
  const TZipSplitOptions* options = ZipSplitOptionsFor(req_.compressedSize);
  return options && req_.source->Size() - req_.source->Position() >= req_.compressedSize ? options
                                                                                         : nullptr;
}

// The output comes in pieces of up to 64 KiB, each checked and written as an inflate call's
// output is; progress is reported before the first piece of each 1 MiB, as often as the
// single-stream inflate reports it.
bool TDecodeRun::InflateSplit(const TZipSplitOptions& options) {
  std::int64_t nextReport = 0;
  bool cancelled = false, failed = false;
  const TZipSplitEnd end =
      ZipSplitInflate(*req_.source, static_cast<std::uint64_t>(req_.compressedSize), options,
                      [&](const std::uint8_t* data, std::size_t size) {
                        if (result_.totalOut >= nextReport) {
                          cancelled = !sink_.Progress(result_.totalOut);
                          if (cancelled) return false;
                          nextReport = result_.totalOut + kZipChunkSize;
                        }
                        failed = !Output(data, static_cast<std::int64_t>(size));
                        return !failed && !stopped_ && !WindowComplete();
                      });
  return cancelled ||
         (!failed && end != TZipSplitEnd::kCorrupt && end != TZipSplitEnd::kShortSource);
}

// Takes output into the CRC and the window; false where it outgrows the item's size.
bool TDecodeRun::Output(const std::uint8_t* data, std::int64_t size) {
  result_.crc = CRC32(result_.crc, data, static_cast<std::size_t>(size));
  return Emit(data, size);
}

// Counts produced bytes and writes the part of them that lies in the window, so that `dest`
// holds the window's bytes alone, in order, whatever the chunks' sizes. Output past the item's
// size limit fails the item at once (its bytes up to the limit written), so an archive that lies
// about sizes cannot fill the disk.
bool TDecodeRun::Emit(const std::uint8_t* data, std::int64_t size) {
  const std::int64_t start = result_.totalOut;
  result_.totalOut += size;
  const bool outgrown = static_cast<std::uint64_t>(result_.totalOut) > req_.sizeLimit;
  const std::int64_t from = std::max(start, req_.offset);
  const std::int64_t end =
      outgrown ? std::min(windowEnd_, static_cast<std::int64_t>(req_.sizeLimit)) : windowEnd_;
  const std::int64_t to = std::min(result_.totalOut, end);
  if (to > from && !sink_.Write(*req_.dest, data + (from - start), to - from)) stopped_ = true;
  return !outgrown;
}

}  // namespace

TZipDecodeResult ZipDecodeItemData(const TZipDecodeRequest& request, IZipDecodeSink& sink,
                                   TZipDecodeWorkspace& workspace) {
  return TDecodeRun(request, sink, workspace.State()).Run();
}

}  // namespace talu::zip
