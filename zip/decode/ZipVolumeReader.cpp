#include "ZipVolumeReader.h"

#include "ZipArchiver.h"

namespace talu::zip {

TStream& TZipVolumeReader::Current() const {
  return *archiver_.CompressedStream();
}

// Opens the volume after the current one at its start; false after the last.
bool TZipVolumeReader::NextVolume() {
  if (volume_.FVolumeNumber >= volume_.FLastVolumeNumber) return false;
  volume_.SetVolumeNumber(volume_.FVolumeNumber + 1);
  archiver_.OpenVolume(volume_);
  Current().SetPosition(0);
  return true;
}

std::int64_t TZipVolumeReader::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = Current().Read(out, count);
  while (done < count && NextVolume()) done += Current().Read(out + done, count - done);
  return done;
}

std::int64_t TZipVolumeReader::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin != TSeekOrigin::soCurrent || offset <= 0) return Current().Seek(offset, origin);
  std::int64_t target = Current().Position() + offset;
  for (std::int64_t size = Current().Size(); target > size && NextVolume(); size = Current().Size())
    target -= size;
  return Current().Seek(target, TSeekOrigin::soBeginning);
}

}  // namespace talu::zip
