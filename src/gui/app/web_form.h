// The one main window: menus, tool bar, bookmark panel, status bar and the
// display control; the window side of opening a picture; caption, status and
// command states; start-up settings and shutdown.
#pragma once

#include "core/app/settings.h"
#include "core/bookmarks/bookmark_list.h"
#include "core/editing/color_lut.h"
#include "core/editing/transform_ops.h"
#include "core/editing/undo_backup.h"
#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"
#include "core/output/save_rules.h"
#include "core/view/selection.h"
#include "core/view/value_request.h"
#include "gui/app/help_window.h"
#include "gui/app/menu_set.h"
#include "gui/app/prompter.h"
#include "gui/editing/effect_dialog.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QScrollArea;
class QToolBar;
class QToolButton;
class QPushButton;
class QMenu;
class QFrame;
class QMouseEvent;

namespace gui {

class TPix;
class StatusPanels;
class TSaveDialogEx;
class TFXdlg;
class JpegWizard;
class TComboBoxEx;
class TSHBrowseDlg;

// Who asked for an open: the open dialog (the file is probed), the
// application (open CurrentFile as it stands), or a user command (ask).
enum class OpenSender { Dialog, Application, User };

// Where the popup menu was opened.
enum class PopupPlace { None, Picture, Toolbar, StatusBar, History, Player };

struct StartOptions {
    QStringList files;        // the command line's file arguments (joined with blanks)
    bool readSettings = true; // false: defaults, and nothing written at close
    int screenBits = 0;       // 0: the screen's own depth
    // Who answers the questions: the real boxes and dialogs when empty.
    std::shared_ptr<Prompter> prompter;
};

class TWebForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TWebForm(const StartOptions& options, QWidget* parent = nullptr);
    ~TWebForm() override;

    // Start-up's first activation: opens the file named on the command line.
    void FirstActivation();

    // The ways into the open pipeline.
    void BtnOpenClick(OpenSender sender);
    void BtnOpenEx(OpenSender sender);
    void DropFiles(const QStringList& names);
    void DragOpen(const QString& name);
    void mnuReloadClick();
    void mnuExitClick();
    void mnuHelpContextClick(int context);
    void mnuFitWindowClick();
    void mnuOptimizeWindowClick();

    // Image and Colors commands: flips, rotation, size, depth (web_form_transform.cpp).
    void mnuImage1Click();
    void mnuMirrorVertClick(bool vertical);
    void mnuRotateClick();
    void mnuResizeClick();
    void mnuResample1Click();
    void ImagePromote(int target);
    // kind 8, 4, 1 (Reduce to) or 0 (Gray shades); from AutoConvert the
    // backup is already taken.
    void ImageReduce(int kind, bool fromAutoConvert = false);
    int lastLibraryAngle() const { return lastLibraryAngle_; }
    const core::ReduceChoice& lastReduction() const { return lastReduction_; }
    bool backupHeld() const { return undo_.held(); }

    // Caption, status and commands.
    void UpdateCaption();
    QString Description() const;
    void StatusReady();
    void ShowBusy(const QString& operation);
    void SetStatusText(const QString& text);
    void ProgressBegin();
    void ProgressStep(int percent);
    void EnableControls();
    void MainMenuPopup(PopupPlace place);
    void ShowEmptyPicture(bool named);
    // The progress callback handed to the decoders: posts each percentage
    // to the window and answers false once the decode is to stop.
    core::ProgressFn MakeProgressCallback();

    // View geometry used by opening.
    void SizeWindowToPicture();
    void PlaceWindow(int w, int h);
    void RestoreWindowRect();
    void ChangeView();
    void ResizeImage();
    void LayoutScrollBox();
    void UpdateScrollRanges();
    void ResetSkyScrollPos();
    void EnsureStretch();
    void RefreshPicture();

    // Magnification, fitting, full screen, layouts, hand tool and selection.
    void mnuZoomClick();
    void btnZoomUpClick();
    void btnZoomDnClick();
    void mnuFitWinToClick(int divisor);
    // A typed magnification, rounded and clamped as the zoom dialog does it.
    void ZoomTo(int value);
    void ApplyZoom();
    void AutoZoom();
    void PictureChanged(); // the common tail of every edit
    void FormResize();
    void mnuFullScrnClick();
    bool fullScreen() const { return fullScreen_; }
    void mnuStandard1Click();
    void mnuCompact1Click();
    void mnuMinimal1Click();
    // fromView: called by a layout or the options (no resize of its own).
    void mnuToolbarClick(bool fromView = false);
    void mnuMenubarClick(bool fromView = false);
    void mnuStatusbarClick(bool fromView = false);
    void mnuWin98styleClick(bool fromView = false);
    void Toolbar1Resize(bool fromView = false);
    void mnuHandClick();
    void mnuSelectClick();
    bool selectMode() const { return selectMode_; }
    bool handScrollable() const { return handScrollable_; }
    // The selection in picture pixels: left, top inclusive, right, bottom one
    // past the last pixel (width = right − left); bottom −1 = none.
    core::SelRect SelectionRect() const { return selectionRect_; }
    core::SelRect SavedSelection() const { return savedSelection_; }
    core::SelRect SelectionView() const { return selectionView_; }
    // Sets the selection by numbers and shows it framed (the Mask command).
    void SetSelection(const core::SelRect& picture);
    // The slideshow's signals from the mouse and keys; the show reads and clears them.
    bool ShowRunning() const { return showRunning_; }
    void SetShowRunning(bool on) { showRunning_ = on; }
    bool SkipRequested() const { return skipRequested_; }
    bool StopRequested() const { return stopRequested_; }
    void ClearShowRequests() { skipRequested_ = stopRequested_ = false; }
    QScrollArea* scrollBox() const { return scrollBox_; }
    QRect SavedWindowRect() const;

