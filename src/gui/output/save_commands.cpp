// Save As: the save dialog with its JPEG panel, then the writer the chosen
// type asks for. Nothing replaces the target until the new file is complete,
// and a failure is reported with its reason and leaves the picture unsaved.
#include "gui/output/save_commands.h"
#include "core/common/memory.h"
#include "core/editing/make_dib.h"
#include "core/editing/undo_backup.h"
#include "core/imagelib/imagelib.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/save_rules.h"
#include "gui/app/status_panels.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/output/jpeg_wizard.h"
#include "gui/output/save_dialog_ex.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStorageInfo>

namespace gui {

TSaveDialogEx* SaveCommands::saveDialog() {
    if (!saveDialog_) {
        saveDialog_ = new TSaveDialogEx(&ctx_.window);
        saveDialog_->OnTypeChange = [this](int index) { SaveDialogTypeChange(index); };
    }
    return saveDialog_;
}

void SaveCommands::SaveDialogTypeChange(int index) {
    saveDialog_->setDefaultSuffix(QString::fromStdString(core::output::DefaultExtensionFor(index)));
}

void SaveCommands::mnuSaveClick() {
    using namespace core::output;
    if (!ctx_.picturePresent) return;
    core::Bitmap& picture = ctx_.dur95->Bitmap();
    const int bits = ctx_.doc.PictureBits;
    TSaveDialogEx& dlg = *saveDialog();
    dlg.setWindowTitle("Save Image As");
    dlg.SetHTML(false);
    dlg.SetFilter(QString::fromStdString(SaveFilterText(bits)));
    const int initial = InitialSaveIndex(bits, lastSaveIndex_);
    dlg.SetFilterIndex(initial);
    SaveDialogTypeChange(initial);
    dlg.DoTypeChange();
    if (!ctx_.saveDir.isEmpty()) dlg.setDirectory(ctx_.saveDir);
    dlg.selectFile(QFileInfo(QString::fromStdString(ctx_.doc.CurrentFile)).completeBaseName());
    const bool chosen = ctx_.prompter.RunSaveDialog(dlg);
    if (!chosen) return;

    int index = dlg.FilterIndex();
    QString file = dlg.FileName();
    // A typed extension of a type this picture can be written as chooses that
    // type (".jpg" keeps JPEG gray when that was chosen); any other extension
    // keeps the chosen type, whose extension is added.
    auto typed = SaveTypeForExtension(file.toStdString());
    // A picture offered JPEG gray but not colour writes ".jpg" as gray.
    if (typed == kSaveJpegColour &&
        (index == kSaveJpegGray || SaveTypeCount(bits) < kSaveJpegColour))
        typed = kSaveJpegGray;
    if (typed && *typed <= SaveTypeCount(bits)) {
        if (*typed != index) {
            index = *typed;
            dlg.SetFilterIndex(index);
        }
    } else {
        file += "." + QString::fromStdString(DefaultExtensionFor(index));
    }
    lastSaveIndex_ = index;
    ctx_.status->SetStatusText("Saving " + QFileInfo(file).fileName() + " ...");
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // The picture goes out device-independent: 24 bits above 8, and an 8-bit
    // picture of a 256-colour screen keeps its 8 bits.
    auto makeDib = [&](int toBits) {
        if (auto st = core::editing::ConvertToDib(picture, toBits); !st) {
            ctx_.ShowMessage(QString::fromStdString(st.message()), false);
            return false;
        }
        ctx_.dur95->PictureChanged();
        return true;
    };
    if (bits > 8 && !makeDib(24)) return ctx_.status->StatusReady();
    if (ctx_.screenBits < 15 && bits == 8 && !makeDib(8)) return ctx_.status->StatusReady();

    // Nothing is written without room for it; the picture stays unsaved. A
    // folder that cannot be written is left to the write, whose error says why.
    // (/proc and the like have no size at all.)
    const QFileInfo folder(QFileInfo(file).absolutePath());
    const QStorageInfo volume(folder.absoluteFilePath());
    const bool writable = folder.isDir() && folder.isWritable() && volume.isValid() &&
                          !volume.isReadOnly() && volume.bytesTotal() > 0;
    const qint64 free = writable ? ctx_.prompter.FreeDiskSpace(file) : -1;
    const std::uint64_t need = core::ImageMemSize(picture.width(), picture.height(), picture.bits(),
                                                  ctx_.screenBits, ctx_.settings.AutoReduce != 0);
    if (free >= 0 && static_cast<std::uint64_t>(free) < need) {
        ctx_.ShowMessage("Insufficient free disk space.", false);
        ctx_.status->StatusReady();
        return;
    }
    ctx_.saveDir = QFileInfo(file).absolutePath();

    const std::string path = file.toStdString();
    const core::ProgressFn progress = [this](int percent) {
        ctx_.status->ProgressStep(percent);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !ctx_.closing;
    };
    std::string failure;
    if (index >= kSaveJpegGray) {
        if (index == kSaveJpegColour && !makeDib(24)) return ctx_.status->StatusReady();
        JpegSettings s;
        s.gray = index == kSaveJpegGray;
        s.scale = LinearScaleFromCompression(dlg.CompressQuality());
        s.progressive = dlg.Progressive();
        dlg.SetGray(s.gray);
        ctx_.status->ProgressBegin();
        if (auto st = SaveJPEG(path, ctx_.dur95->Bitmap(), s, progress); !st)
            failure = st.message();
    } else {
        ctx_.status->ProgressBegin();
        const core::Bitmap& out = ctx_.dur95->Bitmap();
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
        ctx_.ShowMessage(QString::fromStdString("Cannot save " + path + ".\n" + failure), false);
    } else {
        ctx_.pictureChanged = false;
    }
    ctx_.dur95->PictureChanged();
    ctx_.status->StatusReady();
}

namespace {

QSettings ProgramKey() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
}

} // namespace

