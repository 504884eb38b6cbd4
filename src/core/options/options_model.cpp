#include "core/options/options_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace core::options {

int HelpContext(Page page) {
    switch (page) {
    case Page::Viewer:
    case Page::Graphics:
        return 103;
    case Page::Slideshow:
        return 300;
    case Page::Multimedia:
        return 500;
    }
    return 0;
}

Page FirstPage(bool clipShown, bool fromSlideshowMenu, bool fullScreen) {
    if (clipShown) return Page::Multimedia;
    if (fromSlideshowMenu) return Page::Slideshow;
    if (fullScreen) return Page::Graphics;
    return Page::Viewer;
}

std::string DelayLabel(int position) {
    if (position == 1) return "&Delay = 2 hours";
    char text[48];
    std::snprintf(text, sizeof text, "&Delay = %d.%ds", position / 1000, (position % 1000) / 100);
    return text;
}

int PlayerVolume(int volume) {
    volume = std::clamp(volume, 1, kVolumeMax); // no logarithm of 0
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(std::log(volume / 1000.0) * 1000.0));
}

int GroupItems(GroupId group) {
    switch (group) {
    case GroupId::FaxQuality:
    case GroupId::JPG:
    case GroupId::Speed:
        return 4;
    case GroupId::PhotoCD:
        return 7;
    case GroupId::Palette:
        return 3;
    }
    return 0;
}

int GroupDefault(GroupId group) {
    switch (group) {
    case GroupId::PhotoCD:
    case GroupId::JPG:
        return 3;
    case GroupId::Speed:
        return 1;
    case GroupId::FaxQuality:
    case GroupId::Palette:
        return 0;
    }
    return 0;
}

namespace {

// A stored value outside the group shows the group's designed item, so
// Apply never writes an index the slideshow cannot use.
Group LoadGroup(GroupId id, int value) {
    Group g;
    g.item = value >= 0 && value < GroupItems(id) ? value : GroupDefault(id);
    return g;
}

Check LoadCheck(int value) {
    Check c;
    c.checked = value != 0;
    return c;
}

std::uint8_t Byte(bool on) {
    return on ? 1 : 0;
}

} // namespace

