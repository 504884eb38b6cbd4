// Ordinal 13: colour reduction of a BMP file image held in memory, with
// libimagequant's adaptive palette and its error diffusion.
#include "core/imagelib/imagelib.h"

#include "core/imageman/pixels.h"

#include <libimagequant.h>

#include <memory>
#include <vector>

namespace core::imagelib {

namespace {

struct AttrFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct ImageFree {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultFree {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

struct RowSource {
    const Bitmap* picture;
};

void ReadRow(liq_color out[], int row, int width, void* user) {
    const Bitmap& pic = *static_cast<RowSource*>(user)->picture;
    std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(width));
    imageman::ExpandRowBGR(pic, row, bgr.data());
    for (int x = 0; x < width; ++x)
        out[x] = liq_color{bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x], 255};
}

struct ProgressState {
    const ProgressFn* fn;
    int from, span; // this stage's share of the whole bar
};

int OnProgress(float percent, void* user) {
    auto* s = static_cast<ProgressState*>(user);
    return ReportProgress(*s->fn, s->from + static_cast<int>(percent * s->span / 100)) ? 1 : 0;
}

int Failed(const std::string& why) {
    SetLastError(why);
    return -1;
}

} // namespace

int ReduceBmpColors(std::span<const std::uint8_t> bmpFile, int bits, int /*flag*/, Bitmap* picture,
                    const ProgressFn& progress, int /*reserved*/) {
    if (bits != 4 && bits != 8) return Failed("Colours can be reduced to 4 or 8 bits only.");
    if (bmpFile.size() < 14 + kInfoHeaderSize || bmpFile[0] != 'B' || bmpFile[1] != 'M')
        return Failed("Not a BMP file image.");
    auto source = DIBToPicture(bmpFile.subspan(14));
    if (!source) return Failed(source.message());
    const Bitmap& src = *source;

    std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
    if (!attr) return Failed("Insufficient memory.");
    liq_set_max_colors(attr.get(), 1 << bits);
    ProgressState quantising{&progress, 0, 50};
    liq_attr_set_progress_callback(attr.get(), OnProgress, &quantising);
    RowSource rows{&src};
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_custom(attr.get(), ReadRow, &rows, src.width(), src.height(), 0));
    if (!image) return Failed("Insufficient memory.");
    liq_result* raw = nullptr;
    const liq_error qerr = liq_image_quantize(image.get(), attr.get(), &raw);
    std::unique_ptr<liq_result, ResultFree> result(raw);
    if (qerr == LIQ_ABORTED) return Failed("Stopped.");
    if (qerr != LIQ_OK || !result) return Failed("The colours could not be reduced.");
    liq_set_dithering_level(result.get(), 1.0f);
    ProgressState remapping{&progress, 50, 50};
    liq_result_set_progress_callback(result.get(), OnProgress, &remapping);

    auto made = Bitmap::Create(src.width(), src.height(), bits);
    if (!made) return Failed(made.message());
    Bitmap out = std::move(made).value();
    // Remap into 8-bit rows (the picture's own when it is 8-bit), then pack.
    std::vector<std::uint8_t> indices;
    std::vector<unsigned char*> rowPtrs(static_cast<std::size_t>(src.height()));
    if (bits == 8) {
        for (int y = 0; y < src.height(); ++y)
            rowPtrs[static_cast<std::size_t>(y)] = out.row(y);
    } else {
        indices.resize(static_cast<std::size_t>(src.width()) *
                       static_cast<std::size_t>(src.height()));
        for (int y = 0; y < src.height(); ++y)
            rowPtrs[static_cast<std::size_t>(y)] =
                indices.data() + static_cast<std::size_t>(y) * src.width();
    }
    const liq_error werr = liq_write_remapped_image_rows(result.get(), image.get(), rowPtrs.data());
    if (werr == LIQ_ABORTED) return Failed("Stopped.");
    if (werr != LIQ_OK) return Failed("The colours could not be reduced.");
    if (bits == 4)
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                imageman::SetIndex(out.row(y), x, 4, rowPtrs[static_cast<std::size_t>(y)][x]);

    const liq_palette* pal = liq_get_palette(result.get());
    out.palette().assign(std::size_t{1} << bits, Rgbq{});
    for (unsigned i = 0; i < pal->count && i < out.palette().size(); ++i)
        out.palette()[i] = Rgbq{pal->entries[i].b, pal->entries[i].g, pal->entries[i].r, 0};
    *picture = std::move(out);
    ReportProgress(progress, 100);
    return 1;
}

} // namespace core::imagelib
