// The Image and Colors commands in the main window, and the resize dialog.
#include "gui/dialogs/value_dialog.h"
#include "gui/editing/resize_form.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using guitest::StartWindow;

namespace {

class TransformCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { gui::TResizeForm::s_beforeExec = nullptr; }

    std::unique_ptr<gui::TWebForm> Open(const core::Bitmap& picture, const char* name = "p.bmp") {
        auto form = StartWindow();
        guitest::OpenThroughDialog(*form, {guitest::WritePicture(dir, name, picture)});
        return form;
    }
    QTemporaryDir dir;
};

core::Bitmap Indexed(int w, int h, int bits) {
    core::Bitmap bm = core::Bitmap::Create(w, h, bits).value();
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < bm.stride(); ++i)
            bm.row(y)[i] = static_cast<std::uint8_t>(i * 37 + y * 11);
    return bm;
}

// Answers the resize dialog by typing into one of its boxes, then OK.
void AnswerResize(QLineEdit* gui::TResizeForm::*box, const QString& text) {
    gui::TResizeForm::s_beforeExec = [box, text](gui::TResizeForm& f) {
        (f.*box)->setText(text);
        emit(f.*box)->editingFinished();
        f.BtnOKClick();
    };
}

} // namespace

TEST_F(TransformCommandsTest, RotateAndFlip) {
    auto form = Open(guitest::Ramp(30, 20));
    const core::Bitmap before = form->pix()->Bitmap();
    // The value dialog itself, closed with OK at its initial value.
    guitest::Script(*form).pushValue(guitest::RealValueDialog());
    gui::SetValueDialogRunner([](gui::TXScrlDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Rotate image (1/100 deg.)");
        d.btnOK()->click();
    });
    form->transforms().mnuRotateClick();
    gui::SetValueDialogRunner({});
    EXPECT_EQ(form->transforms().lastLibraryAngle(), 27000);
    EXPECT_EQ(form->document().PictureWidth, 20);
    EXPECT_EQ(form->document().PictureHeight, 30);
    EXPECT_TRUE(form->pictureChanged());
    EXPECT_TRUE(form->editing().backupHeld());
    // Cancel leaves everything as it is.
    guitest::Script(*form).pushValue(-999);
    form->transforms().mnuRotateClick();
    EXPECT_EQ(form->document().PictureWidth, 20);

    auto flipped = Open(guitest::Ramp(30, 20));
    const std::uint32_t corner = flipped->pix()->Bitmap().rgb(0, 19);
    flipped->transforms().mnuMirrorVertClick(true);
    EXPECT_EQ(flipped->pix()->Bitmap().rgb(0, 0), corner);
    EXPECT_EQ(before.width(), 30);
}

TEST_F(TransformCommandsTest, ResizeAndResampleRules) {
    auto form = Open(guitest::OneBitLines(12, 10)); // small: shown at 1 bit, no fax reduction
    ASSERT_EQ(form->document().PictureBits, 1);
    AnswerResize(&gui::TResizeForm::EditX, "50");
    guitest::Script(*form).pushResize(guitest::RealResizeDialog());
    form->transforms().mnuResample1Click(); // 1 bit: resized, depth kept
    EXPECT_EQ(form->document().PictureWidth, 6);
    EXPECT_EQ(form->document().PictureHeight, 5);
    EXPECT_EQ(form->document().PictureBits, 1);

    auto eight = Open(Indexed(40, 30, 8));
    AnswerResize(&gui::TResizeForm::EditW, "15");
    guitest::Script(*eight).pushResize(guitest::RealResizeDialog());
    eight->transforms().mnuResample1Click(); // 15 pixels wide: nothing happens
    EXPECT_EQ(eight->document().PictureWidth, 40);
    EXPECT_FALSE(eight->editing().backupHeld());
    AnswerResize(&gui::TResizeForm::EditW, "80");
    guitest::Script(*eight).pushResize(guitest::RealResizeDialog());
    eight->transforms().mnuResample1Click();
    EXPECT_EQ(eight->document().PictureWidth, 80);
    EXPECT_EQ(eight->document().PictureHeight, 60);
    EXPECT_EQ(eight->document().PictureBits, 24);
}