    // Runs a command handler: an unexpected error shows the report and the
    // program stays open with its picture and unsaved changes.
    void Guard(const std::function<void()>& handler);

    // The question "You have unsaved changes. Continue?"; true = Yes.
    bool ConfirmUnsaved();
    Prompter& prompter() const { return *prompter_; }

    // The report of an unexpected error; the window stays open.
    void ReportUnexpected(const QString& what);
    bool activated() const { return firstActivationRan_; }
    bool lastOpenSucceeded() const { return lastOpenOk_; }

    // State, for the program and its tests.
    bool busy() const { return decoding_; }
    bool WaitIdle(int timeoutMs = 30000);
    const core::DocumentState& document() const { return doc_; }
    core::SettingsRecord& settings() { return settings_; }
    const core::BookmarkList& bookmarks() const { return bookmarks_; }
    bool picturePresent() const { return picturePresent_; }
    bool pictureChanged() const { return pictureChanged_; }
    void setPictureChanged(bool on) { pictureChanged_ = on; }
    int screenBits() const { return screenBits_; }
    int zoomPercent() const { return zoomPercent_; }
    MenuSet& menus() { return menus_; }
    QMenu* popupMenu() const { return mainMenu_; }
    TPix* pix() const { return dur95_; }
    StatusPanels* statusPanels() const { return panels_; }
    QToolButton* toolButton(const QString& name) const;
    HelpWindow* helpWindow() const { return help_; }
    QString openDir() const { return openDir_; }

    // Bookmarks: the list box, stepping through it, bookmark files, and
    // copying, moving and deleting the file shown.
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
    void HistoryChangeUpdate();
    TComboBoxEx* historyBox() const { return history_; }
    QString lastTargetFolder() const { return lastTarget_; }
    // Editing: the undo backup, the memory guard, depth changes, the colour
    // and filter commands and the clipboard (web_form_edit.cpp).
    bool AutoBackUp(bool useStream);
    void mnuUndoClick();
    bool EnoughMemory(int shift);
    std::uint64_t ImageMemSize() const;
    void MakeDIB24();
    void MakeDIB8();
    void MakeDIB4();
    bool WarnSVGA();
    void AutoConvert();
    void mnuGammaFilterClick(bool rgb);
    void mnuBrightnessClick(int mode); // 110, 111, 120, 121
    void mnuNegativeClick();
    void FilterCommand(int mode); // sharpen, smooth and despeckle by their dialog mode
    void mnuCopyClick();
    void mnuCopyMaskClick(bool trim);
    void mnuPasteClick();
    void mnuEmptyClick();
    void mnuRegion1Click();
    const core::editing::UndoBackup& undoBackup() const { return undo_; }
    const core::editing::ColorLuts& colorLuts() const { return luts_; }

    // Save As (web_form_save.cpp).
    void mnuSaveClick();
    void SaveDialogTypeChange(int index);
    TSaveDialogEx* saveDialog();
    int lastSaveIndex() const { return lastSaveIndex_; }
    QString saveDir() const { return saveDir_; }
    // The JPEG compression wizard; its settings are read at its first use in
    // a run (nullopt until then) and stored when the window closes.
    void mnuCompress1Click();
    const std::optional<core::output::WizardSettings>& wizardSettings() const { return wizard_; }
    void StoreWizardSettings() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Transform helpers (web_form_transform.cpp).
    int AskValue(const QString& caption, const core::ValueRequest& request, const QString& lowText,
                 const QString& highText);
    core::Bitmap PictureForLibrary() const;
    void TransformFailed(const std::string& why);
    void TakeTransformed(core::Bitmap picture, bool readFacts);
    void TransformChanged();
    bool AskNewSize(int* width, int* height, int* copyMode);
    void ImageLibReduce();
    // The selection dialog of Mask: the resize dialog in selection mode.
    QRect AskSelection(const QRect& initial, int pictureWidth, int pictureHeight);
    int lastLibraryAngle_ = 0;
    core::ReduceChoice lastReduction_;

