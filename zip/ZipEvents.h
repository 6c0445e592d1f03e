// Event types of the archive component. `sender` is the archiver that fires the event; the
// reference parameters are the ones a handler may change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace talu::zip {

class TZipBaseArchiver;

using TNotifyEvent = std::function<void(TZipBaseArchiver& sender)>;
using TZipOnRequestFirstVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, std::u16string& volumeFileName, bool& cancel)>;
using TZipOnRequestLastVolumeEvent = TZipOnRequestFirstVolumeEvent;
using TZipOnRequestMiddleVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, std::int32_t volumeNumber,
                       std::u16string& volumeFileName, bool& cancel)>;

}  // namespace talu::zip
