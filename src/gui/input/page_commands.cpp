#include "gui/input/page_commands.h"
#include "gui/app/event_pump.h"

#include "core/imageman/imageman.h"
#include "core/input/page_step.h"
#include "gui/app/status_panels.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/input/open_commands.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>

namespace gui {

void PageCommands::ShowPaging(bool on) {
    ctx_.menus.SetVisible("mnuPage", on);
    // The button is usable exactly while the menus are shown.
    ctx_.toolButton("btnPage")->setEnabled(on);
}

void PageCommands::MultiPageDisable() {
    if (decoding_) CancelDecode();
    page_ = 0;
    ctx_.doc.PageCount = 0;
    ShowPaging(false);
}

void PageCommands::AfterOpen() {
    page_ = 0;
    const bool pages = ctx_.doc.PageCount >= 2;
    ShowPaging(pages);
    if (pages)
        ctx_.status->SetStatusText(
            QString::fromStdString(core::PageStatusText(0, ctx_.doc.PageCount)));
}

void PageCommands::mnuPageChange(int step, bool menuItem) {
    // First and Last belong to the bookmark box while it has the focus.
    if (menuItem && (step == core::kPageStepFirst || step == core::kPageStepLast) && ctx_.history &&
        ctx_.history->HaveFocus()) {
        QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        QCoreApplication::sendEvent(ctx_.history, &shift);
        QKeyEvent key(QEvent::KeyPress, step == core::kPageStepLast ? Qt::Key_End : Qt::Key_Home,
                      Qt::ShiftModifier);
        QCoreApplication::sendEvent(ctx_.history, &key);
        return;
    }
    if (!ctx_.menus.IsVisible("mnuPage")) return;
    // One page at a time; an open in progress owns the library image.
    if (decoding_ || ctx_.input->busy()) return;
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    ctx_.view->EnsureStretch();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    core::OpenPipeline& pipeline = ctx_.input->pipeline();
    int count = ctx_.doc.PageCount;
    int page = page_;
    // The page count asked of the library again; after the options closed
    // it, the decode opens the file again and the count known here goes on.
    // The page is the one shown: after a page that failed to decode the
    // library's own page is not.
    if (const core::imageman::HIMAGE lib = pipeline.libraryImage()) {
        std::int32_t n = 0;
        if (core::imageman::ImgPageCount(lib, &n) && n > 0) count = n;
    }
    const int target = core::StepPage(page, count, step);

    core::DocumentState doc = ctx_.doc;
    doc.PageCount = count;
    const core::OpenEnvironment env = ctx_.input->Environment();
    const bool makeDdb = env.AutoReduce && env.ScreenBits > 8 && !env.UseScreen;
    decoding_ = true;
    stop_ = false;
    const int gen = ++generation_;
    ctx_.status->ProgressBegin();
    const core::ProgressFn progress = PostedProgress(ctx_, generation_, gen, stop_);
    worker_ = std::thread([this, &pipeline, doc, env, progress, gen, target, makeDdb]() mutable {
        core::Result<core::DecodedPicture> result = core::Error{"Nothing decoded."};
        try {
            result = pipeline.DecodePage(doc, env, target, progress);
            if (result && makeDdb)
                if (auto st = core::MakeDeviceDependent(result->picture, env.ScreenBits); !st)
                    result = st.error();
        } catch (const std::exception& e) {
            result = core::Error{e.what()};
        }
        QMetaObject::invokeMethod(
            &ctx_.window,
            [this, gen, target, r = std::move(result), d = std::move(doc)]() mutable {
                if (gen != generation_) return;
                ctx_.Guard([&] { FinishPage(std::move(r), std::move(d), target); });
            },
            Qt::QueuedConnection);
    });
}

void PageCommands::FinishPage(core::Result<core::DecodedPicture> result, core::DocumentState doc,
                              int page) {
    if (worker_.joinable()) worker_.join();
    decoding_ = false;
    ctx_.panels->ProgressEnd();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (!result) {
        // The name, the page shown and the paging stay; only the message is new.
        if (const core::imageman::HIMAGE lib = ctx_.input->pipeline().libraryImage())
            core::imageman::ImgSetPage(lib, page_);
        ctx_.ShowMessage(QString::fromStdString(result.message()), false);
        // The file could not be opened again: no more paging.
        if (!ctx_.input->pipeline().libraryImage()) MultiPageDisable();
        ctx_.status->StatusReady();
        return;
    }
    page_ = page;
    ctx_.doc.PictureWidth = doc.PictureWidth;
    ctx_.doc.PictureHeight = doc.PictureHeight;
    ctx_.doc.PictureBits = doc.PictureBits;
    ctx_.doc.PageCount = doc.PageCount;
    ctx_.dur95->SetPaintLock(true);
    ctx_.dur95->SetBitmap(std::move(result->picture));
    ctx_.dur95->SetTwoColour(ctx_.doc.PictureBits == 1);
    ctx_.dur95->SetPaintLock(false);
    if (ctx_.settings.FitToWindow) {
        ctx_.view->ChangeView();
    } else {
        ctx_.view->ApplyZoom();
        ctx_.panels->SetText(1, QString("%1%").arg(ctx_.zoomPercent));
        ctx_.view->RefreshPicture();
    }
    ctx_.status->SetStatusText(
        QString::fromStdString(core::PageStatusText(page_, ctx_.doc.PageCount)));
    ctx_.panels->SetText(2, ctx_.status->Description());
    ctx_.status->ApplyDepthRules();
}

void PageCommands::CancelDecode() {
    if (!decoding_ && !worker_.joinable()) return;
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    stop_ = false;
    ++generation_;
    if (decoding_) {
        decoding_ = false;
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        ctx_.panels->ProgressEnd();
    }
}

bool PageCommands::WaitIdle(int timeoutMs) {
    return PumpEventsWhile([this] { return decoding_; }, timeoutMs);
}

} // namespace gui
