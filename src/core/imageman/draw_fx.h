// Drawing a picture onto a surface, plainly or with a transition effect: the
// frame loop over the plan and the renderer, paced by the caller's callback
// and clock. The library's handle calls (ImgDrawImage, ImgDrawImageFX) wrap
// these around the handle's picture.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/imageman/imageman.h"
#include "core/imageman/transition_plan.h"
#include "core/imageman/transition_renderer.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace core::imageman {

// Stands for the device context: the window's client area (or a recorder).
class DrawSurface {
  public:
    virtual ~DrawSurface() = default;
    virtual Frame32View Pixels() = 0;              // the whole client area
    virtual void Present(const Rect& changed) = 0; // show what changed now
    virtual std::int64_t NowMs() = 0;              // monotonic
    virtual void SleepUntilMs(std::int64_t t) = 0; // the window runs its events meanwhile
};

// Called after each presented frame but the last, with the frame (1-based),
// the frame count and the pause in milliseconds, which it is to wait; a
// non-zero result stops the effect.
// (declared with the library calls in imageman.h)
// using FxCallback = std::function<int(int frame, int frames, int pauseMs)>;

// IMG_OK, IMG_STOPPED (the callback stopped it), IMG_BAD_ARGUMENT or IMG_NO_MEMORY.
using DrawStatus = int;

// The source rectangle of a picture as 32-bit pixels, stretched to w x h by
// the nearest pixel (indexed pictures through their palette).
Result<std::vector<std::uint32_t>> PictureTo32(const Bitmap& picture, const Rect& source, int w,
                                               int h);

// One frame: the picture in the target, presented.
DrawStatus DrawPicture(const Bitmap& picture, DrawSurface& surface, const Rect& target,
                       const Rect& source);

// The picture arrives in the target with the effect. What the target shows
// when the call starts is the old picture. Only the target, clipped to the
// surface, is written; the effect runs over the visible part. The callback is
// used when `params.pause` is not 255.
DrawStatus DrawPictureFX(const Bitmap& picture, DrawSurface& surface, const Rect& target,
                         const Rect& source, const FxParams& params, const FxCallback* callback);

} // namespace core::imageman
