// The Image and Colors menu commands of the main window: flips, rotation,
// resize, resample, promote, reduce and gray shades.
#pragma once

#include "core/common/bitmap.h"
#include "core/editing/transform_ops.h"
#include "core/view/value_request.h"

#include <QString>

#include <string>

namespace gui {

struct WindowContext;

class TransformCommands {
  public:
    explicit TransformCommands(WindowContext& ctx) : ctx_(ctx) {}

    void mnuImage1Click();
    void mnuMirrorVertClick(bool vertical);
    void mnuRotateClick();
    void mnuResizeClick();
    void mnuResample1Click();
    void ImagePromote(int target);
    // kind 8, 4, 1 (Reduce to) or 0 (Gray shades); from AutoConvert the
    // backup is already taken.
    void ImageReduce(int kind, bool fromAutoConvert = false);
    int lastLibraryAngle() const { return lastLibraryAngle_; }
    const core::ReduceChoice& lastReduction() const { return lastReduction_; }

  private:
    int AskValue(const QString& caption, const core::ValueRequest& request, const QString& lowText,
                 const QString& highText);
    core::Bitmap PictureForLibrary() const;
    void TransformFailed(const std::string& why);
    void TakeTransformed(core::Bitmap picture, bool readFacts);
    void TransformChanged();
    bool AskNewSize(int* width, int* height, int* copyMode);
    void ImageLibReduce();

    WindowContext& ctx_;
    int lastLibraryAngle_ = 0;
    core::ReduceChoice lastReduction_;
};

} // namespace gui
