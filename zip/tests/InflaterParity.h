// Runs an archive through both inflaters of the build, and through the split inflate on several
// threads, and says where they differ: every item is extracted by its index, and its outcome
// (passed, or the native error it failed with) and the bytes written (their size and CRC-32,
// written before a failure included) must be the same.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ArchiveBuilder.h"
#include "ZipArchiver.h"
#include "decode/ZipCrc32.h"
#include "decode/ZipRawInflate.h"
#include "decode/ZipSplitInflate.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip::test {

// Keeps the size and CRC-32 of what is written, not the bytes: a bomb's output costs nothing.
class TDigestStream final : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* data, std::int64_t count) override {
    crc_ = CRC32(crc_, static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(count));
    size_ += count;
    return count;
  }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return size_; }
  void SetSize(std::int64_t) override {}
  std::string Digest() const {
    return std::to_string(size_) + " bytes, crc " + std::to_string(crc_);
  }

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
  std::int64_t size_ = 0;
};

class TItemByIndex final : public TZipArchiver {
 public:
  using TZipBaseArchiver::ExtractItem;
};

// Parts and segments so small that items of a few KiB are split into several.
inline TZipSplitOptions TinySplitParts() {
  TZipSplitOptions options;
  options.partSymbols = 4 << 10;
  options.searchBytes = 4 << 10;
  options.minPartBytes = 256;
  options.segmentBytes = 16 << 10;
  options.helpers = 2;
  return options;
}

// One line per item ("item N: outcome, digest"), or how opening ended, with `kind` inflating
// (split into tiny parts where `split`).
inline std::vector<std::string> ExtractEachItem(const Bytes& archive, const std::string& password,
                                                TZipInflaterKind kind, bool split = false) {
  ZipUseInflater(kind);
  if (split) ZipUseSplitInflate(TinySplitParts());
  std::vector<std::string> lines;
  TStringStream stream(archive);
  TItemByIndex zip;
  zip.SetOpenCorruptedArchives(true);
  zip.SetPassword(password);
  zip.OnPassword = [](TZipBaseArchiver&, const std::u16string&, std::string&, bool& skip) {
    skip = true;
  };
  try {
    zip.OpenArchive(stream, false);
  } catch (const EZipException& e) {
    lines.push_back("open: native error " + std::to_string(e.NativeError()));
  } catch (const EStreamError&) {
    lines.push_back("open: stream error");
  }
  for (int i = 0; zip.Active() && i < zip.FileCount(); ++i) {
    TDigestStream out;
    std::string outcome = "passed";
    try {
      zip.ExtractItem(i, out, 0, 0);
    } catch (const EZipException& e) {
      outcome = "native error " + std::to_string(e.NativeError());
    } catch (const Exception&) {
      outcome = "another error";
    }
    lines.push_back("item " + std::to_string(i) + ": " + outcome + ", " + out.Digest());
  }
  ZipUseSplitByDefault();
  ZipUseDefaultInflaters();
  return lines;
}

// Empty where the inflaters and the split inflate agree on every item, else the first item one
// of them differs from zlib's on, as each saw it.
inline std::string InflaterDifference(const Bytes& archive, const std::string& password = {}) {
  const auto zlib = ExtractEachItem(archive, password, TZipInflaterKind::kZlib);
  std::vector<std::pair<std::string, std::vector<std::string>>> others;
  others.emplace_back("split", ExtractEachItem(archive, password, TZipInflaterKind::kZlib, true));
  if (ZipInflaterBuiltIn(TZipInflaterKind::kIsal))
    others.emplace_back("ISA-L", ExtractEachItem(archive, password, TZipInflaterKind::kIsal));
  for (const auto& [name, lines] : others) {
    for (std::size_t i = 0; i < std::max(zlib.size(), lines.size()); ++i) {
      const std::string a = i < zlib.size() ? zlib[i] : "none";
      const std::string b = i < lines.size() ? lines[i] : "none";
      if (a != b) return "zlib: " + a + "; " + name + ": " + b;
    }
  }
  return {};
}

}  // namespace talu::zip::test
