// The bookmark side of the main window: the list box and stepping through
// it, bookmark files, and copying, moving and deleting the file shown.
#pragma once

#include <QString>

class QKeyEvent;

namespace gui {

struct WindowContext;

class BookmarkCommands {
  public:
    explicit BookmarkCommands(WindowContext& ctx) : ctx_(ctx) {}

    void btnNextImageClick();
    void btnPrevImageClick();
    void mnuFirstImageClick(bool last);
    void mnuHistoryClearClick();
    void mnuHistorySortClick();
    void mnuBookmarkUnmarkClick();
    void mnuBookmarksClick();
    void mnuHistorySaveClick();
    void mnuHistoryLoadClick();
    bool SaveBookmarks(const QString& path);
    void LoadBookmarks(const QString& path);
    void mnuDeleteClick(bool permanent);
    void mnuFMoveClick(bool move);
    void HistoryClick(int index);
    void HistoryEnter(const QString& text);
    bool HistoryKeyPress(QKeyEvent* event);
    void HistoryChangeUpdate();
    void HistoryExit();
    // The commands and buttons that follow the list's length, and the box.
    void HistoryControls();
    void SyncHistoryBox();
    // The box's place on its panel or the tool bar.
    void PlaceHistory();
    void FitHistoryToToolbar();
    QString lastTargetFolder() const { return lastTarget_; }

  private:
    void NextBookmark(int index);
    void ShowUntitled();
    bool SelectedIsShownFile();

    WindowContext& ctx_;
    unsigned historyRevision_ = ~0u; // the list's revision the box shows
    QString lastTarget_;             // the last folder of Copy to / Move to, for this run
};

} // namespace gui