    void BuildMenus();
    void BuildToolbar();
    void BuildPanels();
    void ApplySettings();
    void WireCommands();
    void HistoryControls();
    void ApplyDepthRules();
    void StartDecode();
    void BeginAttempt(const std::string& name);
    void AddSeveral(const QStringList& names);
    void ProbeAndOpen();
    void FinishDecode(core::Result<core::DecodedPicture> result, core::DocumentState doc,
                      bool unexpected);
    void AfterOpen(); // what follows every open, good or bad
    void OpenTail();
    void CancelDecode();
    void ShowMessage(const QString& text, bool warning);
    void WriteSettingsAtClose();
    core::OpenEnvironment Environment() const;
    int PictureAreaHeight() const;
    int PanelsHeight() const;
    QRect ScreenRect() const;
    int GetWinMin() const;
    void ShowZoomState();
    void ApplyZoom(int percent);
    void NextBookmark(int index);
    void BuildHistory();
    void SyncHistoryBox();
    void PlaceHistory();
    void HistoryExit();
    void FitHistoryToToolbar();
    bool HistoryKeyPress(QKeyEvent* event);
    void ShowUntitled();
    bool AskOkCancel(const QString& text);
    bool SelectedIsShownFile();

    // Viewing: geometry, the mouse on the picture, full screen and layouts.
    int ScrollTop() const;
    void PlacePicture(int w, int h);
    void AfterResize();
    void SetLayoutCheck(const char* name);
    void ApplyLayout(bool status, bool menus, bool toolbar, int win98);
    void Dur95MouseDown(QMouseEvent* event);
    void Dur95MouseMove(QMouseEvent* event);
    void Dur95MouseUp(QMouseEvent* event);
    void SlideSignals(Qt::MouseButton button);
    void MoveFrameTo(QPoint corner); // the frame's corner, as the bounds say it
    bool showRunning_ = false;
    bool skipRequested_ = false;
    bool stopRequested_ = false;
    bool fullScreen_ = false;
    bool fullScreenSwitching_ = false;
    bool deferScrollPaint_ = false;
    bool selectMode_ = false;
    bool selectionDrawn_ = false;
    int scrollThumbSize_ = 17;
    QPoint dragAnchor_;
    core::SelRect selectionView_;
    core::SelRect selectionRect_;
    core::SelRect savedSelection_;

    StartOptions options_;
    core::SettingsRecord settings_;
    QString openDir_, saveDir_;
    core::DocumentState doc_;
    core::DocumentState docBeforeOpen_;
    core::JpegDecoder jpeg_;
    core::OpenPipeline pipeline_{jpeg_};
    core::BookmarkList bookmarks_;
    MenuSet menus_;

    // Widgets (owned by their Qt parents).
    QMenu* mainMenu_ = nullptr;
    QToolBar* toolbar1_ = nullptr;
    QFrame* panelTool_ = nullptr;
    QFrame* panelHistory_ = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QScrollArea* scrollBox_ = nullptr;
    TPix* dur95_ = nullptr;
    StatusPanels* panels_ = nullptr;
    QPointer<HelpWindow> help_;
    TComboBoxEx* history_ = nullptr;
    unsigned historyRevision_ = ~0u; // the list's revision the box shows
    QString lastTarget_;             // the last folder of Copy to / Move to, for this run

    int screenBits_ = 32;
    int zoomPercent_ = 100;
    bool picturePresent_ = false;
    bool pictureChanged_ = false;
    bool firstLayout_ = false;
    bool firstActivationDone_ = false;
    bool windowSizing_ = false;
    bool resizePending_ = false;
    bool handScrollable_ = false;
    bool closing_ = false;
    bool pendingOpen_ = false;
    bool emptyPicture_ = false;
    bool firstActivationRan_ = false;
    bool lastOpenOk_ = false;
    bool reportShown_ = false;
    int frameWidth_ = 0;
    int nonClientHeight_ = 0;

    // The decode on the worker thread.
    std::thread worker_;
    std::atomic<bool> stopDecode_{false};
    bool decoding_ = false;
    int generation_ = 0;
    QElapsedTimer loadStart_;

    std::shared_ptr<Prompter> prompter_;

    // Editing.
    core::editing::UndoBackup undo_;
    core::editing::ColorLuts luts_ = core::editing::ColorLuts::Identity();
    EffectChannels channels_;
    bool warnSvgaOff_ = false;
    int RunEffectDialog(const QString& caption, const QString& low, const QString& high,
                        const EffectRequest& request);
    bool PrepareEdit(); // warning, guard, backup, 24 bits
    void WireEditCommands();
    void
    ApplyToPicture(const QString& status,
                   const std::function<void(core::Bitmap&, const core::ProgressFn&)>& operation);

    // Save As.
    TSaveDialogEx* saveDialog_ = nullptr;
    int lastSaveIndex_ = 0; // remembered for the run, not stored
    std::optional<core::output::WizardSettings> wizard_;
};

} // namespace gui
