// Clips in the window on a scripted back end: media mode and its commands,
// failures, full screen, the player's settings and leaving for a picture.
#include "core/app/settings.h"
#include "gui/app/status_panels.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/media/media_backend.h"
#include "gui/media/media_commands.h"
#include "gui/media/media_player.h"
#include "gui/options/options_commands.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <map>

namespace {

// Opens after a few events like a real back end; what it reports is set per
// file name: "*.wav" is sound, "bad*" fails, everything else a 160 × 120 video.
class ScriptedBackend : public gui::MediaBackend {
  public:
    struct Log {
        double gain = -1;
        int plays = 0;
    };
    explicit ScriptedBackend(Log* log) : log_(log) {}
    void Open(const QString& path) override {
        const QString name = QFileInfo(path).fileName();
        const bool fails = name.startsWith("bad");
        const bool sound = name.endsWith(".wav");
        width_ = sound ? 0 : 160;
        height_ = sound ? 0 : 120;
        position_ = 0;
        QTimer::singleShot(30, [this, fails, alive = alive_] {
            if (!*alive) return;
            if (fails) {
                if (onFailed) onFailed("Could not determine type of stream.");
            } else if (onOpened) {
                onOpened();
            }
        });
    }
    void Play() override { ++log_->plays; }
    void Pause() override {}
    void Stop() override { position_ = 0; }
    double Position() const override { return position_; }
    void SetPosition(double s) override { position_ = s; }
    void SetGain(double g) override { log_->gain = g; }
    double Duration() const override { return 2.0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    ~ScriptedBackend() override { *alive_ = false; }

  private:
    Log* log_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int width_ = 0, height_ = 0;
    double position_ = 0;
};

class MediaWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
        gui::SetMediaBackendFactory([this] { return std::make_unique<ScriptedBackend>(&log); });
    }
    void TearDown() override { gui::SetMediaBackendFactory({}); }
    QString Clip(const QString& name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("clip");
        return path;
    }
    QString Picture() { return guitest::WritePicture(dir, "pic.bmp", guitest::Ramp(40, 30)); }
    void OpenNamed(gui::TWebForm& form, const QString& path) {
        form.input().DragOpen(path);
        form.WaitIdle();
    }
    bool Enabled(gui::TWebForm& form, const QString& name) { return form.StateOf(name).enabled; }
    bool MenuEnabled(gui::TWebForm& form, const QString& name) {
        QMenu* m = form.menus().barMenu(name);
        return m && m->menuAction()->isEnabled();
    }

    QTemporaryDir dir;
    ScriptedBackend::Log log;
};

