// The player's arithmetic that needs no widget: display sizes, where a video
// goes in its area and on a slide, the window size for a clip, the player's
// parts, its gain, and which commands a clip leaves on.
#pragma once

#include <string>
#include <vector>

namespace core::media {

// The player's display sizes.
inline constexpr int kOwnSize = 0, kHalfSize = 1, kDoubleSize = 2, kFitSize = 4;
// How long the window waits for a clip to open, and a show for it to start.
inline constexpr int kOpenTimeoutMs = 15000;
inline constexpr int kStartTimeoutMs = 5000;

// "Zoom +" and "Zoom -" on a clip: own ↔ double, half ↔ own; the ends stay.
int ZoomUpSize(int displaySize);
int ZoomDownSize(int displaySize);

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

// The picture of a clip of clipW × clipH inside a video area, centred.
Box VideoBox(int displaySize, int clipW, int clipH, int areaW, int areaH);

// Where a video slide goes in the show's box.
struct SlideClip {
    int clipW = 0, clipH = 0;
    int boxW = 0, boxH = 0;
    bool script = false;
    int zoom = 100;     // a script slide's zoom in per cent, 0 or less: none
    int x = -1, y = -1; // a script slide's position, -1: centred
    bool autoSizeVideo = true;
};
Box SlideBounds(const SlideClip& s);

// The parts of the player below its video, as the settings and the window say.
struct PlayerParts {
    bool statusLine = true, tracker = true, controls = true;
    bool operator==(const PlayerParts&) const = default;
};
PlayerParts PartsFor(bool statusLine, bool tracker, bool controls, bool avMaxFullScreen,
                     bool fullScreen);
// The parts' heights are measured again when the screen's density changed
// or nothing was measured in this run.
bool NeedMeasure(int storedPixelsPerInch, int screenPixelsPerInch, int baseHeight);

// "&Adjust window" on a clip: the window's size.
struct ClipWindow {
    int clipW = 0, clipH = 0;
    int displaySize = kOwnSize;
    bool fit = false;
    int clientWidth = 0;  // the window's client width now
    int playerHeight = 0; // the player's height now
    int partsHeight = 0;  // the heights of the parts it shows
    int frameWidth = 0, nonClientHeight = 0, panelsHeight = 0;
    int minWidth = 0; // the window's minimum width less two tool buttons
    int screenW = 0, screenH = 0;
    bool fullScreenButton = false;
};
struct WindowSize {
    int width = 0, height = 0;
};
WindowSize ClipWindowSize(const ClipWindow& c);

// The player's volume scale (0 loudest, −6908 for a setting of 1, in
// hundredths of a decibel) as a linear gain 0..1.
double PlayerGain(int playerVolume);

// What a clip leaves on: every command whose state media mode decides.
struct CommandState {
    std::string name;
    bool enabled = false;
};
std::vector<CommandState> MediaCommandStates(bool video, bool fit, bool fullScreen);

} // namespace core::media
