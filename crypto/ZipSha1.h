// SHA-1, FIPS 180-4: 64-byte blocks, 20-byte digest. Uses the processor's SHA instructions when
// present. Usage: THashContext c; SHA1Init(c); SHA1UpdateXL(c, data, n); SHA1Final(c, digest);
#pragma once

#include "ZipHash.h"

namespace talu::crypto {

constexpr std::size_t kSha1DigestLen = 20;

void SHA1Init(THashContext& Context);
void SHA1UpdateXL(THashContext& Context, const void* Msg, std::size_t Len);
// Pads, absorbs the length and writes the 20-byte digest at the start of Digest.
void SHA1Final(THashContext& Context, THashDigest& Digest);

// The descriptor under which SHA-1 is registered ("SHA1", haSHA1).
const THashDesc& SHA1Descriptor();

}  // namespace talu::crypto
