#include "ZipRawInflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>

#include "ZipItemDecoder.h"

namespace talu::zip {

#if TALU_HAVE_ISAL
std::unique_ptr<TZipRawInflate> ZipMakeIsalInflate();  // ZipRawInflateIsal.cpp
#endif

namespace {

class TZlibInflate final : public TZipRawInflate {
 public:
  TZlibInflate() {
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) throw EDecompressionError(u"error");
  }
  ~TZlibInflate() override { inflateEnd(&z_); }
  // Resumed with the bits before the next input byte and the bytes made before.
  TZlibInflate(int bits, int value, const std::uint8_t* window, std::size_t windowSize)
      : TZlibInflate() {
    if ((windowSize > 0 &&
         inflateSetDictionary(&z_, window, static_cast<uInt>(windowSize)) != Z_OK) ||
        (bits > 0 && inflatePrime(&z_, bits, value) != Z_OK))
      throw EDecompressionError(u"error");
  }
  TZlibInflate(const TZlibInflate&) = delete;
  TZlibInflate& operator=(const TZlibInflate&) = delete;

  void Reset() override {
    if (inflateReset(&z_) != Z_OK) throw EDecompressionError(u"error");
    ended_ = false;
  }
  void SetInput(const std::uint8_t* data, std::uint32_t size, bool) override {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = size;
  }
  std::uint32_t InputLeft() const override { return z_.avail_in; }

  // A call that finds no input left (Z_BUF_ERROR) is no damage: the data may go on in the next
  // chunk.
  TZipInflateCall Inflate(std::uint8_t* output, std::uint32_t size) override {
    TZipInflateCall call;
    if (ended_) {
      call.status = TZipInflateCall::kStreamEnd;
      return call;
    }
    z_.next_out = output;
    z_.avail_out = size;
    const int rc = inflate(&z_, Z_NO_FLUSH);
    call.produced = size - z_.avail_out;
    if (rc == Z_STREAM_END) {
      ended_ = true;
      call.status = TZipInflateCall::kStreamEnd;
    } else if (rc < 0 && !(rc == Z_BUF_ERROR && z_.avail_in == 0)) {
      call.status = TZipInflateCall::kCorrupt;
    }
    return call;
  }

 private:
  z_stream z_{};
  bool ended_ = false;
};

std::atomic<int> chosen{-1};  // a TZipInflaterKind a test has chosen, or -1

}  // namespace

std::unique_ptr<TZipRawInflate> ZipMakeRawInflate(TZipInflaterKind kind) {
#if TALU_HAVE_ISAL
  if (kind == TZipInflaterKind::kIsal) return ZipMakeIsalInflate();
#endif
  (void)kind;
  return std::make_unique<TZlibInflate>();
}

std::unique_ptr<TZipRawInflate> ZipMakeResumedInflate(const std::uint8_t* data, std::uint64_t bit,
                                                      const std::uint8_t* window,
                                                      std::size_t windowSize) {
  const int used = static_cast<int>(bit & 7);  // bits of the byte before the boundary
  const std::size_t kept = std::min<std::size_t>(windowSize, 32768);
  return std::make_unique<TZlibInflate>(used ? 8 - used : 0, used ? data[bit >> 3] >> used : 0,
                                        window + windowSize - kept, kept);
}

TZipInflaterKind ZipConfiguredInflater() {
  return TALU_HAVE_ISAL ? TZipInflaterKind::kIsal : TZipInflaterKind::kZlib;
}

bool ZipInflaterBuiltIn(TZipInflaterKind kind) {
  return kind == TZipInflaterKind::kZlib || TALU_HAVE_ISAL;
}

const char* ZipInflaterName(TZipInflaterKind kind) {
  return kind == TZipInflaterKind::kIsal ? "ISA-L" : "zlib";
}

TZipInflaterKind ZipInflaterFor(std::int64_t compressedSize) {
  constexpr std::int64_t kShortItem = 4 << 10;
  const int kind = chosen.load(std::memory_order_relaxed);
  if (kind >= 0) return static_cast<TZipInflaterKind>(kind);
  return compressedSize < kShortItem ? TZipInflaterKind::kZlib : ZipConfiguredInflater();
}

void ZipUseInflater(TZipInflaterKind kind) {
  chosen.store(static_cast<int>(ZipInflaterBuiltIn(kind) ? kind : TZipInflaterKind::kZlib),
               std::memory_order_relaxed);
}

void ZipUseDefaultInflaters() {
  chosen.store(-1, std::memory_order_relaxed);
}

}  // namespace talu::zip
