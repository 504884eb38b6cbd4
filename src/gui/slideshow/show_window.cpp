#include "gui/slideshow/show_window.h"

#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"
#include "core/media/media_rules.h"
#include "core/options/options_model.h"
#include "core/slideshow/slide_fit.h"
#include "core/slideshow/slide_gamma.h"
#include "core/view/geometry.h"
#include "gui/app/event_pump.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/input/open_commands.h"
#include "gui/media/media_commands.h"
#include "gui/media/media_player.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QThread>

#include <algorithm>
#include <functional>
#include <utility>

namespace gui {

namespace cs = core::slideshow;
namespace im = core::imageman;

namespace {

// Minimising the window during a show stops it and brings the window back.
class MinimiseWatch : public QObject {
  public:
    MinimiseWatch(QWidget* window, std::function<void()> stop)
        : QObject(window), window_(window), stop_(std::move(stop)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::WindowStateChange &&
            window_->isMinimized()) {
            window_->showNormal();
            stop_();
        }
        return false;
    }

  private:
    QWidget* window_;
    std::function<void()> stop_;
};

} // namespace

ShowSurface::ShowSurface(QWidget* parent) : QWidget(parent) {
    setObjectName("ShowSurface");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    clock_.start();
}

void ShowSurface::FillColour(QRgb rgb) {
    if (frame_.size() != size()) frame_ = QImage(size().expandedTo({1, 1}), QImage::Format_RGB32);
    frame_.fill(rgb);
    update();
}

im::Frame32View ShowSurface::Pixels() {
    if (frame_.size() != size()) {
        QImage next(size().expandedTo({1, 1}), QImage::Format_RGB32);
        next.fill(Qt::black);
        QPainter(&next).drawImage(0, 0, frame_);
        frame_ = next;
    }
    return {reinterpret_cast<std::uint32_t*>(frame_.bits()), frame_.width(), frame_.height(),
            frame_.bytesPerLine() / 4};
}

void ShowSurface::Present(const im::Rect& changed) {
    ++presents_;
    repaint(QRect(changed.left, changed.top, changed.width(), changed.height()));
}

void ShowSurface::SleepUntilMs(std::int64_t t) {
    if (fast_) {
        QCoreApplication::processEvents();
        virtual_ = std::max(virtual_, t);
        return;
    }
    while (NowMs() < t) {
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        static_cast<int>(std::min<std::int64_t>(t - NowMs(), 10)));
        if (NowMs() < t) QThread::msleep(1);
    }
}

void ShowSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), frame_, event->rect());
}

void ShowSurface::resizeEvent(QResizeEvent*) {
    if (onExposed) onExposed();
}

void ShowSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (onRelease) onRelease(event->button());
}

void ShowSurface::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && onEscape) onEscape();
}

void ShowSurface::contextMenuEvent(QContextMenuEvent* event) {
    event->accept(); // no popup during a show
}

struct WindowShowHost::ProbedSlide {
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline{jpeg};
    core::DocumentState doc;
    int result = -1;
};

WindowShowHost::WindowShowHost(WindowContext& ctx) : ctx_(ctx) {}

WindowShowHost::~WindowShowHost() {
    delete showPlayer_.data();
    delete minimiseWatch_;
    delete surface_.data();
}