void SaveCommands::StoreWizardSettings() const {
    if (!wizard_ || !ctx_.readSettings) return;
    const auto bytes = core::output::PackWizardSettings(*wizard_);
    ProgramKey().setValue("JPGwiz1", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<int>(bytes.size())));
}

void SaveCommands::mnuCompress1Click() {
    if (!ctx_.picturePresent) return;
    core::Bitmap& picture = ctx_.dur95->Bitmap();
    // The picture is put back as it was when the wizard closes, whatever the
    // button: the backup is taken first and restored last.
    core::editing::UndoBackup backup;
    if (auto st = backup.Take(picture, ctx_.doc.PictureBits, false, picture.bits() <= 8); !st) {
        ctx_.ShowMessage(QString::fromStdString(st.message()), false);
        return;
    }
    if (!core::EnoughMemory(core::ImageMemSize(picture.width(), picture.height(),
                                               ctx_.doc.PictureBits, ctx_.screenBits,
                                               ctx_.settings.AutoReduce != 0),
                            2)) {
        ctx_.ShowMessage("Insufficient memory.", false);
        return;
    }
    if (auto st = core::editing::ConvertToDib(picture, 24); !st) {
        ctx_.ShowMessage(QString::fromStdString(st.message()), false);
        return;
    }
    ctx_.doc.PictureBits = 24;
    ctx_.dur95->PictureChanged();

    if (!wizard_) {
        wizard_ = core::output::WizardSettings{};
        if (ctx_.readSettings) {
            const QByteArray stored = ProgramKey().value("JPGwiz1").toByteArray();
            *wizard_ = core::output::UnpackWizardSettings(
                reinterpret_cast<const std::uint8_t*>(stored.constData()),
                static_cast<std::size_t>(stored.size()));
        }
    }
    JpegWizard wizard(*wizard_);
    if (!ctx_.doc.CurrentFile.empty()) {
        const QFileInfo shown(QString::fromStdString(ctx_.doc.CurrentFile));
        wizard.suggestedFile = shown.dir().filePath(shown.completeBaseName() + ".jpg");
    }
    wizard.showError = [this](const QString& text) { ctx_.ShowMessage(text, false); };
    wizard.onTest = [this](int scale) {
        if (QAction* a = ctx_.menus.action("mnuCompress")) a->setData(scale);
    };
    EffectRequest request;
    request.minimum = 0;
    request.maximum = 255;
    request.initial = wizard_->smoothing;
    request.pageStep = 16;
    request.arrowStep = 1;
    request.mode = 999;
    const auto help = [this](int context) { ctx_.OpenHelp(context); };
    ctx_.prompter.RunWizard(
        {"JPEG Compression Wizard", "0 (none)", "255 (fuzzy)", request, &picture, help}, wizard);

    auto restored = backup.Restore();
    if (!restored) {
        ctx_.ShowMessage(QString::fromStdString(restored.message()), false);
        return;
    }
    ctx_.doc.PictureBits = restored->depth;
    ctx_.dur95->SetBitmap(std::move(restored->picture));
    ctx_.view->RefreshPicture();
    ctx_.status->StatusReady();
}

} // namespace gui
