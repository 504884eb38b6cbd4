// The settings record: 96 bytes, little-endian, stored whole. Bytes that no
// field uses are carried through unchanged from read to write.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace core {

inline constexpr std::size_t kSettingsRecordSize = 96;
// "The system window colour" rather than an explicit 0x00BBGGRR colour.
inline constexpr std::uint32_t kSystemWindowColour = 0x80000005u;

struct SettingsRecord {
    std::int32_t SavedWindowRect[4] = {0, 0, 0, 0}; // left, top, right, bottom
    std::uint8_t ShowMenus = 1;
    std::uint8_t ShowToolbar = 1;
    std::uint8_t ShowStatusbar = 1;
    std::uint8_t Win98Style = 1;
    std::uint8_t FitToWindow = 0;
    std::uint8_t AutoReduce = 1;
    std::uint8_t MaxFullScreen = 1;
    std::int32_t FaxQuality = 1;  // 0..3
    std::int32_t JpegPalette = 3; // 0..3
    std::uint32_t Background = kSystemWindowColour;
    std::int32_t ComctlLevel = 3;
    std::uint8_t AutoSizeWindow = 1;
    std::uint8_t AutoCenterWindow = 1;
    std::int32_t EffectsSpeed = 1; // 0..3
    std::int32_t SvgaPalette = 0;  // 0..2
    std::int32_t SlideDelay = 1000; // milliseconds; 1 = the maximum
    std::uint8_t AvStatusLine = 1;
    std::uint8_t AvTrackBar = 1;
    std::uint8_t AvControls = 1;
    std::uint8_t AvMaxFullScreen = 1;
    std::uint8_t AvAutoPlay = 1;
    std::int32_t AvStatusLineHeight = 0;
    std::int32_t AvTrackBarHeight = 0;
    std::int32_t AvControlsHeight = 0;
    std::int32_t Volume = 500; // 0..1000
    std::uint8_t AutoSizeVideo = 1;
    std::uint8_t AlwaysFullScreen = 1;
    std::int32_t AvPixelsPerInch = 0;
    std::uint8_t UseScreen = 0;

    // Bytes of the stored record, so that reserved bytes survive a write.
    std::array<std::uint8_t, kSettingsRecordSize> raw{};

    // A record read from stored bytes: a block of another size gives the
    // defaults; out-of-range SlideDelay, JpegPalette and FaxQuality are corrected.
    static SettingsRecord FromBytes(std::span<const std::uint8_t> bytes);
    std::array<std::uint8_t, kSettingsRecordSize> ToBytes() const;
};

} // namespace core