OptionsModel::OptionsModel(const Stored& stored, Environment env) : base_(stored), env_(env) {
    const SettingsRecord& r = stored.record;
    Controls& c = c_;
    c[CheckId::Menubar] = LoadCheck(r.ShowMenus);
    c[CheckId::Toolbar] = LoadCheck(r.ShowToolbar);
    c[CheckId::Win98style] = LoadCheck(stored.win98Checked);
    c[CheckId::Win98style].enabled = r.ShowToolbar != 0;
    c[CheckId::Statusbar] = LoadCheck(r.ShowStatusbar);
    c[CheckId::MaxFullScreen] = LoadCheck(r.MaxFullScreen);
    c[CheckId::AutoSize] = LoadCheck(r.AutoSizeWindow);
    c[CheckId::AutoCenter] = LoadCheck(r.AutoCenterWindow);
    c[GroupId::FaxQuality] = LoadGroup(GroupId::FaxQuality, r.FaxQuality);
    c[GroupId::PhotoCD] = LoadGroup(GroupId::PhotoCD, stored.photoCdStep);
    c[GroupId::JPG] = LoadGroup(GroupId::JPG, r.JpegPalette);
    c[CheckId::AutoReduce] = LoadCheck(r.AutoReduce);
    c[CheckId::UseScreen] = LoadCheck(r.UseScreen);
    c[GroupId::Speed] = LoadGroup(GroupId::Speed, r.EffectsSpeed);
    c[GroupId::Palette] = LoadGroup(GroupId::Palette, r.SvgaPalette);
    c[CheckId::FitScreen] = LoadCheck(r.AutoSizeVideo);
    c[CheckId::FullScreen] = LoadCheck(r.AlwaysFullScreen);
    c[CheckId::AmControls] = LoadCheck(r.AvControls);
    c[CheckId::AmTracker] = LoadCheck(r.AvTrackBar);
    c[CheckId::AmStatus] = LoadCheck(r.AvStatusLine);
    c[CheckId::AmMaxFull] = LoadCheck(r.AvMaxFullScreen);
    c[CheckId::AmAutoPlay] = LoadCheck(r.AvAutoPlay);

    // Use Screen refines Auto Reduce, and only on displays of 15 bits or more.
    c[CheckId::UseScreen].enabled = r.AutoReduce != 0;
    if (env_.screenBits < 15) c[CheckId::UseScreen] = {false, false};
    // Auto Center only means something when the window follows the picture.
    c[CheckId::AutoCenter].enabled = r.AutoSizeWindow != 0;
    if (!r.AutoSizeWindow) c[CheckId::AutoCenter].checked = false;
    // The palette choices matter only on 256-colour displays.
    c[GroupId::Palette].enabled = env_.screenBits == 8;
    c[GroupId::JPG].enabled = env_.screenBits == 8;
    c[CheckId::AmTracker].enabled = r.AvControls != 0;

    if (r.SlideDelay == 1) {
        c[CheckId::MaxDelay].checked = true;
        c.delayPosition = 1;
        c.delayEnabled = false;
    } else {
        c.delayPosition = std::clamp(r.SlideDelay, 0, kDelayMax);
    }
    c.background = r.Background;
    c.volume = std::clamp(r.Volume, 0, kVolumeMax);

    if (env_.fullScreen) {
        c[CheckId::MaxFullScreen].enabled = false;
        c[CheckId::Statusbar].enabled = false;
        if (r.MaxFullScreen)
            for (CheckId id : {CheckId::Menubar, CheckId::Toolbar, CheckId::Win98style})
                c[id].enabled = false;
        if (r.AvMaxFullScreen)
            for (CheckId id :
                 {CheckId::AmControls, CheckId::AmTracker, CheckId::AmStatus, CheckId::AmMaxFull})
                c[id].enabled = false;
    }
    // Setting the controls runs their change rules once; nothing is changed yet.
    Changed();
    c.applyEnabled = false;
}

void OptionsModel::Changed() {
    Controls& c = c_;
    c.applyEnabled = true;
    if (c[CheckId::Toolbar].enabled) c[CheckId::Win98style].enabled = c[CheckId::Toolbar].checked;
    if (env_.screenBits >= 15) {
        c[CheckId::UseScreen].enabled = c[CheckId::AutoReduce].checked;
        if (!c[CheckId::AutoReduce].checked) c[CheckId::UseScreen].checked = false;
    }
    c[CheckId::AutoCenter].enabled = c[CheckId::AutoSize].checked;
    if (!c[CheckId::AutoSize].checked) c[CheckId::AutoCenter].checked = false;
    if (!env_.fullScreen) c[CheckId::AmTracker].enabled = c[CheckId::AmControls].checked;
}

void OptionsModel::SetChecked(CheckId id, bool on) {
    Check& check = c_[id];
    if (!check.enabled || check.checked == on) return;
    check.checked = on;
    if (id == CheckId::MaxDelay) MaxDelayClicked();
    Changed();
}

void OptionsModel::MaxDelayClicked() {
    if (c_[CheckId::MaxDelay].checked) {
        c_.delayPosition = 1;
        c_.delayEnabled = false;
        return;
    }
    c_.delayEnabled = true;
    const int stored = base_.record.SlideDelay;
    c_.delayPosition = stored == 1 ? 1000 : std::clamp(stored, 0, kDelayMax);
}

void OptionsModel::Choose(GroupId id, int item) {
    Group& group = c_[id];
    if (!group.enabled || item < 0 || item >= GroupItems(id) || item == group.item) return;
    group.item = item;
    Changed();
}

void OptionsModel::MoveDelay(int position) {
    if (!c_.delayEnabled) return;
    c_.delayPosition = std::clamp(position, 0, kDelayMax);
    if (c_.delayPosition != base_.record.SlideDelay) c_.applyEnabled = true;
}

void OptionsModel::MoveVolume(int position) {
    position = std::clamp(position, 0, kVolumeMax);
    if (position == c_.volume) return;
    c_.volume = position;
    Changed();
}

