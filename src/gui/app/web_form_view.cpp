// View geometry of the main window: the window sized to the picture, its
// place on the screen, magnification and fitting, the scroll box, and what
// every resize does.
#include "gui/app/web_form.h"

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

void TWebForm::MoveFrameTo(QPoint corner) {
    if (QWindow* w = windowHandle())
        w->setFramePosition(corner);
    else
        MoveFrameTo(corner);
}

QRect TWebForm::ScreenRect() const {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

int TWebForm::PanelsHeight() const {
    // The menu bar is part of the client area here, not of the frame.
    int h = 0;
    if (menuBar()->isVisibleTo(this)) h += menuBar()->sizeHint().height();
    h += ScrollTop();
    if (statusBar()->isVisibleTo(this)) h += statusBar()->sizeHint().height();
    return h;
}

int TWebForm::ScrollTop() const {
    int t = 0;
    if (panelTool_->isVisibleTo(this)) t += panelTool_->sizeHint().height();
    if (panelHistory_->isVisibleTo(this)) t += panelHistory_->height();
    return t;
}

int TWebForm::PictureAreaHeight() const {
    return std::max(0, centralWidget()->height() - ScrollTop());
}

int TWebForm::GetWinMin() const {
    int buttons = 0;
    bool comboOnToolbar = false;
    const QList<QAction*> actions = toolbar1_->actions();
    // The first item, the one-pixel separator, is not counted.
    for (int i = 1; i < actions.size(); ++i) {
        QAction* a = actions[i];
        if (!a->isVisible()) continue;
        QWidget* w = toolbar1_->widgetForAction(a);
        if (w && w->objectName() == "History") {
            comboOnToolbar = true;
        } else if (a->isSeparator()) {
            buttons += style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, toolbar1_);
        } else if (w) {
            buttons += std::max(24, w->sizeHint().width());
        }
    }
    return core::WinMinWidth(settings_.ShowToolbar != 0, buttons, comboOnToolbar);
}

QRect TWebForm::SavedWindowRect() const {
    const std::int32_t* r = settings_.SavedWindowRect;
    return QRect(QPoint(r[0], r[1]), QSize(r[2] - r[0], r[3] - r[1]));
}

void TWebForm::PlaceWindow(int w, int h) {
    if (isMinimized() || isMaximized() || isFullScreen()) return;
    const QRect frame = frameGeometry();
    const core::ViewRect r =
        core::PlaceWindowRect(ToView(ScreenRect()), frame.left(), frame.top(), w, h,
                              settings_.AutoSizeWindow != 0, settings_.AutoCenterWindow != 0);
    resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
    MoveFrameTo(QPoint(r.left, r.top));
}

void TWebForm::RestoreWindowRect() {
    // The screen the saved rectangle lies on; a monitor that is gone gives
    // the window's own screen, onto which the rectangle is then moved.
    QRect screenRect = ScreenRect();
    if (QScreen* s = QGuiApplication::screenAt(SavedWindowRect().center()))
        screenRect = s->availableGeometry();
    const QRect frame = frameGeometry();
    const core::ViewRect r = core::RestoredWindowRect(
        ToView(screenRect), settings_.SavedWindowRect, frame.left(), frame.top(),
        settings_.AutoSizeWindow != 0, settings_.AutoCenterWindow != 0);
    resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
    MoveFrameTo(QPoint(r.left, r.top));
}

void TWebForm::SizeWindowToPicture() {
    if (fullScreen_) return;
    windowSizing_ = true;
    int minWidth = 0;
    if (!settings_.FitToWindow && menus_.IsEnabled("mnuFitWinTo")) minWidth = GetWinMin();
    if (settings_.FitToWindow && settings_.ShowMenus) minWidth = 360;
    // The desktop's own smallest window: wide enough for the bars it shows
    // (the platform here does not enforce one).
    minWidth = std::max(minWidth, settings_.ShowToolbar ? GetWinMin() : 360);
    const core::ViewSize s = core::WindowSizeForPicture(
        doc_.PictureWidth, doc_.PictureHeight, frameWidth_, nonClientHeight_, PanelsHeight(),
        minWidth, ToView(ScreenRect()));
    dur95_->setGeometry(0, 0, doc_.PictureWidth, doc_.PictureHeight);
    PlaceWindow(s.width, s.height);
    // Let the layout settle before the scroll box is measured.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    zoomPercent_ = 100;
    UpdateScrollRanges();
}

