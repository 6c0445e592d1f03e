// PBKDF2, RFC 8018: T_i = U_1 ^ ... ^ U_C with U_1 = PRF(P, S || INT(i)), U_j = PRF(P, U_j-1).
// The HMAC key is absorbed once; each U then costs two compressions instead of four.
#include "ZipPbKdf.h"

#include <algorithm>

#include "ByteUtil.h"
#include "ZipHmac.h"

namespace {

// Output block Index (counted from 1) into Block.
void DeriveBlock(const THMAC_KeyedStates& keyed, std::span<const std::uint8_t> salt,
                 std::uint32_t C, std::uint32_t Index, THashDigest& Block) {
  const std::size_t dlen = keyed.phashd->HDigestlen;
  std::uint8_t index_be[4];
  StoreBE32(index_be, Index);
  THashDigest u;
  hmac_from_states(keyed, {salt, index_be}, u);
  Block = u;
  for (std::uint32_t j = 1; j < C; ++j) {
    hmac_from_states(keyed, {std::span(u.data(), dlen)}, u);
    XORBuffers(Block.data(), u.data(), dlen, Block.data());
  }
}

}  // namespace

int kdf2(PHashDesc phash, const void* pPW, std::uint16_t pLen, const void* salt, std::uint16_t sLen,
         std::uint32_t C, void* DK, std::uint16_t dkLen) {
  if (!phash) return kdf_err_nil_pointer;
  const std::size_t dlen = phash->HDigestlen;
  if (dlen == 0) return kdf_err_digestlen;
  THMAC_KeyedStates keyed;
  hmac_keyed_states(keyed, phash, pPW, pLen);
  const std::span salt_bytes(static_cast<const std::uint8_t*>(salt), sLen);
  auto out = static_cast<std::uint8_t*>(DK);
  THashDigest block;
  for (std::uint32_t index = 1; dkLen > 0; ++index) {
    DeriveBlock(keyed, salt_bytes, C, index, block);
    const std::size_t take = std::min<std::size_t>(dkLen, dlen);
    std::copy_n(block.data(), take, out);
    out += take;
    dkLen = static_cast<std::uint16_t>(dkLen - take);
  }
  ProtectBuffer(block.data(), block.size());
  return kdf_err_OK;
}
