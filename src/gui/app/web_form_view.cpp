// View geometry of the main window: the window sized to the picture, its
// place on the screen, the fitted picture and the scroll box.
#include "gui/app/web_form.h"

#include "core/view/geometry.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace gui {

namespace {
core::ViewRect ToView(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
} // namespace

QRect TWebForm::ScreenRect() const {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

int TWebForm::PanelsHeight() const {
    int h = 0;
    if (menuBar()->isVisible()) h += menuBar()->sizeHint().height();
    if (settings_.ShowToolbar) h += panelTool_->sizeHint().height() + panelHistory_->height();
    if (settings_.ShowStatusbar) h += statusBar()->sizeHint().height();
    return h;
}

int TWebForm::PictureAreaHeight() const { return scrollBox_->height(); }

int TWebForm::GetWinMin() const {
    if (!settings_.ShowToolbar) return 360;
    int w = 16;
    for (QToolButton* b : toolbar1_->findChildren<QToolButton*>())
        if (b->objectName().startsWith("btn")) w += std::max(24, b->sizeHint().width());
    return w;
}

void TWebForm::PlaceWindow(int w, int h) {
    if (isMinimized() || isMaximized() || isFullScreen()) return;
    const QRect frame = frameGeometry();
    const core::ViewRect r =
        core::PlaceWindowRect(ToView(ScreenRect()), frame.left(), frame.top(), w, h,
                              settings_.AutoSizeWindow != 0, settings_.AutoCenterWindow != 0);
    resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
    move(r.left, r.top);
}

void TWebForm::RestoreWindowRect() {
    const QRect frame = frameGeometry();
    const core::ViewRect r = core::RestoredWindowRect(
        ToView(ScreenRect()), settings_.SavedWindowRect, frame.left(), frame.top(),
        settings_.AutoSizeWindow != 0, settings_.AutoCenterWindow != 0);
    resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
    move(r.left, r.top);
}

void TWebForm::SizeWindowToPicture() {
    if (isFullScreen()) return;
    windowSizing_ = true;
    int minWidth = 0;
    if (!settings_.FitToWindow && menus_.IsEnabled("mnuFitWinTo")) minWidth = GetWinMin();
    if (settings_.FitToWindow && settings_.ShowMenus) minWidth = 360;
    // Without a tool bar the menu bar still wants its width.
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
    if (scrollBox_->horizontalScrollBar()->value() != 0) scrollBox_->horizontalScrollBar()->setValue(0);
    if (scrollBox_->verticalScrollBar()->value() != 0) scrollBox_->verticalScrollBar()->setValue(0);
}

void TWebForm::UpdateScrollRanges() {
    // The scroll area takes its ranges from the control's size.
    scrollBox_->widget()->updateGeometry();
}

void TWebForm::EnsureStretch() {
    if (dur95_->Stretch()) return;
    dur95_->SetStretch(true);
    ResetSkyScrollPos();
    dur95_->resize(doc_.PictureWidth, doc_.PictureHeight);
    UpdateScrollRanges();
}

void TWebForm::LayoutScrollBox() {
    const bool fit = settings_.FitToWindow != 0;
    if (fit) {
        scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollBox_->setAlignment(Qt::AlignCenter);
        dur95_->unsetCursor();
        handScrollable_ = false;
        return;
    }
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    handScrollable_ = dur95_->width() > scrollBox_->width() || dur95_->height() > scrollBox_->height();
    if (handScrollable_)
        dur95_->setCursor(Qt::OpenHandCursor);
    else
        dur95_->unsetCursor();
}

void TWebForm::ResizeImage() {
    const core::ViewSize s = core::ScaleToFit(doc_.PictureWidth, doc_.PictureHeight,
                                              scrollBox_->width(), scrollBox_->height());
    if (s.width > 0 && s.height > 0) dur95_->resize(s.width, s.height);
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

void TWebForm::RefreshPicture() { dur95_->RefreshPicture(); }

void TWebForm::ShowZoomState() {
    const bool fit = settings_.FitToWindow != 0;
    toolButton("btnZoomUp")->setEnabled(!fit);
    toolButton("btnZoomDn")->setEnabled(!fit);
    menus_.SetEnabled("mnuZoom", !fit);
    panels_->SetText(1, fit ? QString("Fit") : QString("%1%").arg(zoomPercent_));
    menus_.SetChecked("mnuFitWindow", fit);
    toolButton("btnFitWindow")->setChecked(fit);
}

void TWebForm::ApplyZoom(int percent) {
    if (!picturePresent_ || settings_.FitToWindow) return;
    EnsureStretch();
    zoomPercent_ = std::clamp(percent, 25, 800);
    ResetSkyScrollPos();
    dur95_->resize(core::MagnifiedLength(doc_.PictureWidth, zoomPercent_),
                   core::MagnifiedLength(doc_.PictureHeight, zoomPercent_));
    UpdateScrollRanges();
    LayoutScrollBox();
    panels_->SetText(1, QString("%1%").arg(zoomPercent_));
}

void TWebForm::mnuFitWindowClick() {
    EnsureStretch();
    settings_.FitToWindow = settings_.FitToWindow ? 0 : 1;
    ShowZoomState();
    if (!settings_.FitToWindow) {
        zoomPercent_ = 100;
        dur95_->resize(doc_.PictureWidth, doc_.PictureHeight);
    }
    FormResize();
}

void TWebForm::mnuOptimizeWindowClick() {
    EnsureStretch();
    if (isMinimized()) return;
    if (isMaximized()) showNormal();
    const QRect screenRect = ScreenRect();
    int w = std::min(dur95_->width() + frameWidth_, screenRect.width());
    const int h = std::min(nonClientHeight_ + dur95_->height() + PanelsHeight(), screenRect.height());
    ResetSkyScrollPos();
    if (!settings_.FitToWindow && menus_.IsEnabled("mnuFitWinTo")) w = std::max(w, GetWinMin());
    if (settings_.FitToWindow && settings_.ShowMenus) w = std::max(w, 360);
    windowSizing_ = true;
    if (settings_.FitToWindow) {
        resize(std::max(1, w - frameWidth_), std::max(1, h - nonClientHeight_));
    } else {
        const core::ViewRect r = core::PlaceWindowRect(ToView(screenRect), frameGeometry().left(),
                                                       frameGeometry().top(), w, h, true, true);
        resize(std::max(1, r.width - frameWidth_), std::max(1, r.height - nonClientHeight_));
        move(r.left, r.top);
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
    if (!picturePresent_ || decoding_) return;
    LayoutScrollBox();
    dur95_->SetPaintLock(false);
    if (settings_.FitToWindow)
        ResizeImage();
    else
        UpdateScrollRanges();
    dur95_->update();
}

} // namespace gui
