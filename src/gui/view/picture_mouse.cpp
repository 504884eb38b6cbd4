// The mouse on the picture: the hand tool drags a picture larger than the
// view, the selection tool draws the selection mask; releases also carry the
// slideshow's skip and stop signals.
#include "gui/view/picture_mouse.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/view/view_geometry.h"

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

void PictureMouse::mnuHandClick() {
    if (!selectMode_ && ctx_.menus.action("mnuHand")->isChecked()) return;
    ctx_.menus.SetChecked("mnuHand", true);
    ctx_.menus.SetChecked("mnuSelect", false);
    ctx_.toolButton("btnHand")->setChecked(true);
    ctx_.toolButton("btnSelect")->setChecked(false);
    ctx_.dur95->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
    selectionDrawn_ = false;
    selectMode_ = false;
    ctx_.dur95->unsetCursor();
    ctx_.menus.SetEnabled("mnuTrim", false);
    ctx_.menus.SetEnabled("mnuCopyMask", false);
    ctx_.view->LayoutScrollBox(); // the hand cursor again when the picture is larger than the view
}

void PictureMouse::UpdateHandCursor(bool scrollable) {
    handScrollable_ = scrollable && !selectMode_;
    if (selectMode_) return; // the selection cursor stays
    if (handScrollable_)
        ctx_.dur95->setCursor(Qt::OpenHandCursor);
    else
        ctx_.dur95->unsetCursor();
}

void PictureMouse::mnuSelectClick() {
    ctx_.view->EnsureStretch();
    if (selectMode_) return;
    ctx_.menus.SetChecked("mnuSelect", true);
    ctx_.menus.SetChecked("mnuHand", false);
    ctx_.toolButton("btnSelect")->setChecked(true);
    ctx_.toolButton("btnHand")->setChecked(false);
    selectMode_ = true;
    selectionView_ = core::SelRect{};
    handScrollable_ = false;
    selectionDrawn_ = false;
    ctx_.dur95->setCursor(Qt::CrossCursor);
}

void PictureMouse::SetSelection(const core::SelRect& picture) {
    mnuSelectClick();
    selectionRect_ = picture;
    savedSelection_ = picture;
    const core::Bitmap& b = ctx_.dur95->Bitmap();
    selectionView_ =
        core::DisplaySelection(picture, ctx_.settings.FitToWindow != 0, ctx_.zoomPercent, b.width(),
                               b.height(), ctx_.dur95->width(), ctx_.dur95->height());
    ctx_.dur95->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Framed);
    selectionDrawn_ = true;
    ctx_.menus.SetEnabled("mnuTrim", true);
    ctx_.menus.SetEnabled("mnuCopyMask", true);
}

void PictureMouse::Dur95MouseDown(QMouseEvent* event) {
    ctx_.view->EnsureStretch();
    if (selectMode_) {
        if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton ||
            (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return;
        handScrollable_ = false;
        ctx_.dur95->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
        selectionDrawn_ = false;
        selectionView_ = core::SelRect{};
    }
    const int step = core::SnapStep(ctx_.doc.PictureBits, ctx_.zoomPercent, true);
    const QPoint p = event->position().toPoint();
    dragAnchor_ = QPoint(core::SnapDown(p.x(), step), core::SnapDown(p.y(), step));
}

void PictureMouse::Dur95MouseMove(QMouseEvent* event) {
    if (event->buttons() != Qt::LeftButton || !(handScrollable_ || selectMode_)) return;
    handScrollable_ = false;
    QPoint p = event->position().toPoint();
    if (!selectMode_ && (p.x() < 0 || p.y() < 0)) {
        handScrollable_ = true;
        return;
    }
    const int step = core::SnapStep(ctx_.doc.PictureBits, ctx_.zoomPercent, false);
    const int x = std::max(0, core::SnapDown(p.x(), step));
    const int y = std::max(0, core::SnapDown(p.y(), step));

    if (selectMode_) {
        selectionView_ = core::SpanRect(dragAnchor_.x(), dragAnchor_.y(), x, y);
        ctx_.dur95->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Dragging);
        selectionDrawn_ = true;
        return;
    }

    if (ctx_.view->deferScrollPaint()) ctx_.dur95->SetPaintLock(true);
    QScrollBar* hb = ctx_.scrollBox->horizontalScrollBar();
    QScrollBar* vb = ctx_.scrollBox->verticalScrollBar();
    const core::HandStep h = core::HandDrag(hb->value(), x, dragAnchor_.x());
    const core::HandStep v = core::HandDrag(vb->value(), y, dragAnchor_.y());
    dragAnchor_ = QPoint(h.anchor, v.anchor);
    if (v.position != vb->value()) vb->setValue(v.position);
    if (h.position != hb->value()) hb->setValue(h.position);
    if (ctx_.view->deferScrollPaint()) ctx_.dur95->SetPaintLock(false);
    handScrollable_ = true;
}

void PictureMouse::SlideSignals(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        skipRequested_ = true;
    else
        stopRequested_ = true;
}

void PictureMouse::Dur95MouseUp(QMouseEvent* event) {
    ctx_.scrollBox->setFocus();
    SlideSignals(event->button());
    if (event->button() == Qt::RightButton) return;
    if (!selectMode_) {
        if (ctx_.view->deferScrollPaint()) ctx_.dur95->RefreshPicture();
        return;
    }
    if (core::SelectionKept(selectionView_)) {
        if (!selectionDrawn_) return;
        ctx_.menus.SetEnabled("mnuTrim", true);
        ctx_.menus.SetEnabled("mnuCopyMask", true);
        // The area returns to normal; the frame stays.
        ctx_.dur95->SetSelectionOverlay(ToQRect(selectionView_), TPix::SelectionLook::Framed);
        const core::Bitmap& b = ctx_.dur95->Bitmap();
        selectionRect_ =
            core::AdjustSelection(selectionView_, ctx_.settings.FitToWindow != 0, ctx_.zoomPercent,
                                  b.width(), b.height(), ctx_.dur95->width(), ctx_.dur95->height());
        savedSelection_ = selectionRect_;
    } else {
        ctx_.dur95->SetSelectionOverlay(QRect(), TPix::SelectionLook::None);
        selectionDrawn_ = false;
    }
}

} // namespace gui
