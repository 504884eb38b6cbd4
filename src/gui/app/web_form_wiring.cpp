// The window's wiring: every menu item, tool button, mouse and box signal
// connected to the handler of the subsystem that owns it, and the table of
// named commands the headless runs use.
#include "gui/app/web_form.h"

#include "core/editing/effect_modes.h"
#include "gui/app/window_status.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/editing/edit_commands.h"
#include "gui/editing/transform_commands.h"
#include "gui/input/open_commands.h"
#include "gui/input/page_commands.h"
#include "gui/input/scan_commands.h"
#include "gui/input/image_info_command.h"
#include "gui/media/media_commands.h"
#include "core/input/page_step.h"
#include "gui/options/options_commands.h"
#include "gui/output/save_commands.h"
#include "gui/print/print_commands.h"
#include "gui/slideshow/slideshow_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace gui {

namespace {

// Keeps the bookmark box at its place whenever its panel or the tool bar resizes.
class ResizeFilter : public QObject {
  public:
    ResizeFilter(QObject* parent, std::function<void()> onResize)
        : QObject(parent), onResize_(std::move(onResize)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) onResize_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onResize_;
};

} // namespace

void TWebForm::On(const QString& name, std::function<void()> handler) {
    QAction* a = ctx_.menus.action(name);
    if (!a) return;
    connect(a, &QAction::triggered, this, [this, handler] { Guard(handler); });
    commands_[name] = {[a] { a->trigger(); }, name};
}

void TWebForm::OnButton(const QString& name, std::function<void()> handler) {
    QToolButton* b = toolButton(name);
    connect(b, &QToolButton::clicked, this, [this, handler] { Guard(handler); });
    commands_[name] = {[b] { b->click(); }, name};
}

