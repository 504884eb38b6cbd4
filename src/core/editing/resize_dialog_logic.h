// The arithmetic of the resize and selection dialog: the working values, the
// corrections applied to what is typed or spun, the aspect rule and the texts
// of the percentage boxes. Every correction reports true so the dialog beeps.
#pragma once

#include <optional>
#include <string>

namespace core {

struct ResizeRequest {
    int x = 0, y = 0, width = 0, height = 0;
    int bits = 0; // 0 = selection mode
    int maxWidth = 16384, maxHeight = 16384;
};

// The integer at the start of a text ("12ab" → 12, "" → 0), clamped to ±2^31.
int LeadingInt(const std::string& text);
// The number at the start of a text ("50.5%" → 50.5, "" → 0).
double LeadingReal(const std::string& text);

class ResizeDialogLogic {
  public:
    explicit ResizeDialogLogic(const ResizeRequest& r);

    bool selectionMode() const { return selection_; }
    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return w_; }
    int height() const { return h_; }
    bool keepAspect = true;
    // The copy mode the list starts with and whether it can be changed.
    int initialCopyMode() const { return bits_ < 2 ? 1 : 0; }
    bool copyModeEnabled() const { return bits_ < 2; }

    // Activation: the present values become the ones Reset returns to and the
    // percentages refer to.
    void activate();
    void reset();

    // Typed text; true = corrected (beep). Resize mode: width, height, and the
    // percentages; selection mode: width, height, x, y.
    bool typeWidth(const std::string& text);
    bool typeHeight(const std::string& text);
    bool typeXBox(const std::string& text);
    bool typeYBox(const std::string& text);

    // Spin buttons of width and height (both modes) and of x and y in
    // selection mode; false = refused (beep).
    bool spinWidth(bool up);
    bool spinHeight(bool up);
    bool spinXPos(bool up);
    bool spinYPos(bool up);
    // Resize mode: the new text of a percentage box after a spin click, or
    // nothing when refused (beep). One click up from "100" gives "101.9".
    std::optional<std::string> spinPercent(const std::string& current, bool up, bool xAxis) const;

    // The truncated percentage of w (or h) against the opening size.
    int percent(bool xAxis) const;
    // The text a percentage box should show, or nothing to leave it as typed.
    std::optional<std::string> percentText(bool xAxis, const std::string& current,
                                           bool focused) const;

    // OK: the size fits the limits.
    bool acceptable() const;

  private:
    bool setWidth(int v); // resize mode: clamp, then the aspect rule
    bool setHeight(int v);
    void heightFollows();
    void widthFollows();
    enum class Field { W, H, X, Y };
    bool holdInside(Field changed); // selection mode
    bool percentToSize(const std::string& text, bool xAxis);

    bool selection_;
    int bits_;
    int x_, y_, w_, h_;
    int x0_, y0_, w0_, h0_;
    int wMax_, hMax_;
};

} // namespace core
