#include "ZipInflater.h"

namespace talu::zip {

TZipInflater::TZipInflater(TZipChunkReader& reader, TZipRawInflate& inflate, std::int64_t total,
                           std::unique_ptr<std::uint8_t[]>& output, bool ahead)
    : reader_(reader), inflate_(inflate), total_(total), output_(output) {
  if (!ahead) return;
  // The caller's block is the ring's first while the ring runs.
  if (!output_) output_.reset(new std::uint8_t[kZipChunkSize]);
  ring_[0].bytes = std::move(output_);
  for (int i = 1; i < kBlocks; ++i) ring_[i].bytes.reset(new std::uint8_t[kZipChunkSize]);
  ring_.Start([this](TBlock& block) {
    block.step = Inflate(block.bytes.get());
    return block.step.kind == TZipInflateStep::kOutput;
  });
  if (!ring_.Running()) output_ = std::move(ring_[0].bytes);
}

TZipInflater::~TZipInflater() {
  ring_.Stop();
  if (ring_[0].bytes) output_ = std::move(ring_[0].bytes);
}

TZipInflateStep TZipInflater::Next() {
  if (ring_.Running()) return ring_.Take().step;
  if (!output_) output_.reset(new std::uint8_t[kZipChunkSize]);
  return Inflate(output_.get());
}

// One inflate call, after taking the next chunk when the last one is done. A call that finds
// no input left in its chunk ends the chunk.
TZipInflateStep TZipInflater::Inflate(std::uint8_t* output) {
  TZipInflateStep step;
  if (!inChunk_) {
    if (consumed_ == total_) return step;
    std::uint8_t* data = nullptr;
    std::int64_t size = 0;
    if (!reader_.Next(data, size)) {
      step.kind = TZipInflateStep::kShortSource;
      return step;
    }
    consumed_ += size;
    inflate_.SetInput(data, static_cast<std::uint32_t>(size), consumed_ == total_);
    inChunk_ = true;
  }
  const TZipInflateCall call = inflate_.Inflate(output, static_cast<std::uint32_t>(kZipChunkSize));
  step.kind = call.status == TZipInflateCall::kCorrupt ? TZipInflateStep::kCorrupt
                                                       : TZipInflateStep::kOutput;
  step.data = output;
  step.size = call.produced;
  step.chunkEnd = call.status != TZipInflateCall::kMore ||
                  (call.produced < kZipChunkSize && inflate_.InputLeft() == 0);
  inChunk_ = !step.chunkEnd;
  return step;
}

}  // namespace talu::zip
