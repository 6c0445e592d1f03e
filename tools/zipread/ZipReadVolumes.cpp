#include "ZipReadVolumes.h"

#include "ZipArchiver.h"
#include "ZipHost.h"
#include "text/ZipUtf.h"

namespace talu::zipread {

void ReportMissingVolumes(zip::TZipBaseArchiver& archiver, std::FILE* err) {
  const auto lookFor = [err](std::u16string& name, bool& cancel) {
    cancel = !zip::FileExists(name);
    if (cancel)
      std::fprintf(err, "zipread: volume not found: %s\n", zip::Utf16ToUtf8(name).c_str());
  };
  archiver.OnRequestFirstVolume = [lookFor](zip::TZipBaseArchiver&, std::u16string& name,
                                            bool& cancel) { lookFor(name, cancel); };
  archiver.OnRequestLastVolume = archiver.OnRequestFirstVolume;
  archiver.OnRequestMiddleVolume = [lookFor](zip::TZipBaseArchiver&, std::int32_t,
                                             std::u16string& name,
                                             bool& cancel) { lookFor(name, cancel); };
}

}  // namespace talu::zipread
