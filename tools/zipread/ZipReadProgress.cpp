#include "ZipReadProgress.h"

#include <algorithm>

#include "Terminal.h"
#include "ZipArchiver.h"
#include "ZipReadOutcome.h"
#include "text/ZipUtf.h"

namespace talu::zipread {

TProgressBar::TProgressBar(zip::TZipBaseArchiver& archiver, std::FILE* err, bool enabled)
    : err_(err), start_(Clock::now()) {
  if (!enabled) return;
  archiver.OnFileProgress = [this, &archiver](zip::TZipBaseArchiver&, const std::u16string& name,
                                              double percent, zip::TZipProcessOperation,
                                              zip::TZipProgressPhase phase, bool&) {
    if (phase == zip::ppStart) {
      item_ = ShownName(name);
      const zip::TDirItem* item = EventItem(archiver, name);
      itemBytes_ = item ? std::int64_t(item->UncompressedSize()) : 0;
    }
    itemPercent_ = percent;
    if (phase == zip::ppEnd) {
      bytesBefore_ += itemBytes_;
      itemPercent_ = 0;
    }
  };
  archiver.OnOverallProgress = [this](zip::TZipBaseArchiver&, double percent,
                                      zip::TZipProcessOperation, zip::TZipProgressPhase phase,
                                      bool&) { Draw(percent, phase != zip::ppProcess); };
}

TProgressBar::~TProgressBar() {
  EndLine();
}

void TProgressBar::EndLine() {
  if (drawn_) std::fputs("\n", err_);
  drawn_ = false;
}

void TProgressBar::Draw(double percent, bool force) {
  const Clock::time_point now = Clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double bytes = bytesBefore_ + itemBytes_ * itemPercent_ / 100.0;
  const double mbs = seconds > 0 ? bytes / 1e6 / seconds : 0;
  std::string shown = item_.size() > 40 ? "..." + item_.substr(item_.size() - 37) : item_;
  std::fprintf(err_, "\r%5.1f%%  %8.1f MB/s  %-40s", percent, mbs, shown.c_str());
  std::fflush(err_);
  drawn_ = true;
}

}  // namespace talu::zipread
