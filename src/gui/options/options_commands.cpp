#include "gui/options/options_commands.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/input/open_commands.h"
#include "gui/input/page_commands.h"
#include "gui/options/options_form.h"
#include "gui/slideshow/slideshow_commands.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QAction>
#include <QScrollArea>

namespace gui {

namespace co = core::options;

co::Stored OptionsCommands::CurrentStored() const {
    co::Stored s;
    s.record = ctx_.settings;
    QAction* win98 = ctx_.menus.action("mnuWin98style");
    s.win98Checked = win98 ? win98->isChecked() : ctx_.settings.Win98Style != 0;
    s.photoCdStep = ctx_.photoCdStep;
    return s;
}

void OptionsCommands::mnuOptionsClick(OptionsSender sender) {
    const bool fullScreen = ctx_.layouts->fullScreen();
    const co::Page first =
        co::FirstPage(ctx_.mediaMode, sender == OptionsSender::Slideshow, fullScreen);
    TOptionsForm form(&ctx_.window, CurrentStored(), {ctx_.screenBits, fullScreen}, first);
    form.applyHandler = [this](co::OptionsModel& model) { ctx_.Guard([&] { Apply(model); }); };
    form.helpHandler = [this](int context) { ctx_.OpenHelp(context); };
    form.effectsHandler = [this] {
        ctx_.Guard([this] { ctx_.slideshow->mnuSlideEffectsClick(false); });
    };
    form.colourHandler = [this](const QColor& initial) { return ctx_.prompter.Colour(initial); };
    lastResult_ = ctx_.prompter.RunOptions(form);
}

void OptionsCommands::Apply(co::OptionsModel& model) {
    co::Stored stored = CurrentStored();
    co::Document doc;
    doc.upperExtension = ctx_.doc.CurrentExt;
    doc.pageCount = ctx_.doc.PageCount;
    doc.clipShown = ctx_.mediaMode;
    const co::ApplyPlan plan = model.Apply(stored, doc);

    // The library image goes; a page command that finds none reads the file
    // again. A decode still reading through it finishes first.
    if (ctx_.input->busy() && !ctx_.input->WaitIdle(30000)) ctx_.input->CancelDecode();
    if (ctx_.pages->busy() && !ctx_.pages->WaitIdle(30000)) ctx_.pages->CancelDecode();
    ctx_.input->pipeline().CloseLibraryImage();

    // The bars, each by its own command, without their own resizes.
    WindowLayouts& l = *ctx_.layouts;
    if (plan.toggleStatusbar) l.mnuStatusbarClick(true);
    if (plan.toggleMenubar) l.mnuMenubarClick(true);
    if (plan.toggleToolbar) l.mnuToolbarClick(true);
    if (plan.toggleWin98) l.mnuWin98styleClick(true);

    // The other fields; the toggles have set the bar fields.
    core::SettingsRecord& r = ctx_.settings;
    const auto menus = r.ShowMenus, toolbar = r.ShowToolbar, status = r.ShowStatusbar,
               win98 = r.Win98Style;
    r = stored.record;
    r.ShowMenus = menus;
    r.ShowToolbar = toolbar;
    r.ShowStatusbar = status;
    r.Win98Style = win98;

    if (plan.photoCdStepChanged) {
        ctx_.photoCdStep = stored.photoCdStep;
        if (photoCdStepChanged) photoCdStepChanged(stored.photoCdStep);
    }
    if (plan.backgroundChanged) PaintBackground();

    PlayerUpdate player;
    if (plan.playerStatusBar) player.showStatusBar = r.AvStatusLine != 0;
    if (plan.playerControls) player.showControls = r.AvControls != 0;
    if (plan.playerTracker) player.showTracker = r.AvTrackBar != 0;
    if (plan.playerVolume) player.volume = plan.playerVolumeValue;
    if (ctx_.mediaMode && playerSettingsChanged &&
        (player.showStatusBar || player.showControls || player.showTracker || player.volume))
        playerSettingsChanged(player);

    if (plan.layoutChanged) ctx_.view->FormResize();
    model.Rebase(CurrentStored());

    // The shown file again, with the new choices and in the new layout,
    // through the normal open path (which asks about unsaved changes).
    if (plan.reopen && !ctx_.doc.CurrentFile.empty() && ctx_.picturePresent && !ctx_.emptyPicture)
        ctx_.input->mnuReloadClick();
}

void OptionsCommands::PaintBackground() {
    ctx_.PaintPictureArea();
    ctx_.dur95->update();
}

} // namespace gui
