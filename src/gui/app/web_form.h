// The one main window: it builds the menus, the tool bar, the bookmark
// panel, the status bar and the display control, and wires them to the
// subsystems that own the commands (under src/gui/<subsystem>/). Start-up
// settings, the first activation and shutdown are its own.
#pragma once

#include "gui/app/help_window.h"
#include "gui/app/window_context.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace gui {

struct StartOptions {
    QStringList files;        // the command line's file arguments (joined with blanks)
    bool readSettings = true; // false: defaults, and nothing written at close
    int screenBits = 0;       // 0: the screen's own depth
    QString scanDevice;       // the scanner Acquire uses; empty: the first one found
    int pcdStep = -1;         // the Photo CD resolution 0..6; -1: the start-up one
    // Who answers the questions: the real boxes and dialogs when empty.
    std::shared_ptr<Prompter> prompter;
};

class TWebForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TWebForm(const StartOptions& options, QWidget* parent = nullptr);
    ~TWebForm() override;

    // The subsystems: their handlers and state.
    WindowStatus& status() const { return *status_; }
    OpenCommands& input() const { return *input_; }
    ViewGeometry& view() const { return *view_; }
    WindowLayouts& layouts() const { return *layouts_; }
    PictureMouse& mouse() const { return *mouse_; }
    BookmarkCommands& bookmarkCommands() const { return *bookmarkCommands_; }
    EditCommands& editing() const { return *editing_; }
    TransformCommands& transforms() const { return *transforms_; }
    SaveCommands& output() const { return *output_; }
    SlideshowCommands& slideshow() const { return *slideshow_; }
    PageCommands& pages() const { return *pages_; }
    ScanCommands& scan() const { return *scan_; }
    PrintCommands& printing() const { return *printing_; }
    OptionsCommands& options() const { return *options_; }
    MediaCommands& media() const { return *media_; }
    Prompter& prompter() const { return *prompter_; }

    // The window's own commands.
    void FirstActivation(); // opens the file named on the command line
    void mnuExitClick();
    void mnuHelpContextClick(int context);
    // Runs a command handler: an unexpected error shows the report and the
    // program stays open with its picture and unsaved changes.
    void Guard(const std::function<void()>& handler);
    void ReportUnexpected(const QString& what);

    // Every menu command and tool button by its handler's name without
    // "Click" (mnuNegative, btnZoomUp …), as the headless runs name them.
    struct Command {
        std::function<void()> run;
        QString item; // the action's or the button's object name
    };
    const std::map<QString, Command>& commands() const { return commands_; }
    // Runs a named command as the user would: a disabled one does nothing.
    enum class CommandResult { Ran, Disabled, Unknown };
    CommandResult RunCommand(const QString& name);
    // The command's enabled, checked and visible state, as the user sees it.
    struct CommandState {
        bool enabled = false, checked = false, visible = false;
    };
    CommandState StateOf(const QString& name) const;

    // State, for the program and its tests.
    bool activated() const { return firstActivationRan_; }
    bool WaitIdle(int timeoutMs = 30000);
    // For headless runs: waits until the first activation has opened the file
    // named at start (at most 10 s), then for its decode.
    bool WaitFirstOpen(int timeoutMs = 120000);
    const core::DocumentState& document() const { return ctx_.doc; }
    core::SettingsRecord& settings() { return ctx_.settings; }
    const core::BookmarkList& bookmarks() const { return ctx_.bookmarks; }
    bool picturePresent() const { return ctx_.picturePresent; }
    bool mediaMode() const { return ctx_.mediaMode; }
    bool pictureChanged() const { return ctx_.pictureChanged; }
    void setPictureChanged(bool on) { ctx_.pictureChanged = on; }
    int screenBits() const { return ctx_.screenBits; }
    int zoomPercent() const { return ctx_.zoomPercent; }
    QString openDir() const { return ctx_.openDir; }
    QString saveDir() const { return ctx_.saveDir; }
    MenuSet& menus() { return ctx_.menus; }
    QMenu* popupMenu() const { return ctx_.mainMenu; }
    TPix* pix() const { return ctx_.dur95; }
    StatusPanels* statusPanels() const { return ctx_.panels; }
    QScrollArea* scrollBox() const { return ctx_.scrollBox; }
    TComboBoxEx* historyBox() const { return ctx_.history; }
    QToolButton* toolButton(const QString& name) const { return ctx_.toolButton(name); }
    HelpWindow* helpWindow() const { return help_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void BuildMenus();
    void BuildPanels();
    void BuildToolbar();
    void BuildHistory();
    void WireCommands();
    void WireHistory();
    // Connects a menu item or tool button to its handler and names it in the table.
    void On(const QString& name, std::function<void()> handler);
    void OnButton(const QString& name, std::function<void()> handler);
    void ApplySettings();
    void TakeCommandLine(const QStringList& files);
    void WriteSettingsAtClose();

    std::shared_ptr<Prompter> prompter_;
    WindowContext ctx_;
    std::unique_ptr<WindowStatus> status_;
    std::unique_ptr<OpenCommands> input_;
    std::unique_ptr<ViewGeometry> view_;
    std::unique_ptr<WindowLayouts> layouts_;
    std::unique_ptr<PictureMouse> mouse_;
    std::unique_ptr<BookmarkCommands> bookmarkCommands_;
    std::unique_ptr<EditCommands> editing_;
    std::unique_ptr<TransformCommands> transforms_;
    std::unique_ptr<SaveCommands> output_;
    std::unique_ptr<SlideshowCommands> slideshow_;
    std::unique_ptr<PageCommands> pages_;
    std::unique_ptr<ScanCommands> scan_;
    std::unique_ptr<PrintCommands> printing_;
    std::unique_ptr<OptionsCommands> options_;
    std::unique_ptr<MediaCommands> media_;
    std::map<QString, Command> commands_;
    QPointer<HelpWindow> help_;
    QObject* panelFilter_ = nullptr;
    QObject* toolbarFilter_ = nullptr;
    bool pendingOpen_ = false;
    bool firstActivationRan_ = false;
};

} // namespace gui
