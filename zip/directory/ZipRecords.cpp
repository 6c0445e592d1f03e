#include "ZipRecords.h"

namespace talu::zip {
namespace {

void ReadSharedFields(TByteCursor& in, TZipHeaderFields& r) {
  r.extractVersion = in.U16();
  r.genPurposeFlag = in.U16();
  r.compMethod = in.U16();
  r.lastModTime = in.U16();
  r.lastModDate = in.U16();
  r.crc32 = in.U32();
  r.compSize = in.U32();
  r.unCompSize = in.U32();
  r.nameLength = in.U16();
  r.extraLength = in.U16();
}

}  // namespace

TZipLocalHeader ReadLocalHeader(TByteCursor& in) {
  TZipLocalHeader r{};
  r.signature = in.U32();
  ReadSharedFields(in, r);
  return r;
}

TZipDataDescriptor ReadDataDescriptor(TByteCursor& in) {
  TZipDataDescriptor r{};
  r.signature = in.U32();
  r.crc32 = in.U32();
  r.compSize = in.U32();
  r.unCompSize = in.U32();
  return r;
}

TZipCentralDir ReadCentralDir(TByteCursor& in) {
  TZipCentralDir r{};
  r.signature = in.U32();
  r.versionMadeBy = in.U16();
  ReadSharedFields(in, r);
  r.commentLength = in.U16();
  r.diskNumberStart = in.U16();
  r.internalAttr = in.U16();
  r.externalAttr = in.U32();
  r.relOffsetLH = in.U32();
  return r;
}

TZipCentralDirEnd ReadCentralDirEnd(TByteCursor& in) {
  TZipCentralDirEnd r{};
  r.signature = in.U32();
  r.diskNumber = in.U16();
  r.startDiskNumber = in.U16();
  r.entriesOnDisk = in.U16();
  r.entriesCentralDir = in.U16();
  r.centralDirSize = in.U32();
  r.offsetStartDir = in.U32();
  r.commentLength = in.U16();
  return r;
}

TZip64CentralDirEnd ReadZip64CentralDirEnd(TByteCursor& in) {
  TZip64CentralDirEnd r{};
  r.signature = in.U32();
  r.centralDirEndSize = in.U64();
  r.versionMadeBy = in.U16();
  r.versionNeededToExtract = in.U16();
  r.diskNumber = in.U32();
  r.startDiskNumber = in.U32();
  r.entriesOnDisk = in.U64();
  r.entriesCentralDir = in.U64();
  r.centralDirSize = in.U64();
  r.offsetStartDir = in.U64();
  return r;
}

TZip64CentralDirEndLocator ReadZip64Locator(TByteCursor& in) {
  TZip64CentralDirEndLocator r{};
  r.signature = in.U32();
  r.startDiskNumber = in.U32();
  r.offsetStartDirEnd = in.U64();
  r.totalNumberOfDisks = in.U32();
  return r;
}

}  // namespace talu::zip
