// View geometry of the main window: the window sized to the picture, its
// place on the screen, magnification and fitting, the scroll box, and what
// every resize does.
#pragma once

#include <QPoint>
#include <QRect>

namespace gui {

struct WindowContext;

class ViewGeometry {
  public:
    explicit ViewGeometry(WindowContext& ctx) : ctx_(ctx) {}

    // The frame's sizes, read once the window is shown.
    // Measures the frame the window manager adds; true when it changed.
    bool MeasureFrame();
    // Places and sizes the window by its frame, in one request.
    void SetFrameGeometry(const QRect& frame);
    // The window moved (as it does when its frame arrives).
    void WindowMoved();
    void SizeWindowToPicture();
    void PlaceWindow(int w, int h);
    void RestoreWindowRect();
    QRect SavedWindowRect() const;
    void ChangeView();
    void ResizeImage();
    void LayoutScrollBox();
    void UpdateScrollRanges();
    void ResetSkyScrollPos();
    void EnsureStretch();
    void RefreshPicture();
    void ShowZoomState();
    void MoveFrameTo(QPoint corner); // the frame's corner, as the bounds say it
    int PanelsHeight() const;
    int PictureAreaHeight() const;
    int ScrollTop() const;
    QRect ScreenRect() const;
    int frameWidth() const { return frameWidth_; }
    int nonClientHeight() const { return nonClientHeight_; }

    // Magnification and fitting.
    void mnuZoomClick();
    void btnZoomUpClick();
    void btnZoomDnClick();
    void mnuFitWinToClick(int divisor);
    void mnuFitWindowClick();
    void mnuOptimizeWindowClick();
    // "&Adjust window" on a clip; from "Zoom +" it never shrinks the window.
    void MediaOptimizeWindow(bool fromZoomUp);
    // A typed magnification, rounded and clamped as the zoom dialog does it.
    void ZoomTo(int value);
    void ApplyZoom();
    void AutoZoom();
    void PictureChanged(); // the common tail of every edit
    // 4-bit pictures off 100 % paint once the hand drag ends.
    bool deferScrollPaint() const { return deferScrollPaint_; }

    // Resizes: the window's own resize events, and the layout after them.
    void WindowResized();
    void FormResize();

  private:
    int GetWinMin() const;
    void ApplyZoom(int percent);
    void PlacePicture(int w, int h);
    void AfterResize();

    WindowContext& ctx_;
    bool windowSizing_ = false;
    bool resizePending_ = false;
    bool deferScrollPaint_ = false;
    int frameWidth_ = 0;
    int nonClientHeight_ = 0;
    QPoint frameOffset_; // the client area's corner within the frame
    int scrollThumbSize_ = 17;
};

} // namespace gui
