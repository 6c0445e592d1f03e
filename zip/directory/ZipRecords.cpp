#include "ZipRecords.h"

namespace talu::zip {
namespace {

// The run of fields that local and central headers share, from extractVersion to extraLength.
template <class Header>
void ReadSharedFields(TByteCursor& in, Header& r) {
  r.extractVersion = in.FromWide();
  r.genPurposeFlag = in.FromWide();
  r.compMethod = in.FromWide();
  r.lastModTime = in.FromWide();
  r.lastModDate = in.FromWide();
  r.crc32 = in.U32();
  r.compSize = in.U32();
  r.unCompSize = in.U32();
  r.nameLength = in.FromWide();
  r.extraLength = in.FromWide();
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
  r.versionMadeBy = in.FromWide();
  ReadSharedFields(in, r);
  r.commentLength = in.FromWide();
  r.diskNumberStart = in.FromWide();
  r.internalAttr = in.FromWide();
  r.externalAttr = in.U32();
  r.relOffsetLH = in.U32();
  return r;
}

TZipCentralDirEnd ReadCentralDirEnd(TByteCursor& in) {
  TZipCentralDirEnd r{};
  r.signature = in.U32();
  r.diskNumber = in.FromWide();
  r.startDiskNumber = in.FromWide();
  r.entriesOnDisk = in.FromWide();
  r.entriesCentralDir = in.FromWide();
  r.centralDirSize = in.U32();
  r.offsetStartDir = in.U32();
  r.commentLength = in.FromWide();
  return r;
}

TZip64CentralDirEnd ReadZip64CentralDirEnd(TByteCursor& in) {
  TZip64CentralDirEnd r{};
  r.signature = in.U32();
  r.centralDirEndSize = in.U64();
  r.versionMadeBy = in.FromWide();
  r.versionNeededToExtract = in.FromWide();
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
