// The cipher base: keying, state, wiping, errors and the protection passes. The modes of
// operation are in ZipCipherModes.cpp.
#include "ZipCipher.h"

#include <algorithm>
#include <string_view>

namespace talu::crypto {

namespace {

struct TErrorText {
  TCipherError Code;
  std::string_view Format;  // "%s" stands for the class name
};

constexpr TErrorText kErrorTexts[] = {
    {errGeneric, "%s: generic cipher error."},
    {errInvalidKey, "%s: invalid key."},
    {errInvalidKeySize, "%s: invalid key size."},
    {errNotInitialized, "%s is not initialized call Init() or InitKey() before."},
    {errInvalidMACMode,
     "%s: the current mode computes no MAC, use cmCTSMAC, cmCBCMAC or cmCFBMAC."},
    {errCantCalc, "%s: cannot make a key from a password without a hash."},
};

std::string CipherMessage(TCipherError Code, const char* CipherClassName) {
  const auto* entry = std::find_if(std::begin(kErrorTexts), std::end(kErrorTexts),
                                   [Code](const TErrorText& e) { return e.Code == Code; });
  std::string text(entry != std::end(kErrorTexts) ? entry->Format : kErrorTexts[0].Format);
  return text.replace(text.find("%s"), 2, CipherClassName);
}

}  // namespace

ECipherException::ECipherException(TCipherError Code, const char* CipherClassName)
    : EProtection(CipherMessage(Code, CipherClassName)), FErrorCode(Code) {}

TCipher::TCipher(const TCipherContext& Context)
    : FHashClass(FindHash_by_ID(haSHA1)),
      FKeySize(Context.KeySize),
      FBufSize(Context.BufSize),
      FUserSize(Context.UserSize),
      FBuffer(Context.BufSize),
      FVector(Context.BufSize),
      FFeedback(Context.BufSize),
      FUser(Context.UserSize),
      FCtrPosition(Context.BufSize),
      FCtrEncryptionBlock(Context.BufSize),
      FCtrNonce(Context.BufSize) {}

TCipher::~TCipher() {
  Protect();
}

void TCipher::CheckInitialized() const {
  if (!FInitialized) throw ECipherException(errNotInitialized, ClassName());
}

void TCipher::SetFlag(TCipherFlag Flag, bool Value) {
  (Flag == cfKeySet ? FKeySet : FInitialized) = Value;
}

void TCipher::InitEnd(const std::uint8_t* IVector) {
  if (IVector) {
    std::copy_n(IVector, FBufSize, FVector.begin());
  } else {
    std::fill(FVector.begin(), FVector.end(), 0);
    Encode(FVector.data());
  }
  FFeedback = FVector;
  SetFlag(cfInitialized, true);
}

void TCipher::Init(const std::uint8_t*, std::size_t, const std::uint8_t*) {
  WipeKeyState();
}

void TCipher::Done() {
  FFeedback = FVector;
}

void TCipher::WipeKeyState() {
  for (TBytes* buffer : {&FBuffer, &FVector, &FFeedback, &FUser}) {
    ProtectBuffer(buffer->data(), buffer->size());
  }
  SetFlag(cfKeySet, false);
  SetFlag(cfInitialized, false);
}

void TCipher::Protect() {
  WipeKeyState();
  ProtectBuffer(FCtrEncryptionBlock.data(), FCtrEncryptionBlock.size());
  ProtectBuffer(FCtrNonce.data(), FCtrNonce.size());
  // A restarted counter takes a fresh key-stream block before its first byte.
  FCtrPosition = FBufSize;
}

void TCipher::InitKey(TBytes& Key, const std::uint8_t* IVector) {
  Init(Key.data(), Key.size(), IVector);
  TBytes protected_key(Key.size());
  EncodeBuffer(Key.data(), protected_key.data(), Key.size());
  ProtectBuffer(Key.data(), Key.size());
  Key = std::move(protected_key);
  Done();
  SetFlag(cfKeySet, true);
}

void TCipher::InitKey(const std::string& Password, const std::uint8_t* IVector) {
  if (!FHashClass) throw ECipherException(errCantCalc, ClassName());
  THashContext context;
  THashDigest digest;
  FHashClass->HInit(context);
  FHashClass->HUpdateXL(context, Password.data(), Password.size());
  FHashClass->HFinal(context, digest);
  Init(digest.data(), std::min<std::size_t>(FHashClass->HDigestlen, FKeySize), IVector);
  ProtectBuffer(digest.data(), digest.size());
  SetFlag(cfKeySet, true);
}

TBytes TCipher::CalcMAC() {
  CheckInitialized();
  if (FMode != cmCTSMAC && FMode != cmCBCMAC && FMode != cmCFBMAC) {
    throw ECipherException(errInvalidMACMode, ClassName());
  }
  TBytes mac = FFeedback;
  Encode(mac.data());
  return mac;
}

void TCipher::CodeInit(TPAction Action) {
  CheckInitialized();
  TProtection::CodeInit(Action);
}

void TCipher::CodeDone(TPAction Action) {
  TProtection::CodeDone(Action);
  Done();
}

void TCipher::CodeBuf(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action) {
  if (Action == paDecode) {
    TProtection::CodeBuf(Buffer, BufferSize, Action);
    DecodeBuffer(Buffer, Buffer, BufferSize);
    return;
  }
  if (Action == paCalc) {
    TBytes scratch(Buffer, Buffer + BufferSize);
    EncodeBuffer(scratch.data(), scratch.data(), BufferSize);
  } else {
    EncodeBuffer(Buffer, Buffer, BufferSize);
  }
  TProtection::CodeBuf(Buffer, BufferSize, Action);
}

}  // namespace talu::crypto
