// The options dialog's rules without widgets: what the controls show at
// opening on each screen depth and in full screen, how they follow each
// other, the delay label, and what Apply writes and asks for.
#include "core/options/options_model.h"

#include <gtest/gtest.h>

using namespace core::options;

namespace {

struct Row {
    const char* name;
    int screenBits;
    bool fullScreen;
    void (*edit)(core::SettingsRecord&);
    CheckId id;
    bool checked, enabled;
};

void Defaults(core::SettingsRecord&) {}
void UseScreenOn(core::SettingsRecord& r) {
    r.UseScreen = 1;
}
void UseScreenNoReduce(core::SettingsRecord& r) {
    r.UseScreen = 1, r.AutoReduce = 0;
}
void NoAutoSize(core::SettingsRecord& r) {
    r.AutoSizeWindow = 0;
}
void NoMaxFull(core::SettingsRecord& r) {
    r.MaxFullScreen = 0;
}
void NoAvMaxFull(core::SettingsRecord& r) {
    r.AvMaxFullScreen = 0;
}
void NoControls(core::SettingsRecord& r) {
    r.AvControls = 0;
}
void NoToolbar(core::SettingsRecord& r) {
    r.ShowToolbar = 0;
}

const Row kRows[] = {
    // Use Screen: only on 15 bits or more, and only with Auto Reduce.
    {"use screen 8-bit", 8, false, UseScreenOn, CheckId::UseScreen, false, false},
    {"use screen 16-bit", 16, false, UseScreenOn, CheckId::UseScreen, true, true},
    {"use screen 24-bit", 24, false, UseScreenOn, CheckId::UseScreen, true, true},
    {"use screen without reduce", 24, false, UseScreenNoReduce, CheckId::UseScreen, false, false},
    // Auto Center follows Auto Size.
    {"auto center", 24, false, Defaults, CheckId::AutoCenter, true, true},
    {"auto center without size", 24, false, NoAutoSize, CheckId::AutoCenter, false, false},
    // Full screen locks what it hides.
    {"status bar windowed", 24, false, Defaults, CheckId::Statusbar, true, true},
    {"status bar full screen", 24, true, Defaults, CheckId::Statusbar, true, false},
    {"max full screen full screen", 24, true, NoMaxFull, CheckId::MaxFullScreen, false, false},
    {"menus full screen max", 24, true, Defaults, CheckId::Menubar, true, false},
    {"tool bar full screen max", 16, true, Defaults, CheckId::Toolbar, true, false},
    {"win98 full screen max", 8, true, Defaults, CheckId::Win98style, true, false},
    {"menus full screen plain", 24, true, NoMaxFull, CheckId::Menubar, true, true},
    {"win98 without tool bar", 24, false, NoToolbar, CheckId::Win98style, true, false},
    // The player's Controls group with media Max full screen.
    {"player controls full screen", 24, true, Defaults, CheckId::AmControls, true, false},
    {"media max full full screen", 24, true, Defaults, CheckId::AmMaxFull, true, false},
    {"status line full screen", 24, true, Defaults, CheckId::AmStatus, true, false},
    {"player controls full screen plain", 24, true, NoAvMaxFull, CheckId::AmControls, true, true},
    {"auto play full screen", 24, true, Defaults, CheckId::AmAutoPlay, true, true},
    // Track bar follows Player controls.
    {"track bar", 24, false, Defaults, CheckId::AmTracker, true, true},
    {"track bar without controls", 24, false, NoControls, CheckId::AmTracker, true, false},
};

Stored StoredWith(void (*edit)(core::SettingsRecord&)) {
    Stored s;
    edit(s.record);
    return s;
}

} // namespace

TEST(OptionsModel, LoadingTable) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const OptionsModel m(StoredWith(row.edit), {row.screenBits, row.fullScreen});
        EXPECT_EQ(m.controls()[row.id].checked, row.checked);
        EXPECT_EQ(m.controls()[row.id].enabled, row.enabled);
        EXPECT_FALSE(m.controls().applyEnabled);
    }
}

TEST(OptionsModel, PaletteGroupsOnlyOn8BitScreens) {
    for (int bits : {8, 16, 24}) {
        SCOPED_TRACE(bits);
        const OptionsModel m(Stored{}, {bits, false});
        EXPECT_EQ(m.controls()[GroupId::Palette].enabled, bits == 8);
        EXPECT_EQ(m.controls()[GroupId::JPG].enabled, bits == 8);
        EXPECT_TRUE(m.controls()[GroupId::FaxQuality].enabled);
        EXPECT_TRUE(m.controls()[GroupId::PhotoCD].enabled);
    }
}

