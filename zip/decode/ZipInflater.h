// An item's deflate data inflated one call at a time, chunk by chunk, each call into an output
// block of kZipChunkSize bytes. Run ahead (whole items of more than one block, from a source a
// helper thread may read), the calls are made on a helper thread that takes the chunks from the
// reader and inflates them into a ring of blocks, while the caller checks, writes and reports
// the blocks it takes; the steps, their order and their output are the same either way.
//
// Usage: TZipInflater inflater(reader, inflate, size, output, ahead);
//        for (step = inflater.Next(); step.kind == TZipInflateStep::kOutput; ...) use step
#pragma once

#include <cstdint>
#include <memory>

#include "ZipAheadRing.h"
#include "ZipChunkReader.h"
#include "ZipRawInflate.h"

namespace talu::zip {

struct TZipInflateStep {
  enum TKind { kOutput, kEnd, kShortSource, kCorrupt };
  TKind kind = kEnd;  // kOutput: one inflate call done; the others end the data
  const std::uint8_t* data = nullptr;
  std::int64_t size = 0;  // bytes the call produced
  bool chunkEnd = false;  // the call finished with its input chunk
};

class TZipInflater {
 public:
  // `inflate` is in a fresh state for the item; `output` (made on first use) is the block of
  // the calls made in the caller's thread; `ahead`: the calls run ahead on a helper thread.
  TZipInflater(TZipChunkReader& reader, TZipRawInflate& inflate, std::int64_t total,
               std::unique_ptr<std::uint8_t[]>& output, bool ahead);
  ~TZipInflater();
  TZipInflater(const TZipInflater&) = delete;
  TZipInflater& operator=(const TZipInflater&) = delete;

  // The next inflate call; its output stays valid until the following Next. Passes on
  // exceptions of the reader.
  TZipInflateStep Next();

 private:
  static constexpr int kBlocks = 2;
  struct TBlock {
    std::unique_ptr<std::uint8_t[]> bytes;
    TZipInflateStep step;
  };

  TZipInflateStep Inflate(std::uint8_t* output);

  TZipChunkReader& reader_;
  TZipRawInflate& inflate_;
  const std::int64_t total_;
  std::unique_ptr<std::uint8_t[]>& output_;
  std::int64_t consumed_ = 0;  // input bytes taken from the reader
  bool inChunk_ = false;       // the current chunk still has input for the next call
  // One block with the consumer, one being filled (a third gains nothing measurable); stops
  // first.
  TZipAheadRing<TBlock, kBlocks> ring_;
};

}  // namespace talu::zip