TEST_F(MediaWindowTest, SoundAndVideoSetTheCommands) {
    auto form = guitest::StartWindow({Clip("tone.wav")}, false);
    ASSERT_TRUE(form->input().lastOpenSucceeded());
    gui::MediaCommands& media = form->media();
    ASSERT_NE(media.viewPlayer(), nullptr);
    EXPECT_EQ(media.clipHeight(), 0);
    EXPECT_EQ(form->windowTitle(), "tone.wav - VISTREL 3.6.23");
    // Sound: no fit, no zoom, none of the picture's commands.
    for (const char* n : {"mnuFitWindow", "btnFitWindow", "btnZoomUp", "btnZoomDn", "mnuSave",
                          "mnuPrint", "mnuImageInfo", "mnuCopy", "btnSelect", "btnHand"})
        EXPECT_FALSE(Enabled(*form, n)) << n;
    EXPECT_TRUE(Enabled(*form, "mnuFullscrn"));
    EXPECT_TRUE(Enabled(*form, "mnuOptimizeWindow"));
    EXPECT_FALSE(form->statusBar()->isVisible());
    for (const char* n : {"mnuEdit", "mnuImage", "mnuColors", "mnuTWAIN", "mnuSlideshowMenu"})
        EXPECT_FALSE(MenuEnabled(*form, n)) << n;
    // Auto Play is on by default.
    EXPECT_EQ(media.viewPlayer()->PlayState(), gui::TMediaPlayer::kPlaying);

    // A video clip on the same player enables fit and zoom.
    OpenNamed(*form, Clip("movie.avi"));
    ASSERT_TRUE(form->input().lastOpenSucceeded());
    EXPECT_EQ(media.clipWidth(), 160);
    EXPECT_EQ(media.clipHeight(), 120);
    for (const char* n : {"mnuFitWindow", "btnFitWindow", "btnZoomUp", "btnZoomDn"})
        EXPECT_TRUE(Enabled(*form, n)) << n;
    EXPECT_FALSE(Enabled(*form, "mnuZoom"));
    EXPECT_FALSE(Enabled(*form, "mnuSave"));
    EXPECT_EQ(form->bookmarks().count(), 2);

    // Zoom + doubles, Zoom - comes back; fit sets the fit size.
    form->view().btnZoomUpClick();
    EXPECT_EQ(media.viewPlayer()->DisplaySize(), 2);
    form->view().btnZoomDnClick();
    EXPECT_EQ(media.viewPlayer()->DisplaySize(), 0);
    form->view().mnuFitWindowClick();
    EXPECT_EQ(media.viewPlayer()->DisplaySize(), 4);
    EXPECT_FALSE(Enabled(*form, "btnZoomUp"));
    form->view().mnuFitWindowClick();
    EXPECT_EQ(media.viewPlayer()->DisplaySize(), 0);
}

TEST_F(MediaWindowTest, FullScreenKeepsPositionAndPlayState) {
    auto form = guitest::StartWindow({Clip("movie.avi")}, false);
    gui::MediaCommands& media = form->media();
    ASSERT_NE(media.viewPlayer(), nullptr);
    // The track bar spans the clip's length and follows the position.
    auto* bar = media.viewPlayer()->findChild<QSlider*>("MediaTracker");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 20);
    media.viewPlayer()->SetCurrentPosition(0.75);
    EXPECT_EQ(bar->value(), 8);
    media.viewPlayer()->SetDisplaySize(2);
    form->layouts().mnuFullScrnClick();
    ASSERT_TRUE(form->layouts().fullScreen());
    ASSERT_NE(media.viewPlayer(), nullptr);
    EXPECT_TRUE(form->mediaMode());
    EXPECT_DOUBLE_EQ(media.viewPlayer()->CurrentPosition(), 0.75);
    EXPECT_EQ(media.viewPlayer()->PlayState(), gui::TMediaPlayer::kPlaying);
    EXPECT_EQ(media.viewPlayer()->DisplaySize(), 2);
    // Full screen hides the player's bars (media Max full screen) and "Adjust window".
    EXPECT_FALSE(media.viewPlayer()->ShowControls());
    EXPECT_FALSE(Enabled(*form, "mnuOptimizeWindow"));
    EXPECT_FALSE(Enabled(*form, "btnAdjust"));
    EXPECT_TRUE(Enabled(*form, "btnZoomUp"));

    // Back, paused this time: it stays paused.
    media.mnuAV_PlayClick();
    ASSERT_EQ(media.viewPlayer()->PlayState(), gui::TMediaPlayer::kPaused);
    media.viewPlayer()->SetCurrentPosition(1.25);
    form->layouts().mnuFullScrnClick();
    ASSERT_FALSE(form->layouts().fullScreen());
    ASSERT_NE(media.viewPlayer(), nullptr);
    EXPECT_DOUBLE_EQ(media.viewPlayer()->CurrentPosition(), 1.25);
    EXPECT_EQ(media.viewPlayer()->PlayState(), gui::TMediaPlayer::kPaused);
    EXPECT_TRUE(media.viewPlayer()->ShowControls());
    EXPECT_TRUE(Enabled(*form, "mnuOptimizeWindow"));
}

