// What the window's subsystems share: the document and its picture, the
// settings record, the bookmark list, the menus, the prompter, the widgets
// they all draw on, and each other for the calls between them. The window
// owns it; every subsystem is given it.
#pragma once

#include "core/app/settings.h"
#include "core/bookmarks/bookmark_list.h"
#include "core/input/open_pipeline.h"
#include "gui/app/menu_set.h"
#include "gui/app/prompter.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QFrame;
class QMenu;
class QPushButton;
class QScrollArea;
class QToolBar;
class QToolButton;

namespace gui {

class TWebForm;
class TPix;
class StatusPanels;
class TComboBoxEx;
class WindowStatus;
class OpenCommands;
class ViewGeometry;
class WindowLayouts;
class PictureMouse;
class BookmarkCommands;
class EditCommands;
class TransformCommands;
class SaveCommands;
class SlideshowCommands;
class PageCommands;
class ScanCommands;
class PrintCommands;
class OptionsCommands;
class MediaCommands;

struct WindowContext {
    WindowContext(TWebForm& w, Prompter& p) : window(w), prompter(p) {}

    TWebForm& window;
    Prompter& prompter;
    MenuSet menus;

    core::SettingsRecord settings;
    bool readSettings = true; // false: defaults, and nothing written at close
    QString openDir, saveDir;
    core::DocumentState doc;
    core::BookmarkList bookmarks;
    int screenBits = 32;
    int zoomPercent = 100;
    bool picturePresent = false;
    bool pictureChanged = false;
    bool emptyPicture = false; // the 16 × 16 stand-in of a failed open ("Untitled")
    bool activationDone = false;
    bool closing = false;
    bool mediaMode = false;  // a media clip is shown instead of a picture
    int photoCdStep = 3;     // the Photo CD resolution to read, 0..6; not stored

    // Widgets (owned by their Qt parents in the window).
    QMenu* mainMenu = nullptr;
    QToolBar* toolbar1 = nullptr;
    QFrame* panelTool = nullptr;
    QFrame* panelHistory = nullptr;
    QPushButton* btnOpen = nullptr;
    QScrollArea* scrollBox = nullptr;
    TPix* dur95 = nullptr;
    StatusPanels* panels = nullptr;
    TComboBoxEx* history = nullptr;
    QToolButton* toolButton(const QString& name) const;

    // The subsystems (owned by the window).
    WindowStatus* status = nullptr;
    OpenCommands* input = nullptr;
    ViewGeometry* view = nullptr;
    WindowLayouts* layouts = nullptr;
    PictureMouse* mouse = nullptr;
    BookmarkCommands* bookmarkCommands = nullptr;
    EditCommands* editing = nullptr;
    TransformCommands* transforms = nullptr;
    SaveCommands* output = nullptr;
    SlideshowCommands* slideshow = nullptr;
    PageCommands* pages = nullptr;
    PrintCommands* printing = nullptr;
    OptionsCommands* options = nullptr;
    MediaCommands* media = nullptr; // clips and the view player

    // The boxes every subsystem shows.
    void ShowMessage(const QString& text, bool warning);
    // "You have unsaved changes. Continue?"; true = Yes (the changes are then given up).
    bool ConfirmUnsaved();
    bool AskOkCancel(const QString& text);
    // Runs a handler; an unexpected error gets the report and the window stays.
    void Guard(const std::function<void()>& handler);
    void OpenHelp(int context);
    // The picture area (scroll box, its viewport and the picture) in `colour`,
    // or without one in the `Background` setting's colour (the desktop's
    // window colour for the system one).
    void PaintPictureArea(std::optional<QColor> colour = std::nullopt);
};

} // namespace gui