void TWebForm::ResetSkyScrollPos() {
    if (scrollBox_->horizontalScrollBar()->value() != 0)
        scrollBox_->horizontalScrollBar()->setValue(0);
    if (scrollBox_->verticalScrollBar()->value() != 0) scrollBox_->verticalScrollBar()->setValue(0);
}

void TWebForm::UpdateScrollRanges() {
    // The scroll area takes its ranges from the control's size.
    scrollBox_->widget()->updateGeometry();
}

void TWebForm::EnsureStretch() {
    if (dur95_->Stretch()) return;
    dur95_->SetStretch(true);
    QCoreApplication::processEvents();
    ResetSkyScrollPos();
    dur95_->setGeometry(0, 0, doc_.PictureWidth, doc_.PictureHeight);
    UpdateScrollRanges();
}

void TWebForm::LayoutScrollBox() {
    if (QLayout* l = layout()) l->activate(); // the central widget's size after bar changes
    const bool fit = settings_.FitToWindow != 0;
    const int clientWidth = centralWidget()->width();
    const core::ScrollBoxLayout l =
        core::LayoutScrollBoxBounds(ScrollTop(), PictureAreaHeight(), clientWidth, dur95_->width(),
                                    dur95_->height(), scrollThumbSize_, zoomPercent_, fit, false);
    // The scroll bars lie beyond the picture area (the hand tool scrolls), so
    // the box shown is the area without them.
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setAlignment(fit ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop));
    scrollBox_->setGeometry(l.view.left, l.view.top, std::max(0, l.view.width),
                            std::max(0, l.view.height));
    handScrollable_ = l.handScrollable && !selectMode_;
    if (selectMode_) return; // the selection cursor stays
    if (handScrollable_)
        dur95_->setCursor(Qt::OpenHandCursor);
    else
        dur95_->unsetCursor();
}

void TWebForm::PlacePicture(int w, int h) {
    if (settings_.FitToWindow) {
        // Centred by the scroll box's alignment.
        w = std::min(w, centralWidget()->width());
        h = std::min(h, PictureAreaHeight());
    }
    dur95_->setGeometry(0, 0, std::max(0, w), std::max(0, h));
}

void TWebForm::AutoZoom() {
    if (!picturePresent_) return;
    const int w = core::MagnifiedLength(doc_.PictureWidth, zoomPercent_);
    const int h = core::MagnifiedLength(doc_.PictureHeight, zoomPercent_);
    if (settings_.FitToWindow) {
        PlacePicture(w, h);
    } else {
        dur95_->setGeometry(0, 0, w, h);
        UpdateScrollRanges();
    }
}

void TWebForm::ResizeImage() {
    scrollBox_->setUpdatesEnabled(false);
    const int clientWidth = centralWidget()->width(), area = PictureAreaHeight();
    core::ViewSize s = core::ScaleToFit(doc_.PictureWidth, doc_.PictureHeight, clientWidth, area);
    // A slideshow never enlarges a small picture.
    if (showRunning_ && doc_.PictureWidth < clientWidth &&
        doc_.PictureHeight < centralWidget()->height())
        s = {doc_.PictureWidth, doc_.PictureHeight};
    PlacePicture(s.width, s.height);
    scrollBox_->setUpdatesEnabled(true);
}

void TWebForm::ChangeView() {
    dur95_->SetPaintLock(true);
    ResetSkyScrollPos();
    if (settings_.FitToWindow) {
        LayoutScrollBox();
        ResizeImage();
    } else {
        SizeWindowToPicture();
        LayoutScrollBox();
    }
    RefreshPicture();
}

void TWebForm::RefreshPicture() {
    dur95_->RefreshPicture();
}