TEST_F(TransformCommandsTest, DepthCommandsAndMenus) {
    auto tall = Open(Indexed(15, 400, 8));
    tall->transforms().mnuImage1Click();
    EXPECT_FALSE(tall->menus().IsVisible("mnuSmooth"));
    EXPECT_FALSE(tall->menus().IsVisible("mnuSharpen"));

    auto four = Open(Indexed(20, 20, 4));
    const core::Bitmap before = four->pix()->Bitmap();
    four->transforms().ImagePromote(24);
    EXPECT_EQ(four->document().PictureBits, 24);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(four->pix()->Bitmap().rgb(x, y), before.rgb(x, y));

    auto gray = Open(Indexed(20, 20, 4));
    gray->transforms().ImageReduce(0);
    EXPECT_EQ(gray->transforms().lastReduction().colors, 16);

    auto photo = Open(guitest::Ramp(32, 32));
    // Cancel in the method dialog (its track-bar face): no backup, same picture.
    guitest::Script(*photo).pushValue(guitest::RealValueDialog());
    gui::SetValueDialogRunner([](gui::TXScrlDlg& d) {
        EXPECT_NE(d.UserTrackBar(), nullptr);
        d.btnCancel()->click();
    });
    photo->transforms().ImageReduce(1);
    gui::SetValueDialogRunner({});
    EXPECT_FALSE(photo->editing().backupHeld());
    EXPECT_EQ(photo->document().PictureBits, 24);
    guitest::Script(*photo).pushValue([](const gui::ValueAsk& a) {
        EXPECT_EQ(a.caption, "Select Color reduction method");
        EXPECT_EQ(a.request.initial, 2);
        return 0;
    });
    photo->transforms().ImageReduce(1);
    EXPECT_EQ(photo->transforms().lastReduction().mode, 1);
    EXPECT_EQ(photo->document().PictureBits, 1);
    auto viaLib = Open(guitest::Ramp(32, 32));
    viaLib->transforms().ImageReduce(
        8); // OK at the method offered, 3: the codec library's reduction
    EXPECT_EQ(guitest::Script(*viaLib).lastValue().request.initial, 3);
    EXPECT_TRUE(viaLib->transforms().lastReduction().imageLib);
    EXPECT_EQ(viaLib->document().PictureBits, 8);
    EXPECT_TRUE(viaLib->pictureChanged());
}

TEST_F(TransformCommandsTest, ResizeDialogBoxes) {
    gui::TResizeForm form(core::ResizeRequest{0, 0, 640, 480, 24, 16384, 16384});
    gui::TResizeForm::s_quietWarnings = true;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Image Resize");
    EXPECT_FALSE(form.CopyOp->isEnabled());
    form.EditX->setText("50");
    emit form.EditX->editingFinished();
    EXPECT_EQ(form.EditW->text(), "320");
    EXPECT_EQ(form.EditH->text(), "240");
    form.EditW->setText("20000");
    emit form.EditW->editingFinished();
    EXPECT_EQ(form.EditW->text(), "16384");
    EXPECT_EQ(form.beeps(), 1);
    form.BtnResetClick();
    EXPECT_EQ(form.EditW->text(), "640");
    EXPECT_EQ(form.EditX->text(), "100");
    form.Spin(2, true); // one click up from 100 % reads 101.9 %
    EXPECT_EQ(form.EditW->text(), "652");

    gui::TResizeForm sel(core::ResizeRequest{600, 0, 20, 20, 0, 640, 480});
    sel.show();
    EXPECT_EQ(sel.windowTitle(), "Adjust Selection");
    sel.EditW->setText("100");
    emit sel.EditW->editingFinished();
    EXPECT_EQ(sel.EditW->text(), "40");
    sel.BtnOKClick();
    EXPECT_EQ(sel.result().width, 40);
    EXPECT_EQ(sel.result().x, 600);
}

// Driven by keys as a user would: type, Tab on, Alt+O.
TEST_F(TransformCommandsTest, ResizeDialogByKeys) {
    gui::TResizeForm form(core::ResizeRequest{0, 0, 200, 170, 24, 16384, 16384});
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.EditW->setFocus();
    form.EditW->selectAll();
    QTest::keyClicks(form.EditW, "100");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(form.EditH->text(), "85");
    EXPECT_EQ(form.EditX->text(), "50");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    for (int i = 0; i < 50 && form.isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result().width, 100);
    EXPECT_EQ(form.result().height, 85);
}
