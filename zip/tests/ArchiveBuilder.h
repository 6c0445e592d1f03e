// Builds small ZIP archives byte by byte for the tests, with control over every field that the
// loader reads: flags, extra blocks, stubs in front, comments and Zip64 records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talu::zip::test {

using Bytes = std::string;

inline void Put16(Bytes& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void Put64(Bytes& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}
// An extra block: ID, size, data.
inline Bytes ExtraBlock(std::uint16_t id, const Bytes& data) {
  Bytes out;
  Put16(out, id);
  Put16(out, static_cast<std::uint32_t>(data.size()));
  return out + data;
}

struct TestEntry {
  TestEntry(Bytes n, Bytes d) : name(std::move(n)), data(std::move(d)) {}
  Bytes name;
  Bytes data;  // the item's stored bytes, as they stand in the archive
  std::uint16_t method = 0;
  std::uint32_t crc = 0x12345678;
  std::int64_t uncompressedSize = -1;          // -1: the size of `data`
  std::uint16_t time = 0x6000, date = 0x5821;  // 2024-01-01 12:00:00
  std::uint16_t flag = 0;
  std::uint16_t extractVersion = 20;
  std::uint32_t externalAttr = 0x20;
  Bytes centralExtra;
  Bytes localExtra;
  bool zip64Sizes = false;           // sizes as sentinels, the real ones in a Zip64 block
  bool zip64CompressedOnly = false;  // only the compressed size as sentinel and in the block
  bool dataDescriptor = false;
};

struct ArchiveOptions {
  Bytes stub;  // foreign data in front
  bool offsetsIncludeStub = false;
  Bytes comment;
  bool zip64End = false;                  // Zip64 end record and locator
  std::uint64_t zip64EndOffsetShift = 0;  // added to the locator's pointer (damage)
};

// The header fields that local and central headers share, from extractVersion on.
inline void PutSharedFields(Bytes& out, const TestEntry& e, std::uint32_t crc,
                            std::uint32_t compSize, std::uint32_t size, std::size_t extraSize) {
  Put16(out, e.extractVersion);
  Put16(out, e.flag | (e.dataDescriptor ? 8 : 0));
  Put16(out, e.method);
  Put16(out, e.time);
  Put16(out, e.date);
  Put32(out, crc);
  Put32(out, compSize);
  Put32(out, size);
  Put16(out, static_cast<std::uint32_t>(e.name.size()));
  Put16(out, static_cast<std::uint32_t>(extraSize));
}

inline ArchiveOptions WithStub(Bytes stub, bool offsetsIncludeStub = false) {
  ArchiveOptions options;
  options.stub = std::move(stub);
  options.offsetsIncludeStub = offsetsIncludeStub;
  return options;
}

// The end records behind a central directory of `count` headers and `dirSize` bytes that starts
// at `dirOffset`: with `o.zip64End` the Zip64 end record and its locator, then the end record
// (the comment itself follows it).
inline void PutEndRecords(Bytes& tail, std::uint64_t count, std::uint64_t dirSize,
                          std::uint64_t dirOffset, const ArchiveOptions& o = {}) {
  if (o.zip64End) {
    Put32(tail, 0x06064B50);
    Put64(tail, 44);
    Put16(tail, 45);
    Put16(tail, 45);
    Put32(tail, 0);
    Put32(tail, 0);
    Put64(tail, count);
    Put64(tail, count);
    Put64(tail, dirSize);
    Put64(tail, dirOffset);
    Put32(tail, 0x07064B50);
    Put32(tail, 0);
    Put64(tail, dirOffset + dirSize + o.zip64EndOffsetShift);
    Put32(tail, 1);
  }
  const std::uint32_t count16 = o.zip64End ? 0xFFFF : static_cast<std::uint32_t>(count);
  Put32(tail, 0x06054B50);
  Put16(tail, 0);
  Put16(tail, 0);
  Put16(tail, count16);
  Put16(tail, count16);
  Put32(tail, static_cast<std::uint32_t>(dirSize));
  Put32(tail, static_cast<std::uint32_t>(dirOffset));
  Put16(tail, static_cast<std::uint32_t>(o.comment.size()));
}

inline Bytes BuildArchive(const std::vector<TestEntry>& entries, const ArchiveOptions& o = {}) {
  Bytes body, central;
  const std::uint64_t base = o.offsetsIncludeStub ? o.stub.size() : 0;
  for (const TestEntry& e : entries) {
    const std::uint32_t offset = static_cast<std::uint32_t>(base + body.size());
    const std::uint32_t crc = e.crc;
    const std::uint32_t size = static_cast<std::uint32_t>(e.data.size());
    const std::uint64_t plainSize =
        e.uncompressedSize < 0 ? size : static_cast<std::uint64_t>(e.uncompressedSize);
    Bytes zip64;
    if (e.zip64Sizes) Put64(zip64, plainSize);
    if (e.zip64Sizes || e.zip64CompressedOnly) Put64(zip64, size);
    const Bytes cextra = (zip64.empty() ? Bytes() : ExtraBlock(1, zip64)) + e.centralExtra;
    const std::uint32_t stated = e.zip64Sizes ? 0xFFFFFFFF : static_cast<std::uint32_t>(plainSize);
    const std::uint32_t statedComp = zip64.empty() ? size : 0xFFFFFFFF;
    const std::uint32_t localComp = e.zip64Sizes ? 0xFFFFFFFF : size;
    const bool dd = e.dataDescriptor;
    Put32(body, 0x04034B50);
    PutSharedFields(body, e, dd ? 0 : crc, dd ? 0 : localComp, dd ? 0 : stated,
                    e.localExtra.size());
    body += e.name + e.localExtra + e.data;
    if (e.dataDescriptor) {
      Put32(body, 0x08074B50);
      Put32(body, crc);
      Put32(body, size);
      Put32(body, static_cast<std::uint32_t>(plainSize));
    }
    Put32(central, 0x02014B50);
    Put16(central, 20);
    PutSharedFields(central, e, crc, statedComp, stated, cextra.size());
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, e.externalAttr);
    Put32(central, offset);
    central += e.name + cextra;
  }
  const std::uint64_t dirOffset = base + body.size();
  Bytes tail;
  PutEndRecords(tail, entries.size(), central.size(), dirOffset, o);
  return o.stub + body + central + tail + o.comment;
}

// Overwrites the 16-bit value at `offset` (little-endian).
inline void Patch16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

inline void Patch32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  Patch16(bytes, offset, value & 0xFFFF);
  Patch16(bytes, offset + 2, value >> 16);
}

// Offset of the end of central directory record (the last one).
inline std::size_t EndRecordStart(const Bytes& archive) {
  return archive.rfind(std::string("PK\x05\x06", 4));
}

// Offset of the first central header in an archive built without a stub.
inline std::size_t CentralDirStart(const Bytes& archive) {
  return archive.find(std::string("PK\x01\x02", 4));
}

}  // namespace talu::zip::test
