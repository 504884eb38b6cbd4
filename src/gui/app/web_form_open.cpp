// The window side of opening: the Open command, dropped files, the command
// line and Reload; the decode on the worker thread and what follows it.
#include "gui/app/web_form.h"

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

void TWebForm::BeginAttempt(const std::string& name) {
    docBeforeOpen_ = doc_;
    doc_.PreviousFile = doc_.CurrentFile;
    doc_.CurrentFile = name;
    doc_.CurrentExt = core::UpperExtension(name);
}

void TWebForm::BtnOpenClick(OpenSender sender) {
    toolButton("btnHand")->setChecked(true);
    menus_.SetChecked("mnuHand", true);
    if (pictureChanged_ && !ConfirmUnsaved()) return;
    // Opening during a decode stops that decode first.
    if (decoding_) CancelDecode();
    switch (sender) {
    case OpenSender::Dialog:
        picturePresent_ = false;
        StartDecode();
        return;
    case OpenSender::Application:
        ProbeAndOpen();
        return;
    case OpenSender::User:
        break;
    }
    const QStringList names = prompter_->OpenFiles(openDir_, kOpenFilters);
    if (names.isEmpty()) return;
    AddSeveral(names);
    BeginAttempt(names.first().toStdString());
    ProbeAndOpen();
}

void TWebForm::BtnOpenEx(OpenSender sender) {
    if (sender == OpenSender::Dialog) {
        BtnOpenClick(OpenSender::Dialog);
        return;
    }
    BtnOpenClick(OpenSender::Application);
}

void TWebForm::AddSeveral(const QStringList& names) {
    if (names.size() < 2) return;
    std::vector<std::string> list;
    for (const QString& n : names)
        list.push_back(n.toStdString());
    bookmarks_.AddSeveral(list);
    HistoryControls();
}

void TWebForm::ProbeAndOpen() {
    const core::ProbeResult probe = pipeline_.ProbeFile(doc_, Environment());
    if (probe.result == 2) {
        // Clips need the media player, which this window does not have yet.
        ShowMessage("Media clips cannot be played yet.", true);
        lastOpenOk_ = false;
        doc_ = docBeforeOpen_;
        OpenTail();
        return;
    }
    if (probe.result < 0) {
        lastOpenOk_ = false;
        // The picture on screen stays, and its state with it.
        if (!probe.text.empty()) ShowMessage(QString::fromStdString(probe.text), true);
        doc_ = docBeforeOpen_;
        OpenTail();
        return;
    }
    picturePresent_ = false;
    StartDecode();
}

core::OpenEnvironment TWebForm::Environment() const {
    core::OpenEnvironment env;
    env.ScreenBits = screenBits_;
    env.AutoReduce = settings_.AutoReduce != 0;
    env.FaxQuality = settings_.FaxQuality;
    env.JpegPalette = settings_.JpegPalette;
    env.UseScreen = settings_.UseScreen != 0;
    env.FitToWindow = settings_.FitToWindow != 0;
    env.FirstLayout = firstLayout_;
    env.FirstActivationDone = firstActivationDone_;
    env.clientWidth = std::max(1, centralWidget()->width());
    env.clientHeight = std::max(1, PictureAreaHeight());
    const QColor bg = scrollBox_->viewport()->palette().color(QPalette::Window);
    env.background = (std::uint32_t(bg.red()) << 16) | (std::uint32_t(bg.green()) << 8) | bg.blue();
    return env;
}

core::ProgressFn TWebForm::MakeProgressCallback() {
    const int gen = generation_;
    QPointer<TWebForm> self(this);
    return [this, self, gen](int percent) {
        QMetaObject::invokeMethod(
            this,
            [this, gen, percent] {
                if (gen == generation_) ProgressStep(percent);
            },
            Qt::QueuedConnection);
        return !stopDecode_.load();
    };
}

void TWebForm::StartDecode() {
    decoding_ = true;
    ++generation_;
    stopDecode_ = false;
    loadStart_.start();
    SetStatusText("Loading...");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProgressBegin();

    const core::OpenEnvironment env = Environment();
    const core::ProgressFn progress = MakeProgressCallback();
    const int gen = generation_;
    const bool makeDdb = env.AutoReduce && env.ScreenBits > 8 && !env.UseScreen;
    worker_ = std::thread([this, doc = doc_, env, progress, gen, makeDdb]() mutable {
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
            this,
            [this, gen, unexpected, r = std::move(result), d = std::move(doc)]() mutable {
                if (gen != generation_) return;
                Guard([&] { FinishDecode(std::move(r), std::move(d), unexpected); });
            },
            Qt::QueuedConnection);
    });
}

void TWebForm::CancelDecode() {
    if (!decoding_ && !worker_.joinable()) return;
    stopDecode_ = true;
    if (worker_.joinable()) worker_.join();
    stopDecode_ = false;
    ++generation_; // a result already posted is dropped
    if (decoding_) {
        decoding_ = false;
        doc_ = docBeforeOpen_;
        QApplication::restoreOverrideCursor();
        panels_->ProgressEnd();
        StatusReady();
    }
}

