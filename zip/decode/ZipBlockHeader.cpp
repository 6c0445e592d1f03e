#include "ZipBlockHeader.h"

#include <algorithm>

namespace talu::zip {

namespace {

constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

struct TFixedCodes {
  TZipHuffman lengths;
  TZipHuffman distances;
  TFixedCodes() {
    std::uint8_t code[288 + 32];
    std::fill(code, code + 144, 8);
    std::fill(code + 144, code + 256, 9);
    std::fill(code + 256, code + 280, 7);
    std::fill(code + 280, code + 288, 8);
    std::fill(code + 288, code + 320, 5);
    lengths.Build(code, 288, TZipHuffman::kLengths);
    distances.Build(code + 288, 32, TZipHuffman::kDistances);
  }
};

const TFixedCodes& FixedCodes() {
  static const TFixedCodes codes;
  return codes;
}

}  // namespace

TZipHeaderRead TZipHeaderReader::Read(TZipBitReader& in, TZipBlockHeader& header) {
  in.Refill();
  header.last = in.Bits(1) != 0;
  header.type = static_cast<int>(in.Bits(2));
  if (in.PastEnd()) return TZipHeaderRead::kCut;
  switch (header.type) {
    case 0: {
      in.Align();
      const std::uint64_t length = in.Bits(16);
      const std::uint64_t check = in.Bits(16);
      if (in.PastEnd()) return TZipHeaderRead::kCut;
      if (length != (~check & 0xFFFF)) return TZipHeaderRead::kDamaged;
      header.storedLength = static_cast<std::uint32_t>(length);
      return TZipHeaderRead::kOk;
    }
    case 1:
      header.lengths = &FixedCodes().lengths;
      header.distances = &FixedCodes().distances;
      return TZipHeaderRead::kOk;
    case 2:
      header.lengths = &lengths_;
      header.distances = &distances_;
      return ReadCodes(in);
    default:
      return TZipHeaderRead::kDamaged;
  }
}

TZipHeaderRead TZipHeaderReader::ReadCodes(TZipBitReader& in) {
  constexpr auto kCut = TZipHeaderRead::kCut;
  constexpr auto kDamaged = TZipHeaderRead::kDamaged;
  in.Refill();
  const int symbols = static_cast<int>(in.Bits(5)) + 257;
  const int distances = static_cast<int>(in.Bits(5)) + 1;
  const int codeLengths = static_cast<int>(in.Bits(4)) + 4;
  if (in.PastEnd()) return kCut;
  if (symbols > 286 || distances > 30) return kDamaged;
  std::uint8_t lengths[286 + 30] = {};
  int space = 0;  // of 128: a complete code fills it (checked before building: most guesses fail)
  for (int i = 0; i < codeLengths; ++i) {
    const int length = static_cast<int>(in.Bits(3));
    lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
    space += length ? 128 >> length : 0;
  }
  if (in.PastEnd()) return kCut;
  const int total = symbols + distances;
  if (space == 0) {  // zlib then reads a length of 0 from each bit, and finds no end of block
    for (int n = 0; n < total; n += 32) in.Bits(std::min(32, total - n));
    return in.PastEnd() ? kCut : kDamaged;
  }
  if (space != 128 || !lengths_.Build(lengths, 19, TZipHuffman::kCodeLengths)) return kDamaged;
  for (int n = 0; n < total;) {
    in.Refill();
    const std::uint32_t entry = lengths_.Lookup(in.Peek());
    in.Consume(TZipHuffman::Length(entry));
    const int symbol = TZipHuffman::Symbol(entry);
    if (symbol < 16) {
      if (in.PastEnd()) return kCut;
      lengths[n++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    const int repeat = symbol == 16   ? 3 + static_cast<int>(in.Bits(2))
                       : symbol == 17 ? 3 + static_cast<int>(in.Bits(3))
                                      : 11 + static_cast<int>(in.Bits(7));
    if (in.PastEnd()) return kCut;
    if ((symbol == 16 && n == 0) || n + repeat > total) return kDamaged;
    std::fill(lengths + n, lengths + n + repeat, symbol == 16 ? lengths[n - 1] : 0);
    n += repeat;
  }
  if (lengths[256] == 0 || !lengths_.Build(lengths, symbols, TZipHuffman::kLengths) ||
      !distances_.Build(lengths + symbols, distances, TZipHuffman::kDistances))
    return kDamaged;
  return TZipHeaderRead::kOk;
}

}  // namespace talu::zip
