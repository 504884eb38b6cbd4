#include "gui/media/media_commands.h"

#include "core/media/media_rules.h"
#include "core/options/options_model.h"
#include "gui/app/event_pump.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/input/open_commands.h"
#include "gui/options/options_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace gui {

namespace cm = core::media;

namespace {

// Keeps the player over the whole picture area.
class FillWatch : public QObject {
  public:
    FillWatch(QWidget* area, QPointer<TMediaPlayer> player)
        : QObject(area), area_(area), player_(std::move(player)) {
        area->installEventFilter(this);
        Fill();
    }
    void Fill() {
        if (player_) player_->setGeometry(area_->rect());
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == area_ && event->type() == QEvent::Resize) Fill();
        return false;
    }

  private:
    QWidget* area_;
    QPointer<TMediaPlayer> player_;
};

QString Seconds(double s) {
    return QString::number(s, 'f', 3);
}

} // namespace

MediaCommands::MediaCommands(WindowContext& ctx) : ctx_(ctx) {}

MediaCommands::~MediaCommands() {
    delete player_.data();
}

void MediaCommands::Report(const QString& text) {
    lastError_ = text;
    ctx_.ShowMessage(text, true);
}

bool MediaCommands::OpenClip() {
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return false;
    clipPath_ = QString::fromStdString(ctx_.doc.CurrentFile);
    lastError_.clear();
    if (ctx_.mediaMode && player_) {
        if (player_->PlayState() != TMediaPlayer::kStopped) player_->Stop();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        player_->SetFileName(clipPath_);
        QApplication::restoreOverrideCursor();
    } else if (!OpenMediaView()) {
        Report(kNoPlayerText);
        return false;
    }
    // A real back end opens a clip some time later: everything below needs its facts.
    const bool open = player_ && player_->WaitOpen(cm::kOpenTimeoutMs);
    if (!open && ctx_.closing) {
        ctx_.mediaMode = false; // the window closed meanwhile: nothing to tell
        return false;
    }
    if (!open) {
        const QString reason =
            player_ ? player_->WhyNotOpen() : QString("No media player could be created.");
        AV_UI(false);
        Report(QString("Cannot play %1.\n%2").arg(QFileInfo(clipPath_).fileName(), reason));
        if (onEvent) onEvent("failed");
        return false;
    }
    clipWidth_ = player_->ImageSourceWidth();
    clipHeight_ = player_->ImageSourceHeight();
    clipDuration_ = player_->Duration();
    if (onEvent)
        onEvent(QString("open duration=%1 width=%2 height=%3")
                    .arg(Seconds(clipDuration_))
                    .arg(clipWidth_)
                    .arg(clipHeight_));
    ctx_.bookmarks.UpdateHistory(ctx_.doc.CurrentFile);
    ctx_.bookmarkCommands->HistoryControls();
    UI_Audio();
    if (!ctx_.layouts->fullScreen() && ctx_.settings.AutoSizeWindow)
        ctx_.view->MediaOptimizeWindow(false);
    QCoreApplication::processEvents();
    if (ctx_.settings.AvAutoPlay && player_) player_->Play();
    ctx_.status->UpdateCaption();
    UI_Audio();
    return true;
}

