// The one seam to a raw deflate decoder: an item's data inflated call by call into the caller's
// output blocks. Two decoders sit behind it, zlib's and, where the build finds it (x86-64
// Linux), ISA-L's faster one; the choice is made when the project is configured. Both give the
// same bytes and the same outcome on every input: a call ends when its output block is full or
// its input is used up, damaged data end the item as corrupt at the symbol or block header where
// zlib finds the damage (with the bytes before it), data cut short give what zlib gives before it
// waits for more, and the bytes after the end of the deflate stream are left alone. ISA-L, laxer
// about damage (it decodes blocks whose Huffman codes are incomplete) and short of the last
// symbols of cut data, is given only data that a walk of the stream has checked as zlib checks
// it (ZipDeflateWalk); where the walk finds damage or the end of cut data, the data ISA-L is
// given end there with a made-up empty last block.
//
// Usage: auto inflate = ZipMakeRawInflate(ZipInflaterFor(compressedSize));
//        inflate->SetInput(data, size, last);  call = inflate->Inflate(block, blockSize);
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace talu::zip {

enum class TZipInflaterKind { kZlib, kIsal };

struct TZipInflateCall {
  enum TStatus { kMore, kStreamEnd, kCorrupt };
  TStatus status = kMore;
  std::uint32_t produced = 0;  // bytes written to the output block
};

class TZipRawInflate {
 public:
  virtual ~TZipRawInflate() = default;
  // A fresh state for the next item's data.
  virtual void Reset() = 0;
  // The next piece of input, `last` where no more follow; the previous one must be used up.
  virtual void SetInput(const std::uint8_t* data, std::uint32_t size, bool last) = 0;
  virtual std::uint32_t InputLeft() const = 0;
  // Inflates into `output` until it is full, the input is used up, the stream ends (then and
  // on every later call: kStreamEnd with nothing produced) or the data turn out damaged.
  virtual TZipInflateCall Inflate(std::uint8_t* output, std::uint32_t size) = 0;
};

// Raises EDecompressionError when the decoder cannot be set up.
std::unique_ptr<TZipRawInflate> ZipMakeRawInflate(TZipInflaterKind kind);

// zlib's decoder resumed at a block boundary `bit` bits into `data`, where `window` holds the last
// `windowSize` bytes (at most 32 KiB) the stream made before it: its input goes on at byte
// (bit + 7) / 8. It ends as the decoder run from the start of the stream would.
std::unique_ptr<TZipRawInflate> ZipMakeResumedInflate(const std::uint8_t* data, std::uint64_t bit,
                                                      const std::uint8_t* window,
                                                      std::size_t windowSize);

// The decoder this build was configured with, and whether a kind is built in.
TZipInflaterKind ZipConfiguredInflater();
bool ZipInflaterBuiltIn(TZipInflaterKind kind);
const char* ZipInflaterName(TZipInflaterKind kind);

// The decoder an item of `compressedSize` bytes is inflated with: the configured one, but zlib's
// for items of a few KiB (there ISA-L's pace does not make up for the walk that checks its
// input), unless a test that compares the two has chosen one for every item of the process
// (ZipUseInflater; ZipUseDefaultInflaters goes back).
TZipInflaterKind ZipInflaterFor(std::int64_t compressedSize);
void ZipUseInflater(TZipInflaterKind kind);
void ZipUseDefaultInflaters();

}  // namespace talu::zip
