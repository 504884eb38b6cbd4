// Caption, status bar and the states of the commands.
#include "gui/app/window_status.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/media/media_commands.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include "core/common/paths.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

namespace gui {

QString WindowStatus::Description() const {
    return QString::fromStdString(core::PictureDescription(ctx_.doc, ctx_.dur95->Bitmap()));
}

void WindowStatus::UpdateCaption() {
    // A clip: the open dialog starts in its folder, and "Zoom to" is off.
    if (ctx_.mediaMode && ctx_.media && !ctx_.media->clipPath().isEmpty()) {
        ctx_.doc.CurrentFile = ctx_.media->clipPath().toStdString();
        ctx_.openDir = QString::fromStdString(core::FolderPart(ctx_.doc.CurrentFile));
        ctx_.menus.SetEnabled("mnuZoom", false);
    }
    const QString name = ctx_.emptyPicture
                             ? QString("Untitled")
                             : QString::fromStdString(core::FileNamePart(ctx_.doc.CurrentFile));
    ctx_.window.setWindowTitle(name + " - " + "VISTREL 3.6.23");
    // Auto Reduce shows the picture in the screen's format.
    core::Bitmap& picture = ctx_.dur95->Bitmap();
    if (ctx_.settings.AutoReduce && ctx_.screenBits > 8 && !ctx_.settings.UseScreen &&
        !picture.empty() && !picture.deviceDependent()) {
        if (core::MakeDeviceDependent(picture, ctx_.screenBits)) {
            ctx_.dur95->PictureChanged();
            ctx_.dur95->update();
        }
    }
    ctx_.panels->SetText(2, Description());
}

void WindowStatus::SetStatusText(const QString& text) {
    ctx_.panels->SetText(0, text);
}

void WindowStatus::StatusReady() {
    SetStatusText("Ready.");
    ctx_.panels->SetText(2, ctx_.picturePresent ? Description() : QString());
    ctx_.panels->ProgressEnd();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void WindowStatus::ShowBusy(const QString& operation) {
    SetStatusText("Busy...");
    ctx_.panels->SetText(2, operation);
    QCoreApplication::processEvents();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WindowStatus::ProgressBegin() {
    ctx_.panels->ProgressBegin();
}

void WindowStatus::ProgressStep(int percent) {
    ctx_.panels->ProgressStep(percent);
}

void WindowStatus::EnableControls() {
    ctx_.menus.SetEnabled("mnuFitWindow", true);
    ctx_.toolButton("btnFitWindow")->setEnabled(true);
    ctx_.view->ShowZoomState();
    ctx_.menus.SetEnabled("mnuFullscrn", true);
    // Window-size commands stay off in full screen.
    ctx_.menus.SetEnabled("mnuOptimizeWindow", !ctx_.layouts->fullScreen());
    ctx_.toolButton("btnAdjust")->setEnabled(!ctx_.layouts->fullScreen());
    // Full screen and the selection mask come later.
    ctx_.toolButton("btnFullScreen")->setEnabled(ctx_.menus.IsEnabled("mnuFullscrn"));
    for (const char* n :
         {"mnuCompress", "mnuSave", "mnuImageInfo", "mnuFitWinTo", "mnuPrint", "mnuSelect",
          "mnuRegion", "mnuCopyMenu", "mnuCopy", "mnuColors", "mnuImage"})
        ctx_.menus.SetEnabled(n, true);
    if (ctx_.layouts->fullScreen()) ctx_.menus.SetEnabled("mnuFitWinTo", false);
    ctx_.toolButton("btnSelect")->setEnabled(ctx_.menus.IsEnabled("mnuSelect"));
    // A clip turns the picture's commands off (fit and zoom stay for video).
    if (ctx_.mediaMode && ctx_.media) ctx_.media->EnableControls();
    MainMenuPopup(PopupPlace::None);
}

void WindowStatus::ApplyDepthRules() {
    const int bits = ctx_.doc.PictureBits;
    ctx_.menus.SetEnabled("mnuNegative", bits == 1 || bits >= 8);
    ctx_.menus.SetEnabled("mnuGray", bits >= 8);
    ctx_.menus.SetEnabled("mnuPromote", bits < 24);
    ctx_.menus.SetEnabled("mnuPromote24", bits < 24);
    ctx_.menus.SetEnabled("mnuPromote8", bits < 8);
    ctx_.menus.SetEnabled("mnuPromote4", bits < 4);
    ctx_.menus.SetEnabled("mnuReduce", bits != 1);
    ctx_.menus.SetEnabled("mnu8bpp", bits > 8);
    ctx_.menus.SetEnabled("mnu4bpp", bits > 4);
    ctx_.menus.SetEnabled("mnu1bpp", true);
    // Sharpen and smooth need a picture of at least 16 × 16 with 8 bits or more.
    const bool filters = ctx_.doc.PictureWidth >= 16 && ctx_.doc.PictureHeight >= 16 && bits > 7;
    ctx_.menus.SetVisible("mnuSharpen", filters);
    ctx_.menus.SetVisible("mnuSmooth", filters);
}

void WindowStatus::MainMenuPopup(PopupPlace place) {
    const bool overBars = place == PopupPlace::Toolbar || place == PopupPlace::StatusBar;
    const bool overBox = overBars || place == PopupPlace::History;
    const bool fullNotMax = ctx_.window.isFullScreen() && !ctx_.settings.MaxFullScreen;
    const bool media = ctx_.mediaMode;

    // The popup's six submenus; the menu bar's stay as they are.
    for (const char* n : {"mnuFile", "mnuView", "mnuHelp"})
        if (QMenu* m = ctx_.menus.popupMenu(n)) m->menuAction()->setVisible(!overBox);
    for (const char* n : {"mnuEdit", "mnuImage", "mnuColors"})
        if (QMenu* m = ctx_.menus.popupMenu(n)) m->menuAction()->setVisible(!overBox && !media);
    ctx_.menus.SetVisible("mnuBarSep", fullNotMax && !overBars);
    const bool toggles = overBars || fullNotMax;
    for (const char* n : {"mnuToolbar", "mnuStatusbar", "mnuMenubar", "mnuWin98style"})
        ctx_.menus.SetVisible(n, toggles);
    // The View menu's copy of the style toggle follows the same rule.
    ctx_.menus.SetVisible("mnuWin98Sep", fullNotMax);
    const bool bookmarkItems = place == PopupPlace::History && ctx_.bookmarks.hasEntries();
    for (const char* n :
         {"mnuHistorySep", "mnuHistoryClear2", "mnuHistorySort2", "mnuBookmarkUnmark2"})
        ctx_.menus.SetVisible(n, bookmarkItems);
    const bool player = place == PopupPlace::Player;
    for (const char* n : {"mnuAVSep", "mnuAV_Play", "mnuAV_Stop"})
        ctx_.menus.SetVisible(n, player);
    const TMediaPlayer* shownClip = ctx_.media ? ctx_.media->viewPlayer() : nullptr;
    ctx_.menus.SetEnabled("mnuAV_Play", shownClip != nullptr);
    ctx_.menus.SetEnabled("mnuAV_Stop",
                          shownClip && shownClip->PlayState() != TMediaPlayer::kStopped);

    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool bitmap = clip && clip->hasImage();
    ctx_.menus.SetEnabled("mnuPaste", bitmap);
    ctx_.menus.SetEnabled("mnuEmpty", bitmap);
    ApplyDepthRules();
}

} // namespace gui
