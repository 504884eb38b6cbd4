// Save As: the save dialog with its JPEG panel, then the writer the chosen
// type asks for. Nothing replaces the target until the new file is complete,
// and a failure is reported with its reason and leaves the picture unsaved.
#include "core/common/memory.h"
#include "core/editing/make_dib.h"
#include "core/editing/undo_backup.h"
#include "core/imagelib/imagelib.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/save_rules.h"
#include "gui/app/status_panels.h"
#include "gui/app/web_form.h"
#include "gui/output/jpeg_wizard.h"
#include "gui/output/save_dialog_ex.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace gui {

TSaveDialogEx* TWebForm::saveDialog() {
    if (!saveDialog_) {
        saveDialog_ = new TSaveDialogEx(this);
        saveDialog_->OnTypeChange = [this](int index) { SaveDialogTypeChange(index); };
    }
    return saveDialog_;
}

void TWebForm::SaveDialogTypeChange(int index) {
    saveDialog_->setDefaultSuffix(QString::fromStdString(core::output::DefaultExtensionFor(index)));
}

void TWebForm::mnuSaveClick() {
    using namespace core::output;
    if (!picturePresent_) return;
    core::Bitmap& picture = dur95_->Bitmap();
    const int bits = doc_.PictureBits;
    TSaveDialogEx& dlg = *saveDialog();
    dlg.setWindowTitle("Save Image As");
    dlg.SetHTML(false);
    dlg.SetFilter(QString::fromStdString(SaveFilterText(bits)));
    const int initial = InitialSaveIndex(bits, lastSaveIndex_);
    dlg.SetFilterIndex(initial);
    SaveDialogTypeChange(initial);
    dlg.DoTypeChange();
    if (!saveDir_.isEmpty()) dlg.setDirectory(saveDir_);
    dlg.selectFile(QFileInfo(QString::fromStdString(doc_.CurrentFile)).completeBaseName());
    const bool chosen = prompter_->RunSaveDialog(dlg);
    if (!chosen) return;

    const int index = dlg.FilterIndex();
    lastSaveIndex_ = index;
    QString file = dlg.FileName();
    if (QFileInfo(file).suffix().isEmpty())
        file += "." + QString::fromStdString(DefaultExtensionFor(index));
    SetStatusText("Saving " + QFileInfo(file).fileName() + " ...");
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // The picture goes out device-independent: 24 bits above 8, and an 8-bit
    // picture of a 256-colour screen keeps its 8 bits.
    auto makeDib = [&](int toBits) {
        if (auto st = core::editing::ConvertToDib(picture, toBits); !st) {
            ShowMessage(QString::fromStdString(st.message()), false);
            return false;
        }
        dur95_->PictureChanged();
        return true;
    };
    if (bits > 8 && !makeDib(24)) return StatusReady();
    if (screenBits_ < 15 && bits == 8 && !makeDib(8)) return StatusReady();

    // Nothing is written without room for it; the picture stays unsaved.
    const qint64 free = prompter_->FreeDiskSpace(file);
    const std::uint64_t need = core::ImageMemSize(picture.width(), picture.height(), picture.bits(),
                                                  screenBits_, settings_.AutoReduce != 0);
    if (free >= 0 && static_cast<std::uint64_t>(free) < need) {
        ShowMessage("Insufficient free disk space.", false);
        StatusReady();
        return;
    }
    saveDir_ = QFileInfo(file).absolutePath();

    const std::string path = file.toStdString();
    const core::ProgressFn progress = [this](int percent) {
        ProgressStep(percent);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !closing_;
    };
    std::string failure;
    if (index >= kSaveJpegGray) {
        if (index == kSaveJpegColour && !makeDib(24)) return StatusReady();
        JpegSettings s;
        s.gray = index == kSaveJpegGray;
        s.scale = LinearScaleFromCompression(dlg.CompressQuality());
        s.progressive = dlg.Progressive();
        dlg.SetGray(s.gray);
        ProgressBegin();
        if (auto st = SaveJPEG(path, dur95_->Bitmap(), s, progress); !st) failure = st.message();
    } else {
        ProgressBegin();
        const core::Bitmap& out = dur95_->Bitmap();
        int rc = -1;
        switch (index) {
        case kSaveBmp:
            rc = core::imagelib::WriteBMP(path, out, progress);
            break;
        case kSavePcx:
            rc = core::imagelib::WritePCX(path, out, progress);
            break;
        case kSaveTiff:
            rc = core::imagelib::WriteTIFF(path, out, progress);
            break;
        default:
            rc = core::imagelib::WritePNG(path, out, dlg.Progressive(), progress);
        }
        if (rc < 0) failure = core::imagelib::LastError();
    }
    if (!failure.empty()) {
        ShowMessage(QString::fromStdString("Cannot save " + path + ".\n" + failure), false);
    } else {
        pictureChanged_ = false;
    }
    dur95_->PictureChanged();
    StatusReady();
}

namespace {

QSettings ProgramKey() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
}

} // namespace

void TWebForm::StoreWizardSettings() const {
    if (!wizard_ || !options_.readSettings) return;
    const auto bytes = core::output::PackWizardSettings(*wizard_);
    ProgramKey().setValue("JPGwiz1", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<int>(bytes.size())));
}

void TWebForm::mnuCompress1Click() {
    if (!picturePresent_) return;
    core::Bitmap& picture = dur95_->Bitmap();
    // The picture is put back as it was when the wizard closes, whatever the
    // button: the backup is taken first and restored last.
    core::editing::UndoBackup backup;
    if (auto st = backup.Take(picture, doc_.PictureBits, false, picture.bits() <= 8); !st) {
        ShowMessage(QString::fromStdString(st.message()), false);
        return;
    }
    if (!core::EnoughMemory(core::ImageMemSize(picture.width(), picture.height(), doc_.PictureBits,
                                               screenBits_, settings_.AutoReduce != 0),
                            2)) {
        ShowMessage("Insufficient memory.", false);
        return;
    }
    if (auto st = core::editing::ConvertToDib(picture, 24); !st) {
        ShowMessage(QString::fromStdString(st.message()), false);
        return;
    }
    doc_.PictureBits = 24;
    dur95_->PictureChanged();

    if (!wizard_) {
        wizard_ = core::output::WizardSettings{};
        if (options_.readSettings) {
            const QByteArray stored = ProgramKey().value("JPGwiz1").toByteArray();
            *wizard_ = core::output::UnpackWizardSettings(
                reinterpret_cast<const std::uint8_t*>(stored.constData()),
                static_cast<std::size_t>(stored.size()));
        }
    }
    JpegWizard wizard(*wizard_);
    wizard.showError = [this](const QString& text) { ShowMessage(text, false); };
    wizard.onTest = [this](int scale) {
        if (QAction* a = menus_.action("mnuCompress")) a->setData(scale);
    };
    EffectRequest request;
    request.minimum = 0;
    request.maximum = 255;
    request.initial = wizard_->smoothing;
    request.pageStep = 16;
    request.arrowStep = 1;
    request.mode = 999;
    const auto help = [this](int context) { mnuHelpContextClick(context); };
    prompter_->RunWizard(
        {"JPEG Compression Wizard", "0 (none)", "255 (fuzzy)", request, &picture, help}, wizard);

    auto restored = backup.Restore();
    if (!restored) {
        ShowMessage(QString::fromStdString(restored.message()), false);
        return;
    }
    doc_.PictureBits = restored->depth;
    dur95_->SetBitmap(std::move(restored->picture));
    RefreshPicture();
    StatusReady();
}

} // namespace gui
