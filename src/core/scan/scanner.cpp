#include "core/scan/scanner.h"

#include "core/scan/frame_assembly.h"

#include <sane/sane.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace core::scan {

namespace {

// The library is started for each call and ended after it, so a changed
// configuration (SANE_CONFIG_DIR, a scanner plugged in) is seen next time.
std::mutex& SaneLock() {
    static std::mutex m;
    return m;
}

class SaneSession {
  public:
    SaneSession() {
        SANE_Int version = 0;
        ok_ = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    ~SaneSession() {
        if (ok_) sane_exit();
    }
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_ = false;
};

class SaneDevice {
  public:
    explicit SaneDevice(SANE_Handle h) : h_(h) {}
    ~SaneDevice() {
        if (h_) {
            sane_cancel(h_);
            sane_close(h_);
        }
    }
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;
    SANE_Handle get() const { return h_; }

  private:
    SANE_Handle h_;
};

std::string Text(const char* s) {
    return s ? std::string(s) : std::string();
}

bool ParseBool(std::string v, SANE_Bool* out) {
    for (char& c : v)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (v == "yes" || v == "true" || v == "on" || v == "1") {
        *out = SANE_TRUE;
        return true;
    }
    if (v == "no" || v == "false" || v == "off" || v == "0") {
        *out = SANE_FALSE;
        return true;
    }
    return false;
}

bool ParseNumber(const std::string& v, double* out) {
    char* end = nullptr;
    const double d = std::strtod(v.c_str(), &end);
    if (v.empty() || *end || !std::isfinite(d)) return false;
    *out = d;
    return true;
}

// Sets one option by name, its value read by the option's type.
Status SetOption(SANE_Handle h, const ScanOption& option) {
    const auto& [name, value] = option;
    SANE_Int count = 0;
    if (sane_control_option(h, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        count = 0;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d || !d->name || name != d->name) continue;
        if (!SANE_OPTION_IS_ACTIVE(d->cap))
            return Fail("The scanner's option %s is not active.", name.c_str());
        if (!SANE_OPTION_IS_SETTABLE(d->cap))
            return Fail("The scanner's option %s cannot be set.", name.c_str());
        std::vector<SANE_Word> words(std::max<std::size_t>(1, d->size / sizeof(SANE_Word)));
        std::vector<char> text;
        void* data = words.data();
        switch (d->type) {
        case SANE_TYPE_BOOL: {
            SANE_Bool b;
            if (!ParseBool(value, &b))
                return Fail("The option %s needs yes or no, not '%s'.", name.c_str(),
                            value.c_str());
            words[0] = b;
            break;
        }
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: {
            double v;
            if (!ParseNumber(value, &v))
                return Fail("The option %s needs a number, not '%s'.", name.c_str(), value.c_str());
            const SANE_Word w =
                d->type == SANE_TYPE_INT ? static_cast<SANE_Word>(std::lround(v)) : SANE_FIX(v);
            for (SANE_Word& x : words)
                x = w; // every element of a vector option
            break;
        }
        case SANE_TYPE_STRING:
            text.assign(std::max<std::size_t>(d->size, value.size() + 1), '\0');
            std::memcpy(text.data(), value.data(), value.size());
            data = text.data();
            break;
        case SANE_TYPE_BUTTON:
            data = nullptr;
            break;
        default:
            return Fail("The option %s cannot be set.", name.c_str());
        }
        SANE_Int info = 0;
        const SANE_Status st = sane_control_option(h, i, SANE_ACTION_SET_VALUE, data, &info);
        if (st != SANE_STATUS_GOOD)
            return Fail("The option %s=%s was refused: %s.", name.c_str(), value.c_str(),
                        sane_strstatus(st));
        return Ok();
    }
    return Fail("The scanner has no option %s.", name.c_str());
}

bool FormatOf(SANE_Frame f, FrameFormat* out) {
    switch (f) {
    case SANE_FRAME_GRAY:
        *out = FrameFormat::Gray;
        return true;
    case SANE_FRAME_RGB:
        *out = FrameFormat::Rgb;
        return true;
    case SANE_FRAME_RED:
        *out = FrameFormat::Red;
        return true;
    case SANE_FRAME_GREEN:
        *out = FrameFormat::Green;
        return true;
    case SANE_FRAME_BLUE:
        *out = FrameFormat::Blue;
        return true;
    default:
        return false;
    }
}

ScanResult Failed(std::string why) {
    ScanResult r;
    r.outcome = ScanOutcome::Failed;
    r.message = std::move(why);
    return r;
}

ScanResult Aborted(std::string why) {
    ScanResult r;
    r.outcome = ScanOutcome::Aborted;
    r.message = std::move(why);
    return r;
}

ScanResult Outcome(ScanOutcome o) {
    ScanResult r;
    r.outcome = o;
    return r;
}

} // namespace

std::string ScanErrorText() {
    return "TWAIN DLL error.\nCheck driver, device and connections.";
}

std::string ScanAbortedText() {
    return "TWAIN acquisition aborted.";
}

Result<std::vector<ScanDevice>> ListDevices() {
    std::lock_guard lock(SaneLock());
    SaneSession session;
    if (!session.ok()) return Error{ScanErrorText()};
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return Error{ScanErrorText()};
    std::vector<ScanDevice> devices;
    for (const SANE_Device** d = list; *d; ++d)
        devices.push_back(
            {Text((*d)->name), Text((*d)->vendor), Text((*d)->model), Text((*d)->type)});
    return devices;
}

ScanResult ScanPage(const std::string& device, const std::vector<ScanOption>& options,
                    const ProgressFn& progress) {
    std::lock_guard lock(SaneLock());
    SaneSession session;
    if (!session.ok()) return Outcome(ScanOutcome::NoDevice);
    std::string name = device;
    if (name.empty()) {
        const SANE_Device** list = nullptr;
        if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0])
            return Outcome(ScanOutcome::NoDevice);
        name = Text(list[0]->name);
    }
    SANE_Handle raw = nullptr;
    if (sane_open(name.c_str(), &raw) != SANE_STATUS_GOOD || !raw)
        return Outcome(ScanOutcome::NoDevice);
    SaneDevice dev(raw);
    for (const ScanOption& o : options)
        if (auto st = SetOption(dev.get(), o); !st) return Failed(st.message());

    FrameAssembler frames;
    std::vector<std::uint8_t> buffer(64 * 1024);
    int frameIndex = 0;
    while (!frames.complete()) {
        // Whatever stops the scanner (no paper, a jam, an error) means no picture came back.
        const SANE_Status started = sane_start(dev.get());
        if (started != SANE_STATUS_GOOD) return Aborted(sane_strstatus(started));
        SANE_Parameters p{};
        if (sane_get_parameters(dev.get(), &p) != SANE_STATUS_GOOD)
            return Aborted("The scanner did not say what it sends.");
        FrameParams fp;
        if (!FormatOf(p.format, &fp.format))
            return Failed("The scanner sends a kind of frame that cannot be read.");
        fp.lastFrame = p.last_frame != SANE_FALSE;
        fp.bytesPerLine = p.bytes_per_line;
        fp.pixelsPerLine = p.pixels_per_line;
        fp.lines = p.lines;
        fp.depth = p.depth;
        if (auto st = frames.BeginFrame(fp); !st) return Failed(st.message());
        // Three single-colour frames share the bar.
        const int frameCount =
            fp.format == FrameFormat::Rgb || fp.format == FrameFormat::Gray ? 1 : 3;
        for (;;) {
            SANE_Int len = 0;
            const SANE_Status st =
                sane_read(dev.get(), buffer.data(), static_cast<SANE_Int>(buffer.size()), &len);
            if (st == SANE_STATUS_EOF) break;
            if (st != SANE_STATUS_GOOD) return Aborted(sane_strstatus(st));
            if (len > 0) {
                if (auto a = frames.Append({buffer.data(), static_cast<std::size_t>(len)}); !a)
                    return Failed(a.message());
            }
            int percent = 0;
            if (fp.lines > 0)
                percent = (100 * frameIndex + 100 * frames.linesReceived() / fp.lines) / frameCount;
            if (!ReportProgress(progress, std::clamp(percent, 0, 100))) {
                sane_cancel(dev.get());
                return Aborted("Stopped.");
            }
        }
        if (auto st = frames.EndFrame(); !st) return Aborted(st.message());
        ++frameIndex;
    }
    auto picture = frames.Finish();
    if (!picture) return Failed(picture.message());
    ScanResult r;
    r.outcome = ScanOutcome::Done;
    r.picture = std::move(picture).value();
    return r;
}

} // namespace core::scan
