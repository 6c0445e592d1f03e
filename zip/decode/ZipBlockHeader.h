// The header of a deflate block read as zlib reads it, step by step: where the data end before
// a step's bits, the header is cut (zlib would wait for more input); where a step's bits are
// there and wrong, it is damaged (zlib's "invalid block type", "invalid stored block lengths",
// "too many length or distance symbols", "invalid code lengths set", "invalid bit length
// repeat", "invalid code -- missing end-of-block", "invalid literal/lengths set", "invalid
// distances set").
//
// Usage: TZipBlockHeader header;  if (reader.Read(bits, header) == TZipHeaderRead::kOk) ...
#pragma once

#include <cstdint>

#include "ZipBitReader.h"
#include "ZipHuffman.h"

namespace talu::zip {

enum class TZipHeaderRead { kOk, kDamaged, kCut };

struct TZipBlockHeader {
  bool last = false;
  int type = 0;  // 0 stored, 1 fixed codes, 2 codes of its own
  std::uint32_t storedLength = 0;
  const TZipHuffman* lengths = nullptr;  // literal/length code, for types 1 and 2
  const TZipHuffman* distances = nullptr;
};

class TZipHeaderReader {
 public:
  // Reads the header at the reader's position; the codes it gives stay valid until the next Read.
  TZipHeaderRead Read(TZipBitReader& in, TZipBlockHeader& header);

 private:
  TZipHeaderRead ReadCodes(TZipBitReader& in);

  TZipHuffman lengths_;
  TZipHuffman distances_;
};

}  // namespace talu::zip
