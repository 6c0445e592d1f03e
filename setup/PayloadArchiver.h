// The archive component of the setup window: the engine's reading side, which also remembers
// whether the user answered a failed item with Abort, so that the install run can stop instead
// of reporting an installation it did not make.
#pragma once

#include "ZipArchiver.h"

namespace talu::setup {

class TPayloadArchiver final : public zip::TZipArchiver {
 public:
  // True once a failure of the running batch was answered with Abort; cleared by ResetAborted.
  bool Aborted() const { return aborted_; }
  void ResetAborted() { aborted_ = false; }

 protected:
  void DoOnProcessFileFailure(const std::u16string& fileName, zip::TZipProcessOperation operation,
                              std::int32_t nativeError, std::int32_t errorCode,
                              const std::u16string& errorMessage, zip::TZipAction& action) override;

 private:
  bool aborted_ = false;
};

}  // namespace talu::setup
