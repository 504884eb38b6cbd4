// The mouse on the picture: the hand tool drags a picture larger than the
// view, the selection tool draws the selection mask; releases also carry the
// slideshow's skip and stop signals.
#pragma once

#include "core/view/selection.h"

#include <QPoint>
#include <Qt>

class QMouseEvent;

namespace gui {

struct WindowContext;

class PictureMouse {
  public:
    explicit PictureMouse(WindowContext& ctx) : ctx_(ctx) {}

    void mnuHandClick();
    void mnuSelectClick();
    bool selectMode() const { return selectMode_; }
    bool handScrollable() const { return handScrollable_; }
    // After a layout: the hand cursor when the picture is larger than the view.
    void UpdateHandCursor(bool scrollable);
    void EndHandScroll() { handScrollable_ = false; }
    // The selection in picture pixels: left, top inclusive, right, bottom one
    // past the last pixel (width = right − left); bottom −1 = none.
    core::SelRect SelectionRect() const { return selectionRect_; }
    core::SelRect SavedSelection() const { return savedSelection_; }
    core::SelRect SelectionView() const { return selectionView_; }
    bool selectionDrawn() const { return selectionDrawn_; }
    // Sets the selection by numbers and shows it framed (the Mask command).
    void SetSelection(const core::SelRect& picture);

    void Dur95MouseDown(QMouseEvent* event);
    void Dur95MouseMove(QMouseEvent* event);
    void Dur95MouseUp(QMouseEvent* event);
    void SlideSignals(Qt::MouseButton button);

    // The slideshow's signals from the mouse and keys; the show reads and clears them.
    bool ShowRunning() const { return showRunning_; }
    void SetShowRunning(bool on) { showRunning_ = on; }
    bool SkipRequested() const { return skipRequested_; }
    bool StopRequested() const { return stopRequested_; }
    void RequestStop() { stopRequested_ = true; }
    void ClearShowRequests() { skipRequested_ = stopRequested_ = false; }

  private:
    WindowContext& ctx_;
    bool showRunning_ = false;
    bool skipRequested_ = false;
    bool stopRequested_ = false;
    bool selectMode_ = false;
    bool selectionDrawn_ = false;
    bool handScrollable_ = false;
    QPoint dragAnchor_;
    core::SelRect selectionView_;
    core::SelRect selectionRect_;
    core::SelRect savedSelection_;
};

} // namespace gui
