// HMAC, RFC 2104: H((K ^ opad) || H((K ^ ipad) || text)), keys longer than a block hashed first.
#include "ZipHmac.h"

#include <cstring>

#include "ByteUtil.h"

namespace talu::crypto {

namespace {

constexpr std::uint8_t kInnerPad = 0x36;
constexpr std::uint8_t kOuterPad = 0x5C;

using TKeyBlock = std::array<std::uint8_t, kMaxHashBlockLen>;

// The key as one zero-padded block, hashed first when longer than a block.
void MakeKeyBlock(PHashDesc phash, const void* key, std::size_t klen, TKeyBlock& block) {
  block.fill(0);
  if (klen > phash->HBlockLen) {
    THashContext ctx;
    THashDigest digest;
    phash->HInit(ctx);
    phash->HUpdateXL(ctx, key, klen);
    phash->HFinal(ctx, digest);
    std::memcpy(block.data(), digest.data(), phash->HDigestlen);
    ProtectBuffer(digest.data(), digest.size());
    ProtectBuffer(&ctx, sizeof ctx);
  } else if (klen > 0) {
    std::memcpy(block.data(), key, klen);
  }
}

// Starts ctx with the key block XOR pad.
void StartPadded(PHashDesc phash, const TKeyBlock& block, std::uint8_t pad, THashContext& ctx) {
  TKeyBlock padded;
  for (std::size_t i = 0; i < phash->HBlockLen; ++i) padded[i] = block[i] ^ pad;
  phash->HInit(ctx);
  phash->HUpdateXL(ctx, padded.data(), phash->HBlockLen);
  ProtectBuffer(padded.data(), padded.size());
}

// Hashes the inner digest in the keyed outer context and delivers the MAC.
void FinishOuter(PHashDesc phash, THashContext& outer, const THashDigest& inner, THashDigest& mac) {
  phash->HUpdateXL(outer, inner.data(), phash->HDigestlen);
  phash->HFinal(outer, mac);
}

}  // namespace

void hmac_init(THMAC_Context& ctx, PHashDesc phash, const void* key, std::size_t klen) {
  ctx.phashd = phash;
  MakeKeyBlock(phash, key, klen, ctx.hmacbuf);
  StartPadded(phash, ctx.hmacbuf, kInnerPad, ctx.hashctx);
}

void hmac_updateXL(THMAC_Context& ctx, const void* data, std::size_t dlen) {
  ctx.phashd->HUpdateXL(ctx.hashctx, data, dlen);
}

void hmac_final(THMAC_Context& ctx, THashDigest& mac) {
  const PHashDesc phash = ctx.phashd;
  THashDigest inner;
  phash->HFinal(ctx.hashctx, inner);
  StartPadded(phash, ctx.hmacbuf, kOuterPad, ctx.hashctx);
  FinishOuter(phash, ctx.hashctx, inner, mac);
  // The key block and the hash states made from it are not needed again.
  ProtectBuffer(ctx.hmacbuf.data(), ctx.hmacbuf.size());
  ProtectBuffer(&ctx.hashctx, sizeof ctx.hashctx);
  ProtectBuffer(inner.data(), inner.size());
}

void hmac_keyed_states(THMAC_KeyedStates& states, PHashDesc phash, const void* key,
                       std::size_t klen) {
  TKeyBlock block;
  MakeKeyBlock(phash, key, klen, block);
  states.phashd = phash;
  StartPadded(phash, block, kInnerPad, states.inner);
  StartPadded(phash, block, kOuterPad, states.outer);
  ProtectBuffer(block.data(), block.size());
}

void hmac_from_states(const THMAC_KeyedStates& states,
                      std::initializer_list<std::span<const std::uint8_t>> parts,
                      THashDigest& mac) {
  const PHashDesc phash = states.phashd;
  THashContext ctx = states.inner;
  THashDigest inner;
  for (auto part : parts) phash->HUpdateXL(ctx, part.data(), part.size());
  phash->HFinal(ctx, inner);
  ctx = states.outer;
  FinishOuter(phash, ctx, inner, mac);
  ProtectBuffer(&ctx, sizeof ctx);
  ProtectBuffer(inner.data(), inner.size());
}

}  // namespace talu::crypto
