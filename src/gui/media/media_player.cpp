#include "gui/media/media_player.h"

#include "core/media/media_rules.h"
#include "gui/app/event_pump.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace gui {

namespace cm = core::media;

// Paints the clip's current frame at the display size, on the player's colour.
class VideoArea : public QWidget {
  public:
    explicit VideoArea(TMediaPlayer* player) : QWidget(player), player_(player) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setMinimumSize(0, 0);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(player_->DisplayBackColor()));
        const QImage& f = player_->frame_;
        if (f.isNull()) return;
        const cm::Box b = cm::VideoBox(player_->displaySize_, player_->ImageSourceWidth(),
                                       player_->ImageSourceHeight(), width(), height());
        if (b.width <= 0 || b.height <= 0) return;
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(b.left, b.top, b.width, b.height), f);
    }

  private:
    TMediaPlayer* player_;
};

namespace {

QString Clock(double seconds) {
    const int s = std::max(0, int(seconds));
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

} // namespace

TMediaPlayer::TMediaPlayer(std::unique_ptr<MediaBackend> backend, QWidget* parent)
    : QWidget(parent), backend_(std::move(backend)) {
    setObjectName("MediaPlayer");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(DisplayBackColor()));
    setPalette(pal);

    video_ = new VideoArea(this);
    tracker_ = new QSlider(Qt::Horizontal, this);
    tracker_->setObjectName("MediaTracker");
    tracker_->setRange(0, 0);
    controls_ = new QWidget(this);
    controls_->setObjectName("MediaControls");
    controls_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(2, 2, 2, 2);
    auto button = [this, row](const char* name, const QString& text, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(controls_);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(text);
        b->setIcon(style()->standardIcon(icon));
        row->addWidget(b);
        return b;
    };
    playButton_ = button("MediaPlay", "Play", QStyle::SP_MediaPlay);
    pauseButton_ = button("MediaPause", "Pause", QStyle::SP_MediaPause);
    stopButton_ = button("MediaStop", "Stop", QStyle::SP_MediaStop);
    row->addStretch(1);
    status_ = new QLabel(this);
    status_->setObjectName("MediaStatus");
    status_->setAutoFillBackground(true);
    status_->setContentsMargins(4, 2, 4, 2);

    // The bars keep the desktop's colours; only the video area is the player's.
    for (QWidget* part :
         {static_cast<QWidget*>(tracker_), controls_, static_cast<QWidget*>(status_)}) {
        const QPalette desktop = QApplication::palette(part);
        QPalette own;
        for (int r = 0; r < QPalette::NColorRoles; ++r)
            for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                own.setColor(g, QPalette::ColorRole(r), desktop.color(g, QPalette::ColorRole(r)));
        part->setPalette(own);
        part->setAutoFillBackground(true);
    }
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    col->addWidget(video_, 1);
    col->addWidget(tracker_);
    col->addWidget(controls_);
    col->addWidget(status_);

    connect(playButton_, &QToolButton::clicked, this, [this] { Play(); });
    connect(pauseButton_, &QToolButton::clicked, this, [this] { Pause(); });
    connect(stopButton_, &QToolButton::clicked, this, [this] { Stop(); });
    connect(tracker_, &QSlider::sliderPressed, this, [this] { dragging_ = true; });
    connect(tracker_, &QSlider::sliderReleased, this, [this] {
        dragging_ = false;
        SetCurrentPosition(tracker_->value() / 10.0);
    });
    ticker_ = new QTimer(this);
    ticker_->setInterval(200);
    connect(ticker_, &QTimer::timeout, this, [this] { Tick(); });

    if (backend_) {
        backend_->onOpened = [this] {
            failure_.clear();
            // Every clip waits at its start until it is played.
            SetOpenState(kOpen);
            Stop();
            Tick();
            video_->update();
        };
        backend_->onFailed = [this](const QString& reason) {
            failure_ = reason;
            SetPlayState(kStopped);
            SetOpenState(kFailed);
        };
        backend_->onEnded = [this] {
            const bool wasPlaying = playState_ == kPlaying;
            SetPlayState(kStopped);
            Tick();
            if (wasPlaying) emit Ended();
        };
        backend_->onFrame = [this](const QImage& f) {
            frame_ = f;
            ++frames_;
            video_->update();
        };
    }
    UpdateParts();
    Tick();
}

TMediaPlayer::~TMediaPlayer() {
    if (backend_) {
        backend_->onOpened = nullptr;
        backend_->onFailed = nullptr;
        backend_->onEnded = nullptr;
        backend_->onFrame = nullptr;
    }
}

void TMediaPlayer::SetFileName(const QString& path) {
    fileName_ = path;
    failure_.clear();
    frame_ = QImage();
    frames_ = 0;
    SetPlayState(kStopped);
    SetOpenState(kOpening);
    if (!backend_) {
        failure_ = "No media player could be created.";
        SetOpenState(kFailed);
        return;
    }
    backend_->SetGain(cm::PlayerGain(volume_));
    backend_->Open(path);
}

