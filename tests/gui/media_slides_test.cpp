// Clips as slides on a scripted back end: the hidden show player, its
// bounds, playing to the end, a close request during a clip, and a clip
// that never starts.
#include "core/media/media_rules.h"
#include "gui/app/settings_store.h"
#include "gui/media/media_backend.h"
#include "gui/media/media_commands.h"
#include "gui/media/media_player.h"
#include "gui_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A 160 × 120 video of `playMs` that plays on a timer; `playMs` < 0 never starts.
class TimedBackend : public gui::MediaBackend {
  public:
    explicit TimedBackend(int playMs) : playMs_(playMs) {}
    ~TimedBackend() override { *alive_ = false; }
    void Open(const QString&) override {
        QTimer::singleShot(20, [this, alive = alive_] {
            if (*alive && onOpened) onOpened();
        });
    }
    void Play() override {
        if (playMs_ < 0) return;
        clock_.start();
        QTimer::singleShot(playMs_, [this, alive = alive_] {
            if (!*alive || !clock_.isValid()) return;
            clock_.invalidate();
            if (onEnded) onEnded();
        });
    }
    void Pause() override {}
    void Stop() override { clock_.invalidate(); }
    double Position() const override { return clock_.isValid() ? clock_.elapsed() / 1000.0 : 0; }
    void SetPosition(double) override {}
    void SetGain(double) override {}
    double Duration() const override { return playMs_ / 1000.0; }
    int Width() const override { return 160; }
    int Height() const override { return 120; }

  private:
    int playMs_;
    QElapsedTimer clock_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class MediaSlidesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        QByteArray plain(256, '\0');
        plain[255] = 1;
        gui::WriteBinaryValue("selFX01", plain);
    }
    void TearDown() override { gui::SetMediaBackendFactory({}); }
    std::unique_ptr<gui::TWebForm> Show(int playMs) {
        gui::SetMediaBackendFactory([playMs] { return std::make_unique<TimedBackend>(playMs); });
        const QString pic = guitest::WritePicture(dir, "a.bmp", guitest::Ramp(40, 30));
        clip = dir.filePath("clip.avi");
        QFile f(clip);
        f.open(QIODevice::WriteOnly);
        f.write("clip");
        f.close();
        auto form = guitest::StartWindow({pic}, false);
        form->input().AddSeveral({pic, clip});
        form->settings().SlideDelay = 0;
        form->settings().AlwaysFullScreen = 0;
        return form;
    }
    static QWidget* ShowPlayer(gui::TWebForm& form) {
        const auto players = form.findChildren<gui::TMediaPlayer*>("MediaPlayer");
        return players.isEmpty() ? nullptr : players.front();
    }
    QTemporaryDir dir;
    QString clip;
};

TEST_F(MediaSlidesTest, AVideoSlidePlaysInTheMiddleToItsEnd) {
    auto form = Show(400);
    QRect seen;
    int clipsSeen = 0;
    bool wasVisible = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* p = ShowPlayer(*form);
        const bool visible = p && p->isVisible() && p->width() > 1;
        if (visible && !wasVisible) {
            ++clipsSeen;
            seen = p->geometry();
        }
        wasVisible = visible;
        // After the clip has played twice, a click stops the show.
        if (clipsSeen == 2 && !visible) {
            auto surfaces = form->findChildren<QWidget*>("ShowSurface");
            if (!surfaces.isEmpty()) QTest::mouseClick(surfaces.front(), Qt::LeftButton);
        }
    });
    poll.start(10);
    QTimer::singleShot(20000, [&] { form->close(); }); // never hangs the suite
    ASSERT_EQ(form->RunCommand("mnuHistorySlideshow"), gui::TWebForm::CommandResult::Ran);
    poll.stop();
    EXPECT_GE(clipsSeen, 2);
    // Centred and enlarged as Auto Size video says, inside the show's box.
    const QWidget* area = form->centralWidget();
    core::media::SlideClip c;
    c.clipW = 160;
    c.clipH = 120;
    c.boxW = area->width();
    c.boxH = area->height();
    const core::media::Box b = core::media::SlideBounds(c);
    EXPECT_EQ(seen, QRect(b.left, b.top, b.width, b.height));
    // The show's end frees its player; the window shows its bookmark again
    // (the clip in the window's own player when the show stopped on it).
    const auto players = form->findChildren<gui::TMediaPlayer*>("MediaPlayer");
    EXPECT_EQ(players.size(), form->mediaMode() ? 1 : 0);
    if (!players.isEmpty()) {
        EXPECT_EQ(players.front(), form->media().viewPlayer());
    }
    EXPECT_TRUE(guitest::Script(*form).boxTexts().isEmpty());
}

TEST_F(MediaSlidesTest, ACloseRequestDuringAClipOnlyStopsTheShow) {
    auto form = Show(3000);
    bool requested = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* p = ShowPlayer(*form);
        if (!requested && p && p->isVisible() && p->width() > 1) {
            requested = true;
            form->close();
        }
    });
    poll.start(10);
    QTimer::singleShot(20000, [&] { form->close(); });
    ASSERT_EQ(form->RunCommand("mnuHistorySlideshow"), gui::TWebForm::CommandResult::Ran);
    poll.stop();
    EXPECT_TRUE(requested);
    EXPECT_TRUE(form->isVisible());
    // The show's player went with the show; the clip, the current bookmark,
    // is back in the window's own player.
    EXPECT_TRUE(form->mediaMode());
    EXPECT_EQ(form->findChildren<gui::TMediaPlayer*>("MediaPlayer").size(), 1);
    EXPECT_EQ(ShowPlayer(*form), form->media().viewPlayer());
}

TEST_F(MediaSlidesTest, AClipThatNeverStartsEndsTheShowAsUnreadable) {
    auto form = Show(-1);
    QTimer::singleShot(30000, [&] { form->close(); });
    ASSERT_EQ(form->RunCommand("mnuHistorySlideshow"), gui::TWebForm::CommandResult::Ran);
    const QStringList boxes = guitest::Script(*form).boxTexts();
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_TRUE(boxes.last().startsWith("Invalid file!\n")) << boxes.last().toStdString();
    EXPECT_TRUE(boxes.last().contains("clip.avi"));
}

} // namespace
