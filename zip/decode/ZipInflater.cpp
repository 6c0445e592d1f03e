#include "ZipInflater.h"

#include <zlib.h>

namespace talu::zip {

TZipInflater::TZipInflater(TZipChunkReader& reader, z_stream_s& z, std::int64_t total,
                           std::unique_ptr<std::uint8_t[]>& output)
    : reader_(reader), z_(z), total_(total), output_(output) {
  if (!reader.ReadsAhead()) return;
  for (int i = 0; i < 3; ++i) ring_[i].bytes.reset(new std::uint8_t[kZipChunkSize]);
  ring_.Start([this](TBlock& block) {
    block.step = Inflate(block.bytes.get());
    return block.step.kind == TZipInflateStep::kOutput;
  });
}

TZipInflateStep TZipInflater::Next() {
  if (ring_.Running()) return ring_.Take().step;
  if (!output_) output_.reset(new std::uint8_t[kZipChunkSize]);
  return Inflate(output_.get());
}

// One inflate call, after taking the next chunk when the last one is done. A call that finds
// no input left in its chunk (Z_BUF_ERROR) ends the chunk without output.
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
    z_.next_in = data;
    z_.avail_in = static_cast<uInt>(size);
    inChunk_ = true;
  }
  z_.next_out = output;
  z_.avail_out = static_cast<uInt>(kZipChunkSize);
  const int rc = inflate(&z_, Z_NO_FLUSH);
  const bool starved = rc == Z_BUF_ERROR && z_.avail_in == 0;
  step.kind = rc < 0 && !starved ? TZipInflateStep::kCorrupt : TZipInflateStep::kOutput;
  step.data = output;
  step.size = kZipChunkSize - z_.avail_out;
  step.chunkEnd = rc < 0 || rc == Z_STREAM_END || (z_.avail_out > 0 && z_.avail_in == 0);
  inChunk_ = !step.chunkEnd;
  return step;
}

}  // namespace talu::zip
