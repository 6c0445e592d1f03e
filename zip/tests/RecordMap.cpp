#include "RecordMap.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace talu::zip::test {
namespace {

constexpr std::uint32_t kLocalSig = 0x04034B50, kCentralSig = 0x02014B50;
constexpr std::uint32_t kDescriptorSig = 0x08074B50, kZip64EndSig = 0x06064B50;
constexpr std::uint32_t kLocatorSig = 0x07064B50;
constexpr std::uint32_t kSentinel32 = 0xFFFFFFFF;

class Reader {
 public:
  explicit Reader(const Bytes& bytes) : bytes_(bytes) {}
  std::uint64_t At(std::size_t offset, int width) const {
    if (offset + width > bytes_.size()) throw std::runtime_error("record runs past the end");
    std::uint64_t value = 0;
    for (int i = width; i-- > 0;)
      value = value << 8 | static_cast<unsigned char>(bytes_[offset + i]);
    return value;
  }
  void Expect(std::size_t offset, std::uint32_t signature) const {
    if (At(offset, 4) != signature) throw std::runtime_error("signature expected");
  }

 private:
  const Bytes& bytes_;
};

struct CentralEntry {
  std::uint64_t compSize;
  std::uint64_t localOffset;
  bool descriptor;
};

// Sizes and offset of one central header, with the Zip64 block's values where the header holds
// sentinels.
CentralEntry ReadCentral(const Reader& in, std::size_t at) {
  CentralEntry e{in.At(at + 20, 4), in.At(at + 42, 4), (in.At(at + 8, 2) & 8) != 0};
  const bool bigSize = in.At(at + 24, 4) == kSentinel32;
  std::size_t extra = at + 46 + in.At(at + 28, 2);
  const std::size_t extraEnd = extra + in.At(at + 30, 2);
  for (; extra + 4 <= extraEnd; extra += 4 + in.At(extra + 2, 2)) {
    if (in.At(extra, 2) != 1) continue;
    std::size_t field = extra + 4 + (bigSize ? 8 : 0);
    if (e.compSize == kSentinel32) e.compSize = in.At(std::exchange(field, field + 8), 8);
    if (e.localOffset == kSentinel32) e.localOffset = in.At(field, 8);
  }
  return e;
}

// The local header at `at` with its name and extra field, and its data descriptor if any.
void AddLocal(const Reader& in, std::size_t at, const CentralEntry& e,
              std::vector<ByteSpan>& spans) {
  in.Expect(at, kLocalSig);
  const std::size_t dataStart = at + 30 + in.At(at + 26, 2) + in.At(at + 28, 2);
  spans.push_back({at, dataStart});
  if (!e.descriptor) return;
  const std::size_t d = dataStart + e.compSize;
  const std::size_t body = in.At(d, 4) == kDescriptorSig ? 16 : 12;
  spans.push_back({d, d + body});
}

}  // namespace

std::vector<ByteSpan> MapRecords(const Bytes& archive) {
  const Reader in(archive);
  const std::size_t end = EndRecordStart(archive);
  if (end == Bytes::npos || end + 22 != archive.size()) throw std::runtime_error("no end record");
  std::vector<ByteSpan> spans{{end, end + 22}};
  std::uint64_t count = in.At(end + 10, 2), dirSize = in.At(end + 12, 4);
  std::uint64_t dirOffset = in.At(end + 16, 4);
  std::size_t dirEnd = end;
  if (end >= 76 && in.At(end - 20, 4) == kLocatorSig) {
    const std::size_t zip64 = end - 76;
    in.Expect(zip64, kZip64EndSig);
    spans.push_back({zip64, end - 20});
    spans.push_back({end - 20, end});
    count = in.At(zip64 + 32, 8);
    dirSize = in.At(zip64 + 40, 8);
    dirOffset = in.At(zip64 + 48, 8);
    dirEnd = zip64;
  }
  // Data in front of the archive shifts every offset the records give.
  const std::size_t dirStart = dirEnd - dirSize;
  const std::size_t shift = dirStart - dirOffset;
  std::size_t at = dirStart;
  for (std::uint64_t i = 0; i < count; ++i) {
    in.Expect(at, kCentralSig);
    const std::size_t next = at + 46 + in.At(at + 28, 2) + in.At(at + 30, 2) + in.At(at + 32, 2);
    spans.push_back({at, next});
    const CentralEntry entry = ReadCentral(in, at);
    AddLocal(in, entry.localOffset + shift, entry, spans);
    at = next;
  }
  if (at != dirEnd) throw std::runtime_error("central directory size mismatch");
  std::sort(spans.begin(), spans.end(),
            [](const ByteSpan& a, const ByteSpan& b) { return a.begin < b.begin; });
  return spans;
}

}  // namespace talu::zip::test
