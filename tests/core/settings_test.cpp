#include "core/app/settings.h"

#include <gtest/gtest.h>

#include <vector>

using core::SettingsRecord;

namespace {
std::vector<std::uint8_t> Bytes(const SettingsRecord& r) {
    const auto a = r.ToBytes();
    return {a.begin(), a.end()};
}
std::int32_t I32At(const std::vector<std::uint8_t>& b, std::size_t off) {
    return static_cast<std::int32_t>(b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) |
                                     (std::uint32_t{b[off + 3]} << 24));
}
} // namespace

TEST(SettingsRecord, FirstRunGivesDefaultsAtTheirOffsets) {
    const auto r = SettingsRecord::FromBytes({}); // no stored value
    const auto b = Bytes(r);
    ASSERT_EQ(b.size(), 96u);
    EXPECT_EQ(b[16], 1); // ShowMenus
    EXPECT_EQ(b[20], 0); // FitToWindow
    EXPECT_EQ(b[21], 1); // AutoReduce
    EXPECT_EQ(I32At(b, 24), 1);          // FaxQuality
    EXPECT_EQ(I32At(b, 28), 3);          // JpegPalette
    EXPECT_EQ(static_cast<std::uint32_t>(I32At(b, 32)), 0x80000005u); // Background
    EXPECT_EQ(b[40], 1);                 // AutoSizeWindow
    EXPECT_EQ(I32At(b, 52), 1000);       // SlideDelay
    EXPECT_EQ(I32At(b, 76), 500);        // Volume
    EXPECT_EQ(b[92], 0);                 // UseScreen
    EXPECT_EQ(b[23], 0);                 // reserved
}

TEST(SettingsRecord, RoundTripCarriesReservedBytes) {
    std::vector<std::uint8_t> stored(96);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(i * 7 + 1);
    // Keep the clamped fields in range so the block comes back byte for byte.
    stored[24] = 2, stored[25] = stored[26] = stored[27] = 0;
    stored[28] = 0, stored[29] = stored[30] = stored[31] = 0;
    stored[52] = 0x10, stored[53] = 0x27, stored[54] = stored[55] = 0; // 10000
    const auto r = SettingsRecord::FromBytes(stored);
    EXPECT_EQ(Bytes(r), stored);
    EXPECT_EQ(r.FaxQuality, 2);
    EXPECT_EQ(r.SlideDelay, 10000);
}

TEST(SettingsRecord, OutOfRangeValuesAreCorrected) {
    SettingsRecord w;
    w.SlideDelay = 60001;
    w.FaxQuality = 9;
    w.JpegPalette = -4;
    auto r = SettingsRecord::FromBytes(Bytes(w));
    EXPECT_EQ(r.SlideDelay, 1000);
    EXPECT_EQ(r.FaxQuality, 3);
    EXPECT_EQ(r.JpegPalette, 0);
    for (int kept : {60000, 1}) {
        w.SlideDelay = kept;
        EXPECT_EQ(SettingsRecord::FromBytes(Bytes(w)).SlideDelay, kept);
    }
}

TEST(SettingsRecord, WindowRectAndNegativeValuesSurvive) {
    SettingsRecord w;
    w.SavedWindowRect[0] = 17;
    w.SavedWindowRect[3] = -1;
    w.Background = 0x00336699;
    const auto r = SettingsRecord::FromBytes(Bytes(w));
    EXPECT_EQ(r.SavedWindowRect[0], 17);
    EXPECT_EQ(r.SavedWindowRect[3], -1);
    EXPECT_EQ(r.Background, 0x00336699u);
}
