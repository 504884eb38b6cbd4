#include "core/app/settings.h"

#include "core/common/dib.h"

#include <algorithm>
#include <cstring>

namespace core {

namespace {

// Field offsets in the stored block.
struct Layout {
    static constexpr std::size_t SavedWindowRect = 0, ShowMenus = 16, ShowToolbar = 17,
                                 ShowStatusbar = 18, Win98Style = 19, FitToWindow = 20,
                                 AutoReduce = 21, MaxFullScreen = 22, FaxQuality = 24,
                                 JpegPalette = 28, Background = 32, ComctlLevel = 36,
                                 AutoSizeWindow = 40, AutoCenterWindow = 41, EffectsSpeed = 44,
                                 SvgaPalette = 48, SlideDelay = 52, AvStatusLine = 56,
                                 AvTrackBar = 57, AvControls = 58, AvMaxFullScreen = 59,
                                 AvAutoPlay = 60, AvStatusLineHeight = 64, AvTrackBarHeight = 68,
                                 AvControlsHeight = 72, Volume = 76, AutoSizeVideo = 80,
                                 AlwaysFullScreen = 81, AvPixelsPerInch = 84, UseScreen = 92;
};

std::int32_t I32(const std::uint8_t* b, std::size_t off) {
    return static_cast<std::int32_t>(ReadLE32(b + off));
}
void PutI32(std::uint8_t* b, std::size_t off, std::int32_t v) {
    WriteLE32(b + off, static_cast<std::uint32_t>(v));
}

} // namespace

SettingsRecord SettingsRecord::FromBytes(std::span<const std::uint8_t> bytes) {
    SettingsRecord r;
    if (bytes.size() != kSettingsRecordSize) {
        r.raw = r.ToBytes();
        return r;
    }
    const std::uint8_t* b = bytes.data();
    std::copy(bytes.begin(), bytes.end(), r.raw.begin());
    for (int i = 0; i < 4; ++i) r.SavedWindowRect[i] = I32(b, Layout::SavedWindowRect + 4 * i);
    r.ShowMenus = b[Layout::ShowMenus];
    r.ShowToolbar = b[Layout::ShowToolbar];
    r.ShowStatusbar = b[Layout::ShowStatusbar];
    r.Win98Style = b[Layout::Win98Style];
    r.FitToWindow = b[Layout::FitToWindow];
    r.AutoReduce = b[Layout::AutoReduce];
    r.MaxFullScreen = b[Layout::MaxFullScreen];
    r.FaxQuality = std::clamp(I32(b, Layout::FaxQuality), 0, 3);
    r.JpegPalette = std::clamp(I32(b, Layout::JpegPalette), 0, 3);
    r.Background = ReadLE32(b + Layout::Background);
    r.ComctlLevel = I32(b, Layout::ComctlLevel);
    r.AutoSizeWindow = b[Layout::AutoSizeWindow];
    r.AutoCenterWindow = b[Layout::AutoCenterWindow];
    r.EffectsSpeed = I32(b, Layout::EffectsSpeed);
    r.SvgaPalette = I32(b, Layout::SvgaPalette);
    r.SlideDelay = I32(b, Layout::SlideDelay);
    if (r.SlideDelay > 60000) r.SlideDelay = 1000;
    r.AvStatusLine = b[Layout::AvStatusLine];
    r.AvTrackBar = b[Layout::AvTrackBar];
    r.AvControls = b[Layout::AvControls];
    r.AvMaxFullScreen = b[Layout::AvMaxFullScreen];
    r.AvAutoPlay = b[Layout::AvAutoPlay];
    r.AvStatusLineHeight = I32(b, Layout::AvStatusLineHeight);
    r.AvTrackBarHeight = I32(b, Layout::AvTrackBarHeight);
    r.AvControlsHeight = I32(b, Layout::AvControlsHeight);
    r.Volume = I32(b, Layout::Volume);
    r.AutoSizeVideo = b[Layout::AutoSizeVideo];
    r.AlwaysFullScreen = b[Layout::AlwaysFullScreen];
    r.AvPixelsPerInch = I32(b, Layout::AvPixelsPerInch);
    r.UseScreen = b[Layout::UseScreen];
    return r;
}

std::array<std::uint8_t, kSettingsRecordSize> SettingsRecord::ToBytes() const {
    std::array<std::uint8_t, kSettingsRecordSize> out = raw;
    std::uint8_t* b = out.data();
    for (int i = 0; i < 4; ++i) PutI32(b, Layout::SavedWindowRect + 4 * i, SavedWindowRect[i]);
    b[Layout::ShowMenus] = ShowMenus;
    b[Layout::ShowToolbar] = ShowToolbar;
    b[Layout::ShowStatusbar] = ShowStatusbar;
    b[Layout::Win98Style] = Win98Style;
    b[Layout::FitToWindow] = FitToWindow;
    b[Layout::AutoReduce] = AutoReduce;
    b[Layout::MaxFullScreen] = MaxFullScreen;
    PutI32(b, Layout::FaxQuality, FaxQuality);
    PutI32(b, Layout::JpegPalette, JpegPalette);
    WriteLE32(b + Layout::Background, Background);
    PutI32(b, Layout::ComctlLevel, ComctlLevel);
    b[Layout::AutoSizeWindow] = AutoSizeWindow;
    b[Layout::AutoCenterWindow] = AutoCenterWindow;
    PutI32(b, Layout::EffectsSpeed, EffectsSpeed);
    PutI32(b, Layout::SvgaPalette, SvgaPalette);
    PutI32(b, Layout::SlideDelay, SlideDelay);
    b[Layout::AvStatusLine] = AvStatusLine;
    b[Layout::AvTrackBar] = AvTrackBar;
    b[Layout::AvControls] = AvControls;
    b[Layout::AvMaxFullScreen] = AvMaxFullScreen;
    b[Layout::AvAutoPlay] = AvAutoPlay;
    PutI32(b, Layout::AvStatusLineHeight, AvStatusLineHeight);
    PutI32(b, Layout::AvTrackBarHeight, AvTrackBarHeight);
    PutI32(b, Layout::AvControlsHeight, AvControlsHeight);
    PutI32(b, Layout::Volume, Volume);
    b[Layout::AutoSizeVideo] = AutoSizeVideo;
    b[Layout::AlwaysFullScreen] = AlwaysFullScreen;
    PutI32(b, Layout::AvPixelsPerInch, AvPixelsPerInch);
    b[Layout::UseScreen] = UseScreen;
    return out;
}

} // namespace core
