// PNG decoding through libpng, from memory. Palette and low-depth gray files
// without transparency stay indexed (1, 4 or 8 bits); all others become 24-bit
// with 16-bit samples rounded to 8 and alpha composited over the background.
#include "core/common/memory.h"
#include "core/common/packed_rows.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

namespace core::imagelib {

namespace {

// Everything the setjmp functions touch is plain C data.
struct PngContext {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    char message[256] = {};
};

// Our own message for data that ends early; libpng's messages get plain words first.
constexpr const char* kTruncated = "The file is damaged: its picture data ends early.";

void OnError(png_structp png, png_const_charp msg) {
    auto* ctx = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", msg ? msg : "PNG error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, std::size_t n) {
    auto* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    if (n > ctx->size - ctx->pos) png_error(png, kTruncated);
    std::memcpy(out, ctx->data + ctx->pos, n);
    ctx->pos += n;
}

struct Header {
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    bool trns = false;
};

struct Layout {
    int passes = 1;
    std::size_t rowBytes = 0;
    int channels = 0;
    int depth = 0;
};

// The setjmp functions: each owns nothing with a destructor.
bool ReadHeaderSafe(PngContext* ctx, Header* h) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_read_info(ctx->png, ctx->info);
    png_get_IHDR(ctx->png, ctx->info, &h->width, &h->height, &h->depth, &h->colorType,
                 &h->interlace, nullptr, nullptr);
    h->trns = png_get_valid(ctx->png, ctx->info, PNG_INFO_tRNS) != 0;
    return true;
}

bool SetTransformsSafe(PngContext* ctx, bool indexed, int colorType, Layout* out) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    if (!indexed) {
        // Palette and low gray to 8 bits, tRNS to alpha, gray to RGB. 16-bit
        // samples stay 16: they are rounded to 8 bits here, not truncated.
        png_set_expand(ctx->png);
        if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(ctx->png);
    }
    out->passes = png_set_interlace_handling(ctx->png);
    png_read_update_info(ctx->png, ctx->info);
    out->rowBytes = png_get_rowbytes(ctx->png, ctx->info);
    out->channels = png_get_channels(ctx->png, ctx->info);
    out->depth = png_get_bit_depth(ctx->png, ctx->info);
    return true;
}

bool ReadRowSafe(PngContext* ctx, png_bytep row) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_read_row(ctx->png, row, nullptr);
    return true;
}

class PngReader {
  public:
    explicit PngReader(std::span<const std::uint8_t> file) {
        ctx_.data = file.data();
        ctx_.size = file.size();
        ctx_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx_, OnError, OnWarning);
        if (ctx_.png) ctx_.info = png_create_info_struct(ctx_.png);
        if (ctx_.info) png_set_read_fn(ctx_.png, &ctx_, OnRead);
    }
    ~PngReader() { png_destroy_read_struct(&ctx_.png, &ctx_.info, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    bool ready() const { return ctx_.info != nullptr; }
    PngContext* ctx() { return &ctx_; }
    Error error() const {
        if (!ctx_.message[0]) return Error{"Cannot read the PNG file."};
        if (std::strcmp(ctx_.message, kTruncated) == 0) return Error{kTruncated};
        return Error{"The file is damaged. (" + std::string(ctx_.message) + ")"};
    }

  private:
    PngContext ctx_;
};

// 16-bit colour over an 8-bit background with 16-bit alpha, rounded once.
std::uint8_t Blend16(std::uint64_t c, std::uint64_t a, std::uint64_t bg) {
    const std::uint64_t num = c * a + bg * 257 * (65535 - a);
    const std::uint64_t den = std::uint64_t{65535} * 257;
    return static_cast<std::uint8_t>((num + den / 2) / den);
}

// One row as libpng delivers it into one picture row.
void ConvertRow(const Header& h, const Layout& l, bool indexed, const std::uint8_t* src,
                std::uint8_t* dst, std::uint32_t background) {
    const png_uint_32 w = h.width;
    if (indexed) {
        CopyIndexRow(src, h.depth, w, dst);
        return;
    }
    const unsigned bg[3] = {(background >> 16) & 255u, (background >> 8) & 255u, background & 255u};
    const bool alpha = l.channels == 4;
    for (png_uint_32 x = 0; x < w; ++x) {
        std::uint8_t rgb[3];
        if (l.depth == 16) {
            const std::uint8_t* p = src + std::size_t{x} * l.channels * 2;
            unsigned s[4];
            for (int k = 0; k < l.channels; ++k)
                s[k] = (unsigned{p[2 * k]} << 8) | p[2 * k + 1];
            for (int k = 0; k < 3; ++k)
                rgb[k] = alpha ? Blend16(s[k], s[3], bg[k]) : Sample16To8(s[k]);
        } else {
            const std::uint8_t* p = src + std::size_t{x} * l.channels;
            for (int k = 0; k < 3; ++k)
                rgb[k] = alpha ? BlendOver(p[k], p[3], bg[k]) : p[k];
        }
        std::uint8_t* d = dst + 3 * std::size_t{x};
        d[0] = rgb[2];
        d[1] = rgb[1];
        d[2] = rgb[0];
    }
}

void SetPalette(PngContext* ctx, const Header& h, Bitmap& pic) {
    auto& pal = pic.palette();
    pal.assign(std::size_t{1} << pic.bits(), Rgbq{});
    if (h.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(ctx->png, ctx->info, &entries, &count) && entries) {
            count = std::min<int>(count, static_cast<int>(pal.size()));
            for (int i = 0; i < count; ++i)
                pal[static_cast<std::size_t>(i)] =
                    Rgbq{entries[i].blue, entries[i].green, entries[i].red, 0};
        }
        return;
    }
    const int levels = 1 << h.depth;
    for (int i = 0; i < levels; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        pal[static_cast<std::size_t>(i)] = Rgbq{v, v, v, 0};
    }
}