TEST(OptionsModel, LoadingLeavesTheSettingsAlone) {
    // Opening and cancelling keeps Use Screen (8-bit screen) and Auto Center (no Auto Size).
    Stored s;
    s.record.UseScreen = 1;
    s.record.AutoSizeWindow = 0;
    s.record.AutoCenterWindow = 1;
    const Stored before = s;
    OptionsModel m(s, {8, false});
    EXPECT_FALSE(m.controls()[CheckId::UseScreen].checked);
    EXPECT_FALSE(m.controls()[CheckId::AutoCenter].checked);
    EXPECT_EQ(s.record.ToBytes(), before.record.ToBytes());
    // Apply writes what the boxes show.
    m.Apply(s, {});
    EXPECT_EQ(s.record.UseScreen, 0);
    EXPECT_EQ(s.record.AutoCenterWindow, 0);
}

TEST(OptionsModel, OutOfRangeGroupsLoadTheirDesignedItem) {
    Stored s;
    s.record.EffectsSpeed = 7;
    s.record.SvgaPalette = -1;
    s.photoCdStep = 9;
    OptionsModel m(s, {8, false});
    EXPECT_EQ(m.controls()[GroupId::Speed].item, 1);
    EXPECT_EQ(m.controls()[GroupId::Palette].item, 0);
    EXPECT_EQ(m.controls()[GroupId::PhotoCD].item, 3);
    m.Apply(s, {});
    EXPECT_EQ(s.record.EffectsSpeed, 1);
    EXPECT_EQ(s.record.SvgaPalette, 0);
    EXPECT_EQ(s.photoCdStep, 3);
}

TEST(OptionsModel, ChangesFollowTheRules) {
    OptionsModel m(Stored{}, {24, false});
    m.SetChecked(CheckId::Toolbar, false);
    EXPECT_FALSE(m.controls()[CheckId::Win98style].enabled);
    EXPECT_TRUE(m.controls().applyEnabled);
    m.SetChecked(CheckId::AutoReduce, false);
    EXPECT_FALSE(m.controls()[CheckId::UseScreen].enabled);
    m.SetChecked(CheckId::AutoReduce, true);
    m.SetChecked(CheckId::UseScreen, true);
    EXPECT_TRUE(m.controls()[CheckId::UseScreen].checked);
    m.SetChecked(CheckId::AutoReduce, false);
    EXPECT_FALSE(m.controls()[CheckId::UseScreen].checked);
    m.SetChecked(CheckId::AutoSize, false);
    EXPECT_FALSE(m.controls()[CheckId::AutoCenter].checked);
    EXPECT_FALSE(m.controls()[CheckId::AutoCenter].enabled);
    m.SetChecked(CheckId::AmControls, false);
    EXPECT_FALSE(m.controls()[CheckId::AmTracker].enabled);
    // A disabled control ignores the user.
    m.SetChecked(CheckId::AmTracker, false);
    EXPECT_TRUE(m.controls()[CheckId::AmTracker].checked);

    // In full screen Track bar keeps the state it was loaded with.
    OptionsModel f(StoredWith(NoAvMaxFull), {24, true});
    f.SetChecked(CheckId::AmControls, false);
    EXPECT_TRUE(f.controls()[CheckId::AmTracker].enabled);
}

TEST(OptionsModel, DelayLabelAndMaximum) {
    EXPECT_EQ(DelayLabel(1), "&Delay = 2 hours");
    EXPECT_EQ(DelayLabel(2500), "&Delay = 2.5s");
    EXPECT_EQ(DelayLabel(60), "&Delay = 0.0s");
    EXPECT_EQ(DelayLabel(0), "&Delay = 0.0s");
    EXPECT_EQ(DelayLabel(2599), "&Delay = 2.5s");
    EXPECT_EQ(DelayLabel(60000), "&Delay = 60.0s");

    Stored s;
    s.record.SlideDelay = 1;
    OptionsModel m(s, {24, false});
    EXPECT_TRUE(m.controls()[CheckId::MaxDelay].checked);
    EXPECT_FALSE(m.controls().delayEnabled);
    EXPECT_EQ(m.DelayText(), "&Delay = 2 hours");
    m.MoveDelay(5000); // a disabled bar does not move
    EXPECT_EQ(m.controls().delayPosition, 1);
    // Unchecking after a stored maximum gives one second.
    m.SetChecked(CheckId::MaxDelay, false);
    EXPECT_TRUE(m.controls().delayEnabled);
    EXPECT_EQ(m.DelayText(), "&Delay = 1.0s");

    // Any other stored delay comes back; moving to the stored value changes nothing.
    s.record.SlideDelay = 2500;
    OptionsModel d(s, {24, false});
    d.SetChecked(CheckId::MaxDelay, true);
    EXPECT_EQ(d.controls().delayPosition, 1);
    d.SetChecked(CheckId::MaxDelay, false);
    EXPECT_EQ(d.controls().delayPosition, 2500);
    OptionsModel e(s, {24, false});
    e.MoveDelay(2500);
    EXPECT_FALSE(e.controls().applyEnabled);
    e.MoveDelay(0);
    EXPECT_TRUE(e.controls().applyEnabled);
    e.Apply(s, {});
    EXPECT_EQ(s.record.SlideDelay, 0);

    // Maximum delay is stored as 1.
    OptionsModel x(s, {24, false});
    x.SetChecked(CheckId::MaxDelay, true);
    x.Apply(s, {});
    EXPECT_EQ(s.record.SlideDelay, 1);
}

