// The value dialog driven as a user would: typing, presets, Cancel, the
// track-bar face and the placement at the screen's corner.
#include "gui/dialogs/value_dialog.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace {

core::ValueRequest ZoomRequest() {
    return core::ZoomValueRequest(100);
}

// Runs ShowValueDialog with `work` in place of the user.
int Ask(const core::ValueRequest& r, const std::function<void(gui::TXScrlDlg&)>& work,
        const QString& low = "", const QString& high = "") {
    gui::SetValueDialogRunner([&](gui::TXScrlDlg& d) {
        d.show();
        work(d);
    });
    const int v = gui::ShowValueDialog(nullptr, "Set Magnification (%)", low, high, r);
    gui::SetValueDialogRunner({});
    return v;
}

void TypeInto(gui::TXScrlDlg& d, const QString& text) {
    d.CustomSetting()->selectAll();
    QTest::keyClicks(d.CustomSetting(), text);
}

} // namespace

TEST(ValueDialog, TypedNumbersAreCorrectedWhenTypingEnds) {
    EXPECT_EQ(Ask(ZoomRequest(),
                  [](gui::TXScrlDlg& d) {
                      TypeInto(d, "900");
                      QTest::keyClick(d.CustomSetting(), Qt::Key_Return);
                      // Enter corrects the number and takes it, as Ok does.
                      EXPECT_EQ(d.CustomSetting()->text(), "800");
                      EXPECT_FALSE(d.isVisible());
                  }),
              800);
    EXPECT_EQ(Ask(ZoomRequest(),
                  [](gui::TXScrlDlg& d) {
                      TypeInto(d, "10");
                      d.btnOK()->click();
                      EXPECT_EQ(d.CustomSetting()->text(), "25");
                  }),
              25);
    // Typing "100" key by key never shows 25 after the "1".
    EXPECT_EQ(Ask(ZoomRequest(),
                  [](gui::TXScrlDlg& d) {
                      TypeInto(d, "1");
                      EXPECT_EQ(d.CustomSetting()->text(), "1");
                      EXPECT_TRUE(d.typing());
                      QTest::keyClicks(d.CustomSetting(), "30");
                      EXPECT_EQ(d.CustomScrollBar()->value(), 130);
                      d.btnOK()->click();
                  }),
              130);
    // Not a number: the minimum in the box, which the bar then takes.
    EXPECT_EQ(Ask(ZoomRequest(),
                  [](gui::TXScrlDlg& d) {
                      TypeInto(d, "abc");
                      QTest::keyClick(d.CustomSetting(), Qt::Key_Return);
                      EXPECT_EQ(d.CustomSetting()->text(), "25");
                      EXPECT_EQ(d.CustomScrollBar()->value(), 25);
                  }),
              25);
}

TEST(ValueDialog, FixedDialogWideEnoughForItsCaption) {
    core::ValueRequest r;
    r.minimum = 0;
    r.maximum = 1;
    r.initial = 1;
    r.pageStep = 1;
    r.arrowStep = 1;
    r.useTrackBar = true;
    const QString caption = "Select Color reduction method";
    gui::TXScrlDlg d(caption, "Regular", "Optimal", r, nullptr);
    d.show();
    QFont bold = d.font();
    bold.setBold(true);
    EXPECT_GT(d.width(), QFontMetrics(bold).horizontalAdvance(caption));
    EXPECT_EQ(d.minimumSize(), d.maximumSize()); // no maximise, no resizing
    EXPECT_FALSE(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST(ValueDialog, ScrollWritesTheBoxAndCancelGivesMinus999) {
    EXPECT_EQ(Ask(ZoomRequest(),
                  [](gui::TXScrlDlg& d) {
                      d.CustomScrollBar()->triggerAction(QScrollBar::SliderPageStepAdd);
                      EXPECT_EQ(d.CustomSetting()->text(), "200");
                      EXPECT_EQ(d.LabelMin()->text(), "25");
                      EXPECT_EQ(d.LabelMax()->text(), "800");
                      d.btnCancel()->click();
                  }),
              core::kValueCancelled);
}

TEST(ValueDialog, PresetReturnsAtOnce) {
    core::ValueRequest r;
    r.minimum = 1;
    r.maximum = 35999;
    r.initial = 9000;
    r.pageStep = 3000;
    r.arrowStep = 1;
    r.presets = {3000, 4500, 6000, 9000, 18000, 27000};
    r.showPresets = true;
    EXPECT_EQ(Ask(r,
                  [](gui::TXScrlDlg& d) {
                      EXPECT_EQ(d.Preset(3)->text(), "&d = 9000");
                      d.CustomScrollBar()->setValue(1);
                      d.Preset(3)->click();
                      EXPECT_FALSE(d.isVisible());
                  }),
              9000);
}

TEST(ValueDialog, TrackBarFaceForTheReductionMethod) {
    core::ValueRequest r;
    r.minimum = 0;
    r.maximum = 2; // 16 colours
    r.initial = 2;
    r.pageStep = 1;
    r.arrowStep = 1;
    r.useTrackBar = true;
    EXPECT_EQ(Ask(
                  r,
                  [](gui::TXScrlDlg& d) {
                      EXPECT_TRUE(d.UserTrackBar()->isVisible());
                      EXPECT_FALSE(d.CustomScrollBar()->isVisible());
                      EXPECT_FALSE(d.CustomSetting()->isVisible());
                      EXPECT_FALSE(d.GroupOptions()->isVisible());
                      EXPECT_EQ(d.UserTrackBar()->maximum(), 2);
                      EXPECT_EQ(d.UserTrackBar()->value(), 2);
                      EXPECT_EQ(d.LabelMin()->text(), "Regular");
                      d.UserTrackBar()->setValue(1);
                      d.btnOK()->click();
                  },
                  "Regular", "Optimal"),
              1);
}

TEST(ValueDialog, OpensFlushWithTheScreensCorner) {
    gui::TXScrlDlg d("Set Magnification (%)", "", "", ZoomRequest());
    const QRect screen(0, 0, 1024, 768);
    d.PlaceAt(1023, 767, screen);
    const QRect f = d.frameGeometry();
    EXPECT_EQ(f.right(), screen.right());
    EXPECT_EQ(f.bottom(), screen.bottom());
    d.PlaceAt(0, 0, screen);
    EXPECT_EQ(d.frameGeometry().topLeft(), QPoint(0, 0));
}
