// The show in the window: a surface over the client area that the effects
// draw on, and the host that gives the show engine the window's loading,
// drawing, events, bars and menus.
#pragma once

#include "core/common/bitmap.h"
#include "core/imageman/draw_fx.h"
#include "core/slideshow/show_engine.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;

namespace gui {
class TMediaPlayer;
}

namespace gui {

struct WindowContext;

class ShowSurface : public QWidget, public core::imageman::DrawSurface {
  public:
    explicit ShowSurface(QWidget* parent);

    std::function<void(Qt::MouseButton)> onRelease;
    std::function<void()> onEscape;
    std::function<void()> onExposed; // paints and resizes: clear before the next slide

    void FillColour(QRgb rgb);
    const QImage& frame() const { return frame_; }

    core::imageman::Frame32View Pixels() override;
    void Present(const core::imageman::Rect& changed) override;
    std::int64_t NowMs() override { return fast_ ? virtual_ : clock_.elapsed(); }
    int presents() const { return presents_; }
    // Waits and pacing on a virtual clock (the headless runs).
    void setFast(bool on) { fast_ = on; }
    void SleepUntilMs(std::int64_t t) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QImage frame_;
    QElapsedTimer clock_;
    bool fast_ = false;
    std::int64_t virtual_ = 0;
    int presents_ = 0;
};

class WindowShowHost : public core::slideshow::ShowHost {
  public:
    explicit WindowShowHost(WindowContext& ctx);
    ~WindowShowHost() override;

    void setEngine(core::slideshow::ShowEngine* engine) { engine_ = engine; }
    void setFast(bool on) { fast_ = on; }
    // Each message box's text, for the headless log.
    std::function<void(const std::string&)> onMessage;
    ShowSurface* surface() const { return surface_; }
    // With this on, a video slide's picture is kept as it played (the headless shots).
    void setKeepClipShots(bool on) { keepClipShots_ = on; }
    const QImage& clipShot() const { return clipShot_; }
    // The last draw: frames presented and the real time it took.
    int lastFrames() const { return lastFrames_; }
    double lastDrawMs() const { return lastDrawMs_; }

    bool Ask(const std::string& question) override;
    void Message(const std::string& text) override;
    void OpenHelp(int context) override;
    void EnterFullScreenIfAsked() override;
    void CloseLibraryImage() override { picture_ = core::Bitmap(); }
    void PrepareWindow() override;
    void RestoreWindow() override;
    void ReopenCurrent() override;
    void Box(int* width, int* height) override;
    void SetCaption(const std::string& caption) override;
    void SelectBookmark(int index) override;
    core::slideshow::SlideKind Probe(const std::string& file) override;
    core::slideshow::LoadedSlide Load(const std::string& file, int boxWidth, int boxHeight,
                                      int gamma) override;
    void Fill(std::uint32_t colour) override;
    bool MatchDisplay() override;
    core::slideshow::DrawOutcome Draw(const core::slideshow::Rect& target,
                                      const core::slideshow::Rect& source,
                                      const core::slideshow::SlideEffect& effect,
                                      const core::imageman::FxCallback* pacing) override;
    core::slideshow::MediaOutcome PlayMedia(const core::slideshow::MediaSlide& slide) override;
    std::int64_t NowMs() override;
    void ProcessEvents() override;
    void WaitEvents(std::int64_t untilMs) override;
    void Sleep(int ms) override;

  private:
    // The slide the last Probe read, kept for its Load so the file is not
    // opened twice.
    struct ProbedSlide;
    static constexpr int kEndPauseMs = 333;
    // Runs events until the time, on the show's clock (virtual when fast).
    void WaitUntil(std::int64_t untilMs);
    // One round of events towards the time; with showFlags a stop or skip
    // ends it without sleeping.
    void RunEventsTowards(std::int64_t untilMs, bool showFlags);

    WindowContext& ctx_;
    std::unique_ptr<ProbedSlide> probed_;
    core::slideshow::ShowEngine* engine_ = nullptr;
    QPointer<ShowSurface> surface_;
    core::Bitmap picture_;
    QElapsedTimer clock_;
    bool playerWarned_ = false;
    // The hidden show player, made on the first clip and freed with the host
    // at the show's end (a refused close only stops the show).
    QPointer<TMediaPlayer> showPlayer_;
    int lastFrames_ = 0;
    double lastDrawMs_ = 0;
    QObject* minimiseWatch_ = nullptr;
    bool keepClipShots_ = false;
    QImage clipShot_;
    bool fast_ = false;
    std::int64_t virtual_ = 0;
    // What the start steps changed, to put back exactly.
    bool toolVisible_ = false, statusVisible_ = false, historyVisible_ = false;
    bool menuBarVisible_ = false, acceptDrops_ = false, fitToWindow_ = false;
    Qt::ContextMenuPolicy popupPolicy_ = Qt::DefaultContextMenu;
    std::vector<std::pair<QPointer<QAction>, bool>> enabled_;
};

} // namespace gui