TEST(OptionsModel, VolumeAndPlayer) {
    EXPECT_EQ(PlayerVolume(1000), 0);
    EXPECT_EQ(PlayerVolume(500), -693);
    EXPECT_EQ(PlayerVolume(100), -2303);
    EXPECT_EQ(PlayerVolume(1), -6908);
    EXPECT_EQ(PlayerVolume(0), -6908); // the setting's floor, never Ln(0)

    Stored s;
    OptionsModel m(s, {24, false});
    m.MoveVolume(0);
    m.SetChecked(CheckId::AmStatus, false);
    ApplyPlan p = m.Apply(s, {".WAV", 1, true});
    EXPECT_EQ(s.record.Volume, 1);
    EXPECT_TRUE(p.playerVolume);
    EXPECT_EQ(p.playerVolumeValue, -6908);
    EXPECT_TRUE(p.playerStatusBar);
    EXPECT_FALSE(p.playerControls);
    EXPECT_EQ(s.record.AvStatusLine, 0);

    // Without a clip the settings change and the player is left alone.
    OptionsModel n(s, {24, false});
    n.MoveVolume(100);
    p = n.Apply(s, {".JPG", 1, false});
    EXPECT_EQ(s.record.Volume, 100);
    EXPECT_FALSE(p.playerVolume);
}

TEST(OptionsModel, ApplyPlansTogglesAndReopens) {
    Stored s;
    OptionsModel m(s, {24, false});
    ApplyPlan p = m.Apply(s, {".TIF", 3, false});
    EXPECT_FALSE(p.layoutChanged);
    EXPECT_FALSE(p.reopen);

    m.SetChecked(CheckId::Statusbar, false);
    m.SetChecked(CheckId::Menubar, false);
    m.Choose(GroupId::FaxQuality, 3);
    p = m.Apply(s, {".TIF", 3, false});
    EXPECT_TRUE(p.toggleStatusbar);
    EXPECT_TRUE(p.toggleMenubar);
    EXPECT_FALSE(p.toggleToolbar);
    EXPECT_TRUE(p.layoutChanged);
    EXPECT_TRUE(p.reopen);
    EXPECT_EQ(s.record.FaxQuality, 3);
    // The toggles, not Apply, change the bar settings.
    EXPECT_EQ(s.record.ShowStatusbar, 1);
    EXPECT_FALSE(m.controls().applyEnabled);

    // Once applied, the same boxes are no change.
    s.record.ShowStatusbar = 0;
    s.record.ShowMenus = 0;
    p = m.Apply(s, {".TIF", 3, false});
    EXPECT_FALSE(p.layoutChanged);

    // Fax quality of a single page: stored, not reopened.
    m.Choose(GroupId::FaxQuality, 1);
    p = m.Apply(s, {".TIF", 1, false});
    EXPECT_FALSE(p.reopen);
    EXPECT_EQ(s.record.FaxQuality, 1);

    // JPEG palette reopens a JPEG on an 8-bit screen only.
    OptionsModel e8(s, {8, false});
    e8.Choose(GroupId::JPG, 0);
    EXPECT_TRUE(e8.Apply(s, {".JPEG", 1, false}).reopen);
    OptionsModel e8png(s, {8, false});
    e8png.Choose(GroupId::JPG, 2);
    EXPECT_FALSE(e8png.Apply(s, {".PNG", 1, false}).reopen);
    OptionsModel e24(s, {24, false});
    e24.Choose(GroupId::JPG, 1);
    EXPECT_EQ(e24.controls()[GroupId::JPG].item, 2); // disabled: unchanged
    EXPECT_FALSE(e24.Apply(s, {".JPG", 1, false}).reopen);

    // The Photo-CD step reopens a Photo CD picture.
    OptionsModel c(s, {24, false});
    c.Choose(GroupId::PhotoCD, 5);
    p = c.Apply(s, {".PCD", 1, false});
    EXPECT_TRUE(p.photoCdStepChanged);
    EXPECT_TRUE(p.reopen);
    EXPECT_EQ(s.photoCdStep, 5);

    // On an 8-bit screen Use Screen is stored off whatever the box said.
    s.record.UseScreen = 1;
    OptionsModel u(s, {8, false});
    u.Apply(s, {});
    EXPECT_EQ(s.record.UseScreen, 0);
}

TEST(OptionsModel, FirstPageAndHelp) {
    EXPECT_EQ(FirstPage(true, true, true), Page::Multimedia);
    EXPECT_EQ(FirstPage(false, true, true), Page::Slideshow);
    EXPECT_EQ(FirstPage(false, false, true), Page::Graphics);
    EXPECT_EQ(FirstPage(false, false, false), Page::Viewer);
    EXPECT_EQ(HelpContext(Page::Graphics), 103);
    EXPECT_EQ(HelpContext(Page::Slideshow), 300);
    EXPECT_EQ(HelpContext(Page::Multimedia), 500);
}