bool MediaCommands::OpenMediaView() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AV_UI(true);
    std::unique_ptr<MediaBackend> backend = CreateMediaBackend();
    if (!backend) {
        // No player: the window goes back to its empty picture.
        QApplication::restoreOverrideCursor();
        AV_UI(false);
        return false;
    }
    QWidget* area = ctx_.scrollBox->viewport();
    player_ = new TMediaPlayer(std::move(backend), area);
    ctx_.PaintPictureArea(QColor(player_->DisplayBackColor()));
    QObject::connect(player_, &TMediaPlayer::PlayStateChange, player_, [this](int, int now) {
        if (now == TMediaPlayer::kPlaying && onEvent && player_)
            onEvent("play position=" + Seconds(player_->CurrentPosition()));
        if (ctx_.mediaMode) UI_Audio();
    });
    QObject::connect(player_, &TMediaPlayer::Ended, player_, [this] {
        if (onEvent && player_) onEvent("end position=" + Seconds(player_->CurrentPosition()));
    });
    QObject::connect(player_, &TMediaPlayer::RightClicked, player_,
                     [this](const QPoint& at) { ctx_.Guard([&] { AV_MouseDown(at); }); });

    player_->SetVolume(core::options::PlayerVolume(ctx_.settings.Volume));
    ApplyParts();
    delete sizeWatch_;
    sizeWatch_ = new FillWatch(area, player_);
    player_->show();
    player_->raise();
    // Measured as shown, with the style's own sizes.
    const QScreen* screen = ctx_.window.screen();
    const int ppi = screen ? int(screen->logicalDotsPerInchY() + 0.5) : 96;
    if (cm::NeedMeasure(ctx_.settings.AvPixelsPerInch, ppi, baseHeight_)) {
        MeasureParts();
        // The heights belong to this density: the next run needs no measuring.
        ctx_.settings.AvPixelsPerInch = ppi;
    }
    ApplyParts();
    player_->SetDisplaySize(ctx_.settings.FitToWindow ? cm::kFitSize : cm::kOwnSize);
    player_->SetFileName(clipPath_);
    QApplication::restoreOverrideCursor();
    return true;
}

void MediaCommands::MeasureParts() {
    if (!player_) return;
    baseHeight_ = std::max(1, player_->minimumSizeHint().height() - player_->PartsHeight());
    ctx_.settings.AvStatusLineHeight = player_->StatusBarHeight();
    ctx_.settings.AvControlsHeight = player_->ControlsHeight();
    ctx_.settings.AvTrackBarHeight = player_->TrackerHeight();
}

void MediaCommands::ApplyParts() {
    if (!player_) return;
    const cm::PlayerParts parts =
        cm::PartsFor(ctx_.settings.AvStatusLine, ctx_.settings.AvTrackBar, ctx_.settings.AvControls,
                     ctx_.settings.AvMaxFullScreen, ctx_.layouts->fullScreen());
    player_->SetShowStatusBar(parts.statusLine);
    player_->SetShowTracker(parts.tracker);
    player_->SetShowControls(parts.controls);
}

int MediaCommands::PartsHeight() const {
    if (!player_) return 0;
    const core::SettingsRecord& s = ctx_.settings;
    return (player_->ShowStatusBar() ? s.AvStatusLineHeight : 0) +
           (player_->ShowTracker() ? s.AvTrackBarHeight : 0) +
           (player_->ShowControls() ? s.AvControlsHeight : 0);
}

void MediaCommands::AV_UI(bool entering) {
    QMainWindow& w = ctx_.window;
    const bool statusShown = !ctx_.layouts->fullScreen() && ctx_.settings.ShowStatusbar;
    if (entering) {
        w.statusBar()->setVisible(false);
        ctx_.mediaMode = true;
        ctx_.input->ShowEmptyPicture(false);
        ctx_.dur95->hide();
    } else {
        if (ctx_.mediaMode) {
            if (player_ && player_->PlayState() != TMediaPlayer::kStopped) player_->Stop();
            ctx_.mediaMode = false;
            delete sizeWatch_;
            sizeWatch_ = nullptr;
            delete player_.data();
            // The picture area takes its own colour again.
            ctx_.PaintPictureArea();
            ctx_.dur95->show();
            w.statusBar()->setVisible(statusShown);
            ctx_.input->ShowEmptyPicture(false);
            ctx_.view->LayoutScrollBox();
            ctx_.mouse->mnuHandClick();
        }
        ctx_.mediaMode = false;
        w.statusBar()->setVisible(statusShown);
    }
    ctx_.status->EnableControls();
    const bool on = !ctx_.mediaMode;
    for (const char* n : {"btnHand", "btnSelect"})
        if (QToolButton* b = ctx_.toolButton(n))
            b->setEnabled(on && (QString(n) == "btnHand" || ctx_.menus.IsEnabled("mnuSelect")));
    for (const char* n : {"mnuTWAIN", "mnuEdit", "mnuSlideshowMenu"})
        ctx_.menus.SetEnabled(n, on);
    if (ctx_.mediaMode) EnableControls();
}

