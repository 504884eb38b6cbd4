// The edit and colour commands of the main window: the undo backup, the
// memory guard, depth changes, colour tables, filters and the clipboard.
#include "gui/editing/edit_commands.h"
#include "gui/input/page_commands.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/editing/transform_commands.h"
#include "gui/input/open_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/view_geometry.h"

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

std::vector<std::pair<const char*, int>> EditCommands::FilterItems() {
    std::vector<std::pair<const char*, int>> items;
    for (const FilterCommandInfo& f : kFilters)
        items.emplace_back(f.barName, f.mode);
    return items;
}

void EditCommands::ClipboardChanged() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool image = clip && clip->hasImage();
    ctx_.menus.SetEnabled("mnuPaste", image);
    ctx_.menus.SetEnabled("mnuEmpty", image);
}

// ---- Memory guard and undo backup ----

std::uint64_t EditCommands::ImageMemSize() const {
    return core::ImageMemSize(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight, ctx_.doc.PictureBits,
                              ctx_.screenBits, ctx_.settings.AutoReduce != 0);
}

bool EditCommands::EnoughMemory(int shift) {
    // 2 GB or more free always passes, as the 32-bit reading did.
    if (core::FreePageFile() >= (std::uint64_t{1} << 31) ||
        core::EnoughMemory(ImageMemSize(), shift))
        return true;
    ctx_.ShowMessage("Insufficient memory.", false);
    return false;
}

bool EditCommands::AutoBackUp(bool useStream) {
    ctx_.view->EnsureStretch();
    // A failed guard keeps the backup that is there: Undo may still be enabled for it.
    if (!EnoughMemory(4)) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ctx_.status->SetStatusText("Creating backup...");
    ctx_.menus.SetEnabled("mnuUndo", false);
    QCoreApplication::processEvents();

    const int depth = ctx_.doc.PictureBits;
    core::Bitmap& picture = ctx_.dur95->Bitmap();
    core::Status taken = core::Ok();
    if (useStream) {
        // The DIB image is written in the pixel format of the depth.
        const int bits = depth == 1 || depth == 4 || depth == 8 ? depth : 24;
        taken = ConvertToDib(picture, bits);
        if (taken) ctx_.doc.PictureBits = bits;
    } else if (depth == 4) {
        MakeDIB4();
    } else if (depth == 8) {
        MakeDIB8();
    } else if (depth > 8) {
        MakeDIB24();
    }
    if (taken)
        taken = undo_.Take(picture, depth, useStream,
                           ctx_.screenBits == 8 || ctx_.doc.PictureBits <= 8);
    QApplication::restoreOverrideCursor();
    if (!taken) {
        undo_.Clear();
        ctx_.status->SetStatusText("Error.");
        ctx_.ShowMessage("Insufficient memory; backup failed.", false);
        return false;
    }
    ctx_.menus.SetEnabled("mnuUndo", true);
    ctx_.status->StatusReady();
    return true;
}

void EditCommands::mnuUndoClick() {
    if (!undo_.held()) return;
    ctx_.mouse->mnuHandClick();
    ctx_.status->SetStatusText("Loading backup...");
    auto restored = undo_.Restore();
    ctx_.menus.SetEnabled("mnuUndo", false);
    if (!restored) {
        ctx_.ShowMessage(QString::fromStdString(restored.message()), false);
        ctx_.status->StatusReady();
        return;
    }
    ctx_.dur95->SetBitmap(std::move(restored->picture));
    ctx_.doc.PictureWidth = ctx_.dur95->Bitmap().width();
    ctx_.doc.PictureHeight = ctx_.dur95->Bitmap().height();
    ctx_.doc.PictureBits = restored->depth;
    ctx_.view->PictureChanged();
    // No system palette to realise here.
}

// ---- Depth ----

void EditCommands::MakeDIB24() {
    if (auto st = ConvertToDib(ctx_.dur95->Bitmap(), 24); !st)
        throw std::runtime_error(st.message());
    ctx_.doc.PictureBits = 24;
    ctx_.dur95->PictureChanged();
    ctx_.status->UpdateCaption();
}

