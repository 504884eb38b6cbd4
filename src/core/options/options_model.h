// The options dialog without its widgets: what each control shows when the
// dialog opens, how the controls follow each other while the user edits,
// the delay label, and what Apply writes back and asks the window to do.
#pragma once

#include "core/app/settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace core::options {

enum class Page { Viewer, Graphics, Slideshow, Multimedia };
inline constexpr int kPageCount = 4;

// The help context of a page.
int HelpContext(Page page);
// The page the dialog opens on: Multimedia while a clip is shown, Slideshow
// when asked from a Slideshow submenu, Graphics in full screen, else Viewer.
Page FirstPage(bool clipShown, bool fromSlideshowMenu, bool fullScreen);

// "&Delay = 2 hours" for 1, else "&Delay = S.Ts" (tenths truncated).
std::string DelayLabel(int position);
// The media player's volume for a stored Volume 1..1000 (others are clamped):
// Round(Ln(v / 1000) × 1000),
// halves to even (1000 → 0, 500 → −693, 1 → −6908).
int PlayerVolume(int volume);

// Check boxes and radio groups, in page order.
enum class CheckId {
    Menubar,
    Toolbar,
    Win98style,
    Statusbar,
    MaxFullScreen,
    AutoSize,
    AutoCenter, // Viewer
    AutoReduce,
    UseScreen, // Graphics
    FitScreen,
    FullScreen,
    MaxDelay, // Slideshow
    AmControls,
    AmTracker,
    AmStatus,
    AmMaxFull,
    AmAutoPlay, // Multimedia
};
inline constexpr int kCheckCount = 17;
enum class GroupId { FaxQuality, PhotoCD, JPG, Speed, Palette };
inline constexpr int kGroupCount = 5;
// The number of items of each group and the item a group shows when its
// stored value is none of them.
int GroupItems(GroupId group);
int GroupDefault(GroupId group);

inline constexpr int kDelayMax = 60000;
inline constexpr int kVolumeMax = 1000;
inline constexpr int kDefaultPhotoCdStep = 3;

// What the dialog edits: the settings record, the check of the window's
// Win98 style command, and the run's Photo-CD step.
struct Stored {
    SettingsRecord record;
    bool win98Checked = true;
    int photoCdStep = kDefaultPhotoCdStep;
};

struct Environment {
    int screenBits = 24;
    bool fullScreen = false; // the main window was in full screen when the dialog opened
};

// The open document, for the reopen and the player updates of Apply.
struct Document {
    std::string upperExtension; // ".JPG", with the dot
    int pageCount = 1;
    bool clipShown = false;
};

struct Check {
    bool checked = false;
    bool enabled = true;
};
struct Group {
    int item = 0;
    bool enabled = true;
};

struct Controls {
    std::array<Check, kCheckCount> checks{};
    std::array<Group, kGroupCount> groups{};
    int delayPosition = 60;
    bool delayEnabled = true;
    int volume = 500;
    std::uint32_t background = kSystemWindowColour;
    bool applyEnabled = false;

    Check& operator[](CheckId id) { return checks[static_cast<int>(id)]; }
    const Check& operator[](CheckId id) const { return checks[static_cast<int>(id)]; }
    Group& operator[](GroupId id) { return groups[static_cast<int>(id)]; }
    const Group& operator[](GroupId id) const { return groups[static_cast<int>(id)]; }
};

// What Apply asks of the window beyond the fields it has written.
struct ApplyPlan {
    // The bar toggles to run, in this order; each flips its own setting.
    bool toggleStatusbar = false, toggleMenubar = false, toggleToolbar = false, toggleWin98 = false;
    bool layoutChanged = false; // one resize at the end
    bool reopen = false;        // the shown file must be read again
    bool photoCdStepChanged = false;
    bool backgroundChanged = false;
    // Player properties to set while a clip is shown.
    bool playerStatusBar = false, playerControls = false, playerTracker = false,
         playerVolume = false;
    int playerVolumeValue = 0;
};

class OptionsModel {
  public:
    // Loads the controls from `stored`. Loading sets only the controls: the
    // settings change when Apply writes them.
    OptionsModel(const Stored& stored, Environment env);

    const Controls& controls() const { return c_; }
    const Environment& environment() const { return env_; }
    std::string DelayText() const { return DelayLabel(c_.delayPosition); }

    // The user's actions; a disabled control ignores them.
    void SetChecked(CheckId id, bool on);
    void Choose(GroupId id, int item);
    void MoveDelay(int position);
    void MoveVolume(int position);
    void ChooseBackground(std::uint32_t colour);

    // Writes the controls into `stored` (the bar settings excepted: the
    // toggles of the plan change those) and disables Apply.
    ApplyPlan Apply(Stored& stored, const Document& doc);
    // The values Apply compares with, after the window has applied.
    void Rebase(const Stored& stored) { base_ = stored; }

  private:
    void Changed(); // the common rules after any change
    void MaxDelayClicked();

    Stored base_;
    Environment env_;
    Controls c_;
};

} // namespace core::options