TEST_F(MediaWindowTest, AClipThatCannotBePlayedIsNoSuccess) {
    const QString pic = Picture();
    auto form = guitest::StartWindow({pic}, false);
    ASSERT_TRUE(form->picturePresent());
    OpenNamed(*form, Clip("bad.avi"));
    EXPECT_FALSE(form->input().lastOpenSucceeded());
    EXPECT_FALSE(form->mediaMode());
    EXPECT_EQ(form->media().viewPlayer(), nullptr);
    // The back end's reason is told, the old name is back, nothing is bookmarked.
    const QStringList boxes = guitest::Script(*form).boxTexts();
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_TRUE(boxes.last().contains("bad.avi")) << boxes.last().toStdString();
    EXPECT_TRUE(boxes.last().contains("Could not determine type of stream."));
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), pic);
    EXPECT_EQ(form->bookmarks().count(), 1);
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_TRUE(Enabled(*form, "btnHand"));

    // The same from media mode: the clip shown before goes too.
    OpenNamed(*form, Clip("good.avi"));
    ASSERT_TRUE(form->mediaMode());
    OpenNamed(*form, Clip("bad2.mpg"));
    EXPECT_FALSE(form->mediaMode());
    EXPECT_EQ(form->bookmarks().count(), 2);
}

TEST_F(MediaWindowTest, NoPlayerLeavesMediaModeWithTheEmptyPicture) {
    gui::SetMediaBackendFactory([] { return std::unique_ptr<gui::MediaBackend>(); });
    auto form = guitest::StartWindow({Clip("movie.avi")}, false);
    EXPECT_FALSE(form->input().lastOpenSucceeded());
    EXPECT_FALSE(form->mediaMode());
    EXPECT_TRUE(form->picturePresent());
    EXPECT_TRUE(form->pix()->isVisible());
}

TEST_F(MediaWindowTest, LeavingForAPictureRestoresTheWindow) {
    auto form = guitest::StartWindow({}, false);
    form->settings().Background = 0x00336699; // blue 0x33, green 0x66, red 0x99
    OpenNamed(*form, Clip("movie.avi"));
    ASSERT_TRUE(form->mediaMode());
    EXPECT_EQ(form->scrollBox()->viewport()->palette().color(QPalette::Window), QColor(Qt::black));
    OpenNamed(*form, Picture());
    EXPECT_FALSE(form->mediaMode());
    EXPECT_EQ(form->media().viewPlayer(), nullptr);
    EXPECT_TRUE(form->picturePresent());
    EXPECT_EQ(form->scrollBox()->viewport()->palette().color(QPalette::Window),
              QColor(0x99, 0x66, 0x33));
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_TRUE(Enabled(*form, "mnuSave"));
    EXPECT_TRUE(Enabled(*form, "btnHand"));
    EXPECT_TRUE(MenuEnabled(*form, "mnuEdit"));
    EXPECT_TRUE(MenuEnabled(*form, "mnuTWAIN"));
}

