// The stream abstraction the engine reads archives from, and the stream errors.
// An archive can live in any TStream: a file, memory, a string, or a caller's own class.
// A caller's stream is read only on the thread that called the archiver. A helper thread reads
// ahead only in the engine's own file of a one-volume archive, while a whole item of more than
// one chunk (1 MiB) is decoded (see decode/ZipChunkReader.h).
#pragma once

#include <cstdint>

#include "ZipExcept.h"

namespace talu::zip {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
// A read that delivered fewer bytes than asked for.
class EReadError : public EStreamError {
 public:
  EReadError();
};
// A write that took fewer bytes than given.
class EWriteError : public EStreamError {
 public:
  EWriteError();
};

class TStream {
 public:
  virtual ~TStream() = default;
  // Moves up to `count` bytes; returns the number moved (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position; returns the new position. A target before the start raises
  // EStreamError.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t size) = 0;
  virtual std::int64_t Size();

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Read exactly `count` bytes or raise EReadError; write all of them or raise EWriteError.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
};

// Resolves a seek request against the current position and size; raises EStreamError for a
// target before the start.
std::int64_t SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t position,
                        std::int64_t size);

}  // namespace talu::zip
