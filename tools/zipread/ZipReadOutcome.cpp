#include "ZipReadOutcome.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Terminal.h"
#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipHost.h"
#include "ZipPrompts.h"
#include "ZipReadProgress.h"
#include "text/ZipStrFunc.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

// Runs `added` after what `event` already did.
template <class Event, class Added>
void Chain(Event& event, Added added) {
  event = [before = event, added](auto&&... args) {
    if (before) before(args...);
    added(args...);
  };
}

bool IsFolderName(const std::u16string& name) {
  return !name.empty() && (name.back() == u'/' || name.back() == u'\\');
}

}  // namespace

std::string MessageText(const std::u16string& message, bool verbose) {
  const std::size_t cut = verbose ? std::u16string::npos : message.find(u" - Native error: ");
  return ShownName(message.substr(0, cut));
}

const zip::TDirItem* EventItem(zip::TZipBaseArchiver& archiver, const std::u16string& name) {
  std::u16string stored = name;  // events carry "\", the directory "/"
  std::replace(stored.begin(), stored.end(), u'\\', u'/');
  int index = -1;
  const zip::TZipDirArray& dir = archiver.DMHandle()->CDir;
  return dir.FileExists(stored, index) ? &dir[index] : nullptr;
}

TOutcome::TOutcome(zip::TZipBaseArchiver& archiver, const TCommand& command, std::FILE* out,
                   std::FILE* err, TProgressBar* bar)
    : archiver_(archiver),
      command_(command),
      out_(out),
      err_(err),
      bar_(bar),
      overwrite_(command.overwrite) {
  Hook(archiver);
}

void TOutcome::Hook(zip::TZipBaseArchiver& archiver) {
  archiver.OnProcessFileFailure = [this](zip::TZipBaseArchiver&, const std::u16string& name,
                                         zip::TZipProcessOperation, std::int32_t native,
                                         std::int32_t, const std::u16string& message,
                                         zip::TZipAction& action) {
    Failed(name, native, message);
    action = zip::fxaIgnore;
  };
  archiver.OnPassword = [this](zip::TZipBaseArchiver&, const std::u16string& name,
                               std::string& password,
                               bool& skip) { AskPassword(name, password, skip); };
  // Every overwrite comes here: the engine asks, and -o or -n answers without a question.
  archiver.Options().OverwriteMode = zip::omPrompt;
  archiver.OnConfirmOverwrite = [this](zip::TZipBaseArchiver&, const std::u16string& name,
                                       std::u16string&,
                                       bool& confirm) { confirm = MayOverwrite(name); };
  Chain(archiver.OnOverallProgress,
        [](zip::TZipBaseArchiver&, double, zip::TZipProcessOperation, zip::TZipProgressPhase,
           bool& cancel) { cancel = cancel || Interrupted(); });
  Chain(archiver.OnFileProgress,
        [this](zip::TZipBaseArchiver& a, const std::u16string& name, double,
               zip::TZipProcessOperation, zip::TZipProgressPhase phase, bool& cancel) {
          cancel = cancel || Interrupted();
          if (phase == zip::ppStart) {
            itemSkipped_ = false;
            passwordTries_ = 0;
            errno = 0;  // so that a failure's reason is this item's
            if (!IsFolderName(name)) ++items_;
          }
          if (phase != zip::ppEnd || itemSkipped_ || cancel || IsFolderName(name)) return;
          if (a.LastItemKeptDamaged()) {
            Report(name, "kept, but its data fails its check", kExitWarning);
          } else if (command_.verb == "extract" && command_.quiet == 0) {
            if (bar_) bar_->EndLine();
            std::fprintf(out_, "extracted: %s\n", ShownName(name).c_str());
          }
        });
}

void TOutcome::Report(const std::u16string& name, const std::string& text, TExit code) {
  if (bar_) bar_->EndLine();
  std::fflush(out_);
  std::fprintf(err_, "%s: %s\n", ShownName(name).c_str(), text.c_str());
  exit_ = Graver(exit_, code);
}

void TOutcome::Failed(const std::u16string& name, int native, const std::u16string& message) {
  TExit code = native == 0 ? kExitError : ExitForNativeError(native);
  std::string text = MessageText(message, command_.verbose);
  const zip::TDirItem* item = EventItem(archiver_, name);
  if (native == zip::kNeItemFailed && item && item->CompressionMethod != 0 &&
      item->CompressionMethod != 8) {
    code = kExitUnsupported;
    text = "compression method " + std::to_string(item->CompressionMethod) + " is not supported";
  }
  if (native == zip::kNeInvalidPassword && passwordTries_ > 0)
    text = "skipped: incorrect password, " + std::to_string(passwordTries_) + " tries";
  const bool lands = native == zip::kNeCreateOutputFile || native == zip::kNeCreateOutputFolder ||
                     native == zip::kNeUnableToCreateDirectory;
  if (lands && errno != 0) text += ": " + std::string(std::strerror(errno));
  ++(code == kExitWarning || code == kExitPassword ? skipped_ : failed_);
  itemSkipped_ = true;
  Report(name, text, code);
}

// A password asked again for the same item means the last one was wrong: that is said first.
void TOutcome::AskPassword(const std::u16string& name, std::string& password, bool& skip) {
  const bool wrong = passwordTries_ > 0 || !password.empty();
  const bool asking = HasTerminal();
  ++passwordTries_;
  if (wrong && asking) Report(name, "incorrect password", kExitOk);
  if (bar_) bar_->EndLine();
  std::u16string typed;
  skip = !asking ||
         !zip::ZipPrompts().PasswordInputQuery(zip::Format(zip::kTextPasswordCaption, {name}),
                                               std::u16string(zip::kTextPasswordPrompt), typed) ||
         typed.empty();
  if (!skip) {
    password = zip::PasswordBytes(typed);
    return;
  }
  itemSkipped_ = true;
  ++skipped_;
  if (Interrupted()) return;  // the run ends; that is said once
  Report(name, wrong ? "skipped: incorrect password" : "skipped: no password given", kExitPassword);
}

bool TOutcome::MayOverwrite(const std::u16string& name) {
  if (overwrite_ == 0 && !HasTerminal()) {
    itemSkipped_ = true;
    ++skipped_;
    Report(name, "exists; kept (no terminal to ask: use -o or -n)", kExitWarning);
    return false;
  }
  if (overwrite_ == 0) {
    if (bar_) bar_->EndLine();
    const std::u16string text = zip::Format(u"Replace \"%s\"?", {name});
    switch (zip::ZipPrompts().Confirm(text, zip::kYesNoNoToAllYesToAll)) {
      case zip::TZipButton::Yes:
        return true;
      case zip::TZipButton::YesToAll:
        overwrite_ = 'o';
        break;
      case zip::TZipButton::NoToAll:
        overwrite_ = 'n';
        break;
      default:
        itemSkipped_ = true;
        return false;
    }
  }
  itemSkipped_ = overwrite_ != 'o';
  return overwrite_ == 'o';
}

TExit TOutcome::Finish() {
  if (bar_) bar_->EndLine();
  if (command_.verb == "test" && command_.quiet < 2)
    std::fprintf(out_, "%d item%s tested: %d fine, %d failed, %d skipped\n", items_,
                 items_ == 1 ? "" : "s", items_ - failed_ - skipped_, failed_, skipped_);
  return exit_;
}

}  // namespace talu::zipread