TEST_F(MediaWindowTest, SettingsOfThePlayer) {
    auto form = guitest::StartWindow({}, false);
    core::SettingsRecord& s = form->settings();
    s.AvAutoPlay = 0;
    s.Volume = 0; // played as 1
    s.AvPixelsPerInch = 0;
    OpenNamed(*form, Clip("movie.avi"));
    gui::TMediaPlayer* player = form->media().viewPlayer();
    ASSERT_NE(player, nullptr);
    // Without Auto Play the clip waits at its start.
    EXPECT_EQ(player->PlayState(), gui::TMediaPlayer::kStopped);
    EXPECT_EQ(log.plays, 0);
    EXPECT_EQ(player->Volume(), -6908);
    // The heights are measured once and kept with the screen's density.
    EXPECT_GT(s.AvPixelsPerInch, 0);
    EXPECT_GT(s.AvControlsHeight, 0);
    EXPECT_GT(s.AvTrackBarHeight, 0);
    EXPECT_GT(s.AvStatusLineHeight, 0);
    // The popup's play/pause and stop.
    form->media().mnuAV_PlayClick();
    EXPECT_EQ(player->PlayState(), gui::TMediaPlayer::kPlaying);
    form->media().mnuAV_StopClick();
    EXPECT_EQ(player->PlayState(), gui::TMediaPlayer::kStopped);

    // A volume above full scale is clamped, never a gain above 1.
    OpenNamed(*form, Picture());
    s.Volume = 5000;
    OpenNamed(*form, Clip("second.avi"));
    EXPECT_EQ(form->media().viewPlayer()->Volume(), 0);
    EXPECT_LE(log.gain, 1.0);
    // Options changes reach the shown player.
    gui::PlayerUpdate u;
    u.showControls = false;
    u.volume = -693;
    form->options().playerSettingsChanged(u);
    EXPECT_FALSE(form->media().viewPlayer()->ShowControls());
    EXPECT_EQ(form->media().viewPlayer()->Volume(), -693);
}

TEST_F(MediaWindowTest, ThePlayersPopupAndTheLayouts) {
    auto form = guitest::StartWindow({Clip("movie.avi")}, false);
    gui::TMediaPlayer* player = form->media().viewPlayer();
    ASSERT_NE(player, nullptr);
    // A right click on the player opens the popup with its two commands.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            player->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(player, &click);
    QAction* play = form->menus().action("mnuAV_Play");
    QAction* stop = form->menus().action("mnuAV_Stop");
    ASSERT_TRUE(play && stop);
    EXPECT_TRUE(play->isVisible());
    EXPECT_TRUE(stop->isVisible());
    EXPECT_TRUE(stop->isEnabled()); // the clip plays
    form->popupMenu()->hide();
    // Opened elsewhere the three are hidden.
    form->status().MainMenuPopup(gui::PopupPlace::Picture);
    EXPECT_FALSE(play->isVisible());

    // The layouts set the player's bars and record them.
    form->layouts().mnuCompact1Click();
    EXPECT_TRUE(player->ShowControls());
    EXPECT_TRUE(player->ShowTracker());
    EXPECT_FALSE(player->ShowStatusBar());
    EXPECT_EQ(form->settings().AvStatusLine, 0);
    form->layouts().mnuMinimal1Click();
    EXPECT_TRUE(player->ShowControls());
    EXPECT_FALSE(player->ShowTracker());
    EXPECT_EQ(form->settings().AvTrackBar, 0);
    form->layouts().mnuStandard1Click();
    EXPECT_TRUE(player->ShowStatusBar());
    EXPECT_TRUE(player->ShowTracker());
    // The status bar stays hidden while the clip is shown.
    EXPECT_FALSE(form->statusBar()->isVisible());
}

TEST_F(MediaWindowTest, ClosingWhileAClipOpensFreesThePlayerSafely) {
    auto form = guitest::StartWindow({}, false);
    QTimer::singleShot(5, form.get(), [&form] { form->close(); });
    OpenNamed(*form, Clip("movie.avi"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->mediaMode());
    EXPECT_EQ(form->media().viewPlayer(), nullptr);
    EXPECT_TRUE(guitest::Script(*form).boxTexts().isEmpty());
}

TEST_F(MediaWindowTest, UnsavedPictureIsAskedAboutFirst) {
    auto form = guitest::StartWindow({Picture()}, false);
    form->setPictureChanged(true);
    guitest::Script(*form).pushReply(gui::Reply::No);
    OpenNamed(*form, Clip("movie.avi"));
    EXPECT_FALSE(form->mediaMode());
    EXPECT_TRUE(form->pictureChanged());
    bool asked = false;
    for (const auto& a : guitest::Script(*form).asked())
        asked |= a.text == "You have unsaved changes. Continue?";
    EXPECT_TRUE(asked);
}

} // namespace
