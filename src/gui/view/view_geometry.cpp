// View geometry of the main window: the window sized to the picture, its
// place on the screen, magnification and fitting, the scroll box, and what
// every resize does.
#include "gui/view/view_geometry.h"

#include "core/media/media_rules.h"
#include "gui/media/media_commands.h"
#include "gui/input/page_commands.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/input/open_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/window_layouts.h"

#include "core/view/geometry.h"
#include "core/view/zoom.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace gui {

namespace {
core::ViewRect ToView(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}
} // namespace

void ViewGeometry::MoveFrameTo(QPoint corner) {
    if (QWindow* w = ctx_.window.windowHandle())
        w->setFramePosition(corner);
    else
        ctx_.window.move(corner); // not shown yet: no frame
}

void ViewGeometry::SetFrameGeometry(const QRect& frame) {
    // One request for place and size: a window manager that gets the two
    // apart may keep its own place for the new size.
    // The frame's left and top as last measured on a normal window (one just
    // back from full screen has none yet).
    ctx_.window.setGeometry(frame.x() + frameOffset_.x(), frame.y() + frameOffset_.y(),
                            std::max(1, frame.width() - frameWidth_),
                            std::max(1, frame.height() - nonClientHeight_));
}

QRect ViewGeometry::ScreenRect() const {
    QScreen* s = ctx_.window.screen() ? ctx_.window.screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

int ViewGeometry::PanelsHeight() const {
    // The menu bar is part of the client area here, not of the frame.
    int h = 0;
    if (ctx_.window.menuBar()->isVisibleTo(&ctx_.window))
        h += ctx_.window.menuBar()->sizeHint().height();
    h += ScrollTop();
    if (ctx_.window.statusBar()->isVisibleTo(&ctx_.window))
        h += ctx_.window.statusBar()->sizeHint().height();
    return h;
}

int ViewGeometry::ScrollTop() const {
    int t = 0;
    if (ctx_.panelTool->isVisibleTo(&ctx_.window)) t += ctx_.panelTool->sizeHint().height();
    if (ctx_.panelHistory->isVisibleTo(&ctx_.window)) t += ctx_.panelHistory->height();
    return t;
}

int ViewGeometry::PictureAreaHeight() const {
    return std::max(0, ctx_.window.centralWidget()->height() - ScrollTop());
}

int ViewGeometry::GetWinMin() const {
    int buttons = 0;
    bool comboOnToolbar = false;
    const QList<QAction*> actions = ctx_.toolbar1->actions();
    // The first item, the one-pixel separator, is not counted.
    for (int i = 1; i < actions.size(); ++i) {
        QAction* a = actions[i];
        if (!a->isVisible()) continue;
        QWidget* w = ctx_.toolbar1->widgetForAction(a);
        if (w && w->objectName() == "History") {
            comboOnToolbar = true;
        } else if (a->isSeparator()) {
            buttons += ctx_.window.style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr,
                                                        ctx_.toolbar1);
        } else if (w) {
            buttons += std::max(24, w->sizeHint().width());
        }
    }
    return core::WinMinWidth(ctx_.settings.ShowToolbar != 0, buttons, comboOnToolbar);
}

QRect ViewGeometry::SavedWindowRect() const {
    const std::int32_t* r = ctx_.settings.SavedWindowRect;
    return QRect(QPoint(r[0], r[1]), QSize(r[2] - r[0], r[3] - r[1]));
}

void ViewGeometry::PlaceWindow(int w, int h) {
    if (ctx_.window.isMinimized() || ctx_.window.isMaximized() || ctx_.window.isFullScreen())
        return;
    MeasureFrame();
    const QRect frame = ctx_.window.frameGeometry();
    const core::ViewRect r = core::PlaceWindowRect(ToView(ScreenRect()), frame.left(), frame.top(),
                                                   w, h, ctx_.settings.AutoSizeWindow != 0,
                                                   ctx_.settings.AutoCenterWindow != 0);
    SetFrameGeometry(QRect(r.left, r.top, r.width, r.height));
}

