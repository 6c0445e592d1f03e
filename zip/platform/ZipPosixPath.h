// Paths for the POSIX calls. The engine builds paths with "\" separators on every system; the
// POSIX implementation turns them into "/" and encodes the text as UTF-8.
#pragma once

#include <string>

namespace talu::zip::platform {

std::string NativePath(const std::u16string& path);

}  // namespace talu::zip::platform
