// The mouse on the picture: the hand tool drags a picture larger than the
// view, the selection tool draws the selection mask; releases also carry the
// slideshow's skip and stop signals.
#include "gui/app/web_form.h"

#include "gui/view/tpix.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace gui {

namespace {
QRect ToQRect(const core::SelRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}
} // namespace

void TWebForm::mnuHandClick() {
    if (!selectMode_ && menus_.action("mnuHand")->isChecked()) return;
    menus_.SetChecked("mnuHand", true);
    menus_.SetChecked("mnuSelect", false);
    toolButton("btnHand")->setChecked(true);
    toolButton("btnSelect")->setChecked(false);
    dur95_->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
    selectionDrawn_ = false;
    selectMode_ = false;
    dur95_->unsetCursor();
    menus_.SetEnabled("mnuTrim", false);
    menus_.SetEnabled("mnuCopyMask", false);
    LayoutScrollBox(); // the hand cursor again when the picture is larger than the view
}

void TWebForm::mnuSelectClick() {
    EnsureStretch();
    if (selectMode_) return;
    menus_.SetChecked("mnuSelect", true);
    menus_.SetChecked("mnuHand", false);
    toolButton("btnSelect")->setChecked(true);
    toolButton("btnHand")->setChecked(false);
    selectMode_ = true;
    selectionView_ = core::SelRect{};
    handScrollable_ = false;
    selectionDrawn_ = false;
    dur95_->setCursor(Qt::CrossCursor);
}

void TWebForm::SetSelection(const core::SelRect& picture) {
    mnuSelectClick();
    selectionRect_ = picture;
    savedSelection_ = picture;
    const core::Bitmap& b = dur95_->Bitmap();
    selectionView_ =
        core::DisplaySelection(picture, settings_.FitToWindow != 0, zoomPercent_, b.width(),
                               b.height(), dur95_->width(), dur95_->height());
    dur95_->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Framed);
    selectionDrawn_ = true;
    menus_.SetEnabled("mnuTrim", true);
    menus_.SetEnabled("mnuCopyMask", true);
}

void TWebForm::Dur95MouseDown(QMouseEvent* event) {
    EnsureStretch();
    if (selectMode_) {
        if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton ||
            (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return;
        handScrollable_ = false;
        dur95_->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
        selectionDrawn_ = false;
        selectionView_ = core::SelRect{};
    }
    const int step = core::SnapStep(doc_.PictureBits, zoomPercent_, true);
    const QPoint p = event->position().toPoint();
    dragAnchor_ = QPoint(core::SnapDown(p.x(), step), core::SnapDown(p.y(), step));
}

void TWebForm::Dur95MouseMove(QMouseEvent* event) {
    if (event->buttons() != Qt::LeftButton || !(handScrollable_ || selectMode_)) return;
    handScrollable_ = false;
    QPoint p = event->position().toPoint();
    if (!selectMode_ && (p.x() < 0 || p.y() < 0)) {
        handScrollable_ = true;
        return;
    }
    const int step = core::SnapStep(doc_.PictureBits, zoomPercent_, false);
    const int x = std::max(0, core::SnapDown(p.x(), step));
    const int y = std::max(0, core::SnapDown(p.y(), step));

    if (selectMode_) {
        selectionView_ = core::SpanRect(dragAnchor_.x(), dragAnchor_.y(), x, y);
        dur95_->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Dragging);
        selectionDrawn_ = true;
        return;
    }

    if (deferScrollPaint_) dur95_->SetPaintLock(true);
    QScrollBar* hb = scrollBox_->horizontalScrollBar();
    QScrollBar* vb = scrollBox_->verticalScrollBar();
    const core::HandStep h = core::HandDrag(hb->value(), x, dragAnchor_.x());
    const core::HandStep v = core::HandDrag(vb->value(), y, dragAnchor_.y());
    dragAnchor_ = QPoint(h.anchor, v.anchor);
    if (v.position != vb->value()) vb->setValue(v.position);
    if (h.position != hb->value()) hb->setValue(h.position);
    if (deferScrollPaint_) dur95_->SetPaintLock(false);
    handScrollable_ = true;
}

void TWebForm::SlideSignals(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        skipRequested_ = true;
    else
        stopRequested_ = true;
}

void TWebForm::Dur95MouseUp(QMouseEvent* event) {
    scrollBox_->setFocus();
    SlideSignals(event->button());
    if (event->button() == Qt::RightButton) return;
    if (!selectMode_) {
        if (deferScrollPaint_) dur95_->RefreshPicture();
        return;
    }
    if (core::SelectionKept(selectionView_)) {
        if (!selectionDrawn_) return;
        menus_.SetEnabled("mnuTrim", true);
        menus_.SetEnabled("mnuCopyMask", true);
        // The area returns to normal; the frame stays.
        dur95_->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Framed);
        const core::Bitmap& b = dur95_->Bitmap();
        selectionRect_ =
            core::AdjustSelection(selectionView_, settings_.FitToWindow != 0, zoomPercent_,
                                  b.width(), b.height(), dur95_->width(), dur95_->height());
        savedSelection_ = selectionRect_;
    } else {
        dur95_->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
        selectionDrawn_ = false;
    }
}

void TWebForm::mouseReleaseEvent(QMouseEvent* event) {
    SlideSignals(event->button());
    QMainWindow::mouseReleaseEvent(event);
}

} // namespace gui