double TMediaPlayer::CurrentPosition() const {
    return backend_ && openState_ == kOpen ? backend_->Position() : 0.0;
}

void TMediaPlayer::SetCurrentPosition(double seconds) {
    if (backend_ && openState_ == kOpen) backend_->SetPosition(std::max(0.0, seconds));
    Tick();
}

double TMediaPlayer::Duration() const {
    return backend_ && openState_ == kOpen ? backend_->Duration() : 0.0;
}

int TMediaPlayer::ImageSourceWidth() const {
    return backend_ && openState_ == kOpen ? backend_->Width() : 0;
}

int TMediaPlayer::ImageSourceHeight() const {
    return backend_ && openState_ == kOpen ? backend_->Height() : 0;
}

void TMediaPlayer::SetVolume(int playerVolume) {
    volume_ = std::min(0, playerVolume);
    if (backend_) backend_->SetGain(cm::PlayerGain(volume_));
}

void TMediaPlayer::SetDisplaySize(int size) {
    displaySize_ = size;
    video_->update();
}

void TMediaPlayer::SetShowStatusBar(bool on) {
    showStatus_ = on;
    UpdateParts();
}

void TMediaPlayer::SetShowTracker(bool on) {
    showTracker_ = on;
    UpdateParts();
}

void TMediaPlayer::SetShowControls(bool on) {
    showControls_ = on;
    UpdateParts();
}

void TMediaPlayer::UpdateParts() {
    status_->setVisible(showStatus_);
    tracker_->setVisible(showTracker_);
    controls_->setVisible(showControls_);
}

int TMediaPlayer::StatusBarHeight() const {
    return status_->sizeHint().height();
}

int TMediaPlayer::TrackerHeight() const {
    return tracker_->sizeHint().height();
}

int TMediaPlayer::ControlsHeight() const {
    return controls_->sizeHint().height();
}

int TMediaPlayer::PartsHeight() const {
    return (showStatus_ ? StatusBarHeight() : 0) + (showTracker_ ? TrackerHeight() : 0) +
           (showControls_ ? ControlsHeight() : 0);
}

void TMediaPlayer::Play() {
    if (!backend_ || openState_ != kOpen) return;
    backend_->Play();
    SetPlayState(kPlaying);
}

void TMediaPlayer::Pause() {
    if (!backend_ || openState_ != kOpen || playState_ != kPlaying) return;
    backend_->Pause();
    SetPlayState(kPaused);
}

void TMediaPlayer::Stop() {
    if (!backend_ || openState_ != kOpen) return;
    backend_->Stop();
    SetPlayState(kStopped);
    Tick();
}

QString TMediaPlayer::WhyNotOpen() const {
    if (openState_ == kOpening)
        return QString("The clip did not open within %1 seconds.").arg(cm::kOpenTimeoutMs / 1000);
    return failure_;
}

bool TMediaPlayer::WaitOpen(int timeoutMs) {
    // The window may close (and free the player) while the events run.
    const QPointer<TMediaPlayer> self(this);
    PumpEventsWhile([&self] { return self && self->openState_ == kOpening; }, timeoutMs);
    return self && self->openState_ == kOpen;
}

void TMediaPlayer::SetPlayState(int state) {
    if (state == playState_) return;
    const int old = playState_;
    playState_ = state;
    if (state == kPlaying)
        ticker_->start();
    else
        ticker_->stop();
    playButton_->setEnabled(state != kPlaying);
    pauseButton_->setEnabled(state == kPlaying);
    stopButton_->setEnabled(state != kStopped);
    Tick();
    emit PlayStateChange(old, state);
}

void TMediaPlayer::SetOpenState(int state) {
    if (state == openState_) return;
    const int old = openState_;
    openState_ = state;
    emit OpenStateChange(old, state);
}

void TMediaPlayer::Tick() {
    const double pos = CurrentPosition(), dur = Duration();
    // Some streams tell their length only after they opened: the bar follows it.
    const int length = int(std::lround(dur * 10));
    if (tracker_->maximum() != length) tracker_->setRange(0, length);
    if (!dragging_) tracker_->setValue(int(std::lround(pos * 10)));
    QString text;
    if (openState_ == kOpening)
        text = "Opening...";
    else if (openState_ == kFailed)
        text = "Cannot play the clip.";
    else if (openState_ == kOpen)
        text = QString("%1  %2 / %3")
                   .arg(playState_ == kPlaying  ? "Playing"
                        : playState_ == kPaused ? "Paused"
                                                : "Stopped")
                   .arg(Clock(pos), Clock(dur));
    else
        text = "Ready";
    status_->setText(text);
}

void TMediaPlayer::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    emit RightClicked(event->globalPos());
}

} // namespace gui
