#include "ZipCryptoTransform.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "ByteUtil.h"
#include "SaltedPassword.h"
#include "ZipCipher.h"
#include "ZipKeyCache.h"

namespace talu::zip {

using namespace crypto;

void TZipCryptoTransform::Initialize(TCryptoTransformMode mode, const TDirItem&) {
  FTransformMode = mode;
}

bool ZipAesPasswordUsable(const std::string& password) {
  return password.size() <= TSaltedPassword::kMaxPasswordLen;
}

TZipBytes ZipDeriveAesKeyMaterial(const std::string& password, const TZipBytes& salt,
                                  std::uint16_t length) {
  return TSaltedPassword(password, TAESCryptoTransform::kIterations,
                         static_cast<std::uint16_t>(salt.size()), salt.data())
      .GetKeyBytes(length);
}

TAESCryptoTransform::TAESCryptoTransform(int strengthBits, std::uint16_t cryptVersion,
                                         std::uint16_t actualCompMethod)
    : FKeyLengthBytes(static_cast<std::uint16_t>(strengthBits / 8)),
      FVersion(cryptVersion),
      FActualCompressionMethod(actualCompMethod),
      FPHash(FindHash_by_Name("SHA1")) {}

TAESCryptoTransform::~TAESCryptoTransform() {
  Reset();
}

void TAESCryptoTransform::GenerateKey(const std::string& password) {
  FPassword = password;
  if (!(FTransformMode == Decryption && !FSaltValue.empty()))
    FSaltValue = TSaltedPassword(FPassword, kIterations, FKeyLengthBytes / 2).GetSaltValue();
  FKeysStale = true;
}

TZipBytes TAESCryptoTransform::DeriveMaterial(const std::string& password) const {
  const auto length = static_cast<std::uint16_t>(2 * FKeyLengthBytes + 2);
  return FKeyCache ? FKeyCache->Get(password, FSaltValue, length)
                   : ZipDeriveAesKeyMaterial(password, FSaltValue, length);
}

void TAESCryptoTransform::UpdateKeys() {
  TZipBytes material = DeriveMaterial(FPassword);
  const auto keyEnd = material.begin() + FKeyLengthBytes;
  FEncryptionKey.assign(material.begin(), keyEnd);
  FHashKey.assign(keyEnd, keyEnd + FKeyLengthBytes);
  FPasswordVerificationValue.assign(material.end() - 2, material.end());
  hmac_init(FHMAC_Context, FPHash, FHashKey.data(), FHashKey.size());
  TZipBytes key = FEncryptionKey;
  FCryptor = std::make_unique<TCipher_Rijndael>(key);
  FCryptor->SetMode(cmCTR);
  FEncryptionKey = key;  // the cipher's protected copy
  FKeysStale = false;
  ProtectBuffer(material.data(), material.size());
}

void TAESCryptoTransform::EnsureKeys() {
  if (FKeysStale || !FCryptor) UpdateKeys();
}

void TAESCryptoTransform::LoadFileStorageStartBlock(TStream& stream, std::int64_t offset) {
  stream.Seek(offset, TSeekOrigin::soCurrent);
  FSaltValue.assign(FKeyLengthBytes / 2, 0);
  stream.Read(FSaltValue.data(), static_cast<std::int64_t>(FSaltValue.size()));
  UpdateKeys();
  FPasswordVerificationValue.assign(2, 0);
  stream.Read(FPasswordVerificationValue.data(), 2);
}

bool TAESCryptoTransform::CheckPassword(const std::string& password, const TDirItem&) {
  TZipBytes material = DeriveMaterial(password);
  const bool fits = FPasswordVerificationValue.size() == 2 &&
                    ConstantTimeEqual(material.data() + material.size() - 2,
                                      FPasswordVerificationValue.data(), 2);
  ProtectBuffer(material.data(), material.size());
  return fits;
}

// The code covers the encrypted bytes, so it is fed before decryption and after encryption.
int TAESCryptoTransform::DecryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                                       std::uint8_t* output, int outputOffset) {
  EnsureKeys();
  hmac_updateXL(FHMAC_Context, input + inputOffset, static_cast<std::size_t>(inputCount));
  FCryptor->DecodeBuffer(input + inputOffset, output + outputOffset,
                         static_cast<std::size_t>(inputCount));
  return inputCount;
}

int TAESCryptoTransform::EncryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                                       std::uint8_t* output, int outputOffset) {
  EnsureKeys();
  FCryptor->EncodeBuffer(input + inputOffset, output + outputOffset,
                         static_cast<std::size_t>(inputCount));
  hmac_updateXL(FHMAC_Context, output + outputOffset, static_cast<std::size_t>(inputCount));
  return inputCount;
}

TZipBytes TAESCryptoTransform::GetFileStorageStartBlock() {
  EnsureKeys();
  TZipBytes block = FSaltValue;
  block.insert(block.end(), FPasswordVerificationValue.begin(), FPasswordVerificationValue.end());
  return block;
}

TZipBytes TAESCryptoTransform::FinishCode() {
  EnsureKeys();
  THashDigest mac{};
  hmac_final(FHMAC_Context, mac);
  return TZipBytes(mac.begin(), mac.begin() + FAuthenticationCodeSize);
}

TZipBytes TAESCryptoTransform::GetFileStorageEndBlock() {
  if (FVersion == 1) return {};
  FAuthenticationCode = FinishCode();
  return FAuthenticationCode;
}

void TAESCryptoTransform::LoadFileStorageEndBlock(TStream& stream, std::int64_t offset) {
  if (FVersion == 1) return;
  stream.Seek(offset, TSeekOrigin::soCurrent);
  FAuthenticationCode.assign(FAuthenticationCodeSize, 0);
  stream.Read(FAuthenticationCode.data(), FAuthenticationCodeSize);
}

bool TAESCryptoTransform::IsDirItemCorrupted(const TDirItem& item, std::uint32_t crc32) {
  if (FVersion == 1) return item.CentralDir.crc32 != crc32;
  const TZipBytes code = FinishCode();
  return code.size() != FAuthenticationCode.size() ||
         !ConstantTimeEqual(code.data(), FAuthenticationCode.data(), code.size());
}

TZipOwnedExtraField TAESCryptoTransform::GetExtraFieldData() const {
  const std::uint8_t strength = static_cast<std::uint8_t>(FKeyLengthBytes / 8 - 1);
  return {0x9901,
          {static_cast<std::uint8_t>(FVersion), static_cast<std::uint8_t>(FVersion >> 8), 'A', 'E',
           strength, static_cast<std::uint8_t>(FActualCompressionMethod),
           static_cast<std::uint8_t>(FActualCompressionMethod >> 8)}};
}

void TAESCryptoTransform::Reset() {
  for (TZipBytes* b : {&FHashKey, &FEncryptionKey, &FPasswordVerificationValue, &FSaltValue})
    if (!b->empty()) ProtectBuffer(b->data(), b->size());
  FPassword.clear();
  FHashKey.clear();
  FEncryptionKey.clear();
  FPasswordVerificationValue.clear();
  FSaltValue.clear();
  FCryptor.reset();
  ProtectBuffer(&FHMAC_Context, sizeof FHMAC_Context);
  FKeyLengthBytes = 0;
}

}  // namespace talu::zip
