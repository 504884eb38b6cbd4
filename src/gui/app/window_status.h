// Caption, status bar and the states of the commands.
#pragma once

#include <QString>

namespace gui {

struct WindowContext;

// Where the popup menu was opened.
enum class PopupPlace { None, Picture, Toolbar, StatusBar, History, Player };

class WindowStatus {
  public:
    explicit WindowStatus(WindowContext& ctx) : ctx_(ctx) {}

    void UpdateCaption();
    QString Description() const;
    void StatusReady();
    void ShowBusy(const QString& operation);
    void SetStatusText(const QString& text);
    void ProgressBegin();
    void ProgressStep(int percent);
    void EnableControls();
    // The menus as they are to be seen from `place`.
    void MainMenuPopup(PopupPlace place);
    void ApplyDepthRules();

  private:
    WindowContext& ctx_;
};

} // namespace gui
