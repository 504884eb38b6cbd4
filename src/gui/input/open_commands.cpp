// The window side of opening: the Open command, dropped files, the command
// line and Reload; the decode on the worker thread and what follows it.
#include "gui/input/open_commands.h"

#include "gui/app/event_pump.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/dialogs/open_dialog_plus.h"
#include "gui/input/page_commands.h"
#include "gui/media/media_commands.h"
#include "gui/view/view_geometry.h"

#include "core/common/paths.h"
#include "core/input/extension_lists.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QThread>
#include <QToolButton>

namespace gui {

const char* const kShownInPart = "Shown in part.";

namespace {

const char* const kOpenFilters =
    "Pictures (*.jpg *.jpeg *.jp *.png *.bmp *.dib *.pcx *.dcx *.tif *.tiff *.tga *.pcd);;"
    "Media clips (*.wav *.avi *.mpg *.m1v *.mpe *.mpeg *.mp2 *.mp3 *.mpv *.mpa *.qt *.mov *.aif "
    "*.aiff *.aifx *.mid *.rmi *.au *.snd *.ra *.rm);;"
    "All files (*)";

bool IsJpegDecode(core::Decoder d) {
    return d == core::Decoder::JpegFull || d == core::Decoder::JpegScaled ||
           d == core::Decoder::JpegDirect;
}

} // namespace

void OpenCommands::KeepDocument() {
    docBeforeOpen_ = ctx_.doc;
}

void OpenCommands::BeginAttempt(const std::string& name) {
    docBeforeOpen_ = ctx_.doc;
    ctx_.doc.PreviousFile = ctx_.doc.CurrentFile;
    ctx_.doc.CurrentFile = name;
    ctx_.doc.CurrentExt = core::UpperExtension(name);
}

void OpenCommands::BtnOpenClick(OpenSender sender) {
    ctx_.toolButton("btnHand")->setChecked(true);
    ctx_.menus.SetChecked("mnuHand", true);
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    // Opening during a decode stops that decode first (a page's too).
    if (decoding_) CancelDecode();
    if (ctx_.pages->busy()) ctx_.pages->CancelDecode();
    switch (sender) {
    case OpenSender::Dialog:
        ctx_.picturePresent = false;
        StartDecode();
        return;
    case OpenSender::Application:
        ProbeAndOpen();
        return;
    case OpenSender::User:
        break;
    }
    const core::OpenEnvironment env = Environment();
    const QStringList names = ctx_.prompter.RunOpenDialog(
        [this, &env]() -> TOpenDialogPlus& {
            TOpenDialogPlus& dialog = OpenDialog();
            dialog.Prepare(ctx_.openDir, kOpenFilters, env);
            return dialog;
        },
        ctx_.openDir, kOpenFilters);
    if (names.isEmpty()) {
        if (openDialog_) openDialog_->ImageClear();
        return;
    }
    AddSeveral(names);
    BeginAttempt(names.first().toStdString());
    if (names.size() == 1 && openDialog_ && TakeFromDialog(*openDialog_)) return;
    if (openDialog_) openDialog_->ImageClear();
    ProbeAndOpen();
}

TOpenDialogPlus& OpenCommands::OpenDialog() {
    if (!openDialog_) openDialog_ = new TOpenDialogPlus(&ctx_.window);
    return *openDialog_;
}

bool OpenCommands::TakeFromDialog(TOpenDialogPlus& dialog) {
    core::DocumentState& doc = ctx_.doc;
    if (!core::InList(doc.CurrentExt, core::kDialogFastList) || dialog.ImageBitsPixel() == -1 ||
        dialog.ImageFilename().toStdString() != doc.CurrentFile)
        return false;
    // The dialog's facts stand in for the probe, and so does the probe's reset
    // of the previous file's page count and reader marks.
    doc.depthBeforeOpen = doc.PictureBits;
    doc.PictureWidth = doc.FullWidth = dialog.ImageWidth();
    doc.PictureHeight = doc.FullHeight = dialog.ImageHeight();
    doc.PictureBits = dialog.ImageBitsPixel();
    doc.planes = 1;
    doc.typeText = dialog.ImageType().toStdString();
    doc.compressionText = dialog.ImageCompress().toStdString();
    doc.PageCount = 1;
    doc.ImageManPng = dialog.ImageManMark();
    doc.BmpReader = dialog.ConversionMark();
    doc.JpegFallback = doc.JpegLoaded = false;
    doc.ReducedScale = false;
    doc.Scale = 1;

    const core::OpenEnvironment env = Environment();
    if (dialog.ImagePreload() && dialog.ImageBitmap() && env.AutoReduce && env.ScreenBits != 8 &&
        doc.PictureBits > 8) {
        // The dialog decoded the whole picture: it becomes the picture as the
        // decode would have made it, and the file is not read again.
        core::DecodedPicture decoded;
        decoded.picture = dialog.TakeImageBitmap();
        decoded.decoder = core::Decoder::ImageMan;
        const bool makeDdb = env.ScreenBits > 8 && !env.UseScreen;
        if (!makeDdb || core::MakeDeviceDependent(decoded.picture, env.ScreenBits)) {
            pipeline_.CloseLibraryImage();
            const core::Bitmap& pic = decoded.picture;
            doc.PictureWidth = doc.FullWidth = pic.width();
            doc.PictureHeight = doc.FullHeight = pic.height();
            doc.PictureBits = core::ShownBits(pic, env.ScreenBits);
            dialog.ImageClear();
            loadStart_.start();
            FinishDecode(std::move(decoded), doc, false);
            return true;
        }
    }
    dialog.ImageClear();
    ctx_.picturePresent = false;
    StartDecode();
    return true;
}

void OpenCommands::BtnOpenEx(OpenSender sender) {
    if (sender == OpenSender::Dialog) {
        BtnOpenClick(OpenSender::Dialog);
        return;
    }
    BtnOpenClick(OpenSender::Application);
}

void OpenCommands::AddSeveral(const QStringList& names) {
    if (names.size() < 2) return;
    std::vector<std::string> list;
    for (const QString& n : names)
        list.push_back(n.toStdString());
    ctx_.bookmarks.AddSeveral(list);
    ctx_.bookmarkCommands->HistoryControls();
}

void OpenCommands::ProbeAndOpen() {
    const core::ProbeResult probe = pipeline_.ProbeFile(ctx_.doc, Environment());
    if (probe.result == 2) {
        // A clip plays in the view player; one it cannot play is no success:
        // media mode is off again, nothing is bookmarked, the old name is back.
        lastOpenOk_ = ctx_.media->OpenClip();
        if (!lastOpenOk_) {
            ctx_.doc = docBeforeOpen_;
            if (!ctx_.mediaMode) ctx_.status->UpdateCaption();
        }
        OpenTail();
        return;
    }
    // A picture: the clip shown before goes.
    if (probe.result >= 0 && ctx_.mediaMode) ctx_.media->AV_UI(false);
    if (probe.result < 0) {
        lastOpenOk_ = false;
        // The picture on screen stays, and its state with it.
        if (!probe.text.empty()) ctx_.ShowMessage(QString::fromStdString(probe.text), true);
        ctx_.doc = docBeforeOpen_;
        OpenTail();
        return;
    }
    ctx_.picturePresent = false;
    StartDecode();
}

core::OpenEnvironment OpenCommands::Environment() const {
    core::OpenEnvironment env;
    env.ScreenBits = ctx_.screenBits;
    env.AutoReduce = ctx_.settings.AutoReduce != 0;
    env.FaxQuality = ctx_.settings.FaxQuality;
    env.JpegPalette = ctx_.settings.JpegPalette;
    env.PhotoCdStep = ctx_.photoCdStep;
    env.UseScreen = ctx_.settings.UseScreen != 0;
    env.FitToWindow = ctx_.settings.FitToWindow != 0;
    env.FirstLayout = firstLayout_;
    env.FirstActivationDone = ctx_.activationDone;
    env.clientWidth = std::max(1, ctx_.window.centralWidget()->width());
    env.clientHeight = std::max(1, ctx_.view->PictureAreaHeight());
    const QColor bg = ctx_.scrollBox->viewport()->palette().color(QPalette::Window);
    env.background = (std::uint32_t(bg.red()) << 16) | (std::uint32_t(bg.green()) << 8) | bg.blue();
    return env;
}

core::ProgressFn OpenCommands::MakeProgressCallback() {
    return PostedProgress(ctx_, generation_, generation_, stopDecode_);
}

void OpenCommands::StartDecode() {
    decoding_ = true;
    ++generation_;
    stopDecode_ = false;
    loadStart_.start();
    ctx_.status->SetStatusText("Loading...");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ctx_.status->ProgressBegin();

    const core::OpenEnvironment env = Environment();
    const core::ProgressFn progress = MakeProgressCallback();
    const int gen = generation_;
    const bool makeDdb = env.AutoReduce && env.ScreenBits > 8 && !env.UseScreen;
    worker_ = std::thread([this, doc = ctx_.doc, env, progress, gen, makeDdb]() mutable {
        core::Result<core::DecodedPicture> result = core::Error{"Nothing decoded."};
        bool unexpected = false;
        try {
            result = pipeline_.OpenImage(doc, env, progress);
            // The screen's format is made here so the window stays responsive.
            if (result && makeDdb) {
                if (auto st = core::MakeDeviceDependent(result->picture, env.ScreenBits); !st)
                    result = st.error();
            }
        } catch (const std::exception& e) {
            result = core::Error{e.what()};
            unexpected = true;
        } catch (...) {
            result = core::Error{"Unknown error."};
            unexpected = true;
        }
        QMetaObject::invokeMethod(
            &ctx_.window,
            [this, gen, unexpected, r = std::move(result), d = std::move(doc)]() mutable {
                if (gen != generation_) return;
                ctx_.Guard([&] { FinishDecode(std::move(r), std::move(d), unexpected); });
            },
            Qt::QueuedConnection);
    });
}

void OpenCommands::CancelDecode() {
    if (!decoding_ && !worker_.joinable()) return;
    stopDecode_ = true;
    if (worker_.joinable()) worker_.join();
    stopDecode_ = false;
    ++generation_; // a result already posted is dropped
    if (decoding_) {
        decoding_ = false;
        ctx_.doc = docBeforeOpen_;
        QApplication::restoreOverrideCursor();
        ctx_.panels->ProgressEnd();
        ctx_.status->StatusReady();
    }
}

bool OpenCommands::WaitIdle(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while ((decoding_ || worker_.joinable()) && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!decoding_ && worker_.joinable()) worker_.join();
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    return !decoding_;
}

void OpenCommands::FinishDecode(core::Result<core::DecodedPicture> result, core::DocumentState doc,
                                bool unexpected) {
    if (worker_.joinable()) worker_.join();
    decoding_ = false;
    QApplication::restoreOverrideCursor();
    ctx_.panels->ProgressEnd();
    ctx_.doc = std::move(doc);

    lastOpenOk_ = result.ok();
    if (!result) {
        // The failure tail: the pipeline put back the previous name and depth.
        ctx_.picturePresent = false;
        firstLayout_ = false;
        if (unexpected)
            ctx_.window.ReportUnexpected(QString::fromStdString(result.message()));
        else if (!result.message().empty())
            ctx_.ShowMessage(QString::fromStdString(result.message()), false);
        ctx_.status->StatusReady();
        AfterOpen();
        return;
    }

    core::DecodedPicture& decoded = result.value();
    const bool loadedText = IsJpegDecode(decoded.decoder);
    const bool incomplete = decoded.incomplete;
    ctx_.dur95->SetPaintLock(true);
    ctx_.dur95->SetBitmap(std::move(decoded.picture));
    ctx_.dur95->SetTwoColour(ctx_.doc.PictureBits == 1);
    ctx_.emptyPicture = false;

    const bool fit = ctx_.settings.FitToWindow != 0;
    if (firstLayout_) {
        firstLayout_ = false;
        ctx_.view->RestoreWindowRect();
        if (ctx_.settings.AutoSizeWindow) {
            ctx_.view->SizeWindowToPicture();
        } else {
            ctx_.dur95->resize(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
            ctx_.zoomPercent = 100;
            ctx_.view->UpdateScrollRanges();
        }
        ctx_.view->LayoutScrollBox();
    } else {
        if (!fit && ctx_.settings.AutoSizeWindow) ctx_.view->SizeWindowToPicture();
        if (!fit) {
            ctx_.zoomPercent = 100;
            ctx_.view->ResetSkyScrollPos();
            ctx_.dur95->resize(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
        }
        ctx_.view->UpdateScrollRanges();
        ctx_.view->LayoutScrollBox();
    }

    ctx_.picturePresent = true;
    if (fit) {
        ctx_.dur95->SetPaintLock(false);
        ctx_.view->ChangeView();
    } else {
        ctx_.view->RefreshPicture();
        ctx_.zoomPercent = 100;
        ctx_.panels->SetText(1, "100%");
    }
    ctx_.status->UpdateCaption();
    // A damaged or cut file shows the rows it has: the status says the rest is missing.
    if (incomplete)
        ctx_.status->SetStatusText(kShownInPart);
    else if (loadedText)
        ctx_.status->SetStatusText(
            QString::fromStdString(core::LoadTimeText(loadStart_.elapsed())));
    else
        ctx_.status->SetStatusText("Ready.");
    ctx_.menus.SetEnabled("mnuReload", true);
    ctx_.menus.SetEnabled("mnuUndo", false); // the backup stays until the next one
    AfterOpen();
}

void OpenCommands::AfterOpen() {
    // Steps that follow every open, good or bad.
    ctx_.pictureChanged = false;
    ctx_.status->EnableControls();
    ctx_.status->UpdateCaption();
    ctx_.openDir = QString::fromStdString(core::FolderPart(ctx_.doc.CurrentFile));
    OpenTail();
    if (ctx_.picturePresent) {
        ctx_.bookmarks.UpdateHistory(ctx_.doc.CurrentFile);
        ctx_.bookmarkCommands->HistoryControls();
        ctx_.pages->AfterOpen();
        // A path typed into the bookmark box has done its work: the keys go
        // back to the picture, so Ctrl+Z and Ctrl+C act on it, not on the text.
        const QWidget* focus = QApplication::focusWidget();
        if (ctx_.history && focus &&
            (focus == static_cast<QWidget*>(ctx_.history) || ctx_.history->isAncestorOf(focus)))
            ctx_.scrollBox->setFocus();
    } else {
        // The empty picture has no pages to step through.
        ctx_.pages->MultiPageDisable();
        ShowEmptyPicture(true);
    }
    docBeforeOpen_ = ctx_.doc;
}

void OpenCommands::OpenTail() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (!ctx_.settings.FitToWindow) ctx_.panels->SetText(1, QString("%1%").arg(ctx_.zoomPercent));
}

void OpenCommands::ShowEmptyPicture(bool named) {
    auto made = core::Bitmap::Create(16, 16, 24);
    if (!made) return;
    core::Bitmap empty = std::move(made).value();
    const QColor c = ctx_.scrollBox->viewport()->palette().color(QPalette::Window);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = empty.row(y) + 3 * x;
            p[0] = std::uint8_t(c.blue());
            p[1] = std::uint8_t(c.green());
            p[2] = std::uint8_t(c.red());
        }
    ctx_.dur95->SetBitmap(std::move(empty));
    ctx_.dur95->SetTwoColour(false);
    ctx_.menus.SetEnabled("mnuReload", false);
    ctx_.emptyPicture = named;
    ctx_.doc.PictureWidth = ctx_.doc.PictureHeight = ctx_.doc.FullWidth = ctx_.doc.FullHeight = 16;
    ctx_.doc.PictureBits = 24;
    ctx_.doc.ReducedScale = false;
    ctx_.doc.PageCount = 1;
    ctx_.status->EnableControls();
    ctx_.picturePresent = true;
    if (ctx_.settings.FitToWindow) {
        ctx_.view->ChangeView();
    } else {
        ctx_.zoomPercent = 100;
        ctx_.dur95->resize(16, 16);
        ctx_.view->UpdateScrollRanges();
        ctx_.view->LayoutScrollBox();
        ctx_.view->RefreshPicture();
        ctx_.panels->SetText(1, "100%");
    }
    ctx_.status->UpdateCaption();
    ctx_.pictureChanged = false;
}

void OpenCommands::DropFiles(const QStringList& names) {
    if (names.isEmpty()) return;
    AddSeveral(names);
    const std::string first = names.first().toStdString();
    if (!core::InList(core::UpperExtension(first), core::kAcceptedList)) return;
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    if (decoding_) CancelDecode();
    BeginAttempt(first);
    ctx_.pictureChanged = false;
    BtnOpenEx(OpenSender::Application);
}

void OpenCommands::DragOpen(const QString& name) {
    if (!name.isEmpty()) BeginAttempt(name.toStdString());
    if (ctx_.window.isMinimized()) ctx_.window.showNormal();
    BtnOpenEx(OpenSender::Application);
}

void OpenCommands::mnuReloadClick() {
    if (ctx_.doc.CurrentFile.empty()) return;
    BeginAttempt(ctx_.doc.CurrentFile);
    ctx_.doc.PreviousFile = docBeforeOpen_.PreviousFile;
    BtnOpenEx(OpenSender::Application);
}

} // namespace gui
