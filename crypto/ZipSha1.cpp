// SHA-1 message handling, FIPS 180-4: buffering of partial blocks, padding and length.
#include "ZipSha1.h"

#include <algorithm>
#include <cstring>

#include "ByteUtil.h"
#include "Sha1Compress.h"

namespace talu::crypto {

namespace {

constexpr std::size_t kLengthFieldOffset = kSha1BlockLen - 8;
constexpr std::uint32_t kSha1Oid[] = {1, 3, 14, 3, 2, 26};

}  // namespace

void SHA1Init(THashContext& Context) {
  Context.Hash = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  Context.MLen = 0;
  Context.Index = 0;
}

void SHA1UpdateXL(THashContext& Context, const void* Msg, std::size_t Len) {
  if (Len == 0) return;  // Msg may then be null
  auto data = static_cast<const std::uint8_t*>(Msg);
  Context.MLen += Len;
  if (Context.Index > 0) {
    const std::size_t take = std::min(Len, kSha1BlockLen - Context.Index);
    std::memcpy(Context.Buffer.data() + Context.Index, data, take);
    Context.Index += take;
    data += take;
    Len -= take;
    if (Context.Index < kSha1BlockLen) return;
    Sha1Compress(Context.Hash.data(), Context.Buffer.data(), 1);
    Context.Index = 0;
  }
  const std::size_t whole_blocks = Len / kSha1BlockLen;
  Sha1Compress(Context.Hash.data(), data, whole_blocks);
  Context.Index = Len % kSha1BlockLen;
  std::memcpy(Context.Buffer.data(), data + whole_blocks * kSha1BlockLen, Context.Index);
}

void SHA1Final(THashContext& Context, THashDigest& Digest) {
  std::uint8_t* block = Context.Buffer.data();
  block[Context.Index++] = 0x80;
  if (Context.Index > kLengthFieldOffset) {
    std::memset(block + Context.Index, 0, kSha1BlockLen - Context.Index);
    Sha1Compress(Context.Hash.data(), block, 1);
    Context.Index = 0;
  }
  std::memset(block + Context.Index, 0, kLengthFieldOffset - Context.Index);
  StoreBE64(block + kLengthFieldOffset, Context.MLen * 8);
  Sha1Compress(Context.Hash.data(), block, 1);
  for (std::size_t i = 0; i < kSha1DigestLen / 4; ++i) StoreBE32(&Digest[4 * i], Context.Hash[i]);
}

const THashDesc& SHA1Descriptor() {
  static const THashDesc desc = {kHashDescSig,
                                 sizeof(THashDesc),
                                 kHashDescVersion,
                                 kSha1BlockLen,
                                 kSha1DigestLen,
                                 SHA1Init,
                                 SHA1Final,
                                 SHA1UpdateXL,
                                 haSHA1,
                                 "SHA1",
                                 kSha1Oid,
                                 std::size(kSha1Oid),
                                 0};
  return desc;
}

}  // namespace talu::crypto
