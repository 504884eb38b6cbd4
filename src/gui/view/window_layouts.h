// Full screen and the window's layouts: the bar toggles, the two tool-bar
// styles and the three layouts that set the bars in one step.
#pragma once

namespace gui {

struct WindowContext;

class WindowLayouts {
  public:
    explicit WindowLayouts(WindowContext& ctx) : ctx_(ctx) {}

    void mnuFullScrnClick();
    bool fullScreen() const { return fullScreen_; }
    // The resize events of the switch do no layout until it is complete.
    bool switching() const { return fullScreenSwitching_; }
    void mnuStandard1Click();
    void mnuCompact1Click();
    void mnuMinimal1Click();
    // fromView: called by a layout or the options (no resize of its own).
    void mnuToolbarClick(bool fromView = false);
    void mnuMenubarClick(bool fromView = false);
    void mnuStatusbarClick(bool fromView = false);
    void mnuWin98styleClick(bool fromView = false);
    void Toolbar1Resize(bool fromView = false);

  private:
    void SetLayoutCheck(const char* name);
    void ApplyLayout(bool status, bool menus, bool toolbar, int win98);

    WindowContext& ctx_;
    bool fullScreen_ = false;
    bool fullScreenSwitching_ = false;
};

} // namespace gui
