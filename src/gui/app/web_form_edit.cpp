// The edit and colour commands of the main window: the undo backup, the
// memory guard, depth changes, colour tables, filters and the clipboard.
#include "gui/app/web_form.h"

#include "core/common/memory.h"
#include "core/editing/crop.h"
#include "core/editing/effect_modes.h"
#include "core/editing/make_dib.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QToolButton>

#include <cstring>

namespace gui {

namespace {

using namespace core::editing;

// What each filter command asks its dialog and shows while it runs.
struct FilterCommandInfo {
    int mode;
    const char* barName; // keeps the last strength in its Tag
    const char* caption;
    const char* high;
    int maximum;
    int pageStep;
    const char* status;
};

constexpr FilterCommandInfo kFilters[] = {
    {kModeMeanRemoval, "mnuMeanRemoval1", "Set Sharpening (Mean Removal) effect to", "8 (strong)",
     8, 1, "Sharpening ..."},
    {kModeHighPassMedium, "mnuHighpassMedium1", "Set Sharpening (Medium High Pass) effect to",
     "4 (strong)", 4, 1, "Sharpening ..."},
    {kModeHighPassLight, "mnuHighpassLight1", "Set Sharpening (Light High Pass) effect to",
     "4 (strong)", 4, 1, "Sharpening ..."},
    {kModeSoften, "mnuSoften1", "Set Soften (Low Pass) effect to", "10 (strong)", 10, 1,
     "Softening ..."},
    {kModeDefocus, "mnuDefocus1", "Set Smoothing (Defocus) effect to", "255 (strong)", 255, 16,
     "Defocusing ..."},
    {kModeGaussian, "mnuGaussian1", "Set Smoothing (Gaussian) effect to", "255 (strong)", 255, 16,
     "Blurring ..."},
    {kModeOutlier, "mnuOutlier1", "Set Outlier effect to", "255 (strong)", 255, 16, "Cleaning ..."},
    {kModeDespeckle, "mnuDespeckle1", "Set Despeckle (Median) effect to", "9 (strong)", 9, 1,
     "Cleaning ..."},
};

// A clipboard image as a 24-bit picture.
core::Result<core::Bitmap> FromQImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_BGR888);
    auto made = core::Bitmap::Create(rgb.width(), rgb.height(), 24);
    if (!made) return made.error();
    core::Bitmap out = std::move(made).value();
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(out.row(y), rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3);
    return out;
}

} // namespace

void TWebForm::WireEditCommands() {
    auto on = [this](const char* name, std::function<void()> handler) {
        if (QAction* a = menus_.action(name))
            connect(a, &QAction::triggered, this, [this, handler] { Guard(handler); });
    };
    on("mnuUndo", [this] { mnuUndoClick(); });
    on("mnuCopy", [this] { mnuCopyClick(); });
    on("mnuCopyMask", [this] { mnuCopyMaskClick(false); });
    on("mnuTrim", [this] { mnuCopyMaskClick(true); });
    on("mnuPaste", [this] { mnuPasteClick(); });
    on("mnuEmpty", [this] { mnuEmptyClick(); });
    on("mnuRegion", [this] { mnuRegion1Click(); });
    on("mnuGamma", [this] { mnuGammaFilterClick(false); });
    on("mnuGammaRGB", [this] { mnuGammaFilterClick(true); });
    on("mnuBrightness", [this] { mnuBrightnessClick(kModeBrightness); });
    on("mnuBrightnessRGB", [this] { mnuBrightnessClick(kModeBrightnessRgb); });
    on("mnuContrast", [this] { mnuBrightnessClick(kModeContrast); });
    on("mnuContrastRGB", [this] { mnuBrightnessClick(kModeContrastRgb); });
    on("mnuNegative", [this] { mnuNegativeClick(); });
    for (const FilterCommandInfo& f : kFilters) {
        const int mode = f.mode;
        on(f.barName, [this, mode] { FilterCommand(mode); });
    }
    // Ctrl+V must follow the clipboard without a menu being opened first.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        const bool image = clip && clip->hasImage();
        menus_.SetEnabled("mnuPaste", image);
        menus_.SetEnabled("mnuEmpty", image);
    });
}

