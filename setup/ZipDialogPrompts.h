// The archive engine's questions shown with the setup program's dialogs: a confirmation box
// with the engine's buttons and the password box. A box closed without a button is Cancel.
//
//   TZipDialogPrompts prompts;
//   zip::SetZipPrompts(&prompts);
#pragma once

#include "ZipPrompts.h"

namespace talu::setup {

class TZipDialogPrompts final : public zip::IZipPrompts {
 public:
  zip::TZipButton Confirm(const std::u16string& text, const zip::TZipButtons& buttons) override;
  bool PasswordInputQuery(const std::u16string& caption, const std::u16string& prompt,
                          std::u16string& value) override;
};

}  // namespace talu::setup
