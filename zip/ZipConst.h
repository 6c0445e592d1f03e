// Constants of the archive engine: record signatures and sizes, sentinels, and the tables that
// turn a native error number into an error code and a message.
#pragma once

#include <cstdint>
#include <string_view>

namespace talu::zip {

// Record signatures, standard family.
inline constexpr std::uint32_t kLocalHeaderSig = 0x04034B50;
inline constexpr std::uint32_t kDataDescriptorSig = 0x08074B50;
inline constexpr std::uint32_t kCentralHeaderSig = 0x02014B50;
inline constexpr std::uint32_t kZip64EndSig = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSig = 0x07064B50;
inline constexpr std::uint32_t kEndOfDirSig = 0x06054B50;
// Second family, used by the bare base archiver.
inline constexpr std::uint32_t kAltLocalHeaderSig = 0x05045C61;
inline constexpr std::uint32_t kAltEndOfDirSig = 0x06054141;

// Record sizes on disk.
inline constexpr std::int64_t kLocalHeaderSize = 30;
inline constexpr std::int64_t kDataDescriptorSize = 16;
inline constexpr std::int64_t kCentralHeaderSize = 46;
inline constexpr std::int64_t kEndOfDirSize = 22;
inline constexpr std::int64_t kZip64EndSize = 56;
inline constexpr std::int64_t kZip64LocatorSize = 20;

// Values in 32-bit and 16-bit fields that send the reader to the Zip64 records.
inline constexpr std::uint32_t kSentinel32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kSentinel16 = 0xFFFF;

// General purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// From this "version needed to extract" on, the encryption rules of loading are off.
inline constexpr std::uint16_t kNoEncryptionRulesVersion = 0x4114;

// Extra block IDs.
inline constexpr std::uint16_t kExtraZip64 = 0x0001;
inline constexpr std::uint16_t kExtraUnicodeName = 0x554E;
inline constexpr std::uint32_t kUnicodeNameSig = 0x5843554E;  // "NUCX"
inline constexpr std::uint16_t kExtraUnicodePath = 0x7075;
inline constexpr std::uint16_t kExtraAes = 0x9901;

// File attribute bits.
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::int32_t kDefaultSearchAttr = 10431;

// Archive file modes (see the platform layer for the bits).
// Every attribute bit: the search set that selects all items.
inline constexpr std::int32_t kZipAllAttributes = 10431;
inline constexpr std::uint16_t kFileModeCreate = 0xFF00;
inline constexpr std::uint16_t kFileModeReadWriteDenyWrite = 0x22;
inline constexpr std::uint16_t kFileModeReadOnlyDenyNone = 0x40;

inline constexpr int kErrorCodeCount = 41;
inline constexpr int kNativeErrorCount = 68;

// Message text of an error code (0 … 40); "Unknown error" for any other.
std::u16string_view ZipErrorMessage(int errorCode);
// Error code of a native error number; 0 for a number without an entry.
int ZipNativeToErrorCode(int nativeError);

// Texts shown by the default event behaviour.
inline constexpr std::u16string_view kTextOverwrite = u"Overwrite file \"%s\" with \"%s\"";
inline constexpr std::u16string_view kTextPasswordCaption = u"Password for \"%s\"";
inline constexpr std::u16string_view kTextPasswordPrompt = u"Enter password: ";
inline constexpr std::u16string_view kTextFileFailure =
    u"%s. File processing error, possibly disk is full";
inline constexpr std::u16string_view kTextInsertFirst = u"Please insert the first disk";
inline constexpr std::u16string_view kTextInsertLast = u"Please insert the last disk";
inline constexpr std::u16string_view kTextLastNotFound =
    u"File '%s' not found on inserted disk. Please insert last disk with required file";
inline constexpr std::u16string_view kTextInsertDisk = u"Please insert disk #%d";
inline constexpr std::u16string_view kTextInsertBlank = u"Please insert a blank disk #%d";
inline constexpr std::u16string_view kTextDiskFull =
    u"Disk is full. Required free space: %d bytes, but available only: %d bytes. Clean the disk "
    u"or find another blank disk";

}  // namespace talu::zip
