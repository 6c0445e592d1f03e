// What the fuzz targets over raw deflate data compare: the status and the bytes (their size and
// CRC-32) of an inflate, and a single-stream inflate of data given in pieces.
#pragma once

#include <algorithm>
#include <cstdint>

#include "decode/ZipCrc32.h"
#include "decode/ZipRawInflate.h"

namespace talu::zip::fuzz {

struct TDigest {
  TZipInflateCall::TStatus status = TZipInflateCall::kMore;
  std::uint64_t size = 0;
  std::uint32_t crc = 0xFFFFFFFFu;
  void Add(const std::uint8_t* data, std::size_t count) {
    crc = CRC32(crc, data, count);
    size += count;
  }
  bool operator==(const TDigest& other) const {
    return status == other.status && size == other.size && crc == other.crc;
  }
};

inline TDigest SingleStream(const std::uint8_t* data, std::size_t size, std::size_t piece,
                            TZipRawInflate& inflate) {
  static std::uint8_t block[1 << 16];
  TDigest digest;
  inflate.Reset();
  for (std::size_t given = 0;;) {
    const std::size_t take = std::min(piece, size - given);
    given += take;
    inflate.SetInput(data + given - take, static_cast<std::uint32_t>(take), given == size);
    for (;;) {
      const TZipInflateCall call = inflate.Inflate(block, sizeof block);
      digest.Add(block, call.produced);
      digest.status = call.status;
      if (call.status != TZipInflateCall::kMore || (given == size && call.produced == 0))
        return digest;
      if (call.produced < sizeof block && inflate.InputLeft() == 0) break;
    }
  }
}

}  // namespace talu::zip::fuzz
