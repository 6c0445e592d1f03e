// The modes of operation of TCipher over any block cipher.
#include <algorithm>
#include <cstring>

#include "ZipCipher.h"

namespace talu::crypto {

namespace {

// The MAC modes process data as their base modes do.
TCipherMode BaseMode(TCipherMode Mode) {
  switch (Mode) {
    case cmCTSMAC:
      return cmCTS;
    case cmCBCMAC:
      return cmCBC;
    case cmCFBMAC:
      return cmCFB;
    default:
      return Mode;
  }
}

// The counter: little-endian in the first eight bytes; the carry stops after byte 7.
void IncrementCounter(std::uint8_t* Nonce) {
  StoreLE64(Nonce, LoadLE64(Nonce) + 1);
}

}  // namespace

void TCipher::EncodeBuffer(const void* Source, void* Dest, std::size_t DataSize) {
  CheckInitialized();
  Code(static_cast<const std::uint8_t*>(Source), static_cast<std::uint8_t*>(Dest), DataSize, true);
}

void TCipher::DecodeBuffer(const void* Source, void* Dest, std::size_t DataSize) {
  CheckInitialized();
  Code(static_cast<const std::uint8_t*>(Source), static_cast<std::uint8_t*>(Dest), DataSize, false);
}

void TCipher::Code(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size,
                   bool Encoding) {
  const TCipherMode base = BaseMode(FMode);
  switch (base) {
    case cmCTR:
      return CodeCTR(Source, Dest, Size);
    case cmCFB:
    case cmOFB:
      return CodeFeedback(Source, Dest, Size, base, Encoding);
    default:
      return CodeBlocks(Source, Dest, Size, Encoding);
  }
}

// Whole blocks in CTS, CBC or ECB; a final partial block is XORed with the encrypted feedback.
void TCipher::CodeBlocks(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size,
                         bool Encoding) {
  const TCipherMode base = BaseMode(FMode);
  for (; Size >= FBufSize; Size -= FBufSize, Source += FBufSize, Dest += FBufSize) {
    if (Encoding) {
      EncodeBlock(base, Source, Dest);
    } else {
      DecodeBlock(base, Source, Dest);
    }
  }
  if (Size > 0) CodeTail(Source, Dest, Size, Encoding);
}

void TCipher::EncodeBlock(TCipherMode Base, const std::uint8_t* Source, std::uint8_t* Dest) {
  if (Base == cmECB) {
    std::memmove(Dest, Source, FBufSize);
    Encode(Dest);
    return;
  }
  XORBuffers(Source, FFeedback.data(), FBufSize, Dest);
  Encode(Dest);
  if (Base == cmCBC) {
    std::copy_n(Dest, FBufSize, FFeedback.begin());
  } else {
    XORBuffers(Dest, FFeedback.data(), FBufSize, FFeedback.data());
  }
}

void TCipher::DecodeBlock(TCipherMode Base, const std::uint8_t* Source, std::uint8_t* Dest) {
  std::copy_n(Source, FBufSize, FBuffer.begin());
  Decode(FBuffer.data());
  if (Base == cmECB) {
    std::copy_n(FBuffer.begin(), FBufSize, Dest);
    return;
  }
  for (std::size_t i = 0; i < FBufSize; ++i) {
    const std::uint8_t cipher = Source[i];
    Dest[i] = FBuffer[i] ^ FFeedback[i];
    FFeedback[i] = Base == cmCBC ? cipher : cipher ^ FFeedback[i];
  }
}

// The tail is XORed with the encrypted feedback, which then takes the plain tail bytes, so that
// a MAC covers them.
void TCipher::CodeTail(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size,
                       bool Encoding) {
  FBuffer = FFeedback;
  Encode(FBuffer.data());
  FFeedback = FBuffer;
  for (std::size_t i = 0; i < Size; ++i) {
    const std::uint8_t in = Source[i];
    Dest[i] = in ^ FBuffer[i];
    FFeedback[i] = Encoding ? in : Dest[i];
  }
}

// 8-bit CFB and OFB: one block encryption per byte; the feedback register shifts left by one
// byte and takes the ciphertext byte (CFB) or the key-stream byte (OFB).
void TCipher::CodeFeedback(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size,
                           TCipherMode Base, bool Encoding) {
  for (std::size_t i = 0; i < Size; ++i) {
    FBuffer = FFeedback;
    Encode(FBuffer.data());
    const std::uint8_t in = Source[i];
    Dest[i] = in ^ FBuffer[0];
    const std::uint8_t cipher = Encoding ? Dest[i] : in;
    std::rotate(FFeedback.begin(), FFeedback.begin() + 1, FFeedback.end());
    FFeedback.back() = Base == cmOFB ? FBuffer[0] : cipher;
  }
}

// Counter mode: each byte is XORed with FCtrEncryptionBlock[FCtrPosition]; a new block
// (the encryption of the incremented nonce) is taken whenever the position reaches the block
// size. Runs of whole blocks at a block boundary go to CounterModeBlocks at once.
void TCipher::CodeCTR(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size) {
  while (Size > 0) {
    if (FCtrPosition == FBufSize) {
      const std::size_t blocks = Size / FBufSize;
      if (blocks > 0) {
        CounterModeBlocks(FCtrNonce.data(), Source, Dest, blocks);
        Source += blocks * FBufSize;
        Dest += blocks * FBufSize;
        Size -= blocks * FBufSize;
        continue;
      }
      NextKeyStreamBlock();
    }
    const std::size_t take = std::min(Size, FBufSize - FCtrPosition);
    XORBuffers(Source, FCtrEncryptionBlock.data() + FCtrPosition, take, Dest);
    FCtrPosition += take;
    Source += take;
    Dest += take;
    Size -= take;
  }
}

void TCipher::NextKeyStreamBlock() {
  IncrementCounter(FCtrNonce.data());
  FCtrEncryptionBlock = FCtrNonce;
  Encode(FCtrEncryptionBlock.data());
  FCtrPosition = 0;
}

void TCipher::CounterModeBlocks(std::uint8_t* Nonce, const std::uint8_t* Source, std::uint8_t* Dest,
                                std::size_t Blocks) {
  for (std::size_t b = 0; b < Blocks; ++b, Source += FBufSize, Dest += FBufSize) {
    IncrementCounter(Nonce);
    std::copy_n(Nonce, FBufSize, FBuffer.begin());
    Encode(FBuffer.data());
    XORBuffers(Source, FBuffer.data(), FBufSize, Dest);
  }
}

}  // namespace talu::crypto