void EditCommands::MakeDIB8() {
    if (auto st = ConvertToDib(ctx_.dur95->Bitmap(), 8); !st)
        throw std::runtime_error(st.message());
    ctx_.doc.PictureBits = 8;
    ctx_.dur95->PictureChanged();
    ctx_.status->UpdateCaption();
}

void EditCommands::MakeDIB4() {
    if (auto st = ConvertToDib(ctx_.dur95->Bitmap(), 4); !st)
        throw std::runtime_error(st.message());
    ctx_.doc.PictureBits = 4;
    ctx_.dur95->PictureChanged();
    ctx_.status->UpdateCaption();
}

// ---- Colour commands ----

bool EditCommands::WarnSVGA() {
    if (ctx_.screenBits != 8 || warnSvgaOff_) return false;
    const Button b = ctx_.prompter.Message(
        {BoxType::Information, "Vistrel",
         "256 color displays cannot show subtle changes.\n32K-color video mode (or better) "
         "recommended.\nContinue anyway?  [Ignore] avoids this message.",
         kBtnYes | kBtnNo | kBtnIgnore, kBtnYes});
    if (b == kBtnIgnore) warnSvgaOff_ = true;
    return b == kBtnNo;
}

void EditCommands::AutoConvert() {
    if (ctx_.screenBits != 8 || ctx_.doc.PictureBits <= 8) return;
    const bool yes = ctx_.prompter.Message({BoxType::Question, "Confirm", "Convert to 256 colors?",
                                            kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
    if (yes) ctx_.transforms->ImageReduce(8, true); // 256 colours, the backup is already taken
}

bool EditCommands::PrepareEdit() {
    if (!ctx_.picturePresent || WarnSVGA() || !EnoughMemory(2) || !AutoBackUp(false)) return false;
    MakeDIB24();
    return true;
}

int EditCommands::RunEffectDialog(const QString& caption, const QString& low, const QString& high,
                                  const EffectRequest& request) {
    return ctx_.prompter.Effect({caption, low, high, request, &ctx_.dur95->Bitmap(),
                                 [this](int context) { ctx_.OpenHelp(context); }},
                                &channels_);
}

void EditCommands::ApplyToPicture(
    const QString& status,
    const std::function<void(core::Bitmap&, const core::ProgressFn&)>& operation) {
    ctx_.status->SetStatusText(status);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ctx_.status->ProgressBegin();
    ctx_.dur95->SetPaintLock(true);
    operation(ctx_.dur95->Bitmap(), [this](int p) {
        ctx_.status->ProgressStep(p);
        return true;
    });
    ctx_.dur95->PictureChanged();
    ctx_.view->RefreshPicture();
    ctx_.pictureChanged = true;
    ctx_.pages->MultiPageDisable(); // an edit ends the paging
    ctx_.status->StatusReady();
}

void EditCommands::mnuGammaFilterClick(bool rgb) {
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

void EditCommands::mnuBrightnessClick(int mode) {
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

void EditCommands::mnuNegativeClick() {
    if (!ctx_.picturePresent || !AutoBackUp(false)) return;
    InvertPixels(ctx_.dur95->Bitmap());
    ctx_.view->PictureChanged();
}

void EditCommands::FilterCommand(int mode) {
    const FilterCommandInfo* f = nullptr;
    for (const FilterCommandInfo& c : kFilters)
        if (c.mode == mode) f = &c;
    if (!f || !PrepareEdit()) return;
    QAction* tagItem = ctx_.menus.action(f->barName);
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

void EditCommands::mnuCopyClick() {
    if (!ctx_.picturePresent) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::clipboard()->setImage(ToQImage(ctx_.dur95->Bitmap()));
    QApplication::restoreOverrideCursor();
}

void EditCommands::mnuCopyMaskClick(bool trim) {
    const core::SelRect sel = ctx_.mouse->SelectionRect();
    if (!ctx_.picturePresent || !sel.exists() || sel.width() == 0 || sel.height() == 0) return;
    if (trim && !AutoBackUp(false)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto part = CropPicture(ctx_.dur95->Bitmap(), sel.left, sel.top, sel.right, sel.bottom);
    QApplication::restoreOverrideCursor();
    if (!part) {
        ctx_.ShowMessage(QString::fromStdString(part.message()), false);
        return;
    }
    if (ctx_.doc.PictureBits != 1 && ctx_.doc.PictureBits != 4 && ctx_.doc.PictureBits != 8)
        ctx_.doc.PictureBits = 24;
    if (trim) {
        ctx_.dur95->SetBitmap(std::move(part).value());
        ctx_.mouse->mnuHandClick();
        ctx_.view->PictureChanged();
    } else {
        QApplication::clipboard()->setImage(ToQImage(part.value()));
        ctx_.mouse->mnuHandClick();
    }
}

void EditCommands::mnuPasteClick() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    if (!clip || !clip->hasImage()) return;
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto picture = FromQImage(image);
    QApplication::restoreOverrideCursor();
    if (!picture) {
        ctx_.ShowMessage(QString::fromStdString(picture.message()), false);
        return;
    }
    ctx_.menus.SetEnabled("mnuUndo", false); // the paste cannot be undone
    ctx_.dur95->SetBitmap(std::move(picture).value());
    ctx_.doc.CurrentFile = "Untitled";
    ctx_.doc.CurrentExt.clear();
    ctx_.doc.PictureWidth = ctx_.dur95->Bitmap().width();
    ctx_.doc.PictureHeight = ctx_.dur95->Bitmap().height();
    ctx_.doc.ReducedScale = false;
    ctx_.doc.PageCount = 1;
    // The screen's depth; true-colour screens (24 or 32 bits) hold 24.
    ctx_.doc.PictureBits = ctx_.screenBits >= 24 ? 24 : ctx_.screenBits;
    ctx_.emptyPicture = false;
    ctx_.status->UpdateCaption();
    ctx_.picturePresent = true;
    ctx_.status->EnableControls();
    ctx_.view->ResetSkyScrollPos();
    ctx_.dur95->resize(ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
    ctx_.zoomPercent = 100;
    ctx_.view->ChangeView();
    ctx_.status->StatusReady();
    ctx_.pictureChanged = true;
    ctx_.input->pipeline().CloseLibraryImage();
    ctx_.pages->MultiPageDisable();
    ctx_.menus.SetEnabled("mnuReload", false);
}

void EditCommands::mnuEmptyClick() {
    QApplication::clipboard()->clear();
}

void EditCommands::mnuRegion1Click() {
    if (!ctx_.picturePresent) return;
    // The selection on screen is read before the hand tool ends it.
    const bool shown = ctx_.mouse->selectionDrawn() && ctx_.mouse->SelectionRect().exists();
    const core::SelRect last = ctx_.mouse->SelectionRect();
    ctx_.mouse->mnuHandClick();
    ctx_.dur95->repaint();
    const int pw = ctx_.doc.PictureWidth, ph = ctx_.doc.PictureHeight;
    // The last selection, or the whole picture when there is none that fits.
    QRect initial(0, 0, pw, ph);
    if (shown && last.bottom > 0 && last.bottom <= ph && last.right <= pw && last.width() > 0 &&
        last.height() > 0)
        initial = QRect(last.left, last.top, last.width(), last.height());
    const QRect chosen = AskSelection(initial, pw, ph);
    if (chosen.width() == -1) return;
    ctx_.mouse->SetSelection(core::SelRect{chosen.left(), chosen.top(),
                                           chosen.left() + chosen.width(),
                                           chosen.top() + chosen.height()});
}

QRect EditCommands::AskSelection(const QRect& initial, int pictureWidth, int pictureHeight) {
    const ResizeResult r = ctx_.prompter.Resize({initial.left(), initial.top(), initial.width(),
                                                 initial.height(), 0, pictureWidth, pictureHeight});
    if (r.width == -1) return QRect(0, 0, -1, -1);
    return QRect(r.x, r.y, r.width, r.height);
}

} // namespace gui