// ---- Memory guard and undo backup ----

std::uint64_t TWebForm::ImageMemSize() const {
    return core::ImageMemSize(doc_.PictureWidth, doc_.PictureHeight, doc_.PictureBits, screenBits_,
                              settings_.AutoReduce != 0);
}

bool TWebForm::EnoughMemory(int shift) {
    // 2 GB or more free always passes, as the 32-bit reading did.
    if (core::FreePageFile() >= (std::uint64_t{1} << 31) ||
        core::EnoughMemory(ImageMemSize(), shift))
        return true;
    ShowMessage("Insufficient memory.", false);
    return false;
}

bool TWebForm::AutoBackUp(bool useStream) {
    EnsureStretch();
    // A failed guard keeps the backup that is there: Undo may still be enabled for it.
    if (!EnoughMemory(4)) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetStatusText("Creating backup...");
    menus_.SetEnabled("mnuUndo", false);
    QCoreApplication::processEvents();

    const int depth = doc_.PictureBits;
    core::Bitmap& picture = dur95_->Bitmap();
    core::Status taken = core::Ok();
    if (useStream) {
        // The DIB image is written in the pixel format of the depth.
        const int bits = depth == 1 || depth == 4 || depth == 8 ? depth : 24;
        taken = ConvertToDib(picture, bits);
        if (taken) doc_.PictureBits = bits;
    } else if (depth == 4) {
        MakeDIB4();
    } else if (depth == 8) {
        MakeDIB8();
    } else if (depth > 8) {
        MakeDIB24();
    }
    if (taken)
        taken = undo_.Take(picture, depth, useStream, screenBits_ == 8 || doc_.PictureBits <= 8);
    QApplication::restoreOverrideCursor();
    if (!taken) {
        undo_.Clear();
        SetStatusText("Error.");
        ShowMessage("Insufficient memory; backup failed.", false);
        return false;
    }
    menus_.SetEnabled("mnuUndo", true);
    StatusReady();
    return true;
}

void TWebForm::mnuUndoClick() {
    if (!undo_.held()) return;
    mnuHandClick();
    SetStatusText("Loading backup...");
    auto restored = undo_.Restore();
    menus_.SetEnabled("mnuUndo", false);
    if (!restored) {
        ShowMessage(QString::fromStdString(restored.message()), false);
        StatusReady();
        return;
    }
    dur95_->SetBitmap(std::move(restored->picture));
    doc_.PictureWidth = dur95_->Bitmap().width();
    doc_.PictureHeight = dur95_->Bitmap().height();
    doc_.PictureBits = restored->depth;
    PictureChanged();
    // No system palette to realise here.
}

// ---- Depth ----

void TWebForm::MakeDIB24() {
    if (auto st = ConvertToDib(dur95_->Bitmap(), 24); !st) throw std::runtime_error(st.message());
    doc_.PictureBits = 24;
    dur95_->PictureChanged();
    UpdateCaption();
}

void TWebForm::MakeDIB8() {
    if (auto st = ConvertToDib(dur95_->Bitmap(), 8); !st) throw std::runtime_error(st.message());
    doc_.PictureBits = 8;
    dur95_->PictureChanged();
    UpdateCaption();
}

void TWebForm::MakeDIB4() {
    if (auto st = ConvertToDib(dur95_->Bitmap(), 4); !st) throw std::runtime_error(st.message());
    doc_.PictureBits = 4;
    dur95_->PictureChanged();
    UpdateCaption();
}

// ---- Colour commands ----

