// Block ciphers with their modes of operation, and AES (FIPS 197) as TCipher_Rijndael.
// Usage: TCipher_Rijndael aes(key);  // key now holds the protected copy
//        aes.SetMode(cmCTR); aes.DecodeBuffer(data, data, n);
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ZipCipherUtil.h"
#include "ZipHash.h"

namespace talu::crypto {

enum TCipherMode {
  cmCTS,     // block chaining, feedback = ciphertext XOR previous feedback
  cmCBC,     // cipher block chaining
  cmCFB,     // 8-bit cipher feedback
  cmOFB,     // 8-bit output feedback
  cmCTR,     // counter: little-endian 64-bit counter in the first 8 bytes of the block
  cmECB,     // each block alone
  cmCTSMAC,  // as cmCTS, and CalcMAC gives a MAC of the data
  cmCBCMAC,  // as cmCBC, with CalcMAC
  cmCFBMAC,  // as cmCFB, with CalcMAC
};

enum TCipherError {
  errGeneric,
  errInvalidKey,
  errInvalidKeySize,
  errNotInitialized,
  errInvalidMACMode,
  errCantCalc,
};

class ECipherException : public EProtection {
 public:
  // Message: the text of Code with the class name of the cipher in it.
  ECipherException(TCipherError Code, const char* CipherClassName);
  TCipherError ErrorCode() const { return FErrorCode; }

 private:
  TCipherError FErrorCode;
};

// The sizes of a cipher class.
struct TCipherContext {
  std::size_t BufSize;   // block size
  std::size_t KeySize;   // longest key used
  std::size_t UserSize;  // key-schedule area
};

// One known answer of a cipher class: Plain encrypted under Key gives Cipher.
struct TCipherTestVector {
  std::span<const std::uint8_t> Key;
  std::span<const std::uint8_t> Plain;
  std::span<const std::uint8_t> Cipher;
};

enum TCipherFlag { cfKeySet, cfInitialized };

class TCipher : public TProtection {
 public:
  ~TCipher() override;

  TCipherMode Mode() const { return FMode; }
  void SetMode(TCipherMode Mode) { FMode = Mode; }
  // The hash that turns a text password into key bytes (SHA-1 unless set).
  void SetHash(PHashDesc Hash) { FHashClass = Hash; }
  bool KeySet() const { return FKeySet; }
  bool Initialized() const { return FInitialized; }

  // A protection pass: encoding runs this cipher, then the chain; decoding the reverse;
  // paCalc feeds the data to the MAC and leaves them unchanged.
  void CodeInit(TPAction Action) override;
  void CodeDone(TPAction Action) override;
  void CodeBuf(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action) override;

  virtual void SetFlag(TCipherFlag Flag, bool Value);
  // Ends Init: the initial vector is IVector (block size bytes) or, when null, the encryption of
  // a zero block; the chaining state starts there and the cipher is marked initialized.
  virtual void InitEnd(const std::uint8_t* IVector);
  virtual TCipherContext GetContext() const = 0;
  virtual const TCipherTestVector& TestVector() const = 0;
  // One block in place, forward and inverse.
  virtual void Encode(std::uint8_t* Data) = 0;
  virtual void Decode(std::uint8_t* Data) = 0;
  // Keys the cipher from Key[0, Size): the base wipes key and chaining state (the counter-mode
  // state is kept); derived classes call it first, then schedule the key and call InitEnd.
  virtual void Init(const std::uint8_t* Key, std::size_t Size, const std::uint8_t* IVector);
  // Returns the chaining state to the initial vector.
  virtual void Done();
  // Wipes every key and state buffer (several passes, last zeros), restarts the counter and
  // clears both flags.
  virtual void Protect();

  // Keys the cipher with Key, then replaces Key by its encryption in the current mode (the
  // plain bytes are wiped) so the plain key does not stay in memory.
  void InitKey(TBytes& Key, const std::uint8_t* IVector = nullptr);
  // Keys the cipher with the digest of a text password under the hash set by SetHash.
  void InitKey(const std::string& Password, const std::uint8_t* IVector = nullptr);

  // DataSize bytes in the current mode; Source and Dest may be the same buffer. Raise
  // ECipherException(errNotInitialized) before keying.
  void EncodeBuffer(const void* Source, void* Dest, std::size_t DataSize);
  void DecodeBuffer(const void* Source, void* Dest, std::size_t DataSize);

  // The MAC (one block) of what the MAC modes processed since Init or Done; raises
  // ECipherException(errInvalidMACMode) in other modes.
  TBytes CalcMAC();

 protected:
  explicit TCipher(const TCipherContext& Context);
  std::uint8_t* User() { return FUser.data(); }
  const std::uint8_t* User() const { return FUser.data(); }
  // Counter mode over whole blocks, from Nonce on (see CodeCTR); derived classes may override
  // with a faster form that gives the same bytes.
  virtual void CounterModeBlocks(std::uint8_t* Nonce, const std::uint8_t* Source,
                                 std::uint8_t* Dest, std::size_t Blocks);

 private:
  void CheckInitialized() const;
  void WipeKeyState();
  void EncodeBlock(TCipherMode Base, const std::uint8_t* Source, std::uint8_t* Dest);
  void DecodeBlock(TCipherMode Base, const std::uint8_t* Source, std::uint8_t* Dest);
  void Code(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size, bool Encoding);
  void CodeBlocks(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size, bool Encoding);
  void CodeTail(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size, bool Encoding);
  void CodeFeedback(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size,
                    TCipherMode Base, bool Encoding);
  void CodeCTR(const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Size);
  void NextKeyStreamBlock();

  TCipherMode FMode = cmCTS;
  PHashDesc FHashClass;
  std::size_t FKeySize;
  std::size_t FBufSize;
  std::size_t FUserSize;
  TBytes FBuffer;    // scratch block
  TBytes FVector;    // initial vector
  TBytes FFeedback;  // chaining state
  TBytes FUser;      // key schedule
  bool FKeySet = false;
  bool FInitialized = false;
  std::size_t FCtrPosition;
  TBytes FCtrEncryptionBlock;
  TBytes FCtrNonce;
};

// AES: 16-byte blocks, keys of 16, 24 or 32 bytes (10, 12 or 14 rounds). Uses AES-NI when the
// processor has it.
class TCipher_Rijndael : public TCipher {
 public:
  TCipher_Rijndael();
  // Keys the cipher with InitKey(Key) unless Key is empty.
  explicit TCipher_Rijndael(TBytes& Key);

  const char* ClassName() const override { return "TCipher_Rijndael"; }
  static TCipherContext Context();
  TCipherContext GetContext() const override { return Context(); }
  const TCipherTestVector& TestVector() const override;
  void Encode(std::uint8_t* Data) override;
  void Decode(std::uint8_t* Data) override;
  void Init(const std::uint8_t* Key, std::size_t Size, const std::uint8_t* IVector) override;

 protected:
  void CounterModeBlocks(std::uint8_t* Nonce, const std::uint8_t* Source, std::uint8_t* Dest,
                         std::size_t Blocks) override;

 private:
  int FRounds = 0;
};

}  // namespace talu::crypto
