// In-process limits for the extraction benchmark, measured on the first item of an archive:
//   extract_limits inflate-NAME ARCHIVE  raw inflate of the item's data with the inflater NAME
//                                     (zlib, ISA-L), CRC-32 of the output on a second thread
//   extract_limits split-inflate ARCHIVE  the item's data read in segments and inflated on
//                                     several threads (ZipSplitInflate), CRC-32 of the output on
//                                     this thread
//   extract_limits inflaters          the names of the inflaters this build has
//   extract_limits tradcrypt ARCHIVE  the traditional decryption loop over the item's data
//   extract_limits aes ARCHIVE        AES-256-CTR and HMAC-SHA1 over the item's data
// Prints the seconds taken (reading the data from a warm tmpfs file included).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "ZipCipher.h"
#include "ZipHmac.h"
#include "decode/ZipCrc32.h"
#include "decode/ZipRawInflate.h"
#include "decode/ZipSplitInflate.h"
#include "decode/ZipTradCrypt.h"
#include "stream/ZipFileStream.h"
#include "text/ZipUtf.h"

using namespace talu::crypto;
using talu::zip::TZipInflaterKind;

namespace {

constexpr size_t kChunk = 1 << 20;

uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

struct Item {
  uint64_t dataOffset = 0, compSize = 0;
  bool encrypted = false;
  uint16_t method = 0;
};

// The first central record, followed to its local header (no Zip64: the datasets stay below).
bool FirstItem(std::ifstream& in, Item& item) {
  in.seekg(0, std::ios::end);
  const int64_t size = in.tellg();
  const int64_t tail = size < 66000 ? size : 66000;
  std::vector<uint8_t> buf(tail);
  in.seekg(size - tail);
  in.read(reinterpret_cast<char*>(buf.data()), tail);
  for (int64_t i = tail - 22; i >= 0; --i) {
    if (Le32(&buf[i]) != 0x06054b50) continue;
    uint8_t cd[46], lh[30];
    in.seekg(Le32(&buf[i + 16]));
    in.read(reinterpret_cast<char*>(cd), sizeof cd);
    item.compSize = Le32(cd + 20);
    item.encrypted = Le16(cd + 8) & 1;
    item.method = Le16(cd + 10);
    in.seekg(Le32(cd + 42));
    in.read(reinterpret_cast<char*>(lh), sizeof lh);
    item.dataOffset = Le32(cd + 42) + 30 + Le16(lh + 26) + Le16(lh + 28);
    return in.good();
  }
  return false;
}

template <typename Step>
void ForEachChunk(std::ifstream& in, const Item& item, Step step) {
  std::vector<uint8_t> chunk(kChunk);
  in.seekg(item.dataOffset);
  for (uint64_t left = item.compSize; left > 0;) {
    const size_t n = left < kChunk ? left : kChunk;
    in.read(reinterpret_cast<char*>(chunk.data()), n);
    left -= n;
    step(chunk.data(), n, left == 0);
  }
}

constexpr TZipInflaterKind kInflaters[] = {TZipInflaterKind::kZlib, TZipInflaterKind::kIsal};

// Raw inflate through the engine's seam on this thread into two alternating 1 MiB blocks, the
// CRC-32 of each finished block on a second thread while the next one is inflated: the engine's
// pairing.
bool InflateWithCrc(std::ifstream& in, Item item, TZipInflaterKind kind) {
  if (item.encrypted || item.method != 8) return false;
  const auto inflate = talu::zip::ZipMakeRawInflate(kind);
  std::vector<uint8_t> blocks[2] = {std::vector<uint8_t>(kChunk), std::vector<uint8_t>(kChunk)};
  int which = 0;
  uint32_t crc = 0xFFFFFFFFu;
  std::future<uint32_t> crcDone;  // the CRC up to the block inflated last
  ForEachChunk(in, item, [&](uint8_t* data, size_t n, bool last) {
    inflate->SetInput(data, static_cast<uint32_t>(n), last);
    for (size_t produced = kChunk; produced == kChunk;) {
      const uint8_t* block = blocks[which].data();
      produced = inflate->Inflate(blocks[which].data(), kChunk).produced;
      if (crcDone.valid()) crc = crcDone.get();
      crcDone = std::async(std::launch::async, [block, produced, crc] {
        return talu::zip::CRC32(crc, block, produced);
      });
      which ^= 1;
    }
  });
  if (crcDone.valid()) crc = crcDone.get();
  std::fprintf(stderr, "crc %08x\n", ~crc);
  return true;
}

bool SplitWithCrc(const char* archive, const Item& item) {
  if (item.encrypted || item.method != 8) return false;
  talu::zip::TFileStream in(talu::zip::Utf8ToUtf16(archive), std::uint16_t{0x40});
  in.SetPosition(static_cast<std::int64_t>(item.dataOffset));
  uint32_t crc = 0xFFFFFFFFu;
  const auto end =
      talu::zip::ZipSplitInflate(in, item.compSize, {}, [&crc](const uint8_t* bytes, size_t n) {
        crc = talu::zip::CRC32(crc, bytes, n);
        return true;
      });
  std::fprintf(stderr, "crc %08x\n", ~crc);
  return end == talu::zip::TZipSplitEnd::kStreamEnd;
}

bool DecryptLoop(std::ifstream& in, const Item& item) {
  talu::zip::TZipKeys keys{{0x12345678u, 0x23456789u, 0x34567890u}};
  ForEachChunk(in, item,
               [&](uint8_t* data, size_t n, bool) { talu::zip::ZipDecryptBuffer(data, n, keys); });
  std::fprintf(stderr, "keys %08x\n", keys.key[0]);
  return true;
}

// The work of an AES-256 item's content without its key derivation: CTR and the HMAC.
bool AesWork(std::ifstream& in, const Item& item) {
  TBytes key(32, 0x5A);
  TCipher_Rijndael aes(key);
  aes.SetMode(cmCTR);
  THMAC_Context mac;
  hmac_init(mac, FindHash_by_Name("SHA1"), key.data(), key.size());
  ForEachChunk(in, item, [&](uint8_t* data, size_t n, bool) {
    hmac_updateXL(mac, data, n);
    aes.DecodeBuffer(data, data, n);
  });
  THashDigest digest{};
  hmac_final(mac, digest);
  std::fprintf(stderr, "mac %02x\n", digest[0]);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "inflaters") {
    for (TZipInflaterKind kind : kInflaters)
      if (talu::zip::ZipInflaterBuiltIn(kind))
        std::printf("%s\n", talu::zip::ZipInflaterName(kind));
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: extract_limits inflaters | inflate-NAME|split-inflate|tradcrypt|aes "
                 "ARCHIVE\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  Item item;
  if (!FirstItem(in, item)) return 1;
  const auto start = std::chrono::steady_clock::now();
  const std::string kind = argv[1];
  bool ok = false;
  if (kind == "aes") {
    ok = AesWork(in, item);
  } else if (kind == "tradcrypt") {
    ok = DecryptLoop(in, item);
  } else if (kind == "split-inflate") {
    ok = SplitWithCrc(argv[2], item);
  } else {
    for (TZipInflaterKind inflater : kInflaters)
      if (talu::zip::ZipInflaterBuiltIn(inflater) &&
          kind == std::string("inflate-") + talu::zip::ZipInflaterName(inflater))
        ok = InflateWithCrc(in, item, inflater);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!ok) return 1;
  std::printf("%.3f\n", took.count());
  return 0;
}
