// The protection base of ciphers: a data transform that can be chained to another one which
// transforms the data after it. Usage: cipher->SetProtection(other); cipher->CodeBuffer(...);
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

#include "ByteUtil.h"

namespace talu::crypto {

// What a pass over data does.
enum TPAction { paEncode, paDecode, paScramble, paCalc, paWipe };

class EProtection : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TProtection {
 public:
  TProtection() = default;
  virtual ~TProtection() = default;
  TProtection(const TProtection&) = delete;
  TProtection& operator=(const TProtection&) = delete;

  // The class name used in messages.
  virtual const char* ClassName() const = 0;

  // Chains Value after this object; raises EProtection when the chain would lead back here.
  void SetProtection(std::shared_ptr<TProtection> Value);
  const std::shared_ptr<TProtection>& Protection() const { return FProtection; }

  // Start of a pass, the data in pieces, end of a pass. The base passes each to the chain.
  virtual void CodeInit(TPAction Action);
  virtual void CodeDone(TPAction Action);
  virtual void CodeBuf(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action);

  // Whole passes: DataSize bytes of a stream (fewer if it ends first; returns the count), a file,
  // a string of bytes, a buffer in place.
  virtual std::size_t CodeStream(std::istream& Source, std::ostream& Dest, std::size_t DataSize,
                                 TPAction Action);
  virtual void CodeFile(const std::filesystem::path& Source, const std::filesystem::path& Dest,
                        TPAction Action);
  virtual std::string CodeString(const std::string& Source, TPAction Action);
  virtual void CodeBuffer(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action);

 private:
  std::shared_ptr<TProtection> FProtection;
};

}  // namespace talu::crypto