void ViewGeometry::RestoreWindowRect() {
    MeasureFrame();
    // The screen the saved rectangle lies on; a monitor that is gone gives
    // the window's own screen, onto which the rectangle is then moved.
    QRect screenRect = ScreenRect();
    if (QScreen* s = QGuiApplication::screenAt(SavedWindowRect().center()))
        screenRect = s->availableGeometry();
    const QRect frame = ctx_.window.frameGeometry();
    const core::ViewRect r = core::RestoredWindowRect(
        ToView(screenRect), ctx_.settings.SavedWindowRect, frame.left(), frame.top(),
        ctx_.settings.AutoSizeWindow != 0, ctx_.settings.AutoCenterWindow != 0);
    SetFrameGeometry(QRect(r.left, r.top, r.width, r.height));
}

void ViewGeometry::SizeWindowToPicture() {
    if (ctx_.layouts->fullScreen()) return;
    MeasureFrame();
    windowSizing_ = true;
    int minWidth = 0;
    if (!ctx_.settings.FitToWindow && ctx_.menus.IsEnabled("mnuFitWinTo")) minWidth = GetWinMin();
    if (ctx_.settings.FitToWindow && ctx_.settings.ShowMenus) minWidth = 360;
    // The desktop's own smallest window: wide enough for the bars it shows
    // (the platform here does not enforce one).
    minWidth = std::max(minWidth, ctx_.settings.ShowToolbar ? GetWinMin() : 360);
    const core::ViewSize s = core::WindowSizeForPicture(
        ctx_.doc.PictureWidth, ctx_.doc.PictureHeight, frameWidth_, nonClientHeight_,
        PanelsHeight(), minWidth, ToView(ScreenRect()));
    ctx_.dur95->setGeometry(0, 0, ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
    PlaceWindow(s.width, s.height);
    // Let the layout settle before the scroll box is measured.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    ctx_.zoomPercent = 100;
    UpdateScrollRanges();
}

void ViewGeometry::ResetSkyScrollPos() {
    if (ctx_.scrollBox->horizontalScrollBar()->value() != 0)
        ctx_.scrollBox->horizontalScrollBar()->setValue(0);
    if (ctx_.scrollBox->verticalScrollBar()->value() != 0)
        ctx_.scrollBox->verticalScrollBar()->setValue(0);
}

void ViewGeometry::UpdateScrollRanges() {
    // The scroll area takes its ranges from the control's size.
    ctx_.scrollBox->widget()->updateGeometry();
}

void ViewGeometry::EnsureStretch() {
    if (ctx_.dur95->Stretch()) return;
    ctx_.dur95->SetStretch(true);
    QCoreApplication::processEvents();
    ResetSkyScrollPos();
    ctx_.dur95->setGeometry(0, 0, ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
    UpdateScrollRanges();
}

void ViewGeometry::LayoutScrollBox() {
    if (QLayout* l = ctx_.window.layout())
        l->activate(); // the central widget's size after bar changes
    if (ctx_.mediaMode) {
        // The player fills the whole picture area.
        ctx_.scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ctx_.scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ctx_.scrollBox->setGeometry(0, ScrollTop(), ctx_.window.centralWidget()->width(),
                                    PictureAreaHeight());
        return;
    }
    const bool fit = ctx_.settings.FitToWindow != 0;
    const int clientWidth = ctx_.window.centralWidget()->width();
    const core::ScrollBoxLayout l = core::LayoutScrollBoxBounds(
        ScrollTop(), PictureAreaHeight(), clientWidth, ctx_.dur95->width(), ctx_.dur95->height(),
        scrollThumbSize_, ctx_.zoomPercent, fit, false);
    // The scroll bars lie beyond the picture area (the hand tool scrolls), so
    // the box shown is the area without them.
    ctx_.scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ctx_.scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ctx_.scrollBox->setAlignment(fit ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop));
    ctx_.scrollBox->setGeometry(l.view.left, l.view.top, std::max(0, l.view.width),
                                std::max(0, l.view.height));
    ctx_.mouse->UpdateHandCursor(l.handScrollable);
}

void ViewGeometry::PlacePicture(int w, int h) {
    if (ctx_.settings.FitToWindow) {
        // Centred by the scroll box's alignment.
        w = std::min(w, ctx_.window.centralWidget()->width());
        h = std::min(h, PictureAreaHeight());
    }
    ctx_.dur95->setGeometry(0, 0, std::max(0, w), std::max(0, h));
}

void ViewGeometry::AutoZoom() {
    if (!ctx_.picturePresent) return;
    const int w = core::MagnifiedLength(ctx_.doc.PictureWidth, ctx_.zoomPercent);
    const int h = core::MagnifiedLength(ctx_.doc.PictureHeight, ctx_.zoomPercent);
    if (ctx_.settings.FitToWindow) {
        PlacePicture(w, h);
    } else {
        ctx_.dur95->setGeometry(0, 0, w, h);
        UpdateScrollRanges();
    }
}

void ViewGeometry::ResizeImage() {
    ctx_.scrollBox->setUpdatesEnabled(false);
    const int clientWidth = ctx_.window.centralWidget()->width(), area = PictureAreaHeight();
    core::ViewSize s =
        core::ScaleToFit(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight, clientWidth, area);
    // A slideshow never enlarges a small picture.
    if (ctx_.mouse->ShowRunning() && ctx_.doc.PictureWidth < clientWidth &&
        ctx_.doc.PictureHeight < ctx_.window.centralWidget()->height())
        s = {ctx_.doc.PictureWidth, ctx_.doc.PictureHeight};
    PlacePicture(s.width, s.height);
    ctx_.scrollBox->setUpdatesEnabled(true);
}

void ViewGeometry::ChangeView() {
    ctx_.dur95->SetPaintLock(true);
    ResetSkyScrollPos();
    if (ctx_.settings.FitToWindow) {
        LayoutScrollBox();
        ResizeImage();
    } else {
        SizeWindowToPicture();
        LayoutScrollBox();
    }
    RefreshPicture();
}

void ViewGeometry::RefreshPicture() {
    ctx_.dur95->RefreshPicture();
}

void ViewGeometry::ShowZoomState() {
    const bool fit = ctx_.settings.FitToWindow != 0;
    const bool picture = ctx_.menus.IsEnabled("mnuFitWindow");
    ctx_.toolButton("btnZoomUp")->setEnabled(!fit && picture);
    ctx_.toolButton("btnZoomDn")->setEnabled(!fit && picture);
    ctx_.menus.SetEnabled("mnuZoom", !fit && picture);
    ctx_.panels->SetText(1, fit ? QString("Fit") : QString("%1%").arg(ctx_.zoomPercent));
    ctx_.menus.SetChecked("mnuFitWindow", fit);
    ctx_.toolButton("btnFitWindow")->setChecked(fit);
}

void ViewGeometry::ApplyZoom(int percent) {
    ctx_.zoomPercent = std::clamp(percent, core::kZoomMin, core::kZoomMax);
    ApplyZoom();
}

void ViewGeometry::ApplyZoom() {
    EnsureStretch();
    ctx_.mouse->mnuHandClick();
    // Nothing is painted half way; one repaint at the end.
    ctx_.scrollBox->setUpdatesEnabled(false);
    QScrollBar* hb = ctx_.scrollBox->horizontalScrollBar();
    QScrollBar* vb = ctx_.scrollBox->verticalScrollBar();
    const core::ScrollAxis h{hb->value(), ctx_.dur95->width(), ctx_.scrollBox->viewport()->width()};
    const core::ScrollAxis v{vb->value(), ctx_.dur95->height(),
                             ctx_.scrollBox->viewport()->height()};
    ResetSkyScrollPos();
    AutoZoom();
    LayoutScrollBox();
    hb->setValue(core::ZoomedScrollPosition(h, ctx_.dur95->width(),
                                            ctx_.scrollBox->viewport()->width(), ctx_.zoomPercent));
    vb->setValue(core::ZoomedScrollPosition(
        v, ctx_.dur95->height(), ctx_.scrollBox->viewport()->height(), ctx_.zoomPercent));
    ctx_.scrollBox->setUpdatesEnabled(true);
    if (!ctx_.settings.FitToWindow) ctx_.panels->SetText(1, QString("%1%").arg(ctx_.zoomPercent));
    deferScrollPaint_ = ctx_.doc.PictureBits == 4 && ctx_.zoomPercent != 100;
}

void ViewGeometry::btnZoomUpClick() {
    if (ctx_.mediaMode && ctx_.media) {
        if (!ctx_.settings.FitToWindow) ctx_.media->ZoomUp();
        return;
    }
    if (ctx_.settings.FitToWindow || !ctx_.picturePresent) return;
    if (ctx_.zoomPercent < core::kZoomMax) ApplyZoom(core::ZoomUp(ctx_.zoomPercent));
}

void ViewGeometry::btnZoomDnClick() {
    if (ctx_.mediaMode && ctx_.media) {
        if (!ctx_.settings.FitToWindow) ctx_.media->ZoomDown();
        return;
    }
    if (ctx_.settings.FitToWindow || !ctx_.picturePresent) return;
    if (ctx_.zoomPercent > core::kZoomMin) ApplyZoom(core::ZoomDown(ctx_.zoomPercent));
}

void ViewGeometry::ZoomTo(int value) {
    if (ctx_.settings.FitToWindow || !ctx_.picturePresent) return;
    ApplyZoom(core::ZoomFromValue(value));
}

void ViewGeometry::mnuZoomClick() {
    if (!ctx_.menus.IsEnabled("mnuZoom") || !ctx_.picturePresent) return;
    const int v = ctx_.prompter.Value(
        {"Set Magnification (%)", "", "", core::ZoomValueRequest(ctx_.zoomPercent)});
    if (v == core::kValueCancelled) return;
    ApplyZoom(core::ZoomFromValue(v));
}

void ViewGeometry::PictureChanged() {
    // The editor changed the bitmap in place: new cached copies, new sizes.
    ctx_.dur95->PictureChanged();
    ctx_.doc.PictureWidth = ctx_.dur95->Bitmap().width();
    ctx_.doc.PictureHeight = ctx_.dur95->Bitmap().height();
    if (ctx_.settings.FitToWindow) {
        ChangeView();
    } else {
        ctx_.zoomPercent = 100;
        ApplyZoom();
        ctx_.panels->SetText(1, "100%");
        RefreshPicture();
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // Page changes end with an edit.
    ctx_.pages->MultiPageDisable();
    ctx_.status->StatusReady();
    ctx_.pictureChanged = true;
}

void ViewGeometry::mnuFitWindowClick() {
    if (ctx_.mediaMode && ctx_.media) {
        ctx_.settings.FitToWindow = ctx_.settings.FitToWindow ? 0 : 1;
        ShowZoomState();
        ctx_.media->FitChanged();
        return;
    }
    ctx_.mouse->mnuHandClick();
    EnsureStretch();
    ctx_.settings.FitToWindow = ctx_.settings.FitToWindow ? 0 : 1;
    if (!ctx_.settings.FitToWindow) {
        ctx_.zoomPercent = 100;
        AutoZoom();
    }
    ShowZoomState();
    FormResize();
}

void ViewGeometry::mnuFitWinToClick(int divisor) {
    ctx_.mouse->mnuHandClick();
    EnsureStretch();
    if (ctx_.window.isMinimized() || ctx_.window.isMaximized() || ctx_.layouts->fullScreen() ||
        !ctx_.picturePresent)
        return;
    const bool fit = ctx_.settings.FitToWindow != 0;
    MeasureFrame();
    if (!fit) windowSizing_ = true;
    const core::FitToSize s =
        core::FitWindowTo(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight, divisor, frameWidth_,
                          nonClientHeight_, PanelsHeight(), ToView(ScreenRect()));
    if (!s.ok) {
        windowSizing_ = false;
        return;
    }
    SetFrameGeometry(QRect(ctx_.window.frameGeometry().topLeft(), QSize(s.width, s.height)));
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    if (!fit) mnuFitWindowClick(); // switches fit mode on and fits the picture
}

void ViewGeometry::mnuOptimizeWindowClick() {
    if (ctx_.mediaMode && ctx_.media) {
        MediaOptimizeWindow(false);
        return;
    }
    EnsureStretch();
    if (ctx_.window.isMinimized() || ctx_.layouts->fullScreen()) return;
    if (ctx_.window.isMaximized()) ctx_.window.showNormal();
    MeasureFrame();
    const QRect screenRect = ScreenRect();
    int w = std::min(ctx_.dur95->width() + frameWidth_, screenRect.width());
    const int h =
        std::min(nonClientHeight_ + ctx_.dur95->height() + PanelsHeight(), screenRect.height());
    ResetSkyScrollPos();
    if (!ctx_.settings.FitToWindow && ctx_.menus.IsEnabled("mnuFitWinTo"))
        w = std::max(w, GetWinMin());
    if (ctx_.settings.FitToWindow && ctx_.settings.ShowMenus) w = std::max(w, 360);
    windowSizing_ = true;
    if (ctx_.settings.FitToWindow) {
        SetFrameGeometry(QRect(ctx_.window.frameGeometry().topLeft(), QSize(w, h)));
    } else {
        // Centred on the screen whatever Auto Size and Auto Center say.
        const core::ViewRect r =
            core::PlaceWindowRect(ToView(screenRect), ctx_.window.frameGeometry().left(),
                                  ctx_.window.frameGeometry().top(), w, h, true, true);
        SetFrameGeometry(QRect(r.left, r.top, r.width, r.height));
    }
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    FormResize();
}

void ViewGeometry::MediaOptimizeWindow(bool fromZoomUp) {
    TMediaPlayer* player = ctx_.media ? ctx_.media->viewPlayer() : nullptr;
    if (!player || ctx_.window.isMinimized() || ctx_.layouts->fullScreen()) return;
    MeasureFrame();
    const QRect screenRect = ScreenRect();
    core::media::ClipWindow c;
    c.clipW = ctx_.media->clipWidth();
    c.clipH = ctx_.media->clipHeight();
    c.displaySize = player->DisplaySize();
    c.fit = ctx_.settings.FitToWindow != 0;
    c.clientWidth = ctx_.window.centralWidget()->width();
    c.playerHeight = player->height();
    c.partsHeight = ctx_.media->PartsHeight();
    c.frameWidth = frameWidth_;
    c.nonClientHeight = nonClientHeight_;
    c.panelsHeight = PanelsHeight();
    c.minWidth = GetWinMin() - 2 * 24;
    c.screenW = screenRect.width();
    c.screenH = screenRect.height();
    const core::media::WindowSize size = core::media::ClipWindowSize(c);
    const QRect frame = ctx_.window.frameGeometry();
    if (fromZoomUp && frame.width() >= size.width && frame.height() >= size.height) return;
    if (ctx_.window.isMaximized()) ctx_.window.showNormal();
    QCoreApplication::processEvents();
    windowSizing_ = true;
    const core::ViewRect r = core::PlaceWindowRect(ToView(screenRect), frame.left(), frame.top(),
                                                   size.width, size.height, true, !c.fit);
    SetFrameGeometry(QRect(r.left, r.top, r.width, r.height));
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    FormResize();
}

bool ViewGeometry::MeasureFrame() {
    scrollThumbSize_ = ctx_.window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // The window manager adds its frame some time after the window is shown,
    // and a full-screen or maximised window has none: a frame is measured
    // only on a normal window, and a window not framed yet keeps the last one.
    if (ctx_.window.isFullScreen() || ctx_.window.isMaximized() || ctx_.window.isMinimized())
        return false;
    const int w = ctx_.window.frameGeometry().width() - ctx_.window.width();
    const int h = ctx_.window.frameGeometry().height() - ctx_.window.height();
    if (w <= 0 && h <= 0) return false;
    frameOffset_ = ctx_.window.geometry().topLeft() - ctx_.window.frameGeometry().topLeft();
    if (w == frameWidth_ && h == nonClientHeight_) return false;
    frameWidth_ = std::max(0, w);
    nonClientHeight_ = std::max(0, h);
    return true;
}

void ViewGeometry::WindowMoved() {
    // A frame that arrived or changed may push the window's edges off the screen.
    if (MeasureFrame()) WindowResized();
}

void ViewGeometry::WindowResized() {
    if (windowSizing_ || resizePending_) return;
    resizePending_ = true;
    // After the layout has given the scroll box its new size.
    QTimer::singleShot(0, &ctx_.window, [this] { ctx_.Guard([this] { FormResize(); }); });
}

void ViewGeometry::FormResize() {
    resizePending_ = false;
    if (ctx_.mouse->ShowRunning() && ctx_.window.isMinimized()) {
        ctx_.window.showNormal();
        ctx_.mouse->RequestStop();
        return;
    }
    if (ctx_.mediaMode) {
        LayoutScrollBox();
        return;
    }
    // The first picture after start-up lays the view out itself.
    if (ctx_.input->firstLayout() || ctx_.input->busy()) return;
    ctx_.mouse->mnuHandClick();
    ctx_.dur95->SetPaintLock(true);
    if (!ctx_.window.isMinimized() && !ctx_.window.isMaximized() && !ctx_.layouts->fullScreen()) {
        // Keep the whole window, its frame included, on the screen: a window
        // taller or wider than the screen's area is made to fit it first.
        const QRect screenRect = ScreenRect();
        MeasureFrame();
        QRect f = ctx_.window.frameGeometry();
        if (f.height() > screenRect.height() || f.width() > screenRect.width()) {
            windowSizing_ = true;
            ctx_.window.resize(
                std::max(1, std::min(f.width(), screenRect.width()) - frameWidth_),
                std::max(1, std::min(f.height(), screenRect.height()) - nonClientHeight_));
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            windowSizing_ = false;
            f = ctx_.window.frameGeometry();
        }
        QPoint corner = f.topLeft();
        if (f.bottom() > screenRect.bottom())
            corner.setY(std::max(screenRect.top(), screenRect.bottom() + 1 - f.height()));
        if (f.right() > screenRect.right())
            corner.setX(std::max(screenRect.left(), screenRect.right() + 1 - f.width()));
        if (corner != f.topLeft()) MoveFrameTo(corner);
    }
    if (ctx_.window.isMinimized()) return; // the paint lock stays until the next layout
    if (ctx_.layouts->switching()) return;
    LayoutScrollBox();
    if (ctx_.picturePresent && !windowSizing_ && !ctx_.layouts->switching())
        AfterResize();
    else if (!ctx_.picturePresent)
        ctx_.dur95->SetPaintLock(false);
}

void ViewGeometry::AfterResize() {
    ctx_.dur95->SetPaintLock(false);
    if (ctx_.settings.FitToWindow)
        ResizeImage();
    else
        UpdateScrollRanges();
    LayoutScrollBox();
    ctx_.dur95->RefreshPicture();
}

} // namespace gui
