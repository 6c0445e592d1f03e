// The chunk loop: stored pieces, deflate across chunks, windows, cancel and lying sizes, deflate
// items inflated as one stream and split on helper threads.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "InflaterParity.h"
#include "decode/ZipCrc32.h"
#include "decode/ZipItemDecoder.h"
#include "decode/ZipRawInflate.h"
#include "decode/ZipSplitInflate.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

Bytes RawDeflate(const Bytes& plain, int level, int flush = Z_FINISH) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, plain.size()));
  z.next_in = const_cast<Bytef*>(plain.data());
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, flush);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Records what the loop reports and writes; can cancel after a number of progress calls.
class RecordingSink : public IZipDecodeSink {
 public:
  bool Progress(std::int64_t done) override {
    progress.push_back(done);
    return cancelAfter < 0 || static_cast<int>(progress.size()) <= cancelAfter;
  }
  bool Write(TStream& dest, const void* data, std::int64_t count) override {
    writes.push_back(count);
    dest.WriteBuffer(data, count);
    return true;
  }
  std::vector<std::int64_t> progress, writes;
  int cancelAfter = -1;
};

struct Decoded {
  TZipDecodeResult result;
  std::string out;
};

Decoded Decode(const Bytes& data, std::uint16_t method, std::uint64_t limit, RecordingSink& sink,
               std::int64_t count = 0, std::int64_t offset = 0) {
  TStringStream source(std::string(data.begin(), data.end()));
  TStringStream dest;
  TZipDecodeRequest req{&source, &dest,  static_cast<std::int64_t>(data.size()),
                        limit,   method, nullptr,
                        count,   offset};
  TZipDecodeWorkspace workspace;
  Decoded d{ZipDecodeItemData(req, sink, workspace), {}};
  d.out = dest.DataString();
  return d;
}

std::uint32_t Crc(const Bytes& b) {
  return CRC32(0xFFFFFFFFu, b.data(), b.size());
}

// Runs `check` with deflate items inflated as one stream, then split into tiny parts (`split`).
template <class Check>
void ForEachWay(Check check) {
  check(false);
  ZipUseSplitInflate(test::TinySplitParts());
  check(true);
  ZipUseSplitByDefault();
}

TEST(ItemDecoder, StoredItemsAreWrittenInPiecesOf65535) {
  for (size_t size : {size_t(0), size_t(65535), size_t(65536)}) {
    const Bytes plain = RandomBytes(size, 1);
    RecordingSink sink;
    const Decoded d = Decode(plain, 0, size, sink);
    ASSERT_TRUE(d.result.ok);
    EXPECT_EQ(d.out, std::string(plain.begin(), plain.end()));
    EXPECT_EQ(d.result.crc, Crc(plain));
    EXPECT_EQ(sink.writes.size(), (size + 65534) / 65535) << size;
  }
}

TEST(ItemDecoder, DeflateAcrossChunksEqualsThePlainData) {
  const Bytes plain = RandomBytes(3 * kZipChunkSize + 12345, 2);  // incompressible: 4 chunks
  const Bytes packed = RawDeflate(plain, 6);
  ASSERT_GT(packed.size(), 3u * kZipChunkSize);
  ForEachWay([&](bool split) {
    RecordingSink sink;
    const Decoded d = Decode(packed, 8, plain.size(), sink);
    ASSERT_TRUE(d.result.ok) << split;
    EXPECT_EQ(d.result.totalOut, static_cast<std::int64_t>(plain.size()));
    EXPECT_EQ(d.out, std::string(plain.begin(), plain.end())) << split;
    EXPECT_EQ(d.result.crc, Crc(plain));
  });
}

// Bytes after the end of the deflate stream, inside the stated compressed size, are read and
// left alone by both inflaters: a few in the stream's last chunk, or whole chunks after it.
TEST(ItemDecoder, BytesAfterTheStreamEndAreAccepted) {
  const Bytes plain = RandomBytes(5000, 9);
  for (const std::size_t after : {std::size_t{7}, std::size_t(2 * kZipChunkSize)}) {
    Bytes packed = RawDeflate(plain, 6);
    packed.resize(packed.size() + after, 0xAB);
    for (const TZipInflaterKind kind : {TZipInflaterKind::kZlib, TZipInflaterKind::kIsal}) {
      if (!ZipInflaterBuiltIn(kind)) continue;
      ZipUseInflater(kind);
      RecordingSink sink;
      const Decoded d = Decode(packed, 8, plain.size(), sink);
      EXPECT_TRUE(d.result.ok) << ZipInflaterName(kind) << " " << after;
      EXPECT_EQ(d.out, std::string(plain.begin(), plain.end())) << ZipInflaterName(kind);
    }
    ZipUseDefaultInflaters();
  }
}