// Reduces a deeper picture to an RGB cube of levels³ colours with a 4×4
// ordered dither; the palette is padded to 2^bits entries.
Result<Bitmap> ReduceOrdered(const Bitmap& src, int bits, int levels) {
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    auto made = Bitmap::Create(src.width(), src.height(), bits);
    if (!made) return made.error();
    Bitmap out = std::move(made.value());
    auto& pal = out.palette();
    pal.assign(std::size_t{1} << bits, Rgbq{});
    for (int r = 0; r < levels; ++r)
        for (int g = 0; g < levels; ++g)
            for (int b = 0; b < levels; ++b)
                pal[static_cast<std::size_t>((r * levels + g) * levels + b)] =
                    Rgbq{static_cast<std::uint8_t>(b * 255 / (levels - 1)),
                         static_cast<std::uint8_t>(g * 255 / (levels - 1)),
                         static_cast<std::uint8_t>(r * 255 / (levels - 1)), 0};
    auto quant = [levels](unsigned v, int m) {
        const unsigned q =
            (v * static_cast<unsigned>(levels - 1) * 32 + (2u * m + 1) * 255) / (255 * 32);
        return std::min<unsigned>(q, static_cast<unsigned>(levels - 1));
    };
    for (int y = 0; y < src.height(); ++y) {
        std::uint8_t* d = out.row(y);
        for (int x = 0; x < src.width(); ++x) {
            const std::uint32_t c = src.rgb(x, y);
            const int m = kBayer[y & 3][x & 3];
            const unsigned idx = (quant((c >> 16) & 255, m) * levels + quant((c >> 8) & 255, m)) *
                                     static_cast<unsigned>(levels) +
                                 quant(c & 255, m);
            if (bits == 8)
                d[x] = static_cast<std::uint8_t>(idx);
            else
                d[x >> 1] = static_cast<std::uint8_t>((x & 1) ? (d[x >> 1] | idx) : (idx << 4));
        }
    }
    return out;
}

} // namespace

