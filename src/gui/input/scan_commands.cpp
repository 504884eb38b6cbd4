#include "gui/input/scan_commands.h"
#include "gui/app/event_pump.h"

#include "gui/app/status_panels.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/editing/transform_commands.h"
#include "gui/input/open_commands.h"
#include "gui/input/page_commands.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"

#include <QApplication>
#include <QKeyEvent>

namespace gui {

namespace {

// Esc anywhere in the program stops the scan.
class EscFilter : public QObject {
  public:
    EscFilter(QObject* parent, std::function<void()> onEsc)
        : QObject(parent), onEsc_(std::move(onEsc)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            onEsc_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onEsc_;
};

QString DeviceLine(const core::scan::ScanDevice& d) {
    return QString::fromStdString(d.name + " (" + d.vendor + " " + d.model + ")");
}

} // namespace

ScanCommands::~ScanCommands() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void ScanCommands::ShowScanError() {
    ctx_.prompter.Message({BoxType::Critical, "Vistrel",
                           QString::fromStdString(core::scan::ScanErrorText()), kBtnOk, kBtnOk});
}

void ScanCommands::mnuTWAIN_Select1Click() {
    if (scanning_) return;
    auto devices = core::scan::ListDevices();
    if (!devices || devices->empty()) {
        ShowScanError();
        return;
    }
    QStringList items;
    int current = 0;
    for (std::size_t i = 0; i < devices->size(); ++i) {
        items << DeviceLine((*devices)[i]);
        if (QString::fromStdString((*devices)[i].name) == device_) current = int(i);
    }
    const int chosen = ctx_.prompter.Choose("Select Source", "Sources:", items, current);
    if (chosen < 0 || chosen >= int(devices->size())) {
        // No source chosen: the same error as no scanner at all.
        ShowScanError();
        return;
    }
    device_ = QString::fromStdString((*devices)[chosen].name);
    mnuTWAIN_Acquire1Click();
}

void ScanCommands::mnuTWAIN_Acquire1Click() {
    if (scanning_ || ctx_.input->busy() || ctx_.pages->busy()) return;
    // No scanner library, or no device at all: nothing is replaced.
    const auto devices = core::scan::ListDevices();
    if (!devices || devices->empty()) {
        ShowScanError();
        return;
    }
    // The empty picture replaces the one shown: its changes are asked about first.
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    ctx_.input->pipeline().CloseLibraryImage();
    ctx_.pages->MultiPageDisable();
    ctx_.doc.PreviousFile = ctx_.doc.CurrentFile;
    ctx_.doc.CurrentFile = "Untitled";
    ctx_.doc.CurrentExt.clear();
    ctx_.input->ShowEmptyPicture(true);

    scanning_ = true;
    stop_ = false;
    const int gen = ++generation_;
    ctx_.status->ShowBusy("Scanning...");
    ctx_.status->ProgressBegin();
    escFilter_ = new EscFilter(&ctx_.window, [this] { Cancel(); });
    qApp->installEventFilter(escFilter_);
    const core::ProgressFn progress = PostedProgress(ctx_, generation_, gen, stop_);
    const std::string device = device_.toStdString();
    worker_ = std::thread([this, gen, device, progress] {
        core::scan::ScanResult result;
        try {
            result = core::scan::ScanPage(device, {}, progress);
        } catch (const std::exception& e) {
            result.outcome = core::scan::ScanOutcome::Failed;
            result.message = e.what();
        }
        QMetaObject::invokeMethod(
            &ctx_.window,
            [this, gen, r = std::move(result)]() mutable {
                if (gen != generation_) return;
                ctx_.Guard([&] { FinishScan(std::move(r)); });
            },
            Qt::QueuedConnection);
    });
}

void ScanCommands::Cancel() {
    stop_ = true;
}

void ScanCommands::FinishScan(core::scan::ScanResult result) {
    if (worker_.joinable()) worker_.join();
    scanning_ = false;
    if (escFilter_) {
        qApp->removeEventFilter(escFilter_);
        escFilter_->deleteLater();
        escFilter_ = nullptr;
    }
    ctx_.panels->ProgressEnd();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    using core::scan::ScanOutcome;
    switch (result.outcome) {
    case ScanOutcome::NoDevice:
        ctx_.status->StatusReady();
        ShowScanError();
        return;
    case ScanOutcome::Aborted:
        ctx_.status->StatusReady();
        ctx_.prompter.Message({BoxType::Information, "Vistrel",
                               QString::fromStdString(core::scan::ScanAbortedText()), kBtnOk,
                               kBtnOk});
        return;
    case ScanOutcome::Failed:
        // The library's own words; the empty picture stays.
        ctx_.status->StatusReady();
        ctx_.ShowMessage(QString::fromStdString(result.message), false);
        return;
    case ScanOutcome::Done:
        break;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool paletted = result.picture.bits() <= 8;
    ctx_.dur95->SetBitmap(std::move(result.picture));
    ctx_.dur95->SetTwoColour(ctx_.dur95->Bitmap().bits() == 1);
    ctx_.emptyPicture = false;
    ctx_.doc.CurrentFile = "Untitled";
    ctx_.doc.CurrentExt.clear();
    ctx_.doc.PictureBits = ctx_.dur95->Bitmap().bits();
    ctx_.doc.ReducedScale = false;
    ctx_.doc.FullWidth = ctx_.dur95->Bitmap().width();
    ctx_.doc.FullHeight = ctx_.dur95->Bitmap().height();
    ctx_.picturePresent = true;
    ctx_.menus.SetEnabled("mnuReload", false);
    ctx_.status->EnableControls();
    ctx_.view->ResetSkyScrollPos();
    ctx_.view->PictureChanged(); // sets the picture-changed flag
    ctx_.status->UpdateCaption();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // A true-colour scan on a palette screen may be brought down to its colours.
    if (ctx_.screenBits == 8 && !paletted) {
        const bool yes =
            ctx_.prompter.Message({BoxType::Question, "Confirm", "Convert to 256 colors?",
                                   kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
        if (yes) ctx_.transforms->ImageReduce(8);
    }
}

bool ScanCommands::WaitIdle(int timeoutMs) {
    return PumpEventsWhile([this] { return scanning_; }, timeoutMs);
}

} // namespace gui