void TWebForm::ShowZoomState() {
    const bool fit = settings_.FitToWindow != 0;
    const bool picture = menus_.IsEnabled("mnuFitWindow");
    toolButton("btnZoomUp")->setEnabled(!fit && picture);
    toolButton("btnZoomDn")->setEnabled(!fit && picture);
    menus_.SetEnabled("mnuZoom", !fit && picture);
    panels_->SetText(1, fit ? QString("Fit") : QString("%1%").arg(zoomPercent_));
    menus_.SetChecked("mnuFitWindow", fit);
    toolButton("btnFitWindow")->setChecked(fit);
}

void TWebForm::ApplyZoom(int percent) {
    zoomPercent_ = std::clamp(percent, core::kZoomMin, core::kZoomMax);
    ApplyZoom();
}

void TWebForm::ApplyZoom() {
    EnsureStretch();
    mnuHandClick();
    // Nothing is painted half way; one repaint at the end.
    scrollBox_->setUpdatesEnabled(false);
    QScrollBar* hb = scrollBox_->horizontalScrollBar();
    QScrollBar* vb = scrollBox_->verticalScrollBar();
    const core::ScrollAxis h{hb->value(), dur95_->width(), scrollBox_->viewport()->width()};
    const core::ScrollAxis v{vb->value(), dur95_->height(), scrollBox_->viewport()->height()};
    ResetSkyScrollPos();
    AutoZoom();
    LayoutScrollBox();
    hb->setValue(core::ZoomedScrollPosition(h, dur95_->width(), scrollBox_->viewport()->width(),
                                            zoomPercent_));
    vb->setValue(core::ZoomedScrollPosition(v, dur95_->height(), scrollBox_->viewport()->height(),
                                            zoomPercent_));
    scrollBox_->setUpdatesEnabled(true);
    if (!settings_.FitToWindow) panels_->SetText(1, QString("%1%").arg(zoomPercent_));
    deferScrollPaint_ = doc_.PictureBits == 4 && zoomPercent_ != 100;
}

void TWebForm::btnZoomUpClick() {
    if (settings_.FitToWindow || !picturePresent_) return;
    if (zoomPercent_ < core::kZoomMax) ApplyZoom(core::ZoomUp(zoomPercent_));
}

void TWebForm::btnZoomDnClick() {
    if (settings_.FitToWindow || !picturePresent_) return;
    if (zoomPercent_ > core::kZoomMin) ApplyZoom(core::ZoomDown(zoomPercent_));
}

void TWebForm::ZoomTo(int value) {
    if (settings_.FitToWindow || !picturePresent_) return;
    ApplyZoom(core::ZoomFromValue(value));
}

void TWebForm::mnuZoomClick() {
    if (!menus_.IsEnabled("mnuZoom") || !picturePresent_) return;
    core::ValueRequest r;
    r.minimum = core::kZoomMin;
    r.maximum = core::kZoomMax;
    r.initial = zoomPercent_;
    r.pageStep = 100;
    r.arrowStep = 25;
    r.presets = {50, 75, 100, 200, 300, 400};
    r.showPresets = true;
    const int v = prompter_->Value({"Set Magnification (%)", "", "", r});
    if (v == core::kValueCancelled) return;
    ApplyZoom(core::ZoomFromValue(v));
}