bool TWebForm::WaitIdle(int timeoutMs) {
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

void TWebForm::FinishDecode(core::Result<core::DecodedPicture> result, core::DocumentState doc,
                            bool unexpected) {
    if (worker_.joinable()) worker_.join();
    decoding_ = false;
    QApplication::restoreOverrideCursor();
    panels_->ProgressEnd();
    doc_ = std::move(doc);

    lastOpenOk_ = result.ok();
    if (!result) {
        // The failure tail: the pipeline put back the previous name and depth.
        picturePresent_ = false;
        firstLayout_ = false;
        if (unexpected)
            ReportUnexpected(QString::fromStdString(result.message()));
        else if (!result.message().empty())
            ShowMessage(QString::fromStdString(result.message()), false);
        StatusReady();
        AfterOpen();
        return;
    }

    core::DecodedPicture& decoded = result.value();
    const bool loadedText = IsJpegDecode(decoded.decoder);
    dur95_->SetPaintLock(true);
    dur95_->SetBitmap(std::move(decoded.picture));
    dur95_->SetTwoColour(doc_.PictureBits == 1);
    emptyPicture_ = false;

    const bool fit = settings_.FitToWindow != 0;
    if (firstLayout_) {
        firstLayout_ = false;
        RestoreWindowRect();
        if (settings_.AutoSizeWindow) {
            SizeWindowToPicture();
        } else {
            dur95_->resize(doc_.PictureWidth, doc_.PictureHeight);
            zoomPercent_ = 100;
            UpdateScrollRanges();
        }
        LayoutScrollBox();
    } else {
        if (!fit && settings_.AutoSizeWindow) SizeWindowToPicture();
        if (!fit) {
            zoomPercent_ = 100;
            ResetSkyScrollPos();
            dur95_->resize(doc_.PictureWidth, doc_.PictureHeight);
        }
        UpdateScrollRanges();
        LayoutScrollBox();
    }

    picturePresent_ = true;
    if (fit) {
        dur95_->SetPaintLock(false);
        ChangeView();
    } else {
        RefreshPicture();
        zoomPercent_ = 100;
        panels_->SetText(1, "100%");
    }
    UpdateCaption();
    if (loadedText)
        SetStatusText(QString::fromStdString(core::LoadTimeText(loadStart_.elapsed())));
    else
        SetStatusText("Ready.");
    menus_.SetEnabled("mnuReload", true);
    menus_.SetEnabled("mnuUndo", false); // the backup stays until the next one
    AfterOpen();
}

void TWebForm::AfterOpen() {
    // Steps that follow every open, good or bad.
    pictureChanged_ = false;
    EnableControls();
    UpdateCaption();
    openDir_ = QString::fromStdString(core::FolderPart(doc_.CurrentFile));
    OpenTail();
    if (picturePresent_) {
        bookmarks_.UpdateHistory(doc_.CurrentFile);
        HistoryControls();
        const bool pages = doc_.PageCount >= 2;
        toolButton("btnPage")->setEnabled(false); // page changes come later
        menus_.SetVisible("mnuPage", pages);
        if (pages) SetStatusText(QString("Page 1 of %1").arg(doc_.PageCount));
    } else {
        ShowEmptyPicture(true);
    }
    docBeforeOpen_ = doc_;
}

void TWebForm::OpenTail() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (!settings_.FitToWindow) panels_->SetText(1, QString("%1%").arg(zoomPercent_));
}

void TWebForm::ShowEmptyPicture(bool named) {
    auto made = core::Bitmap::Create(16, 16, 24);
    if (!made) return;
    core::Bitmap empty = std::move(made).value();
    const QColor c = scrollBox_->viewport()->palette().color(QPalette::Window);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = empty.row(y) + 3 * x;
            p[0] = std::uint8_t(c.blue());
            p[1] = std::uint8_t(c.green());
            p[2] = std::uint8_t(c.red());
        }
    dur95_->SetBitmap(std::move(empty));
    dur95_->SetTwoColour(false);
    menus_.SetEnabled("mnuReload", false);
    emptyPicture_ = named;
    doc_.PictureWidth = doc_.PictureHeight = doc_.FullWidth = doc_.FullHeight = 16;
    doc_.PictureBits = 24;
    doc_.ReducedScale = false;
    doc_.PageCount = 1;
    EnableControls();
    picturePresent_ = true;
    if (settings_.FitToWindow) {
        ChangeView();
    } else {
        zoomPercent_ = 100;
        dur95_->resize(16, 16);
        UpdateScrollRanges();
        LayoutScrollBox();
        RefreshPicture();
        panels_->SetText(1, "100%");
    }
    UpdateCaption();
    pictureChanged_ = false;
}

void TWebForm::DropFiles(const QStringList& names) {
    if (names.isEmpty()) return;
    AddSeveral(names);
    const std::string first = names.first().toStdString();
    if (!core::InList(core::UpperExtension(first), core::kAcceptedList)) return;
    if (pictureChanged_ && !ConfirmUnsaved()) return;
    if (decoding_) CancelDecode();
    BeginAttempt(first);
    pictureChanged_ = false;
    BtnOpenEx(OpenSender::Application);
}

void TWebForm::DragOpen(const QString& name) {
    if (!name.isEmpty()) BeginAttempt(name.toStdString());
    if (isMinimized()) showNormal();
    BtnOpenEx(OpenSender::Application);
}

void TWebForm::mnuReloadClick() {
    if (doc_.CurrentFile.empty()) return;
    BeginAttempt(doc_.CurrentFile);
    doc_.PreviousFile = docBeforeOpen_.PreviousFile;
    BtnOpenEx(OpenSender::Application);
}

void TWebForm::NextBookmark(int index) {
    if (index < 0 || index >= bookmarks_.count()) return;
    if (pictureChanged_ && !ConfirmUnsaved()) return;
    bookmarks_.select(index);
    SyncHistoryBox();
    BeginAttempt(bookmarks_.selectedText());
    BtnOpenEx(OpenSender::Application);
}

} // namespace gui
