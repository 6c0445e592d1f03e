// PBKDF2, RFC 8018: T_i = U_1 ^ ... ^ U_C with U_1 = PRF(P, S || INT(i)), U_j = PRF(P, U_j-1).
// The HMAC key is absorbed once; each U then costs two compressions instead of four. Up to four
// output blocks advance together; over SHA-1 their compressions run interleaved in one
// instruction stream, which does on one core what a helper thread per derivation did on two,
// without waiting for that thread to be scheduled on a busy machine.
#include "Pbkdf2.h"

#include <algorithm>
#include <cstdlib>

#include "ByteUtil.h"
#include "Sha1Compress.h"
#include "ZipHmac.h"
#include "ZipSha1.h"

namespace talu::crypto {
namespace {

constexpr std::size_t kMaxLanes = 4;  // output blocks computed side by side
constexpr int kRunErrorKdf = 254;

// U_2 .. U_C of each lane, XORed into its block, one HMAC after the other.
void IterateAnyHash(const THMAC_KeyedStates& keyed, std::uint32_t C, std::size_t Lanes,
                    THashDigest* U, THashDigest* Blocks) {
  const std::size_t dlen = keyed.phashd->HDigestlen;
  for (std::uint32_t j = 1; j < C; ++j) {
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
      hmac_from_states(keyed, {std::span(U[lane].data(), dlen)}, U[lane]);
      XORBuffers(Blocks[lane].data(), U[lane].data(), dlen, Blocks[lane].data());
    }
  }
}

// The same over SHA-1, on the chaining values of the keyed states, all lanes at once.
void IterateSha1(const THMAC_KeyedStates& keyed, std::uint32_t C, std::size_t Lanes, THashDigest* U,
                 THashDigest* Blocks) {
  TSha1Words inner, outer, u[kMaxLanes], t[kMaxLanes];
  std::copy_n(keyed.inner.Hash.begin(), kSha1DigestWords, inner.begin());
  std::copy_n(keyed.outer.Hash.begin(), kSha1DigestWords, outer.begin());
  for (std::size_t lane = 0; lane < Lanes; ++lane) {
    for (std::size_t i = 0; i < kSha1DigestWords; ++i) {
      u[lane][i] = LoadBE32(&U[lane][4 * i]);
      t[lane][i] = LoadBE32(&Blocks[lane][4 * i]);
    }
  }
  Sha1HmacChains(inner, outer, u, t, Lanes, C - 1);
  for (std::size_t lane = 0; lane < Lanes; ++lane) {
    for (std::size_t i = 0; i < kSha1DigestWords; ++i) StoreBE32(&Blocks[lane][4 * i], t[lane][i]);
  }
  for (TSha1Words* words : {&inner, &outer}) ProtectBuffer(words, sizeof *words);
  ProtectBuffer(u, sizeof u);
  ProtectBuffer(t, sizeof t);
}

// Output blocks First .. First+Lanes-1 (counted from 1) into Blocks. The blocks' HMAC chains are
// independent, so they advance in lockstep.
void DeriveBlocks(const THMAC_KeyedStates& keyed, std::span<const std::uint8_t> salt,
                  std::uint32_t C, std::uint32_t First, std::size_t Lanes, THashDigest* Blocks) {
  THashDigest u[kMaxLanes];
  for (std::size_t lane = 0; lane < Lanes; ++lane) {
    std::uint8_t index_be[4];
    StoreBE32(index_be, First + static_cast<std::uint32_t>(lane));
    hmac_from_states(keyed, {salt, index_be}, u[lane]);
    Blocks[lane] = u[lane];
  }
  if (keyed.phashd == &SHA1Descriptor()) {
    IterateSha1(keyed, C, Lanes, u, Blocks);
  } else {
    IterateAnyHash(keyed, C, Lanes, u, Blocks);
  }
  for (THashDigest& x : u) ProtectBuffer(x.data(), x.size());
}

}  // namespace

int Pbkdf2(PHashDesc phash, const void* pPW, std::uint16_t pLen, const void* salt,
           std::uint16_t sLen, std::uint32_t C, void* DK, std::uint16_t dkLen) {
  if (!phash) return kdf_err_nil_pointer;
  const std::size_t dlen = phash->HDigestlen;
  if (dlen == 0) return kdf_err_digestlen;
  C = std::max<std::uint32_t>(C, 1);
  THMAC_KeyedStates keyed;
  hmac_keyed_states(keyed, phash, pPW, pLen);
  const std::span salt_bytes(static_cast<const std::uint8_t*>(salt), sLen);
  auto out = static_cast<std::uint8_t*>(DK);
  THashDigest blocks[kMaxLanes];
  for (std::uint32_t first = 1; dkLen > 0;) {
    const std::size_t lanes = std::min<std::size_t>(kMaxLanes, (dkLen + dlen - 1) / dlen);
    DeriveBlocks(keyed, salt_bytes, C, first, lanes, blocks);
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      const std::size_t take = std::min<std::size_t>(dkLen, dlen);
      std::copy_n(blocks[lane].data(), take, out);
      out += take;
      dkLen = static_cast<std::uint16_t>(dkLen - take);
    }
    first += static_cast<std::uint32_t>(lanes);
  }
  for (THashDigest& b : blocks) ProtectBuffer(b.data(), b.size());
  ProtectBuffer(&keyed, sizeof keyed);
  return kdf_err_OK;
}

void Pbkdf2HmacSha1(const void* pPW, std::uint16_t pLen, const void* salt, std::uint16_t sLen,
                    std::uint32_t C, void* DK, std::uint16_t dkLen) {
  if (Pbkdf2(FindHash_by_ID(haSHA1), pPW, pLen, salt, sLen, C, DK, dkLen) != kdf_err_OK) {
    std::exit(kRunErrorKdf);
  }
}

}  // namespace talu::crypto
