// Passing UTF-16 strings to and from the wide-character Windows API, with the engine's casts.
#pragma once

#include "platform/ZipWideText.h"

namespace talu {

using zip::platform::FromWide;
using zip::platform::Wide;

}  // namespace talu