void TWebForm::WireCommands() {
    OpenCommands& in = *input_;
    ViewGeometry& v = *view_;
    WindowLayouts& l = *layouts_;
    PictureMouse& m = *mouse_;
    BookmarkCommands& bk = *bookmarkCommands_;
    EditCommands& ed = *editing_;
    TransformCommands& tr = *transforms_;
    SaveCommands& out = *output_;
    using namespace core::editing;

    // File.
    On("mnuOpen", [&in] { in.BtnOpenClick(OpenSender::User); });
    On("mnuReload", [&in] { in.mnuReloadClick(); });
    On("mnuSave", [&out] { out.mnuSaveClick(); });
    On("mnuCompress", [&out] { out.mnuCompress1Click(); });
    On("mnuPrint", [this] { printing_->mnuPrintClick(); });
    On("mnuExit", [this] { mnuExitClick(); });
    On("mnuImageInfo", [this] { mnuImageInfoClick(ctx_); });
    On("mnuTWAIN_Select", [this] { scan_->mnuTWAIN_Select1Click(); });
    On("mnuTWAIN_Acquire", [this] { scan_->mnuTWAIN_Acquire1Click(); });
    On("mnuHistorySave", [&bk] { bk.mnuHistorySaveClick(); });
    On("mnuHistoryLoad", [&bk] { bk.mnuHistoryLoadClick(); });
    for (const char* n : {"mnuHistoryClear", "mnuHistoryClear2"})
        On(n, [&bk] { bk.mnuHistoryClearClick(); });
    for (const char* n : {"mnuHistorySort", "mnuHistorySort2"})
        On(n, [&bk] { bk.mnuHistorySortClick(); });
    for (const char* n : {"mnuBookmarkUnmark", "mnuBookmarkUnmark2"})
        On(n, [&bk] { bk.mnuBookmarkUnmarkClick(); });
    On("mnuNextImage", [&bk] { bk.btnNextImageClick(); });
    On("mnuPrevImage", [&bk] { bk.btnPrevImageClick(); });
    On("mnuFirstImage", [&bk] { bk.mnuFirstImageClick(false); });
    On("mnuLastImage", [&bk] { bk.mnuFirstImageClick(true); });
    On("mnuDelete", [&bk] { bk.mnuDeleteClick(false); });
    On("mnuRecycle1", [&bk] { bk.mnuDeleteClick(true); });
    On("mnuFCopy", [&bk] { bk.mnuFMoveClick(false); });
    On("mnuFMove", [&bk] { bk.mnuFMoveClick(true); });
    On("mnuHelpIndex", [this] { mnuHelpContextClick(0); });
    On("mnuHelpSlideshows", [this] { mnuHelpContextClick(300); });

    // Edit.
    On("mnuUndo", [&ed] { ed.mnuUndoClick(); });
    On("mnuCopy", [&ed] { ed.mnuCopyClick(); });
    On("mnuCopyMask", [&ed] { ed.mnuCopyMaskClick(false); });
    On("mnuTrim", [&ed] { ed.mnuCopyMaskClick(true); });
    On("mnuPaste", [&ed] { ed.mnuPasteClick(); });
    On("mnuEmpty", [&ed] { ed.mnuEmptyClick(); });
    On("mnuRegion", [&ed] { ed.mnuRegion1Click(); });
    On("mnuHand", [&m] { m.mnuHandClick(); });
    On("mnuSelect", [&m] { m.mnuSelectClick(); });

    // View: magnification, fitting, full screen, layouts.
    On("mnuFullscrn", [&l] { l.mnuFullScrnClick(); });
    On("mnuAV_Play", [this] { media_->mnuAV_PlayClick(); });
    On("mnuAV_Stop", [this] { media_->mnuAV_StopClick(); });
    On("mnuOptimizeWindow", [&v] { v.mnuOptimizeWindowClick(); });
    On("mnuFitWindow", [&v] { v.mnuFitWindowClick(); });
    for (const char* n : {"mnuFitWinTo1x", "mnuFitWinTo2x", "mnuFitWinTo3x", "mnuFitWinTo4x"})
        On(n, [this, &v, n] { v.mnuFitWinToClick(ctx_.menus.action(n)->data().toInt()); });
    On("mnuZoom", [&v] { v.mnuZoomClick(); });
    On("mnuStandard", [&l] { l.mnuStandard1Click(); });
    On("mnuCompact", [&l] { l.mnuCompact1Click(); });
    On("mnuMinimal", [&l] { l.mnuMinimal1Click(); });
    On("mnuToolbar", [&l] { l.mnuToolbarClick(); });
    On("mnuStatusbar", [&l] { l.mnuStatusbarClick(); });
    On("mnuMenubar", [&l] { l.mnuMenubarClick(); });
    On("mnuWin98style", [&l] { l.mnuWin98styleClick(); });

    // Image and Colors.
    On("mnuMirrorVert", [&tr] { tr.mnuMirrorVertClick(true); });
    On("mnuMirrorHorz", [&tr] { tr.mnuMirrorVertClick(false); });
    On("mnuRotate", [&tr] { tr.mnuRotateClick(); });
    On("mnuResize", [&tr] { tr.mnuResizeClick(); });
    On("mnuResample", [&tr] { tr.mnuResample1Click(); });
    for (const auto& [name, mode] : EditCommands::FilterItems())
        On(name, [&ed, mode = mode] { ed.FilterCommand(mode); });
    On("mnuGamma", [&ed] { ed.mnuGammaFilterClick(false); });
    On("mnuGammaRGB", [&ed] { ed.mnuGammaFilterClick(true); });
    On("mnuBrightness", [&ed] { ed.mnuBrightnessClick(kModeBrightness); });
    On("mnuBrightnessRGB", [&ed] { ed.mnuBrightnessClick(kModeBrightnessRgb); });
    On("mnuContrast", [&ed] { ed.mnuBrightnessClick(kModeContrast); });
    On("mnuContrastRGB", [&ed] { ed.mnuBrightnessClick(kModeContrastRgb); });
    On("mnuNegative", [&ed] { ed.mnuNegativeClick(); });
    On("mnuGray", [&tr] { tr.ImageReduce(0); });
    On("mnuPromote24", [&tr] { tr.ImagePromote(24); });
    On("mnuPromote8", [&tr] { tr.ImagePromote(8); });
    On("mnuPromote4", [&tr] { tr.ImagePromote(4); });
    On("mnu8bpp", [&tr] { tr.ImageReduce(8); });
    On("mnu4bpp", [&tr] { tr.ImageReduce(4); });
    On("mnu1bpp", [&tr] { tr.ImageReduce(1); });

    // Slideshow; the options dialog's Effects button reaches the effect selection.
    SlideshowCommands& sl = *slideshow_;
    OptionsCommands& op = *options_;
    On("mnuOptions", [&op] { op.mnuOptionsClick(OptionsSender::View); });
    On("mnuOptions2", [&op] { op.mnuOptionsClick(OptionsSender::Slideshow); });
    On("mnuHistorySlideshow", [&sl] { sl.mnuHistorySlideshowClick(false); });
    On("mnuSlideshow", [&sl] { sl.mnuSlideshowClick(); });
    commands_["mnuSlideEffects"] = {
        [this, &sl] { Guard([&sl] { sl.mnuSlideEffectsClick(false); }); }, "mnuOptions2"};

    // Pages of multi-page documents: the step is the item's tag.
    for (const char* n : {"mnuPageNext", "mnuPagePrev", "mnuPageFirst", "mnuPageLast"})
        On(n, [this, n] { pages_->mnuPageChange(ctx_.menus.action(n)->data().toInt(), true); });

    // Menus whose opening is a command of its own.
    if (QMenu* image = ctx_.menus.barMenu("mnuImage1"))
        connect(image, &QMenu::aboutToShow, this,
                [this, &tr] { Guard([&tr] { tr.mnuImage1Click(); }); });
    commands_["mnuImage1"] = {[this, &tr] { Guard([&tr] { tr.mnuImage1Click(); }); }, "mnuImage1"};
    for (QMenu* menu : {ctx_.menus.barMenu("mnuBookmarks"), ctx_.menus.popupMenu("mnuBookmarks")})
        if (menu)
            connect(menu, &QMenu::aboutToShow, this,
                    [this, &bk] { Guard([&bk] { bk.mnuBookmarksClick(); }); });
    commands_["mnuBookmarks"] = {[this, &bk] { Guard([&bk] { bk.mnuBookmarksClick(); }); },
                                 "mnuBookmarks"};

    // Commands that are not built yet: named, and disabled whatever is asked.
    for (QAction* a : ctx_.menus.actions())
        if (!a->isSeparator() && !a->objectName().isEmpty() && !commands_.count(a->objectName()))
            commands_[a->objectName()] = {{}, a->objectName()};

    // The tool bar.
    OnButton("btnExplore", [&in] { in.BtnOpenClick(OpenSender::User); });
    OnButton("btnPrevImage", [&bk] { bk.btnPrevImageClick(); });
    OnButton("btnNextImage", [&bk] { bk.btnNextImageClick(); });
    OnButton("btnFitWindow", [&v] { v.mnuFitWindowClick(); });
    OnButton("btnAdjust", [&v] { v.mnuOptimizeWindowClick(); });
    OnButton("btnZoomUp", [&v] { v.btnZoomUpClick(); });
    OnButton("btnZoomDn", [&v] { v.btnZoomDnClick(); });
    OnButton("btnHand", [&m] { m.mnuHandClick(); });
    OnButton("btnSelect", [&m] { m.mnuSelectClick(); });
    OnButton("btnFullScreen", [&l] { l.mnuFullScrnClick(); });
    OnButton("btnPage", [this] { pages_->mnuPageChange(core::kPageStepNext, false); });
    connect(ctx_.btnOpen, &QPushButton::clicked, this,
            [this, &in] { Guard([&in] { in.BtnOpenClick(OpenSender::User); }); });
    commands_["btnOpen"] = {[this] { ctx_.btnOpen->click(); }, "btnOpen"};

    // The mouse on the picture.
    connect(ctx_.dur95, &TPix::mousePressed, this,
            [this, &m](QMouseEvent* e) { Guard([&] { m.Dur95MouseDown(e); }); });
    connect(ctx_.dur95, &TPix::mouseMoved, this,
            [this, &m](QMouseEvent* e) { Guard([&] { m.Dur95MouseMove(e); }); });
    connect(ctx_.dur95, &TPix::mouseReleased, this,
            [this, &m](QMouseEvent* e) { Guard([&] { m.Dur95MouseUp(e); }); });

    // Ctrl+V must follow the clipboard without a menu being opened first.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [&ed] { ed.ClipboardChanged(); });
}

