#include "core/media/media_rules.h"
#include "core/options/options_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace cm = core::media;

TEST(MediaVolume, SettingsMapToGainsWithinFullScale) {
    using core::options::PlayerVolume;
    // A setting of 0 plays as 1; above 1000 it is full scale, never louder.
    EXPECT_EQ(PlayerVolume(0), -6908);
    EXPECT_EQ(PlayerVolume(-5), -6908);
    EXPECT_EQ(PlayerVolume(5000), 0);
    EXPECT_DOUBLE_EQ(cm::PlayerGain(PlayerVolume(5000)), 1.0);
    EXPECT_DOUBLE_EQ(cm::PlayerGain(0), 1.0);
    EXPECT_NEAR(cm::PlayerGain(PlayerVolume(500)), std::pow(10.0, -693 / 2000.0), 1e-12);
    // Louder settings never give a smaller gain, and every gain is in 0..1.
    double last = 0;
    for (int v = 1; v <= 1000; ++v) {
        const double g = cm::PlayerGain(PlayerVolume(v));
        EXPECT_GE(g, last) << v;
        EXPECT_GT(g, 0.0);
        EXPECT_LE(g, 1.0);
        last = g;
    }
}

TEST(MediaDisplaySize, ZoomStepsAndVideoBox) {
    EXPECT_EQ(cm::ZoomUpSize(cm::kOwnSize), cm::kDoubleSize);
    EXPECT_EQ(cm::ZoomUpSize(cm::kHalfSize), cm::kOwnSize);
    EXPECT_EQ(cm::ZoomUpSize(cm::kDoubleSize), cm::kDoubleSize);
    EXPECT_EQ(cm::ZoomDownSize(cm::kOwnSize), cm::kHalfSize);
    EXPECT_EQ(cm::ZoomDownSize(cm::kDoubleSize), cm::kOwnSize);
    EXPECT_EQ(cm::ZoomDownSize(cm::kHalfSize), cm::kHalfSize);

    EXPECT_EQ(cm::VideoBox(cm::kOwnSize, 160, 120, 400, 300), (cm::Box{120, 90, 160, 120}));
    EXPECT_EQ(cm::VideoBox(cm::kHalfSize, 160, 120, 400, 300), (cm::Box{160, 120, 80, 60}));
    EXPECT_EQ(cm::VideoBox(cm::kDoubleSize, 160, 120, 400, 300), (cm::Box{40, 30, 320, 240}));
    // Fit fills the area in one direction, keeping the aspect.
    EXPECT_EQ(cm::VideoBox(cm::kFitSize, 160, 120, 400, 400), (cm::Box{0, 50, 400, 300}));
    // Larger than the area: centred with negative offsets, not clipped to nothing.
    EXPECT_EQ(cm::VideoBox(cm::kDoubleSize, 320, 240, 400, 300), (cm::Box{-120, -90, 640, 480}));
    // Sound has no picture; an empty area draws nothing.
    EXPECT_EQ(cm::VideoBox(cm::kFitSize, 0, 0, 400, 300), cm::Box{});
    EXPECT_EQ(cm::VideoBox(cm::kFitSize, 160, 120, 0, 300), cm::Box{});
}

TEST(MediaSlideBounds, SizeByTheShowsRules) {
    cm::SlideClip s;
    s.clipW = 160;
    s.clipH = 120;
    s.boxW = 800;
    s.boxH = 600;
    // Auto Size video: four times when that still fits inside the box.
    s.autoSizeVideo = true;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{80, 60, 640, 480}));
    // Four times would touch the box: twice.
    s.boxW = 640;
    s.boxH = 600;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{160, 180, 320, 240}));
    // Neither: the clip fitted into the box.
    s.clipW = 400;
    s.clipH = 300;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{0, 60, 640, 480}));
    // Auto Size off and the clip smaller than the box: its own size.
    s.autoSizeVideo = false;
    s.clipW = 160;
    s.clipH = 120;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{240, 240, 160, 120}));
    // Larger than the box: fitted whatever the setting.
    s.clipW = 1280;
    s.clipH = 720;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{0, 120, 640, 360}));
}

