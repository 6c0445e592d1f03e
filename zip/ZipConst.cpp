#include "ZipConst.h"

#include <array>

namespace talu::zip {
namespace {

constexpr std::array<std::u16string_view, kErrorCodeCount> kMessages = {
    u"Unknown error",                                                                   // 0
    u"Index out of bounds",                                                             // 1
    u"Invalid compression mode. Mode must be in [0-9] range",                           // 2
    u"Unexpected nil pointer",                                                          // 3
    u"Invalid size or check sum of file or unsupported compression format",             // 4
    u"File name is blank. Specify appropriate file name",                               // 5
    u"File \"%s\" not found",                                                           // 6
    u"Archive is not open",                                                             // 7
    u"SFXStub property is not specified",                                               // 8
    u"Cannot create file \"%s\"",                                                       // 9
    u"Cannot create directory \"%s\"",                                                  // 10
    u"Internal error. Update is not started",                                           // 11
    u"Cannot open file \"%s\"",                                                         // 12
    u"Cannot proceed when update is not ended. Preceding EndUpdate call is required.",  // 13
    u"Cannot delete file \"%s\"",                                                       // 14
    u"In-memory archive can be created only",                                           // 15
    u"File is open in read-only mode",                                                  // 16
    u"Invalid compressed size, rfs.size = %d, count = %d",                              // 17
    u"Invalid archive file.",                                                           // 18
    u"Cannot create output file. Probably file is locked by another process. FileName = '%s'.",
    u"Archive is open. You should close it beore performing this operation.",  // 20
    u"Unable to create directory",                                             // 21
    u"Cannot find 64-bit directory end record",                                // 22
    u"Cannot compress file '%s'. Zip64 mode is not enabled",                   // 23
    u"Cannot open archive file. Opening aborted or invalid file",              // 24
    u"Write to stream error",                                                  // 25
    u"Cannot place SFX stub on volume. Volume size limit is too small",        // 26
    u"Archive is damaged. Open failed",                                        // 27
    u"MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive "
    u"creation instead of MakeSFX",                            // 28
    u"Archive already has SFX stub",                           // 29
    u"Multi-volume archive is not allowed for custom stream",  // 30
    u"Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods "
    u"to add files several times",                                         // 31
    u"Deflate64 compression method is not supported",                      // 32
    u"MakeSFX error",                                                      // 33
    u"Hashed list of file names is invalid",                               // 34
    u"Cannot delete folder \"%s\"",                                        // 35
    u"File name is too long: \r\n\"%s\"",                                  // 36
    u"Multiple transactions are not supported for multi-volume archives",  // 37
    u"Invalid InitVector index = %d. Index should be >= 0 and < %d",       // 38
    u"Disk is full. There is not enough free space on disk.",              // 39
    u"Invalid password. Cannot decompress encrypted file.",                // 40
};

// Error code of native errors 0 … 67, in order.
constexpr std::array<unsigned char, kNativeErrorCount> kCodeOfNative = {
    0,  1,  1,  1,  1,  2,  3,  1,  4,  5,   // 0-9
    5,  6,  6,  7,  7,  6,  1,  8,  6,  9,   // 10-19
    10, 1,  11, 9,  1,  11, 13, 14, 15, 5,   // 20-29
    6,  6,  16, 12, 17, 18, 19, 20, 6,  21,  // 30-39
    22, 23, 6,  23, 24, 24, 25, 26, 27, 28,  // 40-49
    29, 30, 31, 6,  6,  32, 33, 27, 34, 34,  // 50-59
    35, 36, 37, 38, 38, 39, 39, 40,          // 60-67
};

}  // namespace

std::u16string_view ZipErrorMessage(int errorCode) {
  return errorCode >= 0 && errorCode < kErrorCodeCount ? kMessages[errorCode] : kMessages[0];
}

int ZipNativeToErrorCode(int nativeError) {
  return nativeError >= 0 && nativeError < kNativeErrorCount ? kCodeOfNative[nativeError] : 0;
}

}  // namespace talu::zip
