#include "PayloadArchiver.h"

namespace talu::setup {

void TPayloadArchiver::DoOnProcessFileFailure(const std::u16string& fileName,
                                              zip::TZipProcessOperation operation,
                                              std::int32_t nativeError, std::int32_t errorCode,
                                              const std::u16string& errorMessage,
                                              zip::TZipAction& action) {
  TZipArchiver::DoOnProcessFileFailure(fileName, operation, nativeError, errorCode, errorMessage,
                                       action);
  if (action == zip::fxaAbort) aborted_ = true;
}

}  // namespace talu::setup