Result<Bitmap> DecodePng(std::span<const std::uint8_t> file, const DecodeOptions& options) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0)
        return Fail("The file is not a PNG picture.");
    PngReader reader(file);
    if (!reader.ready()) return Error{"Insufficient memory."};
    PngContext* ctx = reader.ctx();

    Header h;
    if (!ReadHeaderSafe(ctx, &h)) return reader.error();
    const bool indexed =
        !h.trns && h.depth <= 8 &&
        (h.colorType == PNG_COLOR_TYPE_PALETTE || h.colorType == PNG_COLOR_TYPE_GRAY);
    const int outBits = !indexed ? 24 : h.depth == 1 ? 1 : h.depth <= 4 ? 4 : 8;
    auto made =
        Bitmap::Create(static_cast<int>(std::min<png_uint_32>(h.width, INT32_MAX)),
                       static_cast<int>(std::min<png_uint_32>(h.height, INT32_MAX)), outBits);
    if (!made) return made.error();
    Bitmap pic = std::move(made.value());
    if (indexed) SetPalette(ctx, h, pic);

    Layout l;
    if (!SetTransformsSafe(ctx, indexed, h.colorType, &l)) return reader.error();
    if (l.rowBytes == 0) return Fail("Bad PNG row size.");

    // Interlaced files need every row at once: each pass fills pixels of all rows.
    const std::uint64_t rowsHeld = l.passes > 1 ? h.height : 1;
    if (l.passes > 1)
        if (auto st = CheckPictureSize(h.width, h.height, l.channels * l.depth); !st)
            return st.error();
    const std::uint64_t bufBytes = std::uint64_t{l.rowBytes} * rowsHeld;
    std::unique_ptr<std::uint8_t[]> buf(new (std::nothrow) std::uint8_t[bufBytes]());
    if (!buf) return Error{"Insufficient memory."};

    PercentProgress progress(options.progress,
                             std::uint64_t{h.height} * static_cast<unsigned>(l.passes));
    if (!progress.at(0)) return Error{"Stopped."};
    std::uint64_t done = 0;
    for (int pass = 0; pass < l.passes; ++pass) {
        for (png_uint_32 y = 0; y < h.height; ++y) {
            std::uint8_t* row = buf.get() + (l.passes > 1 ? l.rowBytes * y : 0);
            if (!ReadRowSafe(ctx, row)) return reader.error();
            if (l.passes == 1)
                ConvertRow(h, l, indexed, row, pic.row(static_cast<int>(y)), options.background);
            if (!progress.at(++done)) return Error{"Stopped."};
        }
    }
    if (l.passes > 1)
        for (png_uint_32 y = 0; y < h.height; ++y)
            ConvertRow(h, l, indexed, buf.get() + l.rowBytes * y, pic.row(static_cast<int>(y)),
                       options.background);
    return pic;
}

namespace {

// Reads and decodes a PNG file; on failure sets the last error and *code to
// -1 (the file cannot be read) or -2 (it cannot be decoded).
std::optional<Bitmap> ReadPngFile(const std::string& fileName, const DecodeOptions& options,
                                  int* code) {
    auto bytes = imageman::ReadWholeFile(fileName);
    if (!bytes) {
        SetLastError(bytes.message());
        *code = -1;
        return std::nullopt;
    }
    auto pic = DecodePng(*bytes, options);
    if (!pic) {
        SetLastError(pic.message());
        *code = -2;
        return std::nullopt;
    }
    return std::move(pic.value());
}

} // namespace

int PngToBitmap(const std::string& fileName, int bitsWanted, bool reduce, Bitmap* picture,
                const DecodeOptions& options) {
    int code = 0;
    auto pic = ReadPngFile(fileName, options, &code);
    if (!pic) return code;
    if (reduce) {
        // 8 bits: a 6×6×6 colour cube; 0 or 4 bits (a 16-colour screen): the 8 corners.
        const int bits = bitsWanted == 8 ? 8 : 4;
        if (pic->bits() > bits) {
            auto reduced = ReduceOrdered(*pic, bits, bits == 8 ? 6 : 2);
            if (!reduced) {
                SetLastError(reduced.message());
                return -2;
            }
            *pic = std::move(reduced.value());
        }
    }
    if (picture) *picture = std::move(*pic);
    return 1;
}

int PngToDIB(const std::string& fileName, int /*bits*/, PackedDib* dib,
             const DecodeOptions& options) {
    int code = 0;
    auto pic = ReadPngFile(fileName, options, &code);
    if (!pic) return code;
    auto packed = PictureToPackedDIB(*pic);
    if (!packed) {
        SetLastError(packed.message());
        return -3;
    }
    if (dib) *dib = std::move(packed.value());
    return 1;
}

} // namespace core::imagelib
