// The text that `list` and `info` print for an open archive.
#pragma once

#include <cstdio>

#include "ZipArchiver.h"

namespace talu::zipread {

// One tab-separated line per item.
void PrintList(const zip::TZipDirManager& dir, std::FILE* out);
// A table for people: one row per item and a row of totals.
void PrintTable(const zip::TZipDirManager& dir, std::FILE* out);
// "key: value" lines describing the archive.
void PrintInfo(zip::TZipArchiver& archiver, std::FILE* out);

}  // namespace talu::zipread