void TWebForm::PictureChanged() {
    // The editor changed the bitmap in place: new cached copies, new sizes.
    dur95_->PictureChanged();
    doc_.PictureWidth = dur95_->Bitmap().width();
    doc_.PictureHeight = dur95_->Bitmap().height();
    if (settings_.FitToWindow) {
        ChangeView();
    } else {
        zoomPercent_ = 100;
        ApplyZoom();
        panels_->SetText(1, "100%");
        RefreshPicture();
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // Page changes end with an edit.
    menus_.SetVisible("mnuPage", false);
    toolButton("btnPage")->setEnabled(false);
    StatusReady();
    pictureChanged_ = true;
}

void TWebForm::mnuFitWindowClick() {
    mnuHandClick();
    EnsureStretch();
    settings_.FitToWindow = settings_.FitToWindow ? 0 : 1;
    if (!settings_.FitToWindow) {
        zoomPercent_ = 100;
        AutoZoom();
    }
    ShowZoomState();
    FormResize();
}

void TWebForm::mnuFitWinToClick(int divisor) {
    mnuHandClick();
    EnsureStretch();
    if (isMinimized() || isMaximized() || fullScreen_ || !picturePresent_) return;
    const bool fit = settings_.FitToWindow != 0;
    if (!fit) windowSizing_ = true;
    const core::FitToSize s =
        core::FitWindowTo(doc_.PictureWidth, doc_.PictureHeight, divisor, frameWidth_,
                          nonClientHeight_, PanelsHeight(), ToView(ScreenRect()));
    if (!s.ok) {
        windowSizing_ = false;
        return;
    }
    const QPoint corner = frameGeometry().topLeft();
    resize(std::max(1, s.width - frameWidth_), std::max(1, s.height - nonClientHeight_));
    MoveFrameTo(corner);
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    if (!fit) mnuFitWindowClick(); // switches fit mode on and fits the picture
}

void TWebForm::mnuOptimizeWindowClick() {
    EnsureStretch();
    if (isMinimized() || fullScreen_) return;
    if (isMaximized()) showNormal();
    const QRect screenRect = ScreenRect();
    int w = std::min(dur95_->width() + frameWidth_, screenRect.width());
    const int h =
        std::min(nonClientHeight_ + dur95_->height() + PanelsHeight(), screenRect.height());
    ResetSkyScrollPos();
    if (!settings_.FitToWindow && menus_.IsEnabled("mnuFitWinTo")) w = std::max(w, GetWinMin());
    if (settings_.FitToWindow && settings_.ShowMenus) w = std::max(w, 360);
    windowSizing_ = true;
    if (settings_.FitToWindow) {
        const QPoint corner = frameGeometry().topLeft();
        resize(std::max(1, w - frameWidth_), std::max(1, h - nonClientHeight_));
        MoveFrameTo(corner);
    } else {
        // Centred on the screen whatever Auto Size and Auto Center say.
        const core::ViewRect r = core::PlaceWindowRect(ToView(screenRect), frameGeometry().left(),
                                                       frameGeometry().top(), w, h, true, true);
        resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
        MoveFrameTo(QPoint(r.left, r.top));
    }
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    windowSizing_ = false;
    FormResize();
}

void TWebForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (windowSizing_ || resizePending_) return;
    resizePending_ = true;
    // After the layout has given the scroll box its new size.
    QTimer::singleShot(0, this, [this] { Guard([this] { FormResize(); }); });
}

void TWebForm::FormResize() {
    resizePending_ = false;
    if (showRunning_ && isMinimized()) {
        showNormal();
        stopRequested_ = true;
        return;
    }
    // The first picture after start-up lays the view out itself.
    if (firstLayout_ || decoding_) return;
    mnuHandClick();
    dur95_->SetPaintLock(true);
    if (!isMinimized() && !isMaximized() && !fullScreen_) {
        // Keep the window's bottom and right edges on the screen.
        const QRect screenRect = ScreenRect();
        QRect f = frameGeometry();
        QPoint corner = f.topLeft();
        if (f.bottom() > screenRect.bottom())
            corner.setY(std::max(screenRect.top(), screenRect.bottom() + 1 - f.height()));
        if (f.right() > screenRect.right())
            corner.setX(std::max(screenRect.left(), screenRect.right() + 1 - f.width()));
        if (corner != f.topLeft()) MoveFrameTo(corner);
    }
    if (isMinimized()) return; // the paint lock stays until the next layout
    if (fullScreenSwitching_) return;
    LayoutScrollBox();
    if (picturePresent_ && !windowSizing_ && !fullScreenSwitching_)
        AfterResize();
    else if (!picturePresent_)
        dur95_->SetPaintLock(false);
}

void TWebForm::AfterResize() {
    dur95_->SetPaintLock(false);
    if (settings_.FitToWindow)
        ResizeImage();
    else
        UpdateScrollRanges();
    LayoutScrollBox();
    dur95_->RefreshPicture();
}

} // namespace gui
