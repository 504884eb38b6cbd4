// Magnification, fitting, the hand tool and selection, full screen and the
// layouts, driven through the main window on the offscreen platform.
#include "gui/app/status_panels.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/dialogs/value_dialog.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

using guitest::StartWindow;

namespace {

class ViewWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    std::unique_ptr<gui::TWebForm> Open(int w, int h) {
        const QString path =
            guitest::WritePicture(dir, QString("p%1x%2.bmp").arg(w).arg(h), guitest::Ramp(w, h));
        auto form = StartWindow({path}, false);
        EXPECT_TRUE(form->picturePresent());
        return form;
    }
    QTemporaryDir dir;
};

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
    Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace

TEST_F(ViewWindowTest, ZoomStepsLimitsAndTheDialog) {
    auto form = Open(40, 30);
    EXPECT_EQ(form->statusPanels()->text(1), "100%");
    form->view().btnZoomUpClick();
    EXPECT_EQ(form->zoomPercent(), 125);
    EXPECT_EQ(form->pix()->size(), QSize(50, 38)); // 37.5 to the even neighbour
    EXPECT_EQ(form->statusPanels()->text(1), "125%");
    form->view().ZoomTo(800);
    form->view().btnZoomUpClick();
    EXPECT_EQ(form->zoomPercent(), 800);
    form->view().ZoomTo(25);
    form->view().btnZoomDnClick();
    EXPECT_EQ(form->zoomPercent(), 25);
    // The dialog returning 130 gives 125 %; Cancel changes nothing.
    gui::SetValueDialogRunner([](gui::TXScrlDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Set Magnification (%)");
        EXPECT_EQ(d.CustomSetting()->text(), "25");
        d.CustomSetting()->setText("130");
        d.btnOK()->click();
    });
    guitest::Script(*form).pushValue(guitest::RealValueDialog());
    guitest::Script(*form).pushValue(guitest::RealValueDialog());
    form->menus().action("mnuZoom")->trigger();
    EXPECT_EQ(form->zoomPercent(), 125);
    gui::SetValueDialogRunner([](gui::TXScrlDlg& d) { d.btnCancel()->click(); });
    form->view().mnuZoomClick();
    EXPECT_EQ(form->zoomPercent(), 125);
    gui::SetValueDialogRunner({});
}

TEST_F(ViewWindowTest, TinyPicturesAtQuarterSize) {
    auto form = Open(3, 3);
    form->view().ZoomTo(25);
    EXPECT_EQ(form->pix()->size(), QSize(1, 1));
    auto two = Open(2, 2);
    two->view().ZoomTo(25);
    EXPECT_EQ(two->pix()->size(), QSize(0, 0));
    two->view().btnZoomUpClick(); // the empty scroll range divides nothing by zero
    EXPECT_EQ(two->pix()->size(), QSize(1, 1));
    EXPECT_EQ(two->scrollBox()->horizontalScrollBar()->value(), 0);
}

TEST_F(ViewWindowTest, ZoomKeepsTheRelativePlaceOnWholePixels) {
    auto form = Open(600, 400);
    form->view().ZoomTo(300);
    QScrollBar* hb = form->scrollBox()->horizontalScrollBar();
    QScrollBar* vb = form->scrollBox()->verticalScrollBar();
    ASSERT_GT(hb->maximum(), 0);
    hb->setValue(900); // half of 1800
    vb->setValue(601);
    form->view().ZoomTo(400);
    EXPECT_EQ(form->zoomPercent(), 400);
    EXPECT_EQ(hb->value() % 4, 0);
    EXPECT_EQ(vb->value() % 4, 0);
    EXPECT_NEAR(hb->value(), 1200, 8); // 50 % of 2400
    EXPECT_NEAR(vb->value(), 800, 12);
}

