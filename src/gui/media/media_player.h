// The media player: one clip on a back end, with the properties the window
// and the show use (FileName, play and open state, position, duration, the
// picture's size, volume, DisplaySize), and its own widget: the video area,
// the track bar, the Play/Pause/Stop controls and the status line, each
// part shown or hidden on its own.
#pragma once

#include "gui/media/media_backend.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace gui {

// What the program says when no player can be made.
inline constexpr const char* kNoPlayerText =
    "New Windows multimedia components not installed.\nSee FAQ for free download (upgrade) "
    "details.";

class VideoArea;

class TMediaPlayer : public QWidget {
    Q_OBJECT
  public:
    enum PlayStates { kStopped = 0, kPaused = 1, kPlaying = 2 };
    enum OpenStates { kClosed = 0, kOpening = 1, kOpen = 6, kFailed = -1 };

    // A null back end gives a player that opens nothing (every open fails).
    TMediaPlayer(std::unique_ptr<MediaBackend> backend, QWidget* parent = nullptr);
    ~TMediaPlayer() override;

    // Opening starts here; the facts follow with the open state 6.
    void SetFileName(const QString& path);
    QString FileName() const { return fileName_; }
    int PlayState() const { return playState_; }
    int OpenState() const { return openState_; }
    QString failure() const { return failure_; } // the back end's reason
    // Why the clip is not open after a WaitOpen: still opening, or the failure.
    QString WhyNotOpen() const;
    double CurrentPosition() const;
    void SetCurrentPosition(double seconds);
    double Duration() const;
    int ImageSourceWidth() const;
    int ImageSourceHeight() const;
    void SetVolume(int playerVolume); // 0 loudest .. −6908 (the settings' 1)
    int Volume() const { return volume_; }
    void SetDisplaySize(int size);
    int DisplaySize() const { return displaySize_; }
    void SetShowStatusBar(bool on);
    void SetShowTracker(bool on);
    void SetShowControls(bool on);
    bool ShowStatusBar() const { return showStatus_; }
    bool ShowTracker() const { return showTracker_; }
    bool ShowControls() const { return showControls_; }

    void Play();
    void Pause();
    void Stop();

    // Runs events until the clip is open or has failed, at most `timeoutMs`.
    // True when open; false too when the player was freed meanwhile (do not
    // touch it then).
    bool WaitOpen(int timeoutMs);
    // The heights of the parts as this screen draws them.
    int StatusBarHeight() const;
    int TrackerHeight() const;
    int ControlsHeight() const;
    // The heights of the parts shown now.
    int PartsHeight() const;

    const QImage& frame() const { return frame_; }
    int framesShown() const { return frames_; }
    QRgb DisplayBackColor() const { return qRgb(0, 0, 0); }

  signals:
    void OpenStateChange(int oldState, int newState);
    void PlayStateChange(int oldState, int newState);
    void RightClicked(const QPoint& globalPos);
    // The clip played to its end (the play state is then 0).
    void Ended();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void SetPlayState(int state);
    void SetOpenState(int state);
    void UpdateParts();
    void Tick();

    std::unique_ptr<MediaBackend> backend_;
    VideoArea* video_ = nullptr;
    QSlider* tracker_ = nullptr;
    QWidget* controls_ = nullptr;
    QToolButton *playButton_ = nullptr, *pauseButton_ = nullptr, *stopButton_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* ticker_ = nullptr;
    QString fileName_, failure_;
    int playState_ = kStopped;
    int openState_ = kClosed;
    int volume_ = 0;
    int displaySize_ = 0;
    bool showStatus_ = true, showTracker_ = true, showControls_ = true;
    bool dragging_ = false;
    QImage frame_;
    int frames_ = 0;
    friend class VideoArea;
};

} // namespace gui
