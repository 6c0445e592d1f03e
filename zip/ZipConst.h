// Constants of the archive engine: record signatures and sizes, sentinels, and the named native
// errors, whose table gives each its error code and message.
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
inline constexpr std::uint16_t kExtraNtfsTimes = 0x000A;
inline constexpr std::uint16_t kExtraUnixTime = 0x5455;
inline constexpr std::uint16_t kExtraUnicodeName = 0x554E;
inline constexpr std::uint32_t kUnicodeNameSig = 0x5843554E;  // "NUCX"
inline constexpr std::uint16_t kExtraUnicodePath = 0x7075;
inline constexpr std::uint16_t kExtraAes = 0x9901;

// Systems that made an item (the high byte of "version made by") whose external attributes
// carry a Unix mode in their high half, and that mode's file type bits.
inline constexpr unsigned kHostUnix = 3;
inline constexpr unsigned kHostMacOs = 19;
inline constexpr std::uint32_t kUnixTypeMask = 0170000;
inline constexpr std::uint32_t kUnixTypeLink = 0120000;

// File attribute bits.
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
// Every attribute bit: the search set that selects all items.
inline constexpr std::int32_t kZipAllAttributes = 10431;

// Native errors: the number a raise site gives, one for each place or cause. Those of the
// writing side only keep their table entries; equal causes there are told apart by number.
enum TZipNativeError : int {
  kNeUnknown = 0,
  kNeSetItemIndex = 1,
  kNeGetItemIndex = 2,
  kNeGetItemPtrIndex = 3,
  kNeDeleteItemIndex = 4,
  kNeCompressionMode = 5,
  kNeNilPointer = 6,
  kNeWriteIndex7 = 7,
  kNeItemFailed = 8,
  kNeOpenNameBlank = 9,
  kNeOpenModeNameBlank = 10,
  kNeFileNotFound11 = 11,
  kNeArchiveFileNotFound = 12,
  kNeArchiveNotOpen = 13,
  kNeArchiveNotOpen14 = 14,
  kNeItemNotFound = 15,
  kNeItemIndex = 16,
  kNeSfxStubMissing = 17,
  kNeWriteFileNotFound18 = 18,
  kNeCreateOutputFile = 19,
  kNeCreateOutputFolder = 20,
  kNeWriteIndex21 = 21,
  kNeUpdateNotStarted22 = 22,
  kNeCreateFile23 = 23,
  kNeWriteIndex24 = 24,
  kNeUpdateNotStarted25 = 25,
  kNeUpdateNotEnded = 26,
  kNeDeleteFile = 27,
  kNeInMemoryCreateOnly = 28,
  kNeWriteNameBlank = 29,
  kNeWriteFileNotFound30 = 30,
  kNeWriteFileNotFound31 = 31,
  kNeReadOnly = 32,
  kNeOpenFile = 33,
  kNeCompressedSize = 34,
  kNeNoLocalHeader = 35,
  kNeOutputLocked = 36,
  kNeArchiveIsOpen = 37,
  kNeWriteFileNotFound38 = 38,
  kNeUnableToCreateDirectory = 39,
  kNeZip64EndMissing = 40,
  kNeZip64Disabled41 = 41,
  kNePasswordItemNotFound = 42,
  kNeZip64Disabled43 = 43,
  kNeRebuildSpanned = 44,
  kNeVolumeRequestCancelled = 45,
  kNeWriteToStream = 46,
  kNeSfxStubTooBig = 47,
  kNeEndRecordMissing = 48,
  kNeMakeSfxSpanned = 49,
  kNeSfxStubPresent = 50,
  kNeCustomStreamSpanning = 51,
  kNeModifySpanned = 52,
  kNeFileNotFound53 = 53,
  kNeFileNotFound54 = 54,
  kNeDeflate64 = 55,
  kNeMakeSfx = 56,
  kNeSizesExceedStream = 57,
  kNeNameIndexOutOfStep = 58,
  kNeNameTakenInIndex = 59,
  kNeDeleteFolder = 60,
  kNeNameTooLong = 61,
  kNeMultiVolumeTransactions = 62,
  kNeInitVectorIndex63 = 63,
  kNeInitVectorIndex64 = 64,
  kNeDiskFull = 65,
  kNeDiskFull66 = 66,
  kNeInvalidPassword = 67,
  // A call made from an event of a call that the same archiver is running.
  kNeArchiverBusy = 68,
  // A window of ExtractToBuffer that starts at or past the item's end, or has a negative start
  // or size.
  kNeWindowOutsideItem = 69,
  // A symbolic link whose target would lead out of the folder it is extracted to.
  kNeUnsafeLink = 70,
};

inline constexpr int kErrorCodeCount = 44;
inline constexpr int kNativeErrorCount = 71;

// Message text of an error code (0 … 43); "Unknown error" for any other.
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