bool WindowShowHost::Ask(const std::string& question) {
    if (onMessage) onMessage(question);
    return ctx_.prompter.Message({BoxType::Question, "Vistrel", QString::fromStdString(question),
                                  kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
}

void WindowShowHost::Message(const std::string& text) {
    if (onMessage) onMessage(text);
    ctx_.prompter.Message(
        {BoxType::Critical, "Vistrel", QString::fromStdString(text), kBtnOk, kBtnOk});
}

void WindowShowHost::OpenHelp(int context) {
    ctx_.OpenHelp(context);
}

void WindowShowHost::EnterFullScreenIfAsked() {
    if (ctx_.settings.AlwaysFullScreen && ctx_.layouts && !ctx_.layouts->fullScreen())
        ctx_.layouts->mnuFullScrnClick();
}

void WindowShowHost::PrepareWindow() {
    QMainWindow& w = ctx_.window;
    // A clip shown in the window stops: the show has its own player.
    if (ctx_.mediaMode && ctx_.media) ctx_.media->AV_UI(false);
    clock_.start();
    if (ctx_.mouse) ctx_.mouse->mnuHandClick();
    // Slides are fitted to the window; the mode comes back at the end.
    fitToWindow_ = ctx_.settings.FitToWindow != 0;
    ctx_.settings.FitToWindow = 1;
    if (ctx_.dur95) ctx_.dur95->SetPaintLock(true);
    toolVisible_ = ctx_.panelTool && ctx_.panelTool->isVisible();
    historyVisible_ = ctx_.panelHistory && ctx_.panelHistory->isVisible();
    statusVisible_ = w.statusBar()->isVisible();
    menuBarVisible_ = w.menuBar()->isVisible();
    acceptDrops_ = w.acceptDrops();
    popupPolicy_ = w.contextMenuPolicy();
    if (ctx_.panelTool) ctx_.panelTool->setVisible(false);
    w.statusBar()->setVisible(false);
    if (ctx_.settings.ShowMenus) w.menuBar()->setVisible(false);
    // Every command is off during a show, shortcuts too; drops and the popup are ignored.
    // All states first: twins follow each other when one changes.
    enabled_.clear();
    for (QAction* a : ctx_.menus.actions())
        enabled_.emplace_back(a, a->isEnabled());
    for (auto& [a, on] : enabled_)
        a->setEnabled(false);
    w.setAcceptDrops(false);
    w.setContextMenuPolicy(Qt::PreventContextMenu);

    QWidget* area = w.centralWidget() ? w.centralWidget() : &w;
    surface_ = new ShowSurface(area);
    surface_->setFast(fast_);
    surface_->setGeometry(area->rect());
    surface_->onRelease = [this](Qt::MouseButton b) {
        if (!engine_) return;
        if (b == Qt::RightButton)
            engine_->RequestSkip();
        else
            engine_->RequestStop();
    };
    surface_->onEscape = [this] {
        if (engine_) engine_->RequestStop();
    };
    surface_->onExposed = [this] {
        if (engine_) engine_->MarkClearPending();
    };
    minimiseWatch_ = new MinimiseWatch(&w, [this] {
        if (engine_) engine_->RequestStop();
    });
    surface_->show();
    surface_->raise();
    surface_->setFocus();
}

void WindowShowHost::RestoreWindow() {
    QMainWindow& w = ctx_.window;
    delete minimiseWatch_;
    minimiseWatch_ = nullptr;
    delete surface_.data();
    if (ctx_.input) ctx_.input->ShowEmptyPicture(false);
    ctx_.settings.FitToWindow = fitToWindow_ ? 1 : 0;
    if (ctx_.view) ctx_.view->ShowZoomState(); // the menu check and the tool button match again
    if (ctx_.panelTool) ctx_.panelTool->setVisible(toolVisible_);
    if (ctx_.panelHistory) ctx_.panelHistory->setVisible(historyVisible_);
    w.statusBar()->setVisible(statusVisible_);
    w.menuBar()->setVisible(menuBarVisible_);
    for (auto& [a, on] : enabled_)
        if (a) a->setEnabled(on);
    enabled_.clear();
    w.setAcceptDrops(acceptDrops_);
    if (ctx_.dur95) ctx_.dur95->SetPaintLock(false);
    ProcessEvents();
    // A short pause before the window takes input again, so the click or key
    // that stopped the show does not also reach the picture.
    WaitUntil(NowMs() + kEndPauseMs);
    w.setContextMenuPolicy(popupPolicy_);
    if (ctx_.status) {
        ctx_.status->UpdateCaption();
        ctx_.status->EnableControls();
    }
    if (ctx_.settings.FitToWindow && ctx_.view) ctx_.view->FormResize();
}

void WindowShowHost::WaitUntil(std::int64_t untilMs) {
    // After the show: no flags to cut the wait short.
    do
        RunEventsTowards(untilMs, false);
    while (!fast_ && NowMs() < untilMs);
}

void WindowShowHost::ReopenCurrent() {
    if (!ctx_.history || !ctx_.input) return;
    const QString name = ctx_.history->currentText();
    if (!name.isEmpty() && QFileInfo(name).isFile()) ctx_.input->DragOpen(name);
}

void WindowShowHost::Box(int* width, int* height) {
    *width = surface_ ? std::max(1, surface_->width()) : 1;
    *height = surface_ ? std::max(1, surface_->height()) : 1;
}

void WindowShowHost::SetCaption(const std::string& caption) {
    ctx_.window.setWindowTitle(QString::fromStdString(caption));
}

void WindowShowHost::SelectBookmark(int index) {
    ctx_.bookmarks.select(index);
    if (ctx_.history && index < ctx_.history->count()) ctx_.history->setCurrentIndex(index);
}

namespace {

// The window's open environment as a show uses it: the pipeline's show route
// (JPEG slides decoded reduced into the box, Photo CD slides at Base, refused
// files passed over without a message), the pictures kept at their depth.
core::OpenEnvironment ShowEnvironment(const WindowContext& ctx, int w, int h) {
    core::OpenEnvironment env = ctx.input->Environment();
    env.ShowRunning = true;
    env.AutoReduce = false;
    env.FitToWindow = true;
    env.FirstLayout = false;
    env.clientWidth = w;
    env.clientHeight = h;
    return env;
}

} // namespace

cs::SlideKind WindowShowHost::Probe(const std::string& file) {
    // The probe does not depend on the box: the decode is fitted at Load.
    probed_ = std::make_unique<ProbedSlide>();
    probed_->doc.CurrentFile = file;
    probed_->result = probed_->pipeline.ProbeFile(probed_->doc, ShowEnvironment(ctx_, 1, 1)).result;
    if (probed_->result == 2) return cs::SlideKind::Media;
    return probed_->result < 0 ? cs::SlideKind::Unreadable : cs::SlideKind::Picture;
}

cs::LoadedSlide WindowShowHost::Load(const std::string& file, int boxWidth, int boxHeight,
                                     int gamma) {
    picture_ = core::Bitmap();
    const core::OpenEnvironment env = ShowEnvironment(ctx_, boxWidth, boxHeight);
    if (!probed_ || probed_->doc.CurrentFile != file) Probe(file);
    const std::unique_ptr<ProbedSlide> slide = std::move(probed_);
    if (slide->result < 0) return {};
    auto decoded = slide->pipeline.OpenImage(slide->doc, env, {});
    if (!decoded) return {};
    core::Bitmap pic = std::move(decoded.value().picture);
    if (pic.empty()) return {};
    auto fitted = cs::FitSlideIntoBox(std::move(pic), boxWidth, boxHeight);
    if (!fitted) return {};
    pic = std::move(fitted).value();
    cs::ApplySlideGamma(pic, gamma);
    picture_ = std::move(pic);
    return {cs::LoadResult::Ok, picture_.width(), picture_.height()};
}

void WindowShowHost::Fill(std::uint32_t colour) {
    if (!surface_) return;
    QRgb rgb;
    if (colour & 0xFF000000u) {
        rgb = ctx_.window.palette().color(QPalette::Window).rgb();
    } else {
        rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    surface_->FillColour(rgb);
    surface_->repaint();
}

bool WindowShowHost::MatchDisplay() {
    if (picture_.empty()) return false;
    auto matched = cs::MatchSlideToDisplay(std::move(picture_), ctx_.screenBits,
                                           ctx_.settings.SvgaPalette);
    if (!matched) return false; // nothing to draw: the draw reports it
    picture_ = std::move(matched->picture);
    return matched->fillFirst;
}

cs::DrawOutcome WindowShowHost::Draw(const cs::Rect& target, const cs::Rect& source,
                                     const cs::SlideEffect& effect, const im::FxCallback* pacing) {
    if (!surface_ || picture_.empty()) return cs::DrawOutcome::Failed;
    QElapsedTimer took;
    took.start();
    const int presentsBefore = surface_->presents();
    int status;
    if (!effect.withEffect) {
        status = im::DrawPicture(picture_, *surface_, target, source);
    } else {
        im::FxParams p;
        p.effect = effect.draw.Effect;
        p.option = effect.draw.Option;
        p.grain = effect.draw.Grain;
        p.pace = effect.draw.Pace;
        p.pause = effect.draw.Pause;
        p.seed = effect.renderSeed;
        status = im::DrawPictureFX(picture_, *surface_, target, source, p, pacing);
    }
    lastFrames_ = surface_->presents() - presentsBefore;
    lastDrawMs_ = took.nsecsElapsed() / 1e6;
    if (status == im::IMG_OK) return cs::DrawOutcome::Done;
    if (status == im::IMG_STOPPED) return cs::DrawOutcome::Stopped;
    return cs::DrawOutcome::Failed;
}

namespace {

// Clicks on the show player work as on the show: right skips, others stop.
class PlayerClicks : public QObject {
  public:
    PlayerClicks(QObject* player, std::function<void(Qt::MouseButton)> onRelease)
        : QObject(player), onRelease_(std::move(onRelease)) {
        player->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            onRelease_(static_cast<QMouseEvent*>(event)->button());
            return true;
        }
        return event->type() == QEvent::ContextMenu;
    }

  private:
    std::function<void(Qt::MouseButton)> onRelease_;
};

} // namespace

cs::MediaOutcome WindowShowHost::PlayMedia(const cs::MediaSlide& slide) {
    namespace cm = core::media;
    if (!showPlayer_) {
        std::unique_ptr<MediaBackend> backend = CreateMediaBackend();
        if (!backend) {
            // No player can be made: its warning once, and the clips are passed over.
            if (!playerWarned_) {
                playerWarned_ = true;
                if (onMessage) onMessage(kNoPlayerText);
                ctx_.prompter.Message({BoxType::Warning, "Vistrel", kNoPlayerText, kBtnOk, kBtnOk});
            }
            return cs::MediaOutcome::NoPlayer;
        }
        QWidget* parent = surface_ ? static_cast<QWidget*>(surface_.data()) : &ctx_.window;
        showPlayer_ = new TMediaPlayer(std::move(backend), parent);
        showPlayer_->SetShowStatusBar(false);
        showPlayer_->SetShowTracker(false);
        showPlayer_->SetShowControls(false);
        new PlayerClicks(showPlayer_, [this](Qt::MouseButton b) {
            if (!engine_) return;
            if (b == Qt::RightButton)
                engine_->RequestSkip();
            else
                engine_->RequestStop();
        });
        showPlayer_->setGeometry(0, 0, 1, 1);
        showPlayer_->hide();
        QCoreApplication::processEvents();
    }
    TMediaPlayer& player = *showPlayer_;
    clipShot_ = QImage();
    player.SetVolume(core::options::PlayerVolume(ctx_.settings.Volume));
    auto stopped = [this] { return engine_ && engine_->stopRequested(); };
    player.SetFileName(QString::fromStdString(slide.file));
    // The clip's facts come when the back end has opened it.
    PumpEventsWhile(
        [&] { return showPlayer_ && player.OpenState() == TMediaPlayer::kOpening && !stopped(); },
        cm::kOpenTimeoutMs);
    if (!showPlayer_) return cs::MediaOutcome::NoPlayer;
    if (stopped()) return cs::MediaOutcome::Played;
    if (player.OpenState() != TMediaPlayer::kOpen) return cs::MediaOutcome::Unreadable;

    if (player.ImageSourceHeight() != 0) {
        // An 8-bit display with a palette of its own per slide starts from a clean area.
        if (ctx_.screenBits == 8 && ctx_.settings.SvgaPalette != 2) Fill(slide.background);
        cm::SlideClip c;
        c.clipW = player.ImageSourceWidth();
        c.clipH = player.ImageSourceHeight();
        c.boxW = slide.boxWidth;
        c.boxH = slide.boxHeight;
        c.script = slide.script;
        c.zoom = slide.zoom;
        c.x = slide.x;
        c.y = slide.y;
        c.autoSizeVideo = ctx_.settings.AutoSizeVideo != 0;
        const cm::Box b = cm::SlideBounds(c);
        player.SetDisplaySize(cm::kFitSize);
        player.setGeometry(b.left, b.top, std::max(1, b.width), std::max(1, b.height));
        player.show();
        player.raise();
    } else {
        player.setGeometry(0, 0, 1, 1);
        player.hide();
    }
    if (engine_) engine_->MarkClearPending();
    player.Play();
    // Until it ends, a stop or a skip; a clip that never starts counts as unreadable.
    QElapsedTimer waiting;
    waiting.start();
    bool started = false;
    bool skipped = false;
    PumpEventsWhile(
        [&] {
            if (!showPlayer_ || stopped()) return false;
            if (engine_ && engine_->skipRequested()) {
                skipped = true;
                return false;
            }
            if (player.PlayState() == TMediaPlayer::kPlaying && player.CurrentPosition() > 0)
                started = true;
            if (keepClipShots_ && clipShot_.isNull() && started && player.isVisible() &&
                player.framesShown() > 0 && surface_)
                clipShot_ = surface_->grab().toImage();
            if (!started) return waiting.elapsed() < cm::kStartTimeoutMs;
            return player.PlayState() == TMediaPlayer::kPlaying;
        },
        24 * 3600 * 1000);
    if (!showPlayer_) return cs::MediaOutcome::Played;
    // A clip that ended at once (shorter than a poll) started too.
    if (!started && player.framesShown() > 0) started = true;
    const bool ended = player.PlayState() != TMediaPlayer::kPlaying;
    player.Stop();
    player.hide();
    player.setGeometry(0, 0, 1, 1);
    QCoreApplication::processEvents();
    if (!started && !ended && !stopped() && !skipped) return cs::MediaOutcome::Unreadable;
    return cs::MediaOutcome::Played;
}

std::int64_t WindowShowHost::NowMs() {
    if (fast_) return virtual_;
    return clock_.isValid() ? clock_.elapsed() : 0;
}

void WindowShowHost::ProcessEvents() {
    QCoreApplication::processEvents();
}

void WindowShowHost::WaitEvents(std::int64_t untilMs) {
    RunEventsTowards(untilMs, true);
}

void WindowShowHost::RunEventsTowards(std::int64_t untilMs, bool showFlags) {
    if (fast_) {
        QCoreApplication::processEvents();
        virtual_ = std::max(virtual_, untilMs);
        return;
    }
    const std::int64_t left = untilMs - NowMs();
    QCoreApplication::processEvents(QEventLoop::AllEvents,
                                    static_cast<int>(std::clamp<std::int64_t>(left, 0, 10)));
    const bool cut = showFlags && engine_ && (engine_->stopRequested() || engine_->skipRequested());
    if (!cut && NowMs() < untilMs)
        QThread::msleep(
            static_cast<unsigned long>(std::clamp<std::int64_t>(untilMs - NowMs(), 0, 5)));
}

void WindowShowHost::Sleep(int ms) {
    if (fast_) {
        virtual_ += std::max(ms, 0);
        return;
    }
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace gui
