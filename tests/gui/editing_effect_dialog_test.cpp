// The effect dialog: faces by mode, Apply only after Test, the test area,
// edit-box corrections, Reset, and the modal result.
#include "core/editing/color_lut.h"
#include "gui/editing/effect_dialog.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

using gui::EffectRequest;
using gui::TFXdlg;

namespace {

EffectRequest Request(int mode, int lo, int hi, int initial) {
    return EffectRequest{lo, hi, initial, 8, 1, mode};
}

} // namespace

TEST(EffectDialog, FacesFollowTheMode) {
    const core::Bitmap pic = guitest::Ramp(50, 40);
    TFXdlg rgb("Adjust Gamma (1/100)", "1 (dark)", "500 (bright)", Request(100, 1, 500, 100), pic);
    rgb.show();
    EXPECT_EQ(rgb.label(0)->text(), "Red  ");
    EXPECT_EQ(rgb.label(1)->text(), "Green");
    EXPECT_EQ(rgb.label(2)->text(), "Blue");
    EXPECT_TRUE(rgb.slider(2)->isVisible());
    EXPECT_TRUE(rgb.btnReset()->isVisible());
    EXPECT_FALSE(rgb.GroupJPG()->isVisible());
    EXPECT_EQ(rgb.windowTitle(), "Adjust Gamma (1/100)");

    TFXdlg one("Set Soften (Low Pass) effect to", "", "", Request(3, 1, 10, 7), pic);
    one.show();
    EXPECT_FALSE(one.slider(1)->isVisible());
    EXPECT_FALSE(one.btnReset()->isVisible());
    EXPECT_FALSE(one.GroupJPG()->isVisible());
    EXPECT_EQ(one.findChild<QLabel*>("LabelMin")->text(), "1"); // empty end texts show the numbers
    EXPECT_EQ(one.findChild<QLabel*>("LabelMax")->text(), "10");
    EXPECT_EQ(one.edit(0)->text(), "7");

    TFXdlg wizard("Compress", "", "", Request(999, 1, 100, 75), pic);
    wizard.show();
    EXPECT_TRUE(wizard.GroupJPG()->isVisible());
}

TEST(EffectDialog, ApplyOnlyAfterTestAndTestShowsTheWholeSmallPicture) {
    const core::Bitmap pic = guitest::Ramp(50, 40); // smaller than the preview box
    TFXdlg dlg("Set Outlier effect to", "1 (weak)", "255 (strong)", Request(1, 1, 255, 255), pic);
    dlg.show();
    EXPECT_FALSE(dlg.btnOK()->isEnabled());
    EXPECT_EQ(dlg.TestArea(), QRect(0, 0, 50, 40));
    dlg.btnTest()->click();
    EXPECT_TRUE(dlg.btnOK()->isEnabled());
    const core::Bitmap& after = dlg.AfterPix()->Bitmap();
    ASSERT_EQ(after.width(), 50);
    ASSERT_EQ(after.height(), 40);
    // The border of the test area is untouched by the outlier filter.
    EXPECT_EQ(after.rgb(0, 0), pic.rgb(0, 0));
    EXPECT_EQ(after.rgb(49, 39), pic.rgb(49, 39));
}

TEST(EffectDialog, TestAreaFollowsTheBeforePreviewsScrolling) {
    const core::Bitmap pic = guitest::Ramp(900, 700);
    TFXdlg dlg("x", "", "", Request(111, -127, 127, 0), pic);
    dlg.show();
    QCoreApplication::processEvents();
    dlg.ScrollBox1()->horizontalScrollBar()->setValue(100);
    dlg.ScrollBox1()->verticalScrollBar()->setValue(60);
    const QRect area = dlg.TestArea();
    EXPECT_EQ(area.topLeft(), QPoint(100, 60));
    EXPECT_EQ(area.size(), dlg.ScrollBox2()->viewport()->size());
    dlg.slider(0)->setValue(-127);
    dlg.btnTest()->click();
    EXPECT_EQ(dlg.channels().red, -127);
    EXPECT_EQ(dlg.channels().blue, -127);
    EXPECT_EQ(dlg.AfterPix()->Bitmap().rgb(5, 5), 0u); // brightness −127 is black
    // Unchecking "Show scroll bars" keeps the preview where it is.
    dlg.findChild<QCheckBox*>("chkScrollbars")->setChecked(false);
    EXPECT_EQ(dlg.TestArea().topLeft(), QPoint(100, 60));
}

TEST(EffectDialog, EditBoxCorrectionsAndReset) {
    const core::Bitmap pic = guitest::Ramp(20, 20);
    TFXdlg dlg("x", "", "", Request(110, -127, 127, 0), pic);
    dlg.show();
    dlg.edit(0)->setText("900");
    emit dlg.edit(0)->editingFinished();
    EXPECT_EQ(dlg.edit(0)->text(), "127");
    EXPECT_EQ(dlg.slider(0)->value(), 127);
    dlg.edit(1)->setText("-500");
    emit dlg.edit(1)->editingFinished();
    EXPECT_EQ(dlg.slider(1)->value(), -127);
    dlg.edit(2)->setText("abc");
    emit dlg.edit(2)->editingFinished();
    EXPECT_EQ(dlg.edit(2)->text(), "0"); // not a number: the slider's position
    dlg.slider(2)->setValue(40);
    EXPECT_EQ(dlg.edit(2)->text(), "40");
    dlg.btnTest()->click();
    EXPECT_EQ(dlg.channels().red, 127);
    EXPECT_EQ(dlg.channels().green, -127);
    EXPECT_EQ(dlg.channels().blue, 40);
    dlg.btnReset()->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dlg.slider(i)->value(), 0);
    EXPECT_EQ(dlg.channels().red, 0); // Reset runs Test
}

TEST(EffectDialog, ModalResultIsTheSliderOrMinus999) {
    const core::Bitmap pic = guitest::Ramp(20, 20);
    auto drive = [](bool apply) {
        QTimer::singleShot(0, [apply] {
            auto* dlg = qobject_cast<TFXdlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            dlg->slider(0)->setValue(6);
            dlg->btnOK()->click(); // disabled: nothing happens before a Test
            dlg->btnTest()->click();
            if (apply)
                dlg->btnOK()->click();
            else
                dlg->btnCancel()->click();
        });
    };
    drive(true);
    EXPECT_EQ(gui::ShowEffectDialog("x", "", "", Request(4, 1, 9, 4), pic), 6);
    drive(false);
    EXPECT_EQ(gui::ShowEffectDialog("x", "", "", Request(4, 1, 9, 4), pic), gui::kEffectCancelled);
}
