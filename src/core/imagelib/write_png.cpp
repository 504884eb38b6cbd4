// The PNG writer: 1-, 4- and 8-bit pictures with their palette, 24-bit (and
// device-dependent) pictures as RGB, optionally Adam7-interlaced. Rows go to
// libpng straight from the picture; the file appears only when complete.
#include "core/imagelib/imagelib.h"

#include "core/common/expand_row.h"
#include "core/imagelib/atomic_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace core::imagelib {

namespace {

struct PngWriteContext {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* file = nullptr;
    char message[256] = {};
};

void OnError(png_structp png, png_const_charp msg) {
    auto* ctx = static_cast<PngWriteContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", msg ? msg : "PNG error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, std::size_t n) {
    auto* ctx = static_cast<PngWriteContext*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, n, ctx->file) != n) png_error(png, std::strerror(errno));
}

void OnFlush(png_structp) {}

struct HeaderSpec {
    png_uint_32 width, height;
    int depth, colorType;
    bool interlaced, bgr;
    const png_color* palette;
    int paletteSize;
};

// The setjmp functions: each owns nothing with a destructor.
bool WriteHeaderSafe(PngWriteContext* ctx, const HeaderSpec* s, int* passes) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_set_IHDR(ctx->png, ctx->info, s->width, s->height, s->depth, s->colorType,
                 s->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (s->palette) png_set_PLTE(ctx->png, ctx->info, s->palette, s->paletteSize);
    png_write_info(ctx->png, ctx->info);
    if (s->bgr) png_set_bgr(ctx->png);
    *passes = s->interlaced ? png_set_interlace_handling(ctx->png) : 1;
    return true;
}

bool WriteRowSafe(PngWriteContext* ctx, const std::uint8_t* row) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_write_row(ctx->png, row);
    return true;
}

bool WriteEndSafe(PngWriteContext* ctx) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_write_end(ctx->png, ctx->info);
    return true;
}

class PngWriter {
  public:
    explicit PngWriter(std::FILE* file) {
        ctx_.file = file;
        ctx_.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx_, OnError, OnWarning);
        if (ctx_.png) ctx_.info = png_create_info_struct(ctx_.png);
        if (ctx_.info) png_set_write_fn(ctx_.png, &ctx_, OnWrite, OnFlush);
    }
    ~PngWriter() { png_destroy_write_struct(&ctx_.png, &ctx_.info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool ready() const { return ctx_.info != nullptr; }
    PngWriteContext* ctx() { return &ctx_; }
    std::string error() const {
        return ctx_.message[0] ? std::string(ctx_.message) : "Cannot write the PNG file.";
    }

  private:
    PngWriteContext ctx_;
};

int Failed(std::string message) {
    SetLastError(std::move(message));
    return -1;
}

Status WriteRows(PngWriter& writer, const Bitmap& picture, std::vector<png_color>& palette,
                 bool asRgb, bool interlaced, const ProgressFn& progress) {
    const int bits = picture.bits();
    // Indexed device-dependent rows are turned into RGB one at a time.
    std::vector<std::uint8_t> rgbRow;
    if (asRgb && bits != 24) rgbRow.resize(std::size_t{3} * static_cast<unsigned>(picture.width()));
    const HeaderSpec spec{static_cast<png_uint_32>(picture.width()),
                          static_cast<png_uint_32>(picture.height()),
                          asRgb ? 8 : bits,
                          asRgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE,
                          interlaced,
                          asRgb && bits == 24,
                          asRgb ? nullptr : palette.data(),
                          static_cast<int>(palette.size())};
    int passes = 1;
    if (!WriteHeaderSafe(writer.ctx(), &spec, &passes)) return Error{writer.error()};

    const std::uint64_t total = std::uint64_t{spec.height} * static_cast<unsigned>(passes);
    std::uint64_t done = 0;
    PercentProgress rowsDone(progress, total);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < picture.height(); ++y) {
            const std::uint8_t* row = picture.row(y);
            if (!rgbRow.empty()) {
                ExpandRowToRgb(picture, y, rgbRow.data());
                row = rgbRow.data();
            }
            if (!WriteRowSafe(writer.ctx(), row)) return Error{writer.error()};
            if (!rowsDone.at(++done)) return Error{"Stopped."};
        }
    }
    if (!WriteEndSafe(writer.ctx())) return Error{writer.error()};
    return Ok();
}

} // namespace

int WritePNG(const std::string& fileName, const Bitmap& picture, bool interlaced,
             const ProgressFn& progress) {
    const int bits = picture.bits();
    if (picture.empty() || !picture.data()) return Failed("There is no picture to save.");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return Failed("Cannot save a picture of " + std::to_string(bits) + " bits as PNG.");
    // Device-dependent pictures are written in true colour whatever they hold.
    const bool asRgb = bits == 24 || picture.deviceDependent();

    std::vector<png_color> palette;
    if (!asRgb) {
        // The full 2^bits entries, so that every index in the rows is valid.
        palette.resize(std::size_t{1} << bits, png_color{0, 0, 0});
        const auto& pal = picture.palette();
        for (std::size_t i = 0; i < palette.size() && i < pal.size(); ++i)
            palette[i] = png_color{pal[i].red, pal[i].green, pal[i].blue};
    }
    const Status written = WriteFileAtomically(fileName, [&](std::FILE* file) -> Status {
        PngWriter writer(file);
        if (!writer.ready()) return Error{"Insufficient memory."};
        return WriteRows(writer, picture, palette, asRgb, interlaced, progress);
    });
    if (!written) return Failed(written.message());
    return 1;
}

} // namespace core::imagelib
