// Caption, status bar and the states of the commands.
#include "gui/app/web_form.h"

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

QString TWebForm::Description() const {
    return QString::fromStdString(core::PictureDescription(doc_, dur95_->Bitmap()));
}

void TWebForm::UpdateCaption() {
    const QString name = emptyPicture_ ? QString("Untitled")
                                       : QString::fromStdString(core::FileNamePart(doc_.CurrentFile));
    setWindowTitle(name + " - " + "VISTREL 3.6.23");
    // Auto Reduce shows the picture in the screen's format.
    core::Bitmap& picture = dur95_->Bitmap();
    if (settings_.AutoReduce && screenBits_ > 8 && !settings_.UseScreen && !picture.empty() &&
        !picture.deviceDependent()) {
        if (core::MakeDeviceDependent(picture, screenBits_)) {
            dur95_->PictureChanged();
            dur95_->update();
        }
    }
    panels_->SetText(2, Description());
}

void TWebForm::SetStatusText(const QString& text) { panels_->SetText(0, text); }

void TWebForm::StatusReady() {
    SetStatusText("Ready.");
    panels_->SetText(2, picturePresent_ ? Description() : QString());
    panels_->ProgressEnd();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void TWebForm::ShowBusy(const QString& operation) {
    SetStatusText("Busy...");
    panels_->SetText(2, operation);
    QCoreApplication::processEvents();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TWebForm::ProgressBegin() { panels_->ProgressBegin(); }

void TWebForm::ProgressStep(int percent) { panels_->ProgressStep(percent); }

void TWebForm::EnableControls() {
    menus_.SetEnabled("mnuFitWindow", true);
    toolButton("btnFitWindow")->setEnabled(true);
    ShowZoomState();
    menus_.SetEnabled("mnuFullscrn", true);
    // Window-size commands stay off in full screen.
    menus_.SetEnabled("mnuOptimizeWindow", !fullScreen_);
    toolButton("btnAdjust")->setEnabled(!fullScreen_);
    // Full screen and the selection mask come later.
    toolButton("btnFullScreen")->setEnabled(menus_.IsEnabled("mnuFullscrn"));
    for (const char* n : {"mnuCompress", "mnuSave", "mnuImageInfo", "mnuFitWinTo", "mnuPrint",
                          "mnuSelect", "mnuRegion", "mnuCopyMenu", "mnuCopy", "mnuColors",
                          "mnuImage"})
        menus_.SetEnabled(n, true);
    if (fullScreen_) menus_.SetEnabled("mnuFitWinTo", false);
    toolButton("btnSelect")->setEnabled(menus_.IsEnabled("mnuSelect"));
    MainMenuPopup(PopupPlace::None);
}

void TWebForm::HistoryControls() {
    const bool two = bookmarks_.canStep(), one = bookmarks_.hasEntries();
    menus_.SetVisible("mnuMedia", two);
    toolButton("btnPrevImage")->setEnabled(two);
    toolButton("btnNextImage")->setEnabled(two);
    for (const char* n : {"mnuDelete", "mnuFCopy", "mnuFMove", "mnuBookmarkUnmark", "mnuRecycle1"})
        menus_.SetEnabled(n, one);
}

void TWebForm::ApplyDepthRules() {
    const int bits = doc_.PictureBits;
    menus_.SetEnabled("mnuNegative", bits == 1 || bits >= 8);
    menus_.SetEnabled("mnuGray", bits >= 8);
    menus_.SetEnabled("mnuPromote", bits < 24);
    menus_.SetEnabled("mnuPromote24", bits < 24);
    menus_.SetEnabled("mnuPromote8", bits < 8);
    menus_.SetEnabled("mnuPromote4", bits < 4);
    menus_.SetEnabled("mnuReduce", bits != 1);
    menus_.SetEnabled("mnu8bpp", bits > 8);
    menus_.SetEnabled("mnu4bpp", bits > 4);
    menus_.SetEnabled("mnu1bpp", true);
    // Sharpen and smooth need a picture of at least 16 × 16 with 8 bits or more.
    const bool filters = doc_.PictureWidth >= 16 && doc_.PictureHeight >= 16 && bits > 7;
    menus_.SetVisible("mnuSharpen", filters);
    menus_.SetVisible("mnuSmooth", filters);
}

void TWebForm::MainMenuPopup(PopupPlace place) {
    const bool overBars = place == PopupPlace::Toolbar || place == PopupPlace::StatusBar;
    const bool overBox = overBars || place == PopupPlace::History;
    const bool fullNotMax = isFullScreen() && !settings_.MaxFullScreen;
    const bool media = false; // clips are not shown yet

    // The popup's six submenus; the menu bar's stay as they are.
    for (const char* n : {"mnuFile", "mnuView", "mnuHelp"})
        if (QMenu* m = menus_.popupMenu(n)) m->menuAction()->setVisible(!overBox);
    for (const char* n : {"mnuEdit", "mnuImage", "mnuColors"})
        if (QMenu* m = menus_.popupMenu(n)) m->menuAction()->setVisible(!overBox && !media);
    menus_.SetVisible("mnuBarSep", fullNotMax && !overBars);
    const bool toggles = overBars || fullNotMax;
    for (const char* n : {"mnuToolbar", "mnuStatusbar", "mnuMenubar", "mnuWin98style"})
        menus_.SetVisible(n, toggles);
    // The View menu's copy of the style toggle follows the same rule.
    menus_.SetVisible("mnuWin98Sep", fullNotMax);
    const bool bookmarkItems = place == PopupPlace::History && bookmarks_.hasEntries();
    for (const char* n : {"mnuHistorySep", "mnuHistoryClear2", "mnuHistorySort2", "mnuBookmarkUnmark2"})
        menus_.SetVisible(n, bookmarkItems);
    const bool player = place == PopupPlace::Player;
    for (const char* n : {"mnuAVSep", "mnuAV_Play", "mnuAV_Stop"}) menus_.SetVisible(n, player);

    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool bitmap = clip && clip->hasImage();
    menus_.SetEnabled("mnuPaste", bitmap);
    menus_.SetEnabled("mnuEmpty", bitmap);
    ApplyDepthRules();
}

} // namespace gui