TEST_F(ViewWindowTest, FitModeStateAndKeys) {
    auto form = Open(1600, 1000);
    form->view().mnuFitWindowClick();
    Settle();
    EXPECT_EQ(form->statusPanels()->text(1), "Fit");
    EXPECT_FALSE(form->toolButton("btnZoomUp")->isEnabled());
    EXPECT_FALSE(form->menus().IsEnabled("mnuZoom"));
    EXPECT_TRUE(form->toolButton("btnFitWindow")->isChecked());
    EXPECT_TRUE(form->menus().action("mnuFitWindow")->isChecked());
    const QSize fitted = form->pix()->size();
    EXPECT_NEAR(double(fitted.width()) / fitted.height(), 1.6, 0.01);
    // Keypad + in fit mode does nothing.
    QTest::keyClick(form.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(form->zoomPercent(), 100);
    EXPECT_EQ(form->pix()->size(), fitted);
    form->view().mnuFitWindowClick();
    EXPECT_EQ(form->statusPanels()->text(1), "100%");
    EXPECT_EQ(form->pix()->size(), QSize(1600, 1000));
    QTest::keyClick(form.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(form->zoomPercent(), 125);
}

TEST_F(ViewWindowTest, FitToHalfSizesTheWindowAndSwitchesFitOn) {
    auto form = Open(1000, 800);
    form->view().mnuFitWinToClick(2);
    Settle();
    EXPECT_TRUE(form->settings().FitToWindow);
    // The picture area is exactly half the picture.
    EXPECT_EQ(form->pix()->size(), QSize(500, 400));
    EXPECT_EQ(form->scrollBox()->size(), QSize(500, 400));
}

TEST_F(ViewWindowTest, AdjustWindowKeepsTheMinimumWidth) {
    auto form = Open(100, 80);
    form->layouts().mnuToolbarClick();
    form->view().mnuOptimizeWindowClick();
    Settle();
    EXPECT_GE(form->frameGeometry().width(), 360);
}

TEST_F(ViewWindowTest, SelectionSnapsAndConvertsToPicturePixels) {
    auto form = Open(100, 80);
    form->view().ZoomTo(300);
    form->mouse().mnuSelectClick();
    EXPECT_TRUE(form->mouse().selectMode());
    EXPECT_TRUE(form->toolButton("btnSelect")->isChecked());
    Drag(form->pix(), {10, 17}, {70, 80});
    // Anchored at (9, 15); the pointer snaps to (69, 78).
    EXPECT_EQ(form->mouse().SelectionView(), (core::SelRect{9, 15, 69, 78}));
    EXPECT_EQ(form->mouse().SelectionRect(), (core::SelRect{3, 5, 24, 27}));
    EXPECT_EQ(form->mouse().SavedSelection(), form->mouse().SelectionRect());
    EXPECT_TRUE(form->menus().RuleEnabled("mnuTrim"));
    EXPECT_TRUE(form->menus().RuleEnabled("mnuCopyMask"));
    EXPECT_EQ(form->pix()->selectionLook(), gui::TPix::SelectionLook::Framed);
    // Too narrow: discarded, the frame goes.
    Drag(form->pix(), {15, 15}, {17, 120});
    EXPECT_EQ(form->pix()->selectionLook(), gui::TPix::SelectionLook::None);
    // The hand tool takes the frame away and disables the selection commands.
    Drag(form->pix(), {30, 30}, {90, 90});
    form->mouse().mnuHandClick();
    EXPECT_FALSE(form->menus().RuleEnabled("mnuTrim"));
    EXPECT_EQ(form->pix()->selectionLook(), gui::TPix::SelectionLook::None);
}

TEST_F(ViewWindowTest, SelectionIsDrawnInvertedThenFramed) {
    auto form = Open(100, 80);
    form->mouse().mnuSelectClick();
    QWidget* pix = form->pix();
    Mouse(pix, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    Mouse(pix, QEvent::MouseMove, {50, 40}, Qt::NoButton, Qt::LeftButton);
    const QRgb before = form->pix()->Bitmap().rgb(30, 25);
    QImage shot = pix->grab().toImage();
    const QRgb inverted = shot.pixel(30, 25);
    EXPECT_EQ(qRed(inverted), 255 - int((before >> 16) & 0xFF));
    Mouse(pix, QEvent::MouseButtonRelease, {50, 40}, Qt::LeftButton, Qt::NoButton);
    shot = pix->grab().toImage();
    EXPECT_EQ(qRed(shot.pixel(30, 25)), int((before >> 16) & 0xFF)); // inside back to normal
    // The dotted frame on the top edge is inverted.
    int framed = 0;
    for (int x = 10; x < 50; ++x)
        framed +=
            qRed(shot.pixel(x, 10)) == 255 - int((form->pix()->Bitmap().rgb(x, 10) >> 16) & 0xFF);
    EXPECT_GT(framed, 10);
    // A repaint keeps the frame.
    pix->repaint();
    EXPECT_EQ(form->pix()->selectionLook(), gui::TPix::SelectionLook::Framed);
}

TEST_F(ViewWindowTest, HandToolDragsAndStopsAtTheCorner) {
    auto form = Open(600, 500);
    form->view().ZoomTo(200);
    ASSERT_TRUE(form->mouse().handScrollable());
    QScrollBar* hb = form->scrollBox()->horizontalScrollBar();
    QScrollBar* vb = form->scrollBox()->verticalScrollBar();
    Drag(form->pix(), {100, 100}, {50, 60});
    EXPECT_EQ(hb->value(), 50);
    EXPECT_EQ(vb->value(), 40);
    // Dragging right beyond the left edge stops there.
    Drag(form->pix(), {200, 200}, {400, 220});
    EXPECT_EQ(hb->value(), 0);
    EXPECT_EQ(vb->value(), 20);
    // A right release asks a slideshow to skip, a left one to stop.
    form->mouse().ClearShowRequests();
    Mouse(form->pix(), QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton, Qt::NoButton);
    EXPECT_TRUE(form->mouse().SkipRequested());
    EXPECT_FALSE(form->mouse().StopRequested());
}

TEST_F(ViewWindowTest, FullScreenAndBackRestoresBarsAndPlace) {
    auto form = Open(200, 150);
    form->windowHandle()->setFramePosition(QPoint(-4, -2));
    Settle();
    ASSERT_EQ(form->frameGeometry().topLeft(), QPoint(-4, -2));
    form->layouts().mnuFullScrnClick();
    Settle();
    EXPECT_TRUE(form->layouts().fullScreen());
    EXPECT_FALSE(form->menuBar()->isVisible());
    EXPECT_FALSE(form->findChild<QFrame*>("PanelTool")->isVisible());
    EXPECT_FALSE(form->statusBar()->isVisible());
    EXPECT_EQ(form->menus().action("mnuFullscrn")->text(), "Normal window");
    EXPECT_TRUE(form->toolButton("btnFullScreen")->isChecked());
    EXPECT_FALSE(form->menus().IsEnabled("mnuStandard"));
    EXPECT_FALSE(form->menus().IsEnabled("mnuOptimizeWindow"));
    QTest::keyClick(form.get(), Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(form->layouts().fullScreen());
    EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(4, 2));
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_TRUE(form->findChild<QFrame*>("PanelTool")->isVisible());
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_EQ(form->menus().action("mnuFullscrn")->text(), "&Full screen");
    EXPECT_TRUE(form->menus().IsEnabled("mnuStandard"));

    // Without Max full screen the bars stay, only the status bar goes.
    form->settings().MaxFullScreen = 0;
    QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(form->layouts().fullScreen());
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_TRUE(form->findChild<QFrame*>("PanelTool")->isVisible());
    EXPECT_FALSE(form->statusBar()->isVisible());
    EXPECT_FALSE(form->menus().IsEnabled("mnuStatusbar"));
    form->status().MainMenuPopup(gui::PopupPlace::Picture);
    EXPECT_TRUE(form->menus().action("mnuToolbar")->isVisible());
    form->layouts().mnuFullScrnClick();
    Settle();
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_TRUE(form->menus().IsEnabled("mnuStatusbar"));
}

TEST_F(ViewWindowTest, MinimalThenStandard) {
    auto form = Open(200, 150);
    auto* panelTool = form->findChild<QFrame*>("PanelTool");
    auto* panelHistory = form->findChild<QFrame*>("PanelHistory");
    ASSERT_TRUE(form->settings().Win98Style);
    form->layouts().mnuMinimal1Click();
    Settle();
    EXPECT_FALSE(form->menuBar()->isVisible());
    EXPECT_FALSE(panelTool->isVisible());
    EXPECT_FALSE(panelHistory->isVisible());
    EXPECT_FALSE(form->statusBar()->isVisible());
    EXPECT_TRUE(form->settings().Win98Style); // unchanged
    EXPECT_TRUE(form->menus().action("mnuMinimal")->isChecked());
    // The picture area grew to the whole client.
    EXPECT_EQ(form->scrollBox()->y(), 0);
    form->layouts().mnuStandard1Click();
    Settle();
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_TRUE(panelTool->isVisible());
    EXPECT_TRUE(panelHistory->isVisible());
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_GE(form->scrollBox()->y(), panelTool->height() + panelHistory->height());
    const int boxWidth = form->historyBox()->width();
    // Compact: no menu bar, no Win98 style (captions gone, panel hidden).
    form->layouts().mnuCompact1Click();
    Settle();
    EXPECT_FALSE(form->menuBar()->isVisible());
    EXPECT_FALSE(form->settings().Win98Style);
    EXPECT_FALSE(panelHistory->isVisible());
    EXPECT_EQ(form->toolButton("btnZoomUp")->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // Shortcuts work with the menu bar hidden.
    QTest::keyClick(form.get(), Qt::Key_1, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_EQ(form->toolButton("btnZoomUp")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    // Back on its panel, the bookmark box has the whole width again, not the
    // width it had beside the tool bar's buttons.
    EXPECT_EQ(form->historyBox()->parentWidget(), panelHistory);
    EXPECT_EQ(form->historyBox()->width(), boxWidth);
    EXPECT_EQ(form->historyBox()->width(), panelHistory->contentsRect().width() - 56);
}
