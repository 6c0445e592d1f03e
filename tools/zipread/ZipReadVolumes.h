// Volumes of a split archive, looked for beside the one given: a missing one is named on
// standard error and its request cancelled, instead of asking for a disk.
#pragma once

#include <cstdio>

namespace talu::zip {
class TZipBaseArchiver;
}

namespace talu::zipread {

void ReportMissingVolumes(zip::TZipBaseArchiver& archiver, std::FILE* err);

}  // namespace talu::zipread