void OptionsModel::ChooseBackground(std::uint32_t colour) {
    c_.background = colour;
    Changed();
}

ApplyPlan OptionsModel::Apply(Stored& stored, const Document& doc) {
    const Controls& c = c_;
    SettingsRecord& r = stored.record;
    ApplyPlan plan;
    auto on = [&c](CheckId id) { return c[id].checked; };

    plan.toggleStatusbar = on(CheckId::Statusbar) != (r.ShowStatusbar != 0);
    plan.toggleMenubar = on(CheckId::Menubar) != (r.ShowMenus != 0);
    plan.toggleToolbar = on(CheckId::Toolbar) != (r.ShowToolbar != 0);
    // Win98 style has no effect without the tool bar: its toggle does nothing then.
    plan.toggleWin98 = on(CheckId::Win98style) != stored.win98Checked;
    plan.layoutChanged =
        plan.toggleStatusbar || plan.toggleMenubar || plan.toggleToolbar || plan.toggleWin98;

    r.AutoReduce = Byte(on(CheckId::AutoReduce));
    r.UseScreen = Byte(env_.screenBits > 8 && on(CheckId::UseScreen));
    r.AutoSizeWindow = Byte(on(CheckId::AutoSize));
    r.AutoCenterWindow = Byte(on(CheckId::AutoCenter));
    r.MaxFullScreen = Byte(on(CheckId::MaxFullScreen));

    if (c[GroupId::JPG].item != r.JpegPalette) {
        r.JpegPalette = c[GroupId::JPG].item;
        if (env_.screenBits == 8 && doc.upperExtension.find(".JP") != std::string::npos)
            plan.reopen = true;
    }
    if (c[GroupId::FaxQuality].item != r.FaxQuality) {
        r.FaxQuality = c[GroupId::FaxQuality].item;
        if (doc.pageCount > 1) plan.reopen = true;
    }
    if (c[GroupId::PhotoCD].item != stored.photoCdStep) {
        stored.photoCdStep = c[GroupId::PhotoCD].item;
        plan.photoCdStepChanged = true;
        if (doc.upperExtension == ".PCD") plan.reopen = true;
    }

    r.EffectsSpeed = c[GroupId::Speed].item;
    if (c.background != r.Background) {
        r.Background = c.background;
        plan.backgroundChanged = true;
    }
    r.SvgaPalette = c[GroupId::Palette].item;
    r.AutoSizeVideo = Byte(on(CheckId::FitScreen));
    r.AlwaysFullScreen = Byte(on(CheckId::FullScreen));
    r.SlideDelay = c.delayPosition;

    if (on(CheckId::AmStatus) != (r.AvStatusLine != 0)) {
        r.AvStatusLine = Byte(on(CheckId::AmStatus));
        plan.playerStatusBar = doc.clipShown;
    }
    if (on(CheckId::AmControls) != (r.AvControls != 0)) {
        r.AvControls = Byte(on(CheckId::AmControls));
        plan.playerControls = doc.clipShown;
    }
    if (on(CheckId::AmTracker) != (r.AvTrackBar != 0)) {
        r.AvTrackBar = Byte(on(CheckId::AmTracker));
        plan.playerTracker = doc.clipShown;
    }
    r.AvAutoPlay = Byte(on(CheckId::AmAutoPlay));
    if (c.volume != r.Volume) {
        r.Volume = std::max(1, c.volume);
        if (doc.clipShown) {
            plan.playerVolume = true;
            plan.playerVolumeValue = PlayerVolume(r.Volume);
        }
    }
    r.AvMaxFullScreen = Byte(on(CheckId::AmMaxFull));

    // What the toggles will make of the bar settings.
    base_ = stored;
    base_.record.ShowStatusbar = Byte(on(CheckId::Statusbar));
    base_.record.ShowMenus = Byte(on(CheckId::Menubar));
    base_.record.ShowToolbar = Byte(on(CheckId::Toolbar));
    base_.win98Checked = on(CheckId::Win98style);
    c_.applyEnabled = false;
    return plan;
}

} // namespace core::options
