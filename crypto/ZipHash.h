// Hash descriptor registry: one descriptor per algorithm number, looked up by number or by name.
// SHA-1 is registered before the first lookup; it is the only algorithm this program carries.
// Usage: PHashDesc sha1 = FindHash_by_Name("sha1"); sha1->HInit(ctx); ...
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talu::crypto {

enum THashAlgorithm : std::uint8_t {
  haMD4,
  haMD5,
  haRIPEMD160,
  haSHA1,
  haSHA224,
  haSHA256,
  haSHA384,
  haSHA512,
  haWhirlpool,
};
constexpr std::size_t kHashAlgorithmCount = haWhirlpool + 1;

constexpr std::size_t kMaxHashBlockLen = 128;
constexpr std::size_t kMaxHashDigestLen = 64;
constexpr std::size_t kMaxHashNameLen = 19;

// Running state of any registered hash.
struct THashContext {
  std::array<std::uint32_t, 16> Hash;                 // chaining value
  std::uint64_t MLen;                                 // message bytes absorbed so far
  std::array<std::uint8_t, kMaxHashBlockLen> Buffer;  // the pending partial block
  std::size_t Index;                                  // bytes pending in Buffer
};

// A digest; HDigestlen bytes of it are used.
using THashDigest = std::array<std::uint8_t, kMaxHashDigestLen>;

using HashInitProc = void (*)(THashContext& Context);
using HashUpdateXLProc = void (*)(THashContext& Context, const void* Msg, std::size_t Len);
using HashFinalProc = void (*)(THashContext& Context, THashDigest& Digest);

struct THashDesc {
  std::uint32_t HSig;        // kHashDescSig
  std::uint32_t HDSize;      // sizeof(THashDesc)
  std::uint16_t HDVersion;   // kHashDescVersion
  std::uint16_t HBlockLen;   // bytes per compression block
  std::uint16_t HDigestlen;  // bytes of digest
  HashInitProc HInit;
  HashFinalProc HFinal;
  HashUpdateXLProc HUpdateXL;
  THashAlgorithm HAlgNum;
  std::string_view HName;        // at most kMaxHashNameLen characters
  const std::uint32_t* HPtrOID;  // ASN.1 object identifier arcs
  std::uint16_t HLenOID;         // number of arcs
  std::uint16_t HReserved;
};
using PHashDesc = const THashDesc*;

constexpr std::uint32_t kHashDescSig = 0x48534447;  // "HDSG"
constexpr std::uint16_t kHashDescVersion = 1;

// Registers Desc under AlgId when it has the current layout and claims AlgId; returns whether
// it did. The registry is filled during start-up and only read afterwards.
bool RegisterHash(THashAlgorithm AlgId, const THashDesc& Desc);

// The descriptor registered under algorithm, or nullptr.
PHashDesc FindHash_by_ID(THashAlgorithm algorithm);

// The descriptor whose name equals AlgoName ignoring letter case (both cut to 19 characters),
// or nullptr.
PHashDesc FindHash_by_Name(std::string_view AlgoName);

}  // namespace talu::crypto
