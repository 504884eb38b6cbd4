// The Image and Colors menu commands of the main window: flips, rotation,
// resize, resample, promote, reduce and gray shades. The new picture is made
// beside the old one; the old one is replaced only once the new one exists,
// so a failure shows its message and leaves the picture as it was.
#include "core/common/memory.h"
#include "core/editing/transform_ops.h"
#include "core/imagelib/imagelib.h"
#include "gui/app/status_panels.h"
#include "gui/app/web_form.h"
#include "gui/editing/resize_form.h"
#include "gui/view/tpix.h"

#include <QApplication>

namespace gui {

namespace {
constexpr int kCancel = -999;
constexpr int kSizeLimit = 16384;
} // namespace

void TWebForm::mnuImage1Click() {
    // Sharpen and Smooth need at least 16 × 16 pixels and 8 bits.
    const bool filters =
        doc_.PictureWidth >= 16 && doc_.PictureHeight >= 16 && doc_.PictureBits > 7;
    menus_.SetVisible("mnuSharpen", filters);
    menus_.SetVisible("mnuSmooth", filters);
}

int TWebForm::AskValue(const QString& caption, const core::ValueRequest& request,
                       const QString& lowText, const QString& highText) {
    return prompter_->Value({caption, lowText, highText, request});
}

// A copy of the picture for the library, at its own depth when it is held deeper.
core::Bitmap TWebForm::PictureForLibrary() const {
    return core::PictureAtDepth(dur95_->Bitmap(), doc_.PictureBits);
}

void TWebForm::TransformFailed(const std::string& why) {
    StatusReady();
    ShowMessage(QString::fromStdString(why.empty() ? "The imaging library failed." : why), false);
}

void TWebForm::TakeTransformed(core::Bitmap picture, bool readFacts) {
    if (readFacts) {
        doc_.PictureWidth = picture.width();
        doc_.PictureHeight = picture.height();
        doc_.PictureBits = picture.bits();
    }
    dur95_->SetBitmap(std::move(picture));
    dur95_->SetTwoColour(doc_.PictureBits == 1);
    TransformChanged();
}

// The common tail of an edit, and the commands that depend on the depth.
void TWebForm::TransformChanged() {
    PictureChanged();
    EnableControls();
    UpdateCaption();
}

void TWebForm::mnuMirrorVertClick(bool vertical) {
    if (!AutoBackUp(false)) return;
    ShowBusy("Flipping...");
    auto flipped = core::FlipPicture(PictureForLibrary(), vertical);
    if (!flipped) return TransformFailed(flipped.message());
    TakeTransformed(std::move(flipped).value(), false);
}

void TWebForm::mnuRotateClick() {
    core::ValueRequest ask;
    ask.minimum = 1;
    ask.maximum = 35999;
    ask.initial = 9000;
    ask.presets = {3000, 4500, 6000, 9000, 18000, 27000};
    ask.showPresets = true;
    const int angle = AskValue("Rotate image (1/100 deg.)", ask, "", "");
    if (angle == kCancel) return;
    lastLibraryAngle_ = 36000 - angle;
    ShowBusy("Rotating...");
    if (!EnoughMemory(1) || !AutoBackUp(false)) return StatusReady();
    auto turned = core::RotateClockwise(PictureForLibrary(), angle);
    if (!turned) return TransformFailed(turned.message());
    TakeTransformed(std::move(turned).value(), true);
}

bool TWebForm::AskNewSize(int* width, int* height, int* copyMode) {
    const ResizeResult r = prompter_->Resize(
        {0, 0, doc_.PictureWidth, doc_.PictureHeight, doc_.PictureBits, kSizeLimit, kSizeLimit});
    if (r.width == -1 || (r.width == doc_.PictureWidth && r.height == doc_.PictureHeight))
        return false;
    *width = r.width;
    *height = r.height;
    *copyMode = r.copyMode;
    return true;
}

void TWebForm::mnuResizeClick() {
    int w = 0, h = 0, mode = 0;
    if (!AskNewSize(&w, &h, &mode)) return;
    if (!EnoughMemory(1) || !AutoBackUp(false)) return;
    ShowBusy("Resizing...");
    auto resized = core::ResizePicture(PictureForLibrary(), w, h, mode);
    if (!resized) return TransformFailed(resized.message());
    TakeTransformed(std::move(resized).value(), true);
}

void TWebForm::mnuResample1Click() {
    if (doc_.PictureBits <= 7) return mnuResizeClick();
    int w = 0, h = 0, mode = 0;
    if (!AskNewSize(&w, &h, &mode)) return;
    if (w <= 15 || h <= 15) return;
    if (!EnoughMemory(1) || !AutoBackUp(false)) return;
    ShowBusy("Resampling...");
    bool skipped = false;
    auto resampled = core::ResamplePicture(PictureForLibrary(), w, h, &skipped);
    if (!resampled) return TransformFailed(resampled.message());
    TakeTransformed(std::move(resampled).value(), true);
}

void TWebForm::ImagePromote(int target) {
    if (!AutoBackUp(false)) return;
    ShowBusy("Promoting...");
    core::Bitmap pic = PictureForLibrary();
    // A picture held deeper than the target (device-dependent) keeps its pixels.
    if (pic.bits() < (target == 4 || target == 8 ? target : 24)) {
        auto promoted = core::PromotePicture(std::move(pic), target);
        if (!promoted) return TransformFailed(promoted.message());
        dur95_->SetBitmap(std::move(promoted).value());
    }
    doc_.PictureBits = target;
    dur95_->SetTwoColour(false);
    TransformChanged();
}

void TWebForm::ImageReduce(int kind, bool fromAutoConvert) {
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
    const core::ReduceChoice choice = core::ChooseReduction(kind, method, doc_.PictureBits);
    lastReduction_ = choice;
    if (choice.imageLib) return ImageLibReduce();
    if (!fromAutoConvert && !AutoBackUp(false)) return;
    ShowBusy("Converting...");
    ProgressBegin();
    auto reduced = core::ReducePicture(PictureForLibrary(), choice, [this](int pct) {
        ProgressStep(pct);
        QCoreApplication::processEvents();
        return true;
    });
    if (!reduced) return TransformFailed(reduced.message());
    core::Bitmap out = std::move(reduced).value();
    doc_.PictureWidth = out.width();
    doc_.PictureHeight = out.height();
    doc_.PictureBits = out.bits();
    if (auto st = core::MakeDeviceDependent(out, screenBits_); !st)
        return TransformFailed(st.message());
    dur95_->SetBitmap(std::move(out));
    dur95_->SetTwoColour(doc_.PictureBits == 1);
    TransformChanged();
}

// 256 colours by the codec library, from the backup's BMP file image.
void TWebForm::ImageLibReduce() {
    if (!AutoBackUp(true)) return;
    dur95_->SetPaintLock(true);
    ShowBusy("Converting...");
    ProgressBegin();
    core::Bitmap out;
    const int rc = core::imagelib::ReduceBmpColors(undo_.stream(), 8, 1, &out, [this](int pct) {
        ProgressStep(pct);
        QCoreApplication::processEvents();
        return !closing_;
    });
    dur95_->SetPaintLock(false);
    if (rc < 0) return TransformFailed(core::imagelib::LastError());
    doc_.PictureBits = 8;
    dur95_->SetBitmap(std::move(out));
    dur95_->SetTwoColour(false);
    TransformChanged();
}

QRect TWebForm::AskSelection(const QRect& initial, int pictureWidth, int pictureHeight) {
    const ResizeResult r = prompter_->Resize({initial.left(), initial.top(), initial.width(),
                                              initial.height(), 0, pictureWidth, pictureHeight});
    if (r.width == -1) return QRect(0, 0, -1, -1);
    return QRect(r.x, r.y, r.width, r.height);
}

} // namespace gui
