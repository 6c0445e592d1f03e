// Reads an item's bytes on, crossing into the following volumes of a multi-volume archive where
// one ends, as the archiver opens them (with their request events). Positions are those of the
// volume being read.
//
// Usage: TZipVolumeReader source(archiver, volumeOfTheLocalHeader); source.ReadBuffer(...);
#pragma once

#include "ZipTypes.h"
#include "stream/ZipStream.h"

namespace talu::zip {

class TZipBaseArchiver;

class TZipVolumeReader final : public TStream {
 public:
  // `volume` is open and positioned already.
  TZipVolumeReader(TZipBaseArchiver& archiver, const TZipVolumeNumberInfo& volume)
      : archiver_(archiver), volume_(volume) {}

  // Fewer than `count` bytes only when the last volume ends.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  // Forward moves from the current position cross volumes as reads do.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t) override {}
  std::int64_t Size() override { return Current().Size(); }

 private:
  TStream& Current() const;
  bool NextVolume();

  TZipBaseArchiver& archiver_;
  TZipVolumeNumberInfo volume_;
};

}  // namespace talu::zip
