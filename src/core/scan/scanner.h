// The scanner through SANE: the devices it knows, and one scan of a device
// with its current options (or options set by name first). Scans run on the
// caller's thread; one scan at a time in the process.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

#include <string>
#include <utility>
#include <vector>

namespace core::scan {

struct ScanDevice {
    std::string name, vendor, model, type;
};

// The message for no scanner library, no device, or a device that cannot be
// opened, and the one for a scan that brought nothing back.
std::string ScanErrorText();   // "TWAIN DLL error.\nCheck driver, device and connections."
std::string ScanAbortedText(); // "TWAIN acquisition aborted."

// The devices the library finds now; an error when it cannot be started.
Result<std::vector<ScanDevice>> ListDevices();

enum class ScanOutcome { Done, NoDevice, Aborted, Failed };

struct ScanResult {
    ScanOutcome outcome = ScanOutcome::Failed;
    Bitmap picture; // Done
    // Failed: the message to show (a refused option, too little memory);
    // Aborted: the scanner's reason, for the curious.
    std::string message;
};

using ScanOption = std::pair<std::string, std::string>; // name, value as typed

// Scans one picture from `device` (empty: the first device found). Options
// are set in order before the scan; a bad one fails the scan. `progress`
// gets 0..100 and stops the scan when it answers false (Aborted).
ScanResult ScanPage(const std::string& device, const std::vector<ScanOption>& options,
                    const ProgressFn& progress);

} // namespace core::scan
