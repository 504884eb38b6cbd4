// The window side of clips: media mode with the view player in place of the
// picture, opening a clip from every route, its commands (play/pause, stop,
// zoom and fit on the player, "&Adjust window"), full screen in and out
// with the position and play state kept, and the player's settings.
#pragma once

#include "gui/media/media_player.h"

#include <QPointer>
#include <QString>

#include <functional>

class QObject;

namespace gui {

struct WindowContext;
struct PlayerUpdate;

class MediaCommands {
  public:
    explicit MediaCommands(WindowContext& ctx);
    ~MediaCommands();

    // The open pipeline's clip branch: CurrentFile is the clip. Waits for
    // the back end to open it (events running, bounded); true when shown.
    // On false media mode is off and the caller puts the document back.
    bool OpenClip();
    // Media mode off: the player freed, the picture area and its colour back.
    void AV_UI(bool entering);
    void UI_Audio();
    void AV_FullScrnClick();
    void mnuAV_PlayClick();
    void mnuAV_StopClick();
    // "Zoom +", "Zoom -" and "Fit to window" on the player.
    void ZoomUp();
    void ZoomDown();
    void FitChanged();
    // The media layouts' parts (recorded in the settings).
    void SetParts(bool controls, bool tracker, bool statusLine);
    void ApplyPlayerUpdate(const PlayerUpdate& update);
    // The media states of the commands (after the picture's EnableControls).
    void EnableControls();
    // The player's right button: the popup with the player's commands.
    void AV_MouseDown(const QPoint& globalPos);
    // The window closes: the view player goes.
    void Close();

    TMediaPlayer* viewPlayer() const { return player_.data(); }
    // The window's own full-screen switch runs inside the clip's.
    bool switching() const { return switching_; }
    const QString& clipPath() const { return clipPath_; }
    int clipWidth() const { return clipWidth_; }
    int clipHeight() const { return clipHeight_; }
    double clipDuration() const { return clipDuration_; }
    // The heights of the player's parts shown, as measured.
    int PartsHeight() const;
    // The last failure's text, as the message box said it.
    const QString& lastError() const { return lastError_; }
    // Each player event, for the headless runs ("open", "play", "end" ...).
    std::function<void(const QString& event)> onEvent;

  private:
    bool OpenMediaView();
    void MeasureParts();
    void ApplyParts();
    void WatchScrollBox();
    void Report(const QString& text);

    WindowContext& ctx_;
    QPointer<TMediaPlayer> player_;
    QObject* sizeWatch_ = nullptr;
    QString clipPath_, lastError_;
    int clipWidth_ = 0, clipHeight_ = 0;
    double clipDuration_ = 0;
    int baseHeight_ = 0; // the bare player, measured once a run
    bool switching_ = false;
};

} // namespace gui
