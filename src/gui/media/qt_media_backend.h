// The media back end on Qt Multimedia (its GStreamer plugin): a player, an
// audio output and a video sink whose frames become images.
#pragma once

#include "gui/media/media_backend.h"

#include <QImage>
#include <QObject>
#include <QUrl>

#include <memory>

class QMediaPlayer;
class QAudioOutput;
class QVideoSink;
class QVideoFrame;
class QTimer;

namespace gui {

class QtMediaBackend : public QObject, public MediaBackend {
  public:
    QtMediaBackend();
    ~QtMediaBackend() override;

    void Open(const QString& path) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    double Position() const override;
    void SetPosition(double seconds) override;
    void SetGain(double gain) override;
    double Duration() const override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }

  private:
    void Loaded();
    void FrameArrived(const QVideoFrame& frame);
    void Primed();
    void SchedulePrimed();
    void Reloaded();
    void Fail(const QString& reason);

    std::unique_ptr<QMediaPlayer> player_;
    std::unique_ptr<QAudioOutput> audio_;
    std::unique_ptr<QVideoSink> sink_;
    QTimer* primeLimit_ = nullptr;
    enum class Stage { Closed, Loading, Priming, Reloading, Open, Failed } stage_ = Stage::Closed;
    qint64 base_ = 0; // the stream time the clip starts at (MPEG streams start late)
    qint64 duration_ = 0;
    int width_ = 0, height_ = 0;
    double gain_ = 1.0;
    bool primeScheduled_ = false;
    bool atEnd_ = false;
    bool playPrime_ = false; // played muted for its facts, so stopped by loading it again
    QImage firstFrame_;      // what a stopped video shows: it waits at its start
    QUrl source_;
};

} // namespace gui
