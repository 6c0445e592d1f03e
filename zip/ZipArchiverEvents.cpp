// The event dispatchers of the archive component: each fires its event, or, without a handler,
// applies the default (for questions, a box through the process's prompt implementation).
#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipPrompts.h"
#include "platform/ZipPlatform.h"
#include "text/ZipStrFunc.h"
#include "text/ZipUtf.h"

namespace talu::zip {

void TZipBaseArchiver::DoOnOverallProgress(double progress, TZipProcessOperation operation,
                                           TZipProgressPhase phase, bool& cancel) {
  if (OnOverallProgress)
    OnOverallProgress(*this, progress, operation, phase, cancel);
  else
    cancel = false;
}

void TZipBaseArchiver::DoOnFileProgress(const std::u16string& fileName, double progress,
                                        TZipProcessOperation operation, TZipProgressPhase phase,
                                        bool& cancel) {
  if (OnFileProgress)
    OnFileProgress(*this, Slashed(fileName, u'/', u'\\'), progress, operation, phase, cancel);
  else
    cancel = false;
}

void TZipBaseArchiver::DoOnCopyTempFileProgress(double progress, TZipProgressPhase phase,
                                                bool& cancel) {
  cancel = false;
  if (OnCopyTempFileProgress) OnCopyTempFileProgress(*this, progress, phase, cancel);
}

void TZipBaseArchiver::DoOnConfirmOverwrite(const std::u16string& sourceFileName,
                                            std::u16string& destFileName, bool& confirm) {
  if (OnConfirmOverwrite) {
    OnConfirmOverwrite(*this, sourceFileName, destFileName, confirm);
    return;
  }
  const std::u16string text = Format(kTextOverwrite, {destFileName, sourceFileName});
  switch (ZipPrompts().Confirm(text, kYesNoNoToAllYesToAll)) {
    case TZipButton::Yes:
      confirm = true;
      break;
    case TZipButton::NoToAll:
      confirm = false;
      Options().OverwriteMode = omNever;
      break;
    case TZipButton::YesToAll:
      confirm = true;
      Options().OverwriteMode = omAlways;
      break;
    default:
      confirm = false;
  }
}

void TZipBaseArchiver::DoOnConfirmProcessFile(const std::u16string& fileName,
                                              TZipProcessOperation operation, bool& confirm) {
  confirm = true;
  if (OnConfirmProcessFile) OnConfirmProcessFile(*this, fileName, operation, confirm);
}

void TZipBaseArchiver::DoOnPassword(const std::u16string& fileName, std::string& newPassword,
                                    bool& skipFile) {
  if (OnPassword) {
    OnPassword(*this, fileName, newPassword, skipFile);
    return;
  }
  std::u16string typed;
  if (ZipPrompts().PasswordInputQuery(Format(kTextPasswordCaption, {fileName}),
                                      std::u16string(kTextPasswordPrompt), typed)) {
    newPassword = platform::TextToSystemBytes(typed);
    skipFile = false;
  } else {
    skipFile = true;
  }
}

void TZipBaseArchiver::DoOnProcessFileFailure(const std::u16string& fileName,
                                              TZipProcessOperation operation,
                                              std::int32_t nativeError, std::int32_t errorCode,
                                              const std::u16string& errorMessage,
                                              TZipAction& action) {
  if (OnProcessFileFailure) {
    action = fxaIgnore;
    OnProcessFileFailure(*this, fileName, operation, nativeError, errorCode, errorMessage, action);
    return;
  }
  if (nativeError == kNeVolumeRequestCancelled) {
    action = fxaAbort;
    return;
  }
  const TZipButton answer =
      nativeError == kNeNameTooLong
          ? ZipPrompts().Confirm(errorMessage, kAbortIgnore)
          : ZipPrompts().Confirm(Format(kTextFileFailure, {errorMessage}), kAbortRetryIgnore);
  action = answer == TZipButton::Retry    ? fxaRetry
           : answer == TZipButton::Ignore ? fxaIgnore
                                          : fxaAbort;
}

// The request of the first, last or middle volume, by the kind requested.
void TZipBaseArchiver::DoOnRequestVolume(const TZipVolumeNumberInfo& volume,
                                         std::u16string& fileName, bool& cancel) {
  if (volume.LastVolume())
    DoOnRequestLastVolume(fileName, cancel);
  else if (volume.FirstVolume())
    DoOnRequestFirstVolume(fileName, cancel);
  else
    DoOnRequestMiddleVolume(volume.FVolumeNumber, fileName, cancel);
}

// The volume requests: a handler gets the volume's 1-based number. Without one, disks are asked
// for with a box; split volumes are not asked for: the request fails when the file is missing.
bool TZipBaseArchiver::AskForDisk(const std::u16string& text, bool& cancel) const {
  if (FSpanningMode != smSpanning) return false;
  cancel = ZipPrompts().Confirm(text, kOKCancel) != TZipButton::OK;
  return true;
}

void TZipBaseArchiver::DoOnRequestFirstVolume(std::u16string& volumeFileName, bool& cancel) {
  cancel = !platform::FileExists(volumeFileName);
  if (OnRequestFirstVolume) return OnRequestFirstVolume(*this, volumeFileName, cancel);
  AskForDisk(std::u16string(kTextInsertFirst), cancel);
}

// Without a handler the last disk is asked for until its file is there.
void TZipBaseArchiver::DoOnRequestLastVolume(std::u16string& volumeFileName, bool& cancel) {
  cancel = !platform::FileExists(volumeFileName);
  if (OnRequestLastVolume) return OnRequestLastVolume(*this, volumeFileName, cancel);
  if (!AskForDisk(std::u16string(kTextInsertLast), cancel)) return;
  while (!cancel && !platform::FileExists(volumeFileName))
    cancel = ZipPrompts().Confirm(Format(kTextLastNotFound, {volumeFileName}), kOKCancel) !=
             TZipButton::OK;
}

void TZipBaseArchiver::DoOnRequestMiddleVolume(std::int32_t volumeNumber,
                                               std::u16string& volumeFileName, bool& cancel) {
  cancel = !platform::FileExists(volumeFileName);
  if (OnRequestMiddleVolume)
    return OnRequestMiddleVolume(*this, volumeNumber + 1, volumeFileName, cancel);
  AskForDisk(Format(kTextInsertDisk, {volumeNumber + 1}), cancel);
}

void TZipBaseArchiver::DoOnRequestBlankVolume(std::int32_t volumeNumber,
                                              std::u16string& volumeFileName, bool& cancel) {
  cancel = false;
  if (OnRequestBlankVolume)
    return OnRequestBlankVolume(*this, volumeNumber + 1, volumeFileName, cancel);
  AskForDisk(Format(kTextInsertBlank, {volumeNumber + 1}), cancel);
}

// Without a handler a full disk ends the item with kNeDiskFull, or, for an archive on
// disks, asks with a box whether to go on (OK) or give up (Cancel).
void TZipBaseArchiver::DoOnDiskFull(std::int32_t volumeNumber, const std::u16string& volumeFileName,
                                    bool& cancel) {
  cancel = false;
  if (OnDiskFull) return OnDiskFull(*this, volumeNumber + 1, volumeFileName, cancel);
  if (FSpanningMode != smSpanning) throw EZipException(kNeDiskFull, this);
  const std::u16string text = Format(
      kTextDiskFull, {FSpanningOptions.CustomVolumeSize, platform::FreeDiskSpace(volumeFileName)});
  cancel = ZipPrompts().Confirm(text, kOKCancel) != TZipButton::OK;
}

void TZipBaseArchiver::DoOnProcessVolumeFailure(TZipProcessOperation operation,
                                                std::int32_t volumeNumber,
                                                const std::u16string& volumeFileName,
                                                bool& cancel) {
  if (FOnProcessVolumeFailure)
    FOnProcessVolumeFailure(*this, operation, volumeNumber, volumeFileName, cancel);
}

void TZipBaseArchiver::DoOnStoreFile(std::u16string&, std::int32_t&, std::string&,
                                     const std::u16string&) {}

void TZipBaseArchiver::DoOnExtractFile(std::u16string& fileName, std::uint32_t& fileAttr,
                                       const std::string& comment) {
  fileName = Slashed(fileName, u'/', u'\\');
  if (OnExtractFile) OnExtractFile(*this, fileName, fileAttr, comment);
}

}  // namespace talu::zip
