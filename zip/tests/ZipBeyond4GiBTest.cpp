// Archives larger than 4 GiB, served by a stream that makes its leading zeros on the fly: item
// offsets past the 32-bit range, from a stub in front and from the rebuild of a cut directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ItemMaker.h"
#include "TestArchive.h"

namespace talu::zip::test {
namespace {

// `zeros` zero bytes, then `tail`; read-only.
class TZeroPrefixedStream final : public TStream {
 public:
  TZeroPrefixedStream(std::int64_t zeros, Bytes tail) : zeros_(zeros), tail_(std::move(tail)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    const std::int64_t n = std::clamp<std::int64_t>(Size() - position_, 0, count);
    auto* out = static_cast<char*>(buffer);
    for (std::int64_t done = 0; done < n;) {
      const std::int64_t at = position_ + done;
      const std::int64_t piece = at < zeros_ ? std::min(n - done, zeros_ - at) : n - done;
      if (at < zeros_)
        std::memset(out + done, 0, static_cast<std::size_t>(piece));
      else
        std::memcpy(out + done, tail_.data() + (at - zeros_), static_cast<std::size_t>(piece));
      done += piece;
    }
    position_ += n;
    return n;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    return position_ = SeekTarget(offset, origin, position_, Size());
  }
  void SetSize(std::int64_t) override {}
  std::int64_t Size() override { return zeros_ + static_cast<std::int64_t>(tail_.size()); }

 private:
  std::int64_t zeros_;
  Bytes tail_;
  std::int64_t position_ = 0;
};

// The first item starts exactly at the 32-bit sentinel, the second past the 32-bit range; the
// stub's size is added to the directory's offsets, or the rebuild finds the local headers.
TEST(Beyond4GiB, ItemOffsetsKeepAll64Bits) {
  constexpr std::int64_t kStub = 0xFFFFFFFF;
  const Bytes whole = BuildArchive({Stored("a.txt", "alpha"), Deflated("b.txt", "bravo")});
  const struct {
    const char* what;
    Bytes archive;
    bool rebuilt;
  } cases[] = {{"stub in front", whole, false},
               {"directory cut off", whole.substr(0, CentralDirStart(whole)), true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TZeroPrefixedStream stream(kStub, c.archive);
    TZipArchiver zip;
    zip.OpenArchive(stream, false);
    ASSERT_EQ(zip.DMHandle()->CDir.Count(), 2);
    EXPECT_EQ(zip.DMHandle()->Rebuilt, c.rebuilt);
    EXPECT_EQ(zip.DMHandle()->CDir[0].LocalHeaderOffset(), std::uint64_t(kStub));
    EXPECT_EQ(zip.DMHandle()->CDir[1].LocalHeaderOffset(), std::uint64_t(kStub) + 30 + 5 + 5);
    for (const auto& [name, text] : {std::pair{u"a.txt", u"alpha"}, {u"b.txt", u"bravo"}}) {
      std::u16string got;
      zip.ExtractToString(name, got);
      EXPECT_EQ(got, text);
    }
  }
}

}  // namespace
}  // namespace talu::zip::test
