// The options dialog in the window: the page it opens on, what Apply, Ok and
// Cancel change in the window and the settings, the reopen after a change of
// the decoding choices, and the volume track bar.
#include "gui/app/help_window.h"
#include "gui/app/settings_store.h"
#include "gui/options/options_commands.h"
#include "gui/options/options_form.h"
#include "gui/options/track_bar_ex.h"
#include "gui_support.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace co = core::options;
using co::CheckId;
using co::GroupId;

namespace {

void StoreRecord(const core::SettingsRecord& r) {
    gui::WriteSettings(r, {}, {});
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { guitest::ClearSettings(); }

    std::unique_ptr<gui::TWebForm> Start(int screenBits = 24, const QStringList& files = {}) {
        gui::StartOptions o = guitest::ScriptedOptions();
        o.screenBits = screenBits;
        o.files = files;
        auto form = std::make_unique<gui::TWebForm>(o);
        form->show();
        QElapsedTimer t;
        t.start();
        while (!form->activated() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        form->WaitIdle();
        return form;
    }
    // Opens the dialog by the named command and works it with `fn`.
    void Run(gui::TWebForm& form, const QString& command,
             std::function<void(gui::TOptionsForm&)> fn) {
        guitest::Script(form).pushOptions(std::move(fn));
        ASSERT_EQ(form.RunCommand(command), gui::TWebForm::CommandResult::Ran);
        form.WaitIdle();
    }
};

void Click(QAbstractButton* b) {
    QCoreApplication::processEvents(); // a page just shown lays itself out first
    // On the indicator: a check box or radio button takes clicks on its label only.
    const QPoint at =
        qobject_cast<QPushButton*>(b) ? b->rect().center() : QPoint(8, b->height() / 2);
    QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

} // namespace

TEST_F(OptionsDialogTest, OpensOnThePageOfItsCommand) {
    QTemporaryDir dir;
    auto form = Start(24, {guitest::WritePicture(dir, "p.bmp", guitest::Ramp(32, 32))});
    EXPECT_TRUE(form->StateOf("mnuOptions").enabled);
    EXPECT_TRUE(form->StateOf("mnuOptions2").enabled);
    co::Page page{};
    auto take = [&page](gui::TOptionsForm& d) {
        page = d.page();
        EXPECT_EQ(d.windowTitle(), "Options");
        EXPECT_FALSE(d.btnApply->isEnabled());
    };
    Run(*form, "mnuOptions", take);
    EXPECT_EQ(page, co::Page::Viewer);
    Run(*form, "mnuOptions2", take);
    EXPECT_EQ(page, co::Page::Slideshow);
    form->layouts().mnuFullScrnClick();
    ASSERT_TRUE(form->layouts().fullScreen());
    Run(*form, "mnuOptions", take);
    EXPECT_EQ(page, co::Page::Graphics);
    form->layouts().mnuFullScrnClick();
}

TEST_F(OptionsDialogTest, CancelKeepsTheSettingsTheLoadingRulesHide) {
    core::SettingsRecord r;
    r.UseScreen = 1;
    r.AutoSizeWindow = 0;
    r.AutoCenterWindow = 1;
    StoreRecord(r);
    auto form = Start(8);
    Run(*form, "mnuOptions", [](gui::TOptionsForm& d) {
        EXPECT_FALSE(d.check(CheckId::UseScreen)->isChecked());
        EXPECT_FALSE(d.check(CheckId::UseScreen)->isEnabled());
        EXPECT_FALSE(d.check(CheckId::AutoCenter)->isChecked());
        Click(d.btnCancel);
    });
    EXPECT_EQ(form->settings().UseScreen, 1);
    EXPECT_EQ(form->settings().AutoCenterWindow, 1);
    EXPECT_EQ(form->options().lastResult(), -999);
}

TEST_F(OptionsDialogTest, ApplyTogglesTheBarsAndCancelKeepsIt) {
    auto form = Start();
    Run(*form, "mnuOptions", [&form](gui::TOptionsForm& d) {
        Click(d.check(CheckId::Statusbar));
        Click(d.check(CheckId::Menubar));
        EXPECT_TRUE(d.btnApply->isEnabled());
        EXPECT_TRUE(form->statusBar()->isVisible());
        Click(d.btnApply);
        EXPECT_FALSE(d.btnApply->isEnabled());
        EXPECT_FALSE(form->statusBar()->isVisible());
        EXPECT_FALSE(form->menuBar()->isVisible());
        // A change after Apply, then Cancel: only the applied part stays.
        Click(d.check(CheckId::AutoSize));
        Click(d.btnCancel);
    });
    EXPECT_EQ(form->settings().ShowStatusbar, 0);
    EXPECT_EQ(form->settings().ShowMenus, 0);
    EXPECT_EQ(form->settings().AutoSizeWindow, 1);
    EXPECT_FALSE(form->menus().action("mnuStatusbar")->isChecked());
    // Nothing reaches the store before the program closes.
    EXPECT_EQ(gui::ReadSettings().record.ShowStatusbar, 1);
    form->close();
    EXPECT_EQ(gui::ReadSettings().record.ShowStatusbar, 0);
    EXPECT_EQ(gui::ReadSettings().record.ShowMenus, 0);
}

TEST_F(OptionsDialogTest, OkStoresTheDelayAndTheVolumeRules) {
    {
        auto form = Start();
        Run(*form, "mnuOptions2", [](gui::TOptionsForm& d) {
            Click(d.check(CheckId::MaxDelay));
            EXPECT_FALSE(d.ScrollBarDelay->isEnabled());
            EXPECT_EQ(d.lblDelay->text(), "&Delay = 2 hours");
            d.TrackVolume->setValue(0);
            Click(d.btnOk);
        });
        EXPECT_EQ(form->options().lastResult(), 0);
        form->close();
    }
    const core::SettingsRecord stored = gui::ReadSettings().record;
    EXPECT_EQ(stored.SlideDelay, 1);
    EXPECT_EQ(stored.Volume, 1);
    auto form = Start();
    Run(*form, "mnuOptions2", [](gui::TOptionsForm& d) {
        EXPECT_TRUE(d.check(CheckId::MaxDelay)->isChecked());
        EXPECT_EQ(d.lblDelay->text(), "&Delay = 2 hours");
        EXPECT_EQ(d.TrackVolume->value(), 1);
        Click(d.check(CheckId::MaxDelay));
        EXPECT_EQ(d.ScrollBarDelay->value(), 1000);
        EXPECT_EQ(d.lblDelay->text(), "&Delay = 1.0s");
        d.ScrollBarDelay->setValue(2500);
        EXPECT_EQ(d.lblDelay->text(), "&Delay = 2.5s");
        Click(d.btnOk);
    });
    EXPECT_EQ(form->settings().SlideDelay, 2500);
}

TEST_F(OptionsDialogTest, OutOfRangeSpeedLoadsAsNormal) {
    core::SettingsRecord r;
    r.EffectsSpeed = 9;
    r.SvgaPalette = 5;
    StoreRecord(r);
    auto form = Start(8);
    Run(*form, "mnuOptions2", [](gui::TOptionsForm& d) {
        EXPECT_TRUE(d.group(GroupId::Speed)->button(1)->isChecked());
        EXPECT_TRUE(d.group(GroupId::Palette)->button(0)->isChecked());
        Click(d.btnOk);
    });
    EXPECT_EQ(form->settings().EffectsSpeed, 1);
    EXPECT_EQ(form->settings().SvgaPalette, 0);
}

TEST_F(OptionsDialogTest, FaxQualityChangeReopensAMultiPageFile) {
    const QString multi = VISTREL_FIXTURE_DIR "/tiff/multi.tif";
    if (!QFileInfo::exists(multi)) GTEST_SKIP() << "fixture missing";
    auto form = Start(24, {multi});
    ASSERT_TRUE(form->picturePresent());
    ASSERT_GT(form->document().PageCount, 1);
    EXPECT_NE(form->document().PictureBits, 1); // shades of gray
    Run(*form, "mnuOptions", [](gui::TOptionsForm& d) {
        d.setPage(co::Page::Graphics);
        Click(d.group(GroupId::FaxQuality)->button(0));
        Click(d.btnApply);
        Click(d.btnCancel);
    });
    form->WaitIdle();
    EXPECT_EQ(form->settings().FaxQuality, 0);
    EXPECT_EQ(form->document().PictureBits, 1);
    EXPECT_TRUE(form->picturePresent());

    // Unsaved changes: the reopen asks first, and No keeps the picture.
    form->setPictureChanged(true);
    guitest::Script(*form).pushReply(gui::Reply::No);
    Run(*form, "mnuOptions", [](gui::TOptionsForm& d) {
        Click(d.group(GroupId::FaxQuality)->button(2));
        Click(d.btnOk);
    });
    form->WaitIdle();
    EXPECT_EQ(guitest::Script(*form).questionCount(), 1);
    EXPECT_EQ(form->settings().FaxQuality, 2);
    EXPECT_EQ(form->document().PictureBits, 1);
    EXPECT_TRUE(form->pictureChanged());
    form->setPictureChanged(false);
    guitest::Script(*form).clearQueues();

    // The same change with a single-page picture reads nothing again.
    QTemporaryDir dir;
    const QString one = guitest::WritePicture(dir, "one.bmp", guitest::OneBitLines(64, 64));
    guitest::OpenThroughDialog(*form, {one});
    ASSERT_EQ(form->document().PageCount, 1);
    const auto asked = guitest::Script(*form).asked().size();
    form->setPictureChanged(true);
    Run(*form, "mnuOptions", [](gui::TOptionsForm& d) {
        Click(d.group(GroupId::FaxQuality)->button(3));
        Click(d.btnOk);
    });
    // No reopen: no new unsaved-changes question was asked.
    EXPECT_EQ(guitest::Script(*form).questionCount(), 1);
    EXPECT_GT(guitest::Script(*form).asked().size(), asked);
    EXPECT_EQ(form->settings().FaxQuality, 3);
    form->setPictureChanged(false);
}

TEST_F(OptionsDialogTest, SwatchEffectsAndHelp) {
    auto form = Start();
    int lists = 0;
    guitest::Script(*form).pushList([&lists](const gui::ListAsk&, auto&) {
        ++lists;
        return -999;
    });
    Run(*form, "mnuOptions", [&form](gui::TOptionsForm& d) {
        // Cancel in the colour dialog changes nothing.
        guitest::Script(*form).pushColour(std::nullopt);
        d.PanelBackgroundClick();
        EXPECT_FALSE(d.btnApply->isEnabled());
        guitest::Script(*form).pushColour(QColor(0x12, 0x34, 0x56));
        d.PanelBackgroundClick();
        EXPECT_EQ(d.SwatchColour(), QColor(0x12, 0x34, 0x56));
        // The effect selection leaves the unapplied colour alone.
        d.setPage(co::Page::Slideshow);
        Click(d.btnEffects);
        EXPECT_EQ(d.SwatchColour(), QColor(0x12, 0x34, 0x56));
        Click(d.btnHelp);
        Click(d.btnOk);
    });
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(form->settings().Background, 0x00563412u);
    EXPECT_EQ(form->scrollBox()->viewport()->palette().color(QPalette::Window),
              QColor(0x12, 0x34, 0x56));
    ASSERT_TRUE(form->helpWindow());
    EXPECT_EQ(form->helpWindow()->context(), 300);
}

TEST_F(OptionsDialogTest, PlayerAndPhotoCdHooks) {
    auto form = Start();
    std::vector<gui::PlayerUpdate> updates;
    std::vector<int> steps;
    form->options().playerSettingsChanged = [&](const gui::PlayerUpdate& u) {
        updates.push_back(u);
    };
    form->options().photoCdStepChanged = [&](int s) { steps.push_back(s); };
    // Without a clip the player is not told.
    Run(*form, "mnuOptions", [](gui::TOptionsForm& d) {
        Click(d.check(CheckId::AmStatus));
        Click(d.group(GroupId::PhotoCD)->button(6));
        Click(d.btnOk);
    });
    EXPECT_TRUE(updates.empty());
    EXPECT_EQ(steps, std::vector<int>{6});
    EXPECT_EQ(form->settings().AvStatusLine, 0);
}

TEST(TrackBarEx, ThumbLengthAndHiddenThumb) {
    gui::TTrackBarEx bar;
    EXPECT_EQ(bar.ThumbLength(), 20);
    EXPECT_TRUE(bar.SliderVisible());
    bar.resize(200, 40);
    bar.SetThumbLength(15);
    EXPECT_EQ(bar.ThumbLength(), 15);
    EXPECT_FALSE(bar.ThumbRect().isEmpty());
    bar.SetSliderVisible(false);
    EXPECT_TRUE(bar.ThumbRect().isEmpty());
}