TEST(MediaSlideBounds, ScriptZoomAndPosition) {
    cm::SlideClip s;
    s.clipW = 160;
    s.clipH = 120;
    s.boxW = 800;
    s.boxH = 600;
    s.script = true;
    s.autoSizeVideo = false;
    s.zoom = 150;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{280, 210, 240, 180}));
    // A zoom that does not fit keeps the fitted size.
    s.zoom = 800;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{0, 0, 800, 600}));
    // A position where it fits is used; one where it does not is centred.
    s.zoom = 100;
    s.x = 10;
    s.y = 20;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{10, 20, 160, 120}));
    s.x = 700;
    EXPECT_EQ(cm::SlideBounds(s), (cm::Box{320, 240, 160, 120}));
}

TEST(MediaPlayerParts, FullScreenAndMeasuring) {
    EXPECT_EQ(cm::PartsFor(true, false, true, false, true), (cm::PlayerParts{true, false, true}));
    EXPECT_EQ(cm::PartsFor(true, true, true, true, true), (cm::PlayerParts{false, false, false}));
    EXPECT_EQ(cm::PartsFor(true, true, false, true, false), (cm::PlayerParts{true, true, false}));
    EXPECT_TRUE(cm::NeedMeasure(0, 96, 40));   // never measured on this screen
    EXPECT_TRUE(cm::NeedMeasure(96, 96, 0));   // nothing measured in this run
    EXPECT_TRUE(cm::NeedMeasure(120, 96, 40)); // another density
    EXPECT_FALSE(cm::NeedMeasure(96, 96, 40));
}

TEST(MediaWindowSize, AdjustWindowOnAClip) {
    cm::ClipWindow c;
    c.clipW = 320;
    c.clipH = 240;
    c.partsHeight = 70;
    c.frameWidth = 8;
    c.nonClientHeight = 30;
    c.panelsHeight = 100;
    c.minWidth = 300;
    c.screenW = 1920;
    c.screenH = 1080;
    cm::WindowSize s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 328);
    EXPECT_EQ(s.height, 240 + 30 + 70 + 100);
    c.displaySize = cm::kDoubleSize;
    s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 648);
    EXPECT_EQ(s.height, 480 + 200);
    c.displaySize = cm::kHalfSize;
    s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 300); // at least the minimum
    // Sound: the player's parts alone, less two pixels.
    c.clipW = c.clipH = 0;
    c.displaySize = cm::kOwnSize;
    s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.height, 30 + 70 - 2 + 100);
    // Fit: the clip fitted into the player's video area, limited to the screen.
    c.clipW = 3200;
    c.clipH = 2400;
    c.fit = true;
    c.clientWidth = 600;
    c.playerHeight = 520;
    s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 8 + 600);
    EXPECT_EQ(s.height, 30 + 450 + 70 + 100);
    c.fit = false;
    s = cm::ClipWindowSize(c);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
}

TEST(MediaCommands, VideoAndSoundInAndOutOfFullScreen) {
    auto table = [](bool video, bool fit, bool full) {
        std::map<std::string, bool> m;
        for (const cm::CommandState& s : cm::MediaCommandStates(video, fit, full))
            m[s.name] = s.enabled;
        return m;
    };
    const auto sound = table(false, false, false), video = table(true, false, false);
    for (const char* n :
         {"mnuSave", "mnuPrint", "mnuImageInfo", "mnuCopy", "mnuEdit", "mnuImage", "mnuColors",
          "mnuTWAIN", "mnuSlideshowMenu", "mnuZoom", "btnHand", "btnSelect"}) {
        EXPECT_FALSE(sound.at(n)) << n;
        EXPECT_FALSE(video.at(n)) << n;
    }
    EXPECT_FALSE(sound.at("mnuFitWindow"));
    EXPECT_FALSE(sound.at("btnZoomUp"));
    EXPECT_TRUE(video.at("mnuFitWindow"));
    EXPECT_TRUE(video.at("btnZoomUp"));
    EXPECT_TRUE(video.at("btnZoomDn"));
    EXPECT_TRUE(video.at("mnuOptimizeWindow"));
    EXPECT_TRUE(video.at("mnuFullscrn"));
    // In fit mode the zoom buttons are off; in full screen "Adjust window" is.
    EXPECT_FALSE(table(true, true, false).at("btnZoomUp"));
    const auto full = table(true, false, true);
    EXPECT_FALSE(full.at("mnuOptimizeWindow"));
    EXPECT_FALSE(full.at("btnAdjust"));
    EXPECT_TRUE(full.at("mnuFullscrn"));
}