void TWebForm::WireHistory() {
    TComboBoxEx* box = ctx_.history;
    BookmarkCommands& bk = *bookmarkCommands_;
    box->setKeyPressHandler([this, &bk](QKeyEvent* e) {
        bool handled = false;
        Guard([&] { handled = bk.HistoryKeyPress(e); });
        return handled;
    });
    connect(box, &QComboBox::activated, this,
            [this, &bk](int index) { Guard([&bk, index] { bk.HistoryClick(index); }); });
    // The window's popup menu is the box's too, also over its edit field.
    auto popup = [this](const QPoint& at) {
        Guard([this] { status_->MainMenuPopup(PopupPlace::History); });
        ctx_.mainMenu->popup(at);
    };
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    box->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this,
            [box, popup](const QPoint& p) { popup(box->mapToGlobal(p)); });
    connect(box->lineEdit(), &QWidget::customContextMenuRequested, this,
            [box, popup](const QPoint& p) { popup(box->lineEdit()->mapToGlobal(p)); });
    connect(box, &TComboBoxEx::Exit, this, [this, &bk] { Guard([&bk] { bk.HistoryExit(); }); });
    // After a close-up on the tool bar the widened list shrinks back.
    connect(box, &TComboBoxEx::Change, this, [this, box, &bk] {
        if (!box->DroppedDown()) Guard([&bk] { bk.HistoryExit(); });
    });
    connect(box, &TComboBoxEx::DropDown, this, [this, box] {
        // On the tool bar the open list spans the whole bar.
        if (box->parentWidget() != ctx_.panelHistory)
            box->view()->setMinimumWidth(ctx_.toolbar1->contentsRect().width());
    });
    panelFilter_ = new ResizeFilter(this, [&bk] { bk.PlaceHistory(); });
    toolbarFilter_ = new ResizeFilter(this, [&bk] { bk.FitHistoryToToolbar(); });
    ctx_.panelHistory->installEventFilter(panelFilter_);
    ctx_.toolbar1->installEventFilter(toolbarFilter_);
}

TWebForm::CommandResult TWebForm::RunCommand(const QString& name) {
    const auto it = commands_.find(name);
    if (it == commands_.end()) return CommandResult::Unknown;
    if (!StateOf(name).enabled || !it->second.run) return CommandResult::Disabled;
    it->second.run();
    return CommandResult::Ran;
}

TWebForm::CommandState TWebForm::StateOf(const QString& name) const {
    const auto it = commands_.find(name);
    if (it == commands_.end()) return {};
    const QString& item = it->second.item;
    if (QAction* a = ctx_.menus.action(item))
        return {a->isEnabled(), a->isChecked(), a->isVisible()};
    if (QToolButton* b = toolButton(item))
        return {b->isEnabled(), b->isChecked(), b->isVisibleTo(ctx_.toolbar1)};
    if (item == "btnOpen")
        return {ctx_.btnOpen->isEnabled(), false, ctx_.btnOpen->isVisibleTo(ctx_.panelHistory)};
    if (QMenu* m = ctx_.menus.barMenu(item))
        return {m->menuAction()->isEnabled(), false, m->menuAction()->isVisible()};
    return {};
}

} // namespace gui
