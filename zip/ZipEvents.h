// Event types of the archive component. `sender` is the archiver that fires the event; the
// reference parameters are the ones a handler may change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ZipTypes.h"

namespace talu::zip {

class TZipBaseArchiver;

using TNotifyEvent = std::function<void(TZipBaseArchiver& sender)>;
using TZipOnRequestFirstVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, std::u16string& volumeFileName, bool& cancel)>;
using TZipOnRequestLastVolumeEvent = TZipOnRequestFirstVolumeEvent;
using TZipOnRequestMiddleVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, std::int32_t volumeNumber,
                       std::u16string& volumeFileName, bool& cancel)>;

using TZipProgressEvent =
    std::function<void(TZipBaseArchiver& sender, double progress, TZipProcessOperation operation,
                       TZipProgressPhase progressPhase, bool& cancel)>;
using TZipFileProgressEvent = std::function<void(
    TZipBaseArchiver& sender, const std::u16string& fileName, double progress,
    TZipProcessOperation operation, TZipProgressPhase progressPhase, bool& cancel)>;
using TZipCopyTempFileProgressEvent = std::function<void(
    TZipBaseArchiver& sender, double progress, TZipProgressPhase progressPhase, bool& cancel)>;
using TZipConfirmOverwriteEvent =
    std::function<void(TZipBaseArchiver& sender, const std::u16string& sourceFileName,
                       std::u16string& destFileName, bool& confirm)>;
using TZipConfirmProcessFileEvent =
    std::function<void(TZipBaseArchiver& sender, const std::u16string& fileName,
                       TZipProcessOperation operation, bool& confirm)>;
using TZipOnPasswordEvent =
    std::function<void(TZipBaseArchiver& sender, const std::u16string& fileName,
                       std::string& newPassword, bool& skipFile)>;
using TZipProcessFileFailureEvent = std::function<void(
    TZipBaseArchiver& sender, const std::u16string& fileName, TZipProcessOperation operation,
    std::int32_t nativeError, std::int32_t errorCode, const std::u16string& errorMessage,
    TZipAction& action)>;
using TZipOnRequestBlankVolumeEvent = TZipOnRequestMiddleVolumeEvent;
using TZipOnDiskFullEvent = std::function<void(TZipBaseArchiver& sender, std::int32_t volumeNumber,
                                               const std::u16string& volumeFileName, bool& cancel)>;
using TZipProcessVolumeFailureEvent = std::function<void(
    TZipBaseArchiver& sender, TZipProcessOperation operation, std::int32_t volumeNumber,
    const std::u16string& volumeFileName, bool& cancel)>;
using TZipOnStoreFileEvent =
    std::function<void(TZipBaseArchiver& sender, std::u16string& fileName, std::int32_t& fileAttr,
                       std::string& comment, const std::u16string& originalFileName)>;
using TZipOnExtractFileEvent =
    std::function<void(TZipBaseArchiver& sender, std::u16string& fileName, std::uint32_t& fileAttr,
                       const std::string& comment)>;

}  // namespace talu::zip