void MediaCommands::EnableControls() {
    if (!ctx_.mediaMode) return;
    const bool video = clipHeight_ != 0;
    for (const cm::CommandState& s : cm::MediaCommandStates(video, ctx_.settings.FitToWindow != 0,
                                                            ctx_.layouts->fullScreen())) {
        const QString name = QString::fromStdString(s.name);
        if (name.startsWith("btn")) {
            if (QToolButton* b = ctx_.toolButton(name)) b->setEnabled(s.enabled);
        } else {
            ctx_.menus.SetEnabled(name, s.enabled);
        }
    }
}

void MediaCommands::UI_Audio() {
    EnableControls();
}

void MediaCommands::AV_MouseDown(const QPoint& globalPos) {
    ctx_.status->MainMenuPopup(PopupPlace::Player);
    ctx_.mainMenu->popup(globalPos);
}

void MediaCommands::mnuAV_PlayClick() {
    if (!player_) return;
    if (player_->PlayState() == TMediaPlayer::kPlaying)
        player_->Pause();
    else
        player_->Play();
}

void MediaCommands::mnuAV_StopClick() {
    if (player_ && player_->PlayState() != TMediaPlayer::kStopped) player_->Stop();
}

void MediaCommands::ZoomUp() {
    if (!player_) return;
    player_->SetDisplaySize(cm::ZoomUpSize(player_->DisplaySize()));
    if (!ctx_.layouts->fullScreen()) ctx_.view->MediaOptimizeWindow(true);
}

void MediaCommands::ZoomDown() {
    if (!player_) return;
    player_->SetDisplaySize(cm::ZoomDownSize(player_->DisplaySize()));
}

void MediaCommands::FitChanged() {
    if (player_) player_->SetDisplaySize(ctx_.settings.FitToWindow ? cm::kFitSize : cm::kOwnSize);
    EnableControls();
}

void MediaCommands::SetParts(bool controls, bool tracker, bool statusLine) {
    ctx_.settings.AvControls = controls;
    ctx_.settings.AvTrackBar = tracker;
    ctx_.settings.AvStatusLine = statusLine;
    ApplyParts();
}

void MediaCommands::ApplyPlayerUpdate(const PlayerUpdate& u) {
    if (!ctx_.mediaMode || !player_) return;
    if (u.showStatusBar) player_->SetShowStatusBar(*u.showStatusBar);
    if (u.showControls) player_->SetShowControls(*u.showControls);
    if (u.showTracker) player_->SetShowTracker(*u.showTracker);
    if (u.volume) player_->SetVolume(*u.volume);
}

void MediaCommands::AV_FullScrnClick() {
    // The player stays through the switch (only its parts change), so the
    // clip goes on at the same place in the same state: a player made anew
    // would have to seek, and some streams seek only roughly.
    const int state = player_ ? player_->PlayState() : 0;
    const double before = player_ ? player_->CurrentPosition() : 0;
    switching_ = true;
    ctx_.layouts->mnuFullScrnClick();
    switching_ = false;
    // Media mode keeps the status bar hidden in either window.
    ctx_.window.statusBar()->setVisible(false);
    ApplyParts();
    ctx_.view->LayoutScrollBox();
    if (sizeWatch_) static_cast<FillWatch*>(sizeWatch_)->Fill();
    ctx_.status->UpdateCaption();
    ctx_.status->EnableControls();
    UI_Audio();
    if (onEvent && player_) {
        PumpEventsWhile([] { return true; }, 50);
        if (player_)
            onEvent(QString("fullscreen %1 before=%2 after=%3 state_before=%4 state_after=%5")
                        .arg(ctx_.layouts->fullScreen() ? "on" : "off", Seconds(before),
                             Seconds(player_->CurrentPosition()))
                        .arg(state)
                        .arg(player_->PlayState()));
    }
}

void MediaCommands::Close() {
    if (player_ && player_->PlayState() != TMediaPlayer::kStopped) player_->Stop();
    delete sizeWatch_;
    sizeWatch_ = nullptr;
    delete player_.data();
}

} // namespace gui
