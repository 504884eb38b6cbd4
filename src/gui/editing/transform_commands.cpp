// The Image and Colors menu commands of the main window: flips, rotation,
// resize, resample, promote, reduce and gray shades. The new picture is made
// beside the old one; the old one is replaced only once the new one exists,
// so a failure shows its message and leaves the picture as it was.
#include "gui/editing/transform_commands.h"
#include "core/common/memory.h"
#include "core/editing/transform_ops.h"
#include "core/imagelib/imagelib.h"
#include "gui/app/status_panels.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/editing/edit_commands.h"
#include "gui/editing/resize_form.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"

#include <QApplication>

namespace gui {

namespace {
constexpr int kCancel = -999;
constexpr int kSizeLimit = 16384;
} // namespace

void TransformCommands::mnuImage1Click() {
    // Sharpen and Smooth need at least 16 × 16 pixels and 8 bits.
    const bool filters =
        ctx_.doc.PictureWidth >= 16 && ctx_.doc.PictureHeight >= 16 && ctx_.doc.PictureBits > 7;
    ctx_.menus.SetVisible("mnuSharpen", filters);
    ctx_.menus.SetVisible("mnuSmooth", filters);
}

int TransformCommands::AskValue(const QString& caption, const core::ValueRequest& request,
                                const QString& lowText, const QString& highText) {
    return ctx_.prompter.Value({caption, lowText, highText, request});
}

// A copy of the picture for the library, at its own depth when it is held deeper.
core::Bitmap TransformCommands::PictureForLibrary() const {
    return core::PictureAtDepth(ctx_.dur95->Bitmap(), ctx_.doc.PictureBits);
}

void TransformCommands::TransformFailed(const std::string& why) {
    ctx_.status->StatusReady();
    ctx_.ShowMessage(QString::fromStdString(why.empty() ? "The imaging library failed." : why),
                     false);
}

void TransformCommands::TakeTransformed(core::Bitmap picture, bool readFacts) {
    if (readFacts) {
        ctx_.doc.PictureWidth = picture.width();
        ctx_.doc.PictureHeight = picture.height();
        ctx_.doc.PictureBits = picture.bits();
    }
    ctx_.dur95->SetBitmap(std::move(picture));
    ctx_.dur95->SetTwoColour(ctx_.doc.PictureBits == 1);
    TransformChanged();
}

// The common tail of an edit, and the commands that depend on the depth.
void TransformCommands::TransformChanged() {
    ctx_.view->PictureChanged();
    ctx_.status->EnableControls();
    ctx_.status->UpdateCaption();
}

void TransformCommands::mnuMirrorVertClick(bool vertical) {
    if (!ctx_.editing->AutoBackUp(false)) return;
    ctx_.status->ShowBusy("Flipping...");
    auto flipped = core::FlipPicture(PictureForLibrary(), vertical);
    if (!flipped) return TransformFailed(flipped.message());
    TakeTransformed(std::move(flipped).value(), false);
}

void TransformCommands::mnuRotateClick() {
    core::ValueRequest ask;
    ask.minimum = 1;
    ask.maximum = 35999;
    ask.initial = 9000;
    ask.presets = {3000, 4500, 6000, 9000, 18000, 27000};
    ask.showPresets = true;
    const int angle = AskValue("Rotate image (1/100 deg.)", ask, "", "");
    if (angle == kCancel) return;
    lastLibraryAngle_ = 36000 - angle;
    ctx_.status->ShowBusy("Rotating...");
    if (!ctx_.editing->EnoughMemory(1) || !ctx_.editing->AutoBackUp(false))
        return ctx_.status->StatusReady();
    auto turned = core::RotateClockwise(PictureForLibrary(), angle);
    if (!turned) return TransformFailed(turned.message());
    TakeTransformed(std::move(turned).value(), true);
}

bool TransformCommands::AskNewSize(int* width, int* height, int* copyMode) {
    const ResizeResult r =
        ctx_.prompter.Resize({0, 0, ctx_.doc.PictureWidth, ctx_.doc.PictureHeight,
                              ctx_.doc.PictureBits, kSizeLimit, kSizeLimit});
    if (r.width == -1 || (r.width == ctx_.doc.PictureWidth && r.height == ctx_.doc.PictureHeight))
        return false;
    *width = r.width;
    *height = r.height;
    *copyMode = r.copyMode;
    return true;
}

void TransformCommands::mnuResizeClick() {
    int w = 0, h = 0, mode = 0;
    if (!AskNewSize(&w, &h, &mode)) return;
    if (!ctx_.editing->EnoughMemory(1) || !ctx_.editing->AutoBackUp(false)) return;
    ctx_.status->ShowBusy("Resizing...");
    auto resized = core::ResizePicture(PictureForLibrary(), w, h, mode);
    if (!resized) return TransformFailed(resized.message());
    TakeTransformed(std::move(resized).value(), true);
}

void TransformCommands::mnuResample1Click() {
    if (ctx_.doc.PictureBits <= 7) return mnuResizeClick();
    int w = 0, h = 0, mode = 0;
    if (!AskNewSize(&w, &h, &mode)) return;
    if (w <= 15 || h <= 15) return;
    if (!ctx_.editing->EnoughMemory(1) || !ctx_.editing->AutoBackUp(false)) return;
    ctx_.status->ShowBusy("Resampling...");
    bool skipped = false;
    auto resampled = core::ResamplePicture(PictureForLibrary(), w, h, &skipped);
    if (!resampled) return TransformFailed(resampled.message());
    TakeTransformed(std::move(resampled).value(), true);
}

void TransformCommands::ImagePromote(int target) {
    if (!ctx_.editing->AutoBackUp(false)) return;
    ctx_.status->ShowBusy("Promoting...");
    core::Bitmap pic = PictureForLibrary();
    // A picture held deeper than the target (device-dependent) keeps its pixels.
    if (pic.bits() < (target == 4 || target == 8 ? target : 24)) {
        auto promoted = core::PromotePicture(std::move(pic), target);
        if (!promoted) return TransformFailed(promoted.message());
        ctx_.dur95->SetBitmap(std::move(promoted).value());
    }
    ctx_.doc.PictureBits = target;
    ctx_.dur95->SetTwoColour(false);
    TransformChanged();
}

void TransformCommands::ImageReduce(int kind, bool fromAutoConvert) {
    int method = -1;
    if (kind != 0) {
        core::ValueRequest ask;
        ask.minimum = 0;
        ask.maximum = core::HighestReduceMethod(kind);
        ask.initial = ask.maximum;
        ask.pageStep = 1;
        ask.useTrackBar = true;
        method = AskValue("Select Color reduction method", ask, "Regular", "Optimal");
        if (method == kCancel) return;
    }
    const core::ReduceChoice choice = core::ChooseReduction(kind, method, ctx_.doc.PictureBits);
    lastReduction_ = choice;
    if (choice.imageLib) return ImageLibReduce();
    if (!fromAutoConvert && !ctx_.editing->AutoBackUp(false)) return;
    ctx_.status->ShowBusy("Converting...");
    ctx_.status->ProgressBegin();
    auto reduced = core::ReducePicture(PictureForLibrary(), choice, [this](int pct) {
        ctx_.status->ProgressStep(pct);
        QCoreApplication::processEvents();
        return true;
    });
    if (!reduced) return TransformFailed(reduced.message());
    core::Bitmap out = std::move(reduced).value();
    ctx_.doc.PictureWidth = out.width();
    ctx_.doc.PictureHeight = out.height();
    ctx_.doc.PictureBits = out.bits();
    if (auto st = core::MakeDeviceDependent(out, ctx_.screenBits); !st)
        return TransformFailed(st.message());
    ctx_.dur95->SetBitmap(std::move(out));
    ctx_.dur95->SetTwoColour(ctx_.doc.PictureBits == 1);
    TransformChanged();
}

// 256 colours by the codec library, from the backup's BMP file image.
void TransformCommands::ImageLibReduce() {
    if (!ctx_.editing->AutoBackUp(true)) return;
    ctx_.dur95->SetPaintLock(true);
    ctx_.status->ShowBusy("Converting...");
    ctx_.status->ProgressBegin();
    core::Bitmap out;
    const int rc = core::imagelib::ReduceBmpColors(ctx_.editing->undoBackup().stream(), 8, 1, &out,
                                                   [this](int pct) {
                                                       ctx_.status->ProgressStep(pct);
                                                       QCoreApplication::processEvents();
                                                       return !ctx_.closing;
                                                   });
    ctx_.dur95->SetPaintLock(false);
    if (rc < 0) return TransformFailed(core::imagelib::LastError());
    ctx_.doc.PictureBits = 8;
    ctx_.dur95->SetBitmap(std::move(out));
    ctx_.dur95->SetTwoColour(false);
    TransformChanged();
}

} // namespace gui
