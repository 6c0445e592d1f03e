// HMAC, RFC 2104, over any registered hash.
// Usage: THMAC_Context c; hmac_init(c, sha1, key, klen); hmac_updateXL(c, data, n);
//        hmac_final(c, mac);  // mac holds phash->HDigestlen bytes
#pragma once

#include <initializer_list>
#include <span>

#include "ZipHash.h"

namespace talu::crypto {

struct THMAC_Context {
  THashContext hashctx;                                // the running inner hash
  std::array<std::uint8_t, kMaxHashBlockLen> hmacbuf;  // the key block, kept for the outer pass
  PHashDesc phashd;                                    // the hash in use
};

void hmac_init(THMAC_Context& ctx, PHashDesc phash, const void* key, std::size_t klen);
void hmac_updateXL(THMAC_Context& ctx, const void* data, std::size_t dlen);
// Delivers the MAC and wipes the key block and hash states of ctx, which is then spent.
void hmac_final(THMAC_Context& ctx, THashDigest& mac);

// The inner and outer hash states right after their key blocks: a copy of each restarts a MAC
// under the same key without hashing the key again (PBKDF2 computes thousands of them).
struct THMAC_KeyedStates {
  THashContext inner;
  THashContext outer;
  PHashDesc phashd;
};

// The caller wipes states (ProtectBuffer) when done with them.
void hmac_keyed_states(THMAC_KeyedStates& states, PHashDesc phash, const void* key,
                       std::size_t klen);
// The MAC of the concatenated parts under the key of states, which stay unchanged. mac may
// overlap the parts.
void hmac_from_states(const THMAC_KeyedStates& states,
                      std::initializer_list<std::span<const std::uint8_t>> parts, THashDigest& mac);

}  // namespace talu::crypto
