// The value dialog without widgets: what a caller asks for, how the edit box
// corrects what was typed, and where the dialog opens.
#pragma once

#include "core/view/geometry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace core {

// The result of a cancelled value dialog.
inline constexpr int kValueCancelled = -999;

struct ValueRequest {
    std::int32_t minimum = 0;
    std::int32_t maximum = 100;
    std::int32_t initial = 0;
    std::int16_t pageStep = 10;
    std::int16_t arrowStep = 1;
    std::array<std::int32_t, 6> presets{}; // buttons a to f
    bool showPresets = false;
    bool useTrackBar = false;
};

// What the Zoom command asks: 25 to 800 per cent from `current`, large step
// 100, small step 25, presets 50, 75, 100, 200, 300 and 400.
ValueRequest ZoomValueRequest(int current);

// What the edit box does with its text when typing ends.
struct ValueCorrection {
    std::optional<std::string> text; // the box's new text; none = leave it
    std::optional<int> position;     // the scroll bar's new position; none = leave it
};

// Empty text is left alone; text that is not a whole number becomes the
// minimum while the scroll bar goes back to the initial value; numbers out of
// range become the nearest end.
ValueCorrection CorrectValueText(const std::string& text, const ValueRequest& request);

// The scroll bar follows the number while it is typed (clamped), without
// rewriting the box; none while the text is not a number.
std::optional<int> TypedPosition(const std::string& text, const ValueRequest& request);

// The edit box's typing state: a key down starts it; Enter, a scroll, the
// focus leaving or OK ends it. Scroll moves write the box only outside it.
class ValueTyping {
  public:
    void KeyDown() { typing_ = true; }
    // Returns true when typing was on (the caller then corrects the text).
    bool End() {
        const bool was = typing_;
        typing_ = false;
        return was;
    }
    bool typing() const { return typing_; }

  private:
    bool typing_ = false;
};

// The dialog centred on the pointer, then moved wholly onto the screen.
ViewRect ValueDialogPlacement(const ViewRect& screen, int pointerX, int pointerY, int width,
                              int height);

} // namespace core
