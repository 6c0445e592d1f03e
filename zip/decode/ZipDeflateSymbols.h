// What deflate's length and distance symbols stand for: a base and a count of extra bits.
#pragma once

#include <cstdint>

namespace talu::zip {

inline constexpr std::uint64_t kZipWindow = 32768;  // the farthest a distance reaches
inline constexpr int kZipLengthSymbols = 29;        // after literal 0..255 and end of block 256
inline constexpr int kZipDistanceSymbols = 30;
inline constexpr std::uint16_t kZipLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                     15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                     67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::uint8_t kZipLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::uint16_t kZipDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::uint8_t kZipDistanceExtra[30] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                       4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                       9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

}  // namespace talu::zip
