#include "gui/media/qt_media_backend.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>

namespace gui {

namespace {

MediaBackendFactory& Factory() {
    static MediaBackendFactory factory;
    return factory;
}

// A video (or a sound that does not tell its length before it plays) is played
// muted up to its first picture (its size) and its length; past these limits
// it opens with what it has.
constexpr int kPrimeLimitMs = 4000;
constexpr int kReloadLimitMs = 3000;
// Pausing in the very moment the first frame arrives upsets the pipeline.
constexpr int kPrimeSettleMs = 100;

} // namespace

std::unique_ptr<MediaBackend> CreateMediaBackend() {
    if (Factory()) return Factory()();
    return std::make_unique<QtMediaBackend>();
}

void SetMediaBackendFactory(MediaBackendFactory factory) {
    Factory() = std::move(factory);
}

QtMediaBackend::QtMediaBackend()
    : player_(std::make_unique<QMediaPlayer>()), audio_(std::make_unique<QAudioOutput>()),
      sink_(std::make_unique<QVideoSink>()) {
    player_->setAudioOutput(audio_.get());
    player_->setVideoSink(sink_.get());
    primeLimit_ = new QTimer(this);
    primeLimit_->setSingleShot(true);
    connect(primeLimit_, &QTimer::timeout, this, [this] {
        if (stage_ == Stage::Reloading) {
            Reloaded();
            return;
        }
        if (stage_ == Stage::Loading && playPrime_) {
            Fail("The clip did not open.");
            return;
        }
        if (stage_ != Stage::Priming) return;
        Primed();
    });
    connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus st) {
                if (st == QMediaPlayer::LoadedMedia && stage_ == Stage::Loading)
                    Loaded();
                else if (st == QMediaPlayer::LoadedMedia && stage_ == Stage::Reloading)
                    Reloaded();
                else if (st == QMediaPlayer::InvalidMedia)
                    Fail(player_->errorString());
                else if (st == QMediaPlayer::EndOfMedia && stage_ == Stage::Priming)
                    Primed(); // a broken stream ends before it shows anything
                else if (st == QMediaPlayer::EndOfMedia && stage_ == Stage::Open) {
                    // At its end a clip is at its length, whatever the stream's clock says.
                    atEnd_ = true;
                    if (onEnded) onEnded();
                }
            });
    connect(player_.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                if (stage_ == Stage::Open) {
                    // A stream that breaks while playing ends there.
                    if (onEnded) onEnded();
                    return;
                }
                Fail(text);
            });
    connect(player_.get(), &QMediaPlayer::durationChanged, this, [this](qint64 d) {
        if (d <= 0) return;
        duration_ = std::max<qint64>(0, d);
        if (stage_ == Stage::Priming && (!player_->hasVideo() || width_ > 0)) SchedulePrimed();
    });
    // Frames come from the streaming thread: taken up on this one.
    connect(
        sink_.get(), &QVideoSink::videoFrameChanged, this,
        [this](const QVideoFrame& f) { FrameArrived(f); }, Qt::QueuedConnection);
}

QtMediaBackend::~QtMediaBackend() {
    onOpened = nullptr;
    onFailed = nullptr;
    onEnded = nullptr;
    onFrame = nullptr;
    player_->stop();
}

void QtMediaBackend::Open(const QString& path) {
    stage_ = Stage::Loading;
    duration_ = 0;
    width_ = height_ = 0;
    base_ = 0;
    primeScheduled_ = false;
    playPrime_ = false;
    atEnd_ = false;
    firstFrame_ = QImage();
    if (!QFileInfo(path).isFile()) {
        QTimer::singleShot(0, this, [this] { Fail("The file does not exist."); });
        return;
    }
    source_ = QUrl::fromLocalFile(path);
    player_->setSource(source_);
}

void QtMediaBackend::Loaded() {
    duration_ = std::max<qint64>(0, player_->duration());
    const qint64 at = player_->position();
    base_ = at > 0 && (duration_ == 0 || at < duration_) ? at : 0;
    if (!player_->hasVideo() && duration_ > 0) {
        stage_ = Stage::Open;
        if (onOpened) onOpened();
        return;
    }
    // Played muted for the facts, then loaded once more to wait at its start:
    // MPEG streams paused before they ever played skip ahead when played.
    stage_ = Stage::Priming;
    playPrime_ = true;
    audio_->setMuted(true);
    primeLimit_->start(kPrimeLimitMs);
    player_->play();
}

void QtMediaBackend::SchedulePrimed() {
    if (primeScheduled_) return;
    primeScheduled_ = true;
    QTimer::singleShot(kPrimeSettleMs, this, [this] {
        if (stage_ == Stage::Priming) Primed();
    });
}

void QtMediaBackend::FrameArrived(const QVideoFrame& frame) {
    if (!frame.isValid() || (stage_ != Stage::Open && stage_ != Stage::Priming)) return;
    // Each frame is converted once, for the first picture and the player alike.
    const QImage image = frame.toImage();
    if (stage_ == Stage::Priming) {
        if (width_ == 0) {
            width_ = frame.width();
            height_ = frame.height();
            firstFrame_ = image;
        }
        if (duration_ > 0) SchedulePrimed();
    }
    if (onFrame) onFrame(image);
}

void QtMediaBackend::Primed() {
    // Loaded once more, it waits at its start as a clip just loaded.
    primeLimit_->stop();
    stage_ = Stage::Reloading;
    primeLimit_->start(kReloadLimitMs);
    player_->setSource(QUrl());
    player_->setSource(source_);
}

void QtMediaBackend::Reloaded() {
    primeLimit_->stop();
    audio_->setMuted(false);
    audio_->setVolume(float(gain_));
    stage_ = Stage::Open;
    if (onOpened) onOpened();
}

void QtMediaBackend::Fail(const QString& reason) {
    if (stage_ == Stage::Failed || stage_ == Stage::Open) return;
    primeLimit_->stop();
    stage_ = Stage::Failed;
    playPrime_ = false;
    player_->stop();
    if (onFailed) onFailed(reason.isEmpty() ? QString("The clip cannot be played.") : reason);
}

void QtMediaBackend::Play() {
    if (stage_ != Stage::Open) return;
    atEnd_ = false;
    player_->play();
}

void QtMediaBackend::Pause() {
    if (stage_ != Stage::Open) return;
    player_->pause();
}

void QtMediaBackend::Stop() {
    if (stage_ != Stage::Open) return;
    atEnd_ = false;
    if (playPrime_) {
        player_->setSource(QUrl());
        player_->setSource(source_);
        // Loaded again it shows nothing until it plays: show its first picture.
        if (onFrame && !firstFrame_.isNull()) onFrame(firstFrame_);
        return;
    }
    player_->pause();
    player_->setPosition(base_);
}

double QtMediaBackend::Position() const {
    if (atEnd_) return Duration();
    const qint64 p =
        std::clamp<qint64>(player_->position() - base_, 0, duration_ > 0 ? duration_ : INT64_MAX);
    return p / 1000.0;
}

void QtMediaBackend::SetPosition(double seconds) {
    if (stage_ != Stage::Open) return;
    atEnd_ = false;
    const qint64 ms =
        std::clamp<qint64>(qint64(seconds * 1000 + 0.5), 0, duration_ > 0 ? duration_ : INT64_MAX);
    player_->setPosition(base_ + ms);
}

void QtMediaBackend::SetGain(double gain) {
    gain_ = std::clamp(gain, 0.0, 1.0);
    if (stage_ != Stage::Priming) audio_->setVolume(float(gain_));
}

double QtMediaBackend::Duration() const {
    return duration_ / 1000.0;
}

} // namespace gui
