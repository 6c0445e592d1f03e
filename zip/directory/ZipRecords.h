// The fixed records of the ZIP format, as in-memory values filled from their on-disk bytes.
#pragma once

#include <cstdint>

#include "ZipByteCursor.h"

namespace talu::zip {

// The fields that local and central headers share, in the order both store them.
struct TZipHeaderFields {
  std::uint16_t extractVersion;
  std::uint16_t genPurposeFlag;
  std::uint16_t compMethod;
  std::uint16_t lastModTime;
  std::uint16_t lastModDate;
  std::uint32_t crc32;
  std::uint32_t compSize;
  std::uint32_t unCompSize;
  std::uint16_t nameLength;
  std::uint16_t extraLength;
};

struct TZipLocalHeader : TZipHeaderFields {
  std::uint32_t signature;
};

struct TZipDataDescriptor {
  std::uint32_t signature;
  std::uint32_t crc32;
  std::uint32_t compSize;
  std::uint32_t unCompSize;
};

struct TZipCentralDir : TZipHeaderFields {
  std::uint32_t signature;
  std::uint16_t versionMadeBy;
  std::uint16_t commentLength;
  std::uint16_t diskNumberStart;
  std::uint16_t internalAttr;
  std::uint32_t externalAttr;
  std::uint32_t relOffsetLH;
};

struct TZipCentralDirEnd {
  std::uint32_t signature;
  std::uint16_t diskNumber;
  std::uint16_t startDiskNumber;
  std::uint16_t entriesOnDisk;
  std::uint16_t entriesCentralDir;
  std::uint32_t centralDirSize;
  std::uint32_t offsetStartDir;
  std::uint16_t commentLength;
};

struct TZip64CentralDirEnd {
  std::uint32_t signature;
  std::uint64_t centralDirEndSize;
  std::uint16_t versionMadeBy;
  std::uint16_t versionNeededToExtract;
  std::uint32_t diskNumber;
  std::uint32_t startDiskNumber;
  std::uint64_t entriesOnDisk;
  std::uint64_t entriesCentralDir;
  std::uint64_t centralDirSize;
  std::uint64_t offsetStartDir;
};

struct TZip64CentralDirEndLocator {
  std::uint32_t signature;
  std::uint32_t startDiskNumber;
  std::uint64_t offsetStartDirEnd;
  std::uint32_t totalNumberOfDisks;
};

// Each reads its record's fixed bytes from `in` (check in.Ok() afterwards).
TZipLocalHeader ReadLocalHeader(TByteCursor& in);
TZipDataDescriptor ReadDataDescriptor(TByteCursor& in);
TZipCentralDir ReadCentralDir(TByteCursor& in);
TZipCentralDirEnd ReadCentralDirEnd(TByteCursor& in);
TZip64CentralDirEnd ReadZip64CentralDirEnd(TByteCursor& in);
TZip64CentralDirEndLocator ReadZip64Locator(TByteCursor& in);

}  // namespace talu::zip
