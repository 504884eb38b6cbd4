#include "core/imageman/draw_fx.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace core::imageman {

namespace {

Rect Clip(const Rect& r, int width, int height) {
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
            std::min(r.bottom, height)};
}

bool Empty(const Rect& r) {
    return r.width() <= 0 || r.height() <= 0;
}

Rect Moved(const Rect& r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// The picture as it lands in the target, cut to the visible part.
struct Landing {
    Rect visible;                      // on the surface
    std::vector<std::uint32_t> pixels; // visible.width() x visible.height()
};

Result<Landing> Land(const Bitmap& picture, DrawSurface& surface, const Rect& target,
                     const Rect& source) {
    const Frame32View all = surface.Pixels();
    const Rect src = Clip(source, picture.width(), picture.height());
    if (picture.empty() || Empty(target) || Empty(src) || !all.pixels)
        return Fail("Bad draw arguments.");
    Landing out;
    out.visible = Clip(target, all.width, all.height);
    if (Empty(out.visible)) return out;
    auto stretched = PictureTo32(picture, src, target.width(), target.height());
    if (!stretched) return stretched.error();
    const int vw = out.visible.width(), vh = out.visible.height();
    const int ox = out.visible.left - target.left, oy = out.visible.top - target.top;
    if (vw == target.width() && vh == target.height()) {
        out.pixels = std::move(stretched).value();
        return out;
    }
    const std::vector<std::uint32_t>& full = stretched.value();
    try {
        out.pixels.resize(static_cast<std::size_t>(vw) * vh);
    } catch (const std::bad_alloc&) {
        return Fail("Insufficient memory.");
    }
    for (int y = 0; y < vh; ++y)
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * vw],
                    &full[static_cast<std::size_t>(y + oy) * target.width() + ox],
                    sizeof(std::uint32_t) * vw);
    return out;
}

DrawStatus StatusOf(const Error& e) {
    return e.message == "Insufficient memory." ? IMG_NO_MEMORY : IMG_BAD_ARGUMENT;
}

Frame32View SubView(const Frame32View& all, const Rect& r) {
    return {all.row(r.top) + r.left, r.width(), r.height(), all.stride};
}

} // namespace

Result<std::vector<std::uint32_t>> PictureTo32(const Bitmap& picture, const Rect& source, int w,
                                               int h) {
    if (w <= 0 || h <= 0 || Empty(source)) return Fail("Bad draw arguments.");
    std::vector<std::uint32_t> out;
    try {
        out.resize(static_cast<std::size_t>(w) * h);
    } catch (const std::bad_alloc&) {
        return Fail("Insufficient memory.");
    }
    // Nearest pixel: the centre of each target pixel mapped into the source.
    std::vector<int> xs(w);
    for (int x = 0; x < w; ++x)
        xs[x] = source.left + static_cast<int>((2LL * x + 1) * source.width() / (2LL * w));
    for (int y = 0; y < h; ++y) {
        const int sy = source.top + static_cast<int>((2LL * y + 1) * source.height() / (2LL * h));
        std::uint32_t* row = &out[static_cast<std::size_t>(y) * w];
        if (picture.bits() == 24) {
            const std::uint8_t* in = picture.row(sy);
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = in + 3 * static_cast<std::size_t>(xs[x]);
                row[x] = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
            }
        } else {
            for (int x = 0; x < w; ++x)
                row[x] = picture.rgb(xs[x], sy);
        }
    }
    return out;
}

DrawStatus DrawPicture(const Bitmap& picture, DrawSurface& surface, const Rect& target,
                       const Rect& source) {
    auto landing = Land(picture, surface, target, source);
    if (!landing) return StatusOf(landing.error());
    const Rect& v = landing->visible;
    if (Empty(v)) return IMG_OK;
    const Frame32View all = surface.Pixels();
    for (int y = 0; y < v.height(); ++y)
        std::memcpy(all.row(v.top + y) + v.left,
                    &landing->pixels[static_cast<std::size_t>(y) * v.width()],
                    sizeof(std::uint32_t) * v.width());
    surface.Present(v);
    return IMG_OK;
}

DrawStatus DrawPictureFX(const Bitmap& picture, DrawSurface& surface, const Rect& target,
                         const Rect& source, const FxParams& params, const FxCallback* callback) {
    auto landing = Land(picture, surface, target, source);
    if (!landing) return StatusOf(landing.error());
    const Rect v = landing->visible;
    if (Empty(v)) return IMG_OK;
    const int w = v.width(), h = v.height();
    const Frame32View all = surface.Pixels();
    const Frame32View screen = SubView(all, v);
    std::vector<std::uint32_t> old;
    try {
        old.resize(static_cast<std::size_t>(w) * h);
    } catch (const std::bad_alloc&) {
        return IMG_NO_MEMORY;
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(&old[static_cast<std::size_t>(y) * w], screen.row(y),
                    sizeof(std::uint32_t) * w);

    const Frame32View oldView{old.data(), w, h, w};
    const Frame32View newView{landing->pixels.data(), w, h, w};
    // Block orders and blur rows are made once, before the first frame.
    std::optional<TransitionRenderer> renderer;
    FxPlan plan;
    try {
        renderer.emplace(params, oldView, newView);
        plan = MakePlan(params, w, h);
    } catch (const std::bad_alloc&) {
        return IMG_NO_MEMORY;
    }
    const bool paced = params.pause != 255 && callback && *callback;
    const int frames = static_cast<int>(plan.frames.size());
    const std::int64_t start = surface.NowMs();
    for (int j = 0; j < frames;) {
        const Rect changed = renderer->Render(plan.frames[j].step, screen);
        if (!Empty(changed)) surface.Present(Moved(changed, v.left, v.top));
        if (j + 1 == frames) break;
        if (paced && (*callback)(j + 1, frames, params.pause) != 0) return IMG_STOPPED;
        surface.SleepUntilMs(start + plan.frames[j + 1].dueMs);
        // Late: on to the latest frame that is due; the last is never skipped.
        const std::int64_t now = surface.NowMs() - start;
        int next = j + 1;
        while (next + 1 < frames && plan.frames[next + 1].dueMs <= now)
            ++next;
        j = next;
    }
    return IMG_OK;
}

} // namespace core::imageman