TEST(ItemDecoder, WindowsReturnTheirBytesWithoutReadingPastThem) {
  const Bytes plain = RandomBytes(3 * kZipChunkSize, 3);
  const Bytes packed = RawDeflate(plain, 1);
  const std::int64_t cases[][2] = {{100, 0}, {100, kZipChunkSize + 7}, {5000, kZipChunkSize - 10}};
  ForEachWay([&](bool split) {
    for (const auto& c : cases) {
      RecordingSink sink;
      TStringStream source(std::string(packed.begin(), packed.end()));
      TStringStream dest;
      TZipDecodeRequest req{&source,      &dest, static_cast<std::int64_t>(packed.size()),
                            plain.size(), 8,     nullptr,
                            c[0],         c[1]};
      TZipDecodeWorkspace workspace;
      ASSERT_TRUE(ZipDecodeItemData(req, sink, workspace).ok);
      EXPECT_EQ(dest.Size(), c[0]);  // the window's bytes alone
      dest.SetPosition(0);
      std::string window(static_cast<size_t>(c[0]), '\0');
      dest.ReadBuffer(window.data(), c[0]);
      EXPECT_EQ(window, std::string(plain.begin() + c[1], plain.begin() + c[1] + c[0])) << split;
      EXPECT_LT(source.Position(), static_cast<std::int64_t>(packed.size())) << split;
    }
  });
}

// A cancel ends the item at the progress call that asked for it: nothing is written after it,
// also when a multi-chunk item is inflated ahead on a helper thread, or split (which reports
// each 1 MiB of output).
TEST(ItemDecoder, CancelEndsTheItemAtOnce) {
  const struct {
    size_t size;
    int cancelAfter;
  } cases[] = {{200000, 0}, {3 * kZipChunkSize + 5, 2}};
  ForEachWay([&](bool split) {
    for (const auto& c : cases) {
      const Bytes plain = RandomBytes(c.size, 4);
      for (std::uint16_t method : {std::uint16_t(0), std::uint16_t(8)}) {
        RecordingSink sink;
        sink.cancelAfter = c.cancelAfter;
        const Decoded d = Decode(method ? RawDeflate(plain, 6) : plain, method, plain.size(), sink);
        EXPECT_TRUE(d.result.ok);
        EXPECT_EQ(sink.progress.size(), static_cast<size_t>(c.cancelAfter + 1)) << method;
        if (split && method == 8)
          EXPECT_EQ(d.out.size() / kZipChunkSize, static_cast<size_t>(c.cancelAfter));
        else
          EXPECT_EQ(sink.writes.size(), static_cast<size_t>(c.cancelAfter)) << method;
        EXPECT_EQ(d.out, std::string(plain.begin(), plain.begin() + d.out.size())) << method;
      }
    }
  });
}

// Output past the stated size fails the item with its bytes up to that size written, and damage
// with every byte before it, however the item is inflated.
TEST(ItemDecoder, OutputPastTheStatedSizeOrDamageFailsTheItem) {
  const Bytes bomb(10 * kZipChunkSize, 'z');  // tiny input, lots of output
  const Bytes plain = RandomBytes(3 * kZipChunkSize, 5);
  Bytes damaged = RawDeflate(plain, 6, Z_SYNC_FLUSH);
  damaged.push_back(0xFF);  // a block of the reserved type
  ForEachWay([&](bool split) {
    RecordingSink sink;
    const Decoded d = Decode(RawDeflate(bomb, 9), 8, 1000, sink);
    EXPECT_FALSE(d.result.ok) << split;
    EXPECT_EQ(d.out, std::string(1000, 'z')) << split;
    const Decoded cut = Decode(damaged, 8, plain.size(), sink);
    EXPECT_FALSE(cut.result.ok) << split;
    EXPECT_TRUE(cut.out == std::string(plain.begin(), plain.end())) << split;
  });
}

}  // namespace
}  // namespace talu::zip
