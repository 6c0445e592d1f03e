#include "ZipConst.h"

#include <array>

namespace talu::zip {
namespace {

struct TZipErrorEntry {
  TZipNativeError native;
  int code;
  std::u16string_view text;
};

// Texts of the error codes that more than one native error maps to.
constexpr std::u16string_view kTextIndex = u"Index out of bounds";
constexpr std::u16string_view kTextNameBlank = u"File name is blank. Specify appropriate file name";
constexpr std::u16string_view kTextNotFound = u"File \"%s\" not found";
constexpr std::u16string_view kTextNotOpen = u"Archive is not open";
constexpr std::u16string_view kTextCreateFile = u"Cannot create file \"%s\"";
constexpr std::u16string_view kTextNotStarted = u"Internal error. Update is not started";
constexpr std::u16string_view kTextZip64Disabled =
    u"Cannot compress file '%s'. Zip64 mode is not enabled";
constexpr std::u16string_view kTextOpenAborted =
    u"Cannot open archive file. Opening aborted or invalid file";
constexpr std::u16string_view kTextDamaged = u"Archive is damaged. Open failed";
constexpr std::u16string_view kTextHashedList = u"Hashed list of file names is invalid";
constexpr std::u16string_view kTextInitVector =
    u"Invalid InitVector index = %d. Index should be >= 0 and < %d";
constexpr std::u16string_view kTextDiskFull =
    u"Disk is full. There is not enough free space on disk.";

// Every native error in ascending order, with its error code and that code's message.
constexpr std::array<TZipErrorEntry, kNativeErrorCount> kErrors = {{
    {kNeUnknown, 0, u"Unknown error"},
    {kNeSetItemIndex, 1, kTextIndex},
    {kNeGetItemIndex, 1, kTextIndex},
    {kNeGetItemPtrIndex, 1, kTextIndex},
    {kNeDeleteItemIndex, 1, kTextIndex},
    {kNeCompressionMode, 2, u"Invalid compression mode. Mode must be in [0-9] range"},
    {kNeNilPointer, 3, u"Unexpected nil pointer"},
    {kNeWriteIndex7, 1, kTextIndex},
    {kNeItemFailed, 4, u"Invalid size or check sum of file or unsupported compression format"},
    {kNeOpenNameBlank, 5, kTextNameBlank},
    {kNeOpenModeNameBlank, 5, kTextNameBlank},
    {kNeFileNotFound11, 6, kTextNotFound},
    {kNeArchiveFileNotFound, 6, kTextNotFound},
    {kNeArchiveNotOpen, 7, kTextNotOpen},
    {kNeArchiveNotOpen14, 7, kTextNotOpen},
    {kNeItemNotFound, 6, kTextNotFound},
    {kNeItemIndex, 1, kTextIndex},
    {kNeSfxStubMissing, 8, u"SFXStub property is not specified"},
    {kNeWriteFileNotFound18, 6, kTextNotFound},
    {kNeCreateOutputFile, 9, kTextCreateFile},
    {kNeCreateOutputFolder, 10, u"Cannot create directory \"%s\""},
    {kNeWriteIndex21, 1, kTextIndex},
    {kNeUpdateNotStarted22, 11, kTextNotStarted},
    {kNeCreateFile23, 9, kTextCreateFile},
    {kNeWriteIndex24, 1, kTextIndex},
    {kNeUpdateNotStarted25, 11, kTextNotStarted},
    {kNeUpdateNotEnded, 13,
     u"Cannot proceed when update is not ended. Preceding EndUpdate call is required."},
    {kNeDeleteFile, 14, u"Cannot delete file \"%s\""},
    {kNeInMemoryCreateOnly, 15, u"In-memory archive can be created only"},
    {kNeWriteNameBlank, 5, kTextNameBlank},
    {kNeWriteFileNotFound30, 6, kTextNotFound},
    {kNeWriteFileNotFound31, 6, kTextNotFound},
    {kNeReadOnly, 16, u"File is open in read-only mode"},
    {kNeOpenFile, 12, u"Cannot open file \"%s\""},
    {kNeCompressedSize, 17, u"Invalid compressed size, rfs.size = %d, count = %d"},
    {kNeNoLocalHeader, 18, u"Invalid archive file."},
    {kNeOutputLocked, 19,
     u"Cannot create output file. Probably file is locked by another process. FileName = '%s'."},
    {kNeArchiveIsOpen, 20,
     u"Archive is open. You should close it beore performing this operation."},
    {kNeWriteFileNotFound38, 6, kTextNotFound},
    {kNeUnableToCreateDirectory, 21, u"Unable to create directory"},
    {kNeZip64EndMissing, 22, u"Cannot find 64-bit directory end record"},
    {kNeZip64Disabled41, 23, kTextZip64Disabled},
    {kNePasswordItemNotFound, 6, kTextNotFound},
    {kNeZip64Disabled43, 23, kTextZip64Disabled},
    {kNeRebuildSpanned, 24, kTextOpenAborted},
    {kNeVolumeRequestCancelled, 24, kTextOpenAborted},
    {kNeWriteToStream, 25, u"Write to stream error"},
    {kNeSfxStubTooBig, 26, u"Cannot place SFX stub on volume. Volume size limit is too small"},
    {kNeEndRecordMissing, 27, kTextDamaged},
    {kNeMakeSfxSpanned, 28,
     u"MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive "
     u"creation instead of MakeSFX"},
    {kNeSfxStubPresent, 29, u"Archive already has SFX stub"},
    {kNeCustomStreamSpanning, 30, u"Multi-volume archive is not allowed for custom stream"},
    {kNeModifySpanned, 31,
     u"Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods "
     u"to add files several times"},
    {kNeFileNotFound53, 6, kTextNotFound},
    {kNeFileNotFound54, 6, kTextNotFound},
    {kNeDeflate64, 32, u"Deflate64 compression method is not supported"},
    {kNeMakeSfx, 33, u"MakeSFX error"},
    {kNeSizesExceedStream, 27, kTextDamaged},
    {kNeNameIndexOutOfStep, 34, kTextHashedList},
    {kNeNameTakenInIndex, 34, kTextHashedList},
    {kNeDeleteFolder, 35, u"Cannot delete folder \"%s\""},
    {kNeNameTooLong, 36, u"File name is too long: \r\n\"%s\""},
    {kNeMultiVolumeTransactions, 37,
     u"Multiple transactions are not supported for multi-volume archives"},
    {kNeInitVectorIndex63, 38, kTextInitVector},
    {kNeInitVectorIndex64, 38, kTextInitVector},
    {kNeDiskFull, 39, kTextDiskFull},
    {kNeDiskFull66, 39, kTextDiskFull},
    {kNeInvalidPassword, 40, u"Invalid password. Cannot decompress encrypted file."},
    {kNeArchiverBusy, 41,
     u"Archiver is busy. It cannot open, extract or test from an event of its running operation"},
    {kNeWindowOutsideItem, 42, u"Window of %d bytes at offset %d lies outside item \"%s\""},
    {kNeUnsafeLink, 43,
     u"Link \"%s\" is not created: its target leads out of the destination folder"},
}};

// The message of each error code, taken from the first native error that maps to it; fails to
// compile when a row is out of order, a code has no row, or one code has two texts.
constexpr std::array<std::u16string_view, kErrorCodeCount> kMessages = [] {
  std::array<std::u16string_view, kErrorCodeCount> messages{};
  for (int native = 0; native < kNativeErrorCount; ++native) {
    const TZipErrorEntry& entry = kErrors[native];
    if (entry.native != native) throw "native errors out of order";
    std::u16string_view& text = messages[entry.code];
    if (!text.empty() && text != entry.text) throw "one error code with two texts";
    text = entry.text;
  }
  for (const std::u16string_view text : messages) {
    if (text.empty()) throw "error code without a native error";
  }
  return messages;
}();

}  // namespace

std::u16string_view ZipErrorMessage(int errorCode) {
  return errorCode >= 0 && errorCode < kErrorCodeCount ? kMessages[errorCode] : kMessages[0];
}

int ZipNativeToErrorCode(int nativeError) {
  return nativeError >= 0 && nativeError < kNativeErrorCount ? kErrors[nativeError].code : 0;
}

}  // namespace talu::zip
