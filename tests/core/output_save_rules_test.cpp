// Save As and wizard rules: types offered per depth, the first type, the
// quality scale, the extra panel, the ratio text and the wizard's record.
#include "core/output/save_depth.h"
#include "core/output/save_rules.h"

#include <gtest/gtest.h>

using namespace core::output;

TEST(SaveRules, TypesOfferedAndFirstTypeByDepth) {
    EXPECT_EQ(SaveFilterText(1),
              "BMP (Windows Bitmap)|*.bmp|PCX (Zsoft Paintbrush)|*.pcx|TIF (Aldus TIFF)|*.tif");
    EXPECT_EQ(SaveTypeCount(1), 3);
    EXPECT_EQ(SaveFilterText(4), SaveFilterText(1) + "|PNG (Portable Network Graphics)|*.png");
    EXPECT_EQ(SaveFilterText(8), SaveFilterText(4) + "|JPG (JPEG/JFIF) gray shades|*.jpg");
    EXPECT_EQ(SaveFilterText(24), SaveFilterText(8) + "|JPG (JPEG/JFIF) 24-bit color|*.jpg");
    EXPECT_EQ(SaveTypeCount(24), 6);

    EXPECT_EQ(InitialSaveIndex(1, 0), kSaveTiff);
    EXPECT_EQ(InitialSaveIndex(4, 4), kSaveBmp);
    EXPECT_EQ(InitialSaveIndex(8, 1), kSavePng);
    EXPECT_EQ(InitialSaveIndex(24, 0), kSaveBmp);
    EXPECT_EQ(InitialSaveIndex(24, kSavePcx), kSavePcx);
    // Last saved as JPEG gray: the 24-bit picture starts on JPEG colour.
    EXPECT_EQ(InitialSaveIndex(24, kSaveJpegGray), kSaveJpegColour);
    EXPECT_EQ(InitialSaveIndex(24, kSaveJpegColour), kSaveJpegColour);

    EXPECT_EQ(DefaultExtensionFor(3), "tif");
    EXPECT_EQ(DefaultExtensionFor(5), "jpg");
    EXPECT_EQ(SaveTypeForExtension("/a.b/Photo.TIFF"), kSaveTiff);
    EXPECT_EQ(SaveTypeForExtension("x.dib"), kSaveBmp);
    EXPECT_EQ(SaveTypeForExtension("x.jpeg"), kSaveJpegColour);
    EXPECT_EQ(SaveTypeForExtension("/a.png/noext"), std::nullopt);
    EXPECT_EQ(SaveTypeForExtension("x.gif"), std::nullopt);
}

TEST(SaveRules, CompressionScaleAndPanel) {
    EXPECT_EQ(LinearScaleFromCompression(100), 2);
    EXPECT_EQ(LinearScaleFromCompression(50), 130);
    EXPECT_EQ(LinearScaleFromCompression(1), 255);

    EXPECT_EQ(PanelStateFor(false, "PNG").progressiveEnabled, true);
    EXPECT_EQ(PanelStateFor(false, "png").compressionVisible, false);
    EXPECT_EQ(PanelStateFor(false, "jpg").compressionVisible, true);
    EXPECT_EQ(PanelStateFor(false, "bmp").progressiveEnabled, false);
    EXPECT_EQ(PanelStateFor(false, "tif").compressionVisible, false);
    EXPECT_EQ(PanelStateFor(true, "bmp").compressionVisible, true);
}

TEST(SaveRules, RatioShowsTheRealFirstDecimal) {
    EXPECT_EQ(CompressionRatioText(230400, 12000), "19.2 to 1");
    EXPECT_EQ(CompressionRatioText(100, 3), "33.3 to 1");
    EXPECT_EQ(CompressionRatioText(1999, 1000), "1.9 to 1");
    EXPECT_EQ(CompressionRatioText(10, 20), "0.5 to 1");
}

TEST(WizardRecord, DefaultsLayoutAndRanges) {
    const WizardSettings defaults = UnpackWizardSettings(nullptr, 0);
    EXPECT_TRUE(defaults.optimize && defaults.highAccuracy);
    EXPECT_FALSE(defaults.progressive || defaults.subsample);
    EXPECT_EQ(defaults.scale, 48);
    EXPECT_EQ(defaults.smoothingMethod, 0);
    EXPECT_EQ(defaults.smoothing, 0);

    WizardSettings s;
    s.progressive = true;
    s.smoothingMethod = 2;
    s.smoothing = 255;
    s.scale = 400; // "More compression" stores 255
    const auto bytes = PackWizardSettings(s);
    const std::array<std::uint8_t, 16> expected = {1,   0, 1, 1, 2,   0, 0, 0,
                                                   255, 0, 0, 0, 255, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    const WizardSettings back = UnpackWizardSettings(bytes.data(), bytes.size());
    EXPECT_EQ(back.scale, 255);
    EXPECT_TRUE(back.progressive);
    EXPECT_EQ(UnpackWizardSettings(bytes.data(), 15), defaults);
    std::array<std::uint8_t, 16> wild = bytes;
    wild[12] = 0; // scale 0 is out of range
    wild[7] = 0x80;
    EXPECT_EQ(UnpackWizardSettings(wild.data(), 16).scale, 1);
    EXPECT_EQ(UnpackWizardSettings(wild.data(), 16).smoothingMethod, 0);
    EXPECT_EQ(StoredWizardScale(256), 255);
    EXPECT_EQ(WizardScaleMaximum(true), 512);
}

TEST(SaveDepth, PromotesAndFitsWithoutLosingColours) {
    auto pic = core::Bitmap::Create(5, 2, 1);
    pic->row(0)[0] = 0xA8; // 1 0 1 0 1
    pic->palette()[0] = core::Rgbq{10, 20, 30, 0};
    pic->palette()[1] = core::Rgbq{200, 100, 50, 0};
    for (int bits : {4, 8, 24}) {
        auto up = ChangeDepthLossless(*pic, bits);
        ASSERT_TRUE(up.ok());
        EXPECT_EQ(up->bits(), bits);
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 2; ++y)
                EXPECT_EQ(up->rgb(x, y), pic->rgb(x, y));
        // And back down: two colours fit in one bit.
        auto down = ChangeDepthLossless(*up, 1);
        ASSERT_TRUE(down.ok());
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(down->rgb(x, 0), pic->rgb(x, 0));
    }
    auto many = core::Bitmap::Create(20, 1, 24);
    for (int x = 0; x < 20; ++x)
        many->row(0)[3 * x] = static_cast<std::uint8_t>(x);
    EXPECT_TRUE(ChangeDepthLossless(*many, 8).ok());
    const auto refused = ChangeDepthLossless(*many, 4);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("colour reduction"), std::string::npos);
}
