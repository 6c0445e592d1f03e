#include "ZipPrompts.h"

namespace talu::zip {
namespace {

// Answers every question as if the box had been closed.
class TSilentPrompts final : public IZipPrompts {
 public:
  TZipButton Confirm(const std::u16string&, const TZipButtons&) override {
    return TZipButton::Cancel;
  }
  bool PasswordInputQuery(const std::u16string&, const std::u16string&, std::u16string&) override {
    return false;
  }
};

TSilentPrompts gSilent;
IZipPrompts* gCurrent = &gSilent;

}  // namespace

IZipPrompts& ZipPrompts() {
  return *gCurrent;
}
void SetZipPrompts(IZipPrompts* prompts) {
  gCurrent = prompts ? prompts : &gSilent;
}

}  // namespace talu::zip