bool TWebForm::WarnSVGA() {
    if (screenBits_ != 8 || warnSvgaOff_) return false;
    const Button b = prompter_->Message(
        {BoxType::Information, "Vistrel",
         "256 color displays cannot show subtle changes.\n32K-color video mode (or better) "
         "recommended.\nContinue anyway?  [Ignore] avoids this message.",
         kBtnYes | kBtnNo | kBtnIgnore, kBtnYes});
    if (b == kBtnIgnore) warnSvgaOff_ = true;
    return b == kBtnNo;
}

void TWebForm::AutoConvert() {
    if (screenBits_ != 8 || doc_.PictureBits <= 8) return;
    const bool yes = prompter_->Message({BoxType::Question, "Confirm", "Convert to 256 colors?",
                                         kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
    if (yes) ImageReduce(8, true); // 256 colours, the backup is already taken
}

bool TWebForm::PrepareEdit() {
    if (!picturePresent_ || WarnSVGA() || !EnoughMemory(2) || !AutoBackUp(false)) return false;
    MakeDIB24();
    return true;
}

int TWebForm::RunEffectDialog(const QString& caption, const QString& low, const QString& high,
                              const EffectRequest& request) {
    return prompter_->Effect({caption, low, high, request, &dur95_->Bitmap(),
                              [this](int context) { mnuHelpContextClick(context); }},
                             &channels_);
}

void TWebForm::ApplyToPicture(
    const QString& status,
    const std::function<void(core::Bitmap&, const core::ProgressFn&)>& operation) {
    SetStatusText(status);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProgressBegin();
    dur95_->SetPaintLock(true);
    operation(dur95_->Bitmap(), [this](int p) {
        ProgressStep(p);
        return true;
    });
    dur95_->PictureChanged();
    RefreshPicture();
    pictureChanged_ = true;
    StatusReady();
}

void TWebForm::mnuGammaFilterClick(bool rgb) {
    if (!PrepareEdit()) return;
    EffectRequest r{1, 500, 100, 10, 1, rgb ? kModeGammaRgb : kModeGamma};
    if (RunEffectDialog("Adjust Gamma (1/100)", "1 (dark)", "500 (bright)", r) ==
        kEffectCancelled) {
        mnuUndoClick();
        return;
    }
    luts_ = LutsForMode(r.mode, channels_.red, channels_.green, channels_.blue);
    ApplyToPicture("Adjusting Gamma ...", [this](core::Bitmap& b, const core::ProgressFn& p) {
        ColorFilterBitmap(b, luts_, p);
    });
    AutoConvert();
}

void TWebForm::mnuBrightnessClick(int mode) {
    if (!PrepareEdit()) return;
    const bool contrast = mode == kModeContrast || mode == kModeContrastRgb;
    const QString what = contrast ? " Contrast" : " Brightness";
    EffectRequest r{-127, 127, 0, 8, 1, mode};
    if (RunEffectDialog("Adjust" + what, "-127 (less)", "+127 (more)", r) == kEffectCancelled) {
        mnuUndoClick();
        return;
    }
    luts_ = LutsForMode(mode, channels_.red, channels_.green, channels_.blue);
    ApplyToPicture(
        "Adjusting " + what + " ...",
        [this](core::Bitmap& b, const core::ProgressFn& p) { ColorFilterBitmap(b, luts_, p); });
    AutoConvert();
}

void TWebForm::mnuNegativeClick() {
    if (!picturePresent_ || !AutoBackUp(false)) return;
    InvertPixels(dur95_->Bitmap());
    PictureChanged();
}

void TWebForm::FilterCommand(int mode) {
    const FilterCommandInfo* f = nullptr;
    for (const FilterCommandInfo& c : kFilters)
        if (c.mode == mode) f = &c;
    if (!f || !PrepareEdit()) return;
    QAction* tagItem = menus_.action(f->barName);
    EffectRequest r{1, f->maximum, tagItem ? tagItem->data().toInt() : 1, f->pageStep, 1, mode};
    const int strength = RunEffectDialog(f->caption, "1 (weak)", f->high, r);
    if (strength == kEffectCancelled) {
        mnuUndoClick();
        return;
    }
    if (tagItem) tagItem->setData(strength);
    ApplyToPicture(f->status, [mode, strength](core::Bitmap& b, const core::ProgressFn& p) {
        ApplyEffect(b, mode, strength, 0, 0, p);
    });
    AutoConvert();
}

// ---- Clipboard and selection ----

void TWebForm::mnuCopyClick() {
    if (!picturePresent_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::clipboard()->setImage(ToQImage(dur95_->Bitmap()));
    QApplication::restoreOverrideCursor();
}

void TWebForm::mnuCopyMaskClick(bool trim) {
    const core::SelRect sel = SelectionRect();
    if (!picturePresent_ || !sel.exists() || sel.width() == 0 || sel.height() == 0) return;
    if (trim && !AutoBackUp(false)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto part = CropPicture(dur95_->Bitmap(), sel.left, sel.top, sel.right, sel.bottom);
    QApplication::restoreOverrideCursor();
    if (!part) {
        ShowMessage(QString::fromStdString(part.message()), false);
        return;
    }
    if (doc_.PictureBits != 1 && doc_.PictureBits != 4 && doc_.PictureBits != 8)
        doc_.PictureBits = 24;
    if (trim) {
        dur95_->SetBitmap(std::move(part).value());
        mnuHandClick();
        PictureChanged();
    } else {
        QApplication::clipboard()->setImage(ToQImage(part.value()));
        mnuHandClick();
    }
}

void TWebForm::mnuPasteClick() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    if (!clip || !clip->hasImage()) return;
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto picture = FromQImage(image);
    QApplication::restoreOverrideCursor();
    if (!picture) {
        ShowMessage(QString::fromStdString(picture.message()), false);
        return;
    }
    menus_.SetEnabled("mnuUndo", false); // the paste cannot be undone
    dur95_->SetBitmap(std::move(picture).value());
    doc_.CurrentFile = "Untitled";
    doc_.CurrentExt.clear();
    doc_.PictureWidth = dur95_->Bitmap().width();
    doc_.PictureHeight = dur95_->Bitmap().height();
    doc_.ReducedScale = false;
    doc_.PageCount = 1;
    // The screen's depth; true-colour screens (24 or 32 bits) hold 24.
    doc_.PictureBits = screenBits_ >= 24 ? 24 : screenBits_;
    emptyPicture_ = false;
    UpdateCaption();
    picturePresent_ = true;
    EnableControls();
    ResetSkyScrollPos();
    dur95_->resize(doc_.PictureWidth, doc_.PictureHeight);
    zoomPercent_ = 100;
    ChangeView();
    StatusReady();
    pictureChanged_ = true;
    pipeline_.CloseLibraryImage();
    menus_.SetVisible("mnuPage", false);
    toolButton("btnPage")->setEnabled(false);
    menus_.SetEnabled("mnuReload", false);
}

void TWebForm::mnuEmptyClick() {
    QApplication::clipboard()->clear();
}

void TWebForm::mnuRegion1Click() {
    if (!picturePresent_) return;
    // The selection on screen is read before the hand tool ends it.
    const bool shown = selectionDrawn_ && selectionRect_.exists();
    const core::SelRect last = selectionRect_;
    mnuHandClick();
    dur95_->repaint();
    const int pw = doc_.PictureWidth, ph = doc_.PictureHeight;
    // The last selection, or the whole picture when there is none that fits.
    QRect initial(0, 0, pw, ph);
    if (shown && last.bottom > 0 && last.bottom <= ph && last.right <= pw && last.width() > 0 &&
        last.height() > 0)
        initial = QRect(last.left, last.top, last.width(), last.height());
    const QRect chosen = AskSelection(initial, pw, ph);
    if (chosen.width() == -1) return;
    SetSelection(core::SelRect{chosen.left(), chosen.top(), chosen.left() + chosen.width(),
                               chosen.top() + chosen.height()});
}

} // namespace gui
