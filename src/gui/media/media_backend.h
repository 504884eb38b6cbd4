// What the player needs from a media back end: open a file, play, pause,
// stop and seek, its facts once open (duration, picture size), its frames
// and its end. The real one is Qt Multimedia; tests script their own.
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace gui {

class MediaBackend {
  public:
    virtual ~MediaBackend() = default;

    // Starts opening; onOpened or onFailed follows later, through events.
    virtual void Open(const QString& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // Back to the start, the first picture kept.
    virtual void Stop() = 0;
    virtual double Position() const = 0; // seconds from the clip's start
    virtual void SetPosition(double seconds) = 0;
    virtual void SetGain(double gain) = 0; // 0..1
    // Facts, valid once open.
    virtual double Duration() const = 0;
    virtual int Width() const = 0; // 0 × 0 for sound
    virtual int Height() const = 0;

    std::function<void()> onOpened;
    std::function<void(const QString& reason)> onFailed;
    std::function<void()> onEnded;
    std::function<void(const QImage& frame)> onFrame;
};

using MediaBackendFactory = std::function<std::unique_ptr<MediaBackend>()>;

// The back end new players get: Qt Multimedia unless a test set another.
// A factory that returns null stands for a player that cannot be created.
std::unique_ptr<MediaBackend> CreateMediaBackend();
void SetMediaBackendFactory(MediaBackendFactory factory);

} // namespace gui
