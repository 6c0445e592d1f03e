#include "ZipStream.h"

namespace talu::zip {

EReadError::EReadError() : EStreamError(u"Stream read error") {}
EWriteError::EWriteError() : EStreamError(u"Stream write error") {}

std::int64_t TStream::Size() {
  const std::int64_t position = Position();
  const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  SetPosition(position);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::int64_t SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t position,
                        std::int64_t size) {
  const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                            : origin == TSeekOrigin::soCurrent ? position
                                                               : size;
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) {
    throw EStreamError(u"Invalid stream position");
  }
  return base + offset;
}

}  // namespace talu::zip
