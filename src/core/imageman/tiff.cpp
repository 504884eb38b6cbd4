// TIFF pages through libtiff, from memory. The common layouts (bilevel and fax,
// palette, gray, RGB with or without alpha, 8 or 16 bits per sample, strips in
// one or separate planes) are read strip by strip into a picture of the
// matching depth; anything else goes through libtiff's RGBA reader into 24 bits.
#include "core/common/memory.h"
#include "core/common/packed_rows.h"
#include "core/imagelib/tiff_facts.h"
#include "core/imageman/document.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace core::imageman {

namespace {

// Strip buffers larger than this are refused (a sane writer uses ~8 KB strips).
constexpr std::uint64_t kMaxStripBytes = std::uint64_t{256} << 20;

struct PageTags {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t compression = COMPRESSION_NONE, planar = PLANARCONFIG_CONTIG;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    std::uint16_t extraCount = 0;
    const std::uint16_t* extraTypes = nullptr;
    bool tiled = false;
};

PageTags ReadTags(TIFF* tif) {
    PageTags t;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &t.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &t.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &t.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &t.spp);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t.photometric))
        t.photometric = t.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &t.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &t.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &t.extraCount, &t.extraTypes);
    if (t.extraCount > t.spp) t.extraCount = t.spp;
    t.tiled = TIFFIsTiled(tif) != 0;
    return t;
}

int PageBits(const PageTags& t) {
    // 16-bit samples are shown as 8, so a 48-bit RGB page says 24.
    return std::min<int>(t.bps, 8) * t.spp;
}

// Colour value over the background: straight alpha, or alpha already multiplied in.
std::uint8_t Composite(unsigned c, unsigned a, unsigned bg, bool premultiplied) {
    if (!premultiplied) return BlendOver(c, a, bg);
    const unsigned v = c + (bg * (255 - a) + 127) / 255;
    return static_cast<std::uint8_t>(std::min(v, 255u));
}

enum class Kind { Gray, Palette, Color };

// How a page in a common layout maps onto a picture.
struct Plan {
    Kind kind = Kind::Gray;
    int outBits = 8;
    int channels = 1; // colour samples: 1 gray, 3 RGB
    int alpha = -1;   // sample index of the alpha, -1 none
    bool premultiplied = false;
    bool inverted = false; // MinIsWhite
};

bool MakePlan(const PageTags& t, Plan* plan) {
    if (t.tiled || t.sampleFormat != SAMPLEFORMAT_UINT) return false;
    const int colour = t.spp - t.extraCount;
    Plan p;
    if (t.extraCount > 0 && t.extraTypes &&
        (t.extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || t.extraTypes[0] == EXTRASAMPLE_UNASSALPHA)) {
        p.alpha = colour;
        p.premultiplied = t.extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    const bool wide = t.bps == 8 || t.bps == 16;
    switch (t.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        p.inverted = t.photometric == PHOTOMETRIC_MINISWHITE;
        if (t.spp == 1) {
            if (t.bps != 1 && t.bps != 2 && t.bps != 4 && !wide) return false;
            p.kind = Kind::Gray;
            p.outBits = t.bps == 1 ? 1 : t.bps <= 4 ? 4 : 8;
        } else {
            if (colour != 1 || !wide) return false;
            p.kind = Kind::Color;
            p.outBits = 24;
        }
        break;
    case PHOTOMETRIC_PALETTE:
        if (t.spp != 1 || (t.bps != 1 && t.bps != 2 && t.bps != 4 && t.bps != 8)) return false;
        p.kind = Kind::Palette;
        p.outBits = t.bps == 1 ? 1 : t.bps <= 4 ? 4 : 8;
        break;
    case PHOTOMETRIC_RGB:
        if (colour != 3 || !wide) return false;
        p.kind = Kind::Color;
        p.outBits = 24;
        break;
    default:
        return false;
    }
    p.channels = colour;
    if (t.planar == PLANARCONFIG_SEPARATE && t.spp > 1 && !wide) return false;
    *plan = p;
    return true;
}

Status SetPalette(TIFF* tif, const PageTags& t, const Plan& plan, Bitmap& pic) {
    auto& pal = pic.palette();
    pal.assign(std::size_t{1} << plan.outBits, Rgbq{});
    if (plan.kind == Kind::Gray) {
        const int levels = 1 << std::min<int>(t.bps, 8);
        for (int i = 0; i < levels; ++i) {
            int v = i * 255 / (levels - 1);
            if (plan.inverted) v = 255 - v;
            const auto b = static_cast<std::uint8_t>(v);
            pal[static_cast<std::size_t>(i)] = Rgbq{b, b, b, 0};
        }
        return Ok();
    }
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
        return Fail("The TIFF palette is missing.");
    const std::size_t n = std::size_t{1} << t.bps;
    // Some writers store 8-bit values in the 16-bit colour map.
    bool eightBit = true;
    for (std::size_t i = 0; i < n; ++i)
        if (r[i] > 255 || g[i] > 255 || b[i] > 255) eightBit = false;
    auto conv = [&](std::uint16_t v) {
        return eightBit ? static_cast<std::uint8_t>(v) : Sample16To8(v);
    };
    for (std::size_t i = 0; i < n; ++i)
        pal[i] = Rgbq{conv(b[i]), conv(g[i]), conv(r[i]), 0};
    return Ok();
}

// One row of samples (contiguous) into one picture row.
void ConvertRow(const PageTags& t, const Plan& plan, const std::uint8_t* src, std::uint8_t* dst,
                std::uint32_t background) {
    const std::uint32_t w = t.width;
    if (plan.kind != Kind::Color) {
        if (t.bps != 16) {
            CopyIndexRow(src, t.bps, w, dst);
            return;
        }
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint16_t v;
            std::memcpy(&v, src + 2 * std::size_t{x}, 2);
            dst[x] = Sample16To8(v);
        }
        return;
    }
    const unsigned bgr[3] = {(background >> 16) & 255u, (background >> 8) & 255u,
                             background & 255u};
    const std::size_t step = std::size_t{t.spp} * (t.bps / 8);
    auto sample = [&](const std::uint8_t* px, int s) -> unsigned {
        if (t.bps == 8) return px[s];
        std::uint16_t v;
        std::memcpy(&v, px + 2 * s, 2);
        return Sample16To8(v);
    };
    for (std::uint32_t x = 0; x < w; ++x) {
        const std::uint8_t* px = src + step * x;
        unsigned c[3];
        if (plan.channels == 1) {
            unsigned v = sample(px, 0);
            if (plan.inverted) v = 255 - v;
            c[0] = c[1] = c[2] = v;
        } else {
            for (int k = 0; k < 3; ++k)
                c[k] = sample(px, k);
        }
        if (plan.alpha >= 0) {
            const unsigned a = sample(px, plan.alpha);
            for (int k = 0; k < 3; ++k)
                c[k] = Composite(c[k], a, bgr[k], plan.premultiplied);
        }
        std::uint8_t* d = dst + 3 * std::size_t{x};
        d[0] = static_cast<std::uint8_t>(c[2]);
        d[1] = static_cast<std::uint8_t>(c[1]);
        d[2] = static_cast<std::uint8_t>(c[0]);
    }
}

class TiffDocument final : public Document {
  public:
    explicit TiffDocument(Bytes bytes) : bytes_(std::move(bytes)) {}

    Status open() {
        auto mem = TiffMemory::Open(bytes_);
        if (!mem) return mem.error();
        mem_ = std::move(mem.value());
        pages_ = mem_->countPages();
        if (pages_ < 1) return Error{mem_->lastError("The TIFF file has no pages.")};
        return Ok();
    }

    int pageCount() const override { return pages_; }

    Result<PageFacts> facts(int page) override {
        if (auto st = select(page); !st) return st.error();
        const PageTags t = ReadTags(mem_->tif());
        if (auto st = core::CheckTiffSampleLayout(t.bps, t.spp); !st) return st.error();
        PageFacts f;
        f.width = static_cast<int>(std::min<std::uint32_t>(t.width, INT32_MAX));
        f.height = static_cast<int>(std::min<std::uint32_t>(t.height, INT32_MAX));
        f.bits = PageBits(t);
        f.planes = 1;
        f.description =
            "TIFF " + std::to_string(f.bits) + "-bit " + core::TiffCompressionText(t.compression);
        return f;
    }

    Result<Bitmap> decode(int page, const DecodeOptions& options) override {
        if (auto st = select(page); !st) return st.error();
        TIFF* tif = mem_->tif();
        PageTags t = ReadTags(tif);
        if (auto st = core::CheckTiffSampleLayout(t.bps, t.spp); !st) return st.error();
        if (t.compression == COMPRESSION_OJPEG)
            return Fail("Old-style JPEG compression in TIFF files is not supported.");
        if (!TIFFIsCODECConfigured(t.compression))
            return Fail("TIFF compression %s is not supported.",
                        core::TiffCompressionText(t.compression).c_str());
        if (auto st = CheckPictureSize(t.width, t.height, 1); !st) return st.error();
        if (t.compression == COMPRESSION_JPEG && t.photometric == PHOTOMETRIC_YCBCR) {
            // libjpeg converts to RGB for us; the page then reads as plain RGB.
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            t.photometric = PHOTOMETRIC_RGB;
        }
        Plan plan;
        if (!MakePlan(t, &plan)) return decodeRgba(t, options);
        return decodeStrips(t, plan, options);
    }

  private:
    Status select(int page) {
        if (page < 0 || page >= pages_) return Fail("There is no page %d.", page + 1);
        mem_->clearError();
        if (!TIFFSetDirectory(mem_->tif(), static_cast<tdir_t>(page)))
            return Error{mem_->lastError("Cannot read this TIFF page.")};
        return Ok();
    }

    Error libtiffError(const char* fallback) const { return Error{mem_->lastError(fallback)}; }

    Result<Bitmap> decodeStrips(const PageTags& t, const Plan& plan, const DecodeOptions& options) {
        TIFF* tif = mem_->tif();
        auto made =
            Bitmap::Create(static_cast<int>(t.width), static_cast<int>(t.height), plan.outBits);
        if (!made) return made.error();
        Bitmap pic = std::move(made.value());
        if (plan.kind != Kind::Color)
            if (auto st = SetPalette(tif, t, plan, pic); !st) return st.error();

        const std::int64_t scan = TIFFScanlineSize64(tif);
        if (scan <= 0) return libtiffError("Bad TIFF row size.");
        std::uint32_t rps = t.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
        rps = std::clamp<std::uint32_t>(rps, 1, t.height);
        const bool separate = t.planar == PLANARCONFIG_SEPARATE && t.spp > 1;
        const int planes = separate ? t.spp : 1;
        const std::uint64_t stripsPerPlane = (std::uint64_t{t.height} + rps - 1) / rps;
        if (TIFFNumberOfStrips(tif) < stripsPerPlane * static_cast<std::uint64_t>(planes))
            return Fail("The TIFF strip table is too short.");
        const std::uint64_t stripBytes = static_cast<std::uint64_t>(scan) * rps;
        // A strip must hold its rows as we size them and stay reasonable.
        if (stripBytes > kMaxStripBytes ||
            static_cast<std::uint64_t>(TIFFStripSize64(tif)) > stripBytes)
            return Fail("The TIFF strips are too large.");

        std::vector<std::vector<std::uint8_t>> bufs(static_cast<std::size_t>(planes));
        for (auto& b : bufs)
            b.resize(static_cast<std::size_t>(stripBytes));
        std::vector<std::uint8_t> interleaved;
        const std::size_t sampleBytes = t.bps / 8u;
        if (separate) interleaved.resize(std::size_t{t.width} * t.spp * sampleBytes);

        PercentProgress progress(options.progress, t.height);
        if (!progress.at(0)) return Error{"Stopped."};
        for (std::uint32_t strip = 0; strip < stripsPerPlane; ++strip) {
            const std::uint32_t y0 = strip * rps;
            const std::uint32_t rows = std::min(rps, t.height - y0);
            const auto want = static_cast<tmsize_t>(static_cast<std::uint64_t>(scan) * rows);
            for (int p = 0; p < planes; ++p) {
                const auto index = static_cast<std::uint32_t>(strip + p * stripsPerPlane);
                mem_->clearError();
                if (TIFFReadEncodedStrip(tif, index, bufs[static_cast<std::size_t>(p)].data(),
                                         want) < 0)
                    return libtiffError("Cannot read the TIFF picture data.");
            }
            for (std::uint32_t r = 0; r < rows; ++r) {
                const std::size_t off = static_cast<std::size_t>(scan) * r;
                const std::uint8_t* src = bufs[0].data() + off;
                if (separate) {
                    for (std::uint32_t x = 0; x < t.width; ++x)
                        for (int s = 0; s < t.spp; ++s)
                            std::memcpy(interleaved.data() +
                                            (std::size_t{x} * t.spp + s) * sampleBytes,
                                        bufs[static_cast<std::size_t>(s)].data() + off +
                                            std::size_t{x} * sampleBytes,
                                        sampleBytes);
                    src = interleaved.data();
                }
                ConvertRow(t, plan, src, pic.row(static_cast<int>(y0 + r)), options.background);
            }
            if (!progress.at(y0 + rows)) return Error{"Stopped."};
        }
        return pic;
    }

    // libtiff's general reader: YCbCr, CMYK, Lab, tiles and the rest, as RGBA.
    Result<Bitmap> decodeRgba(const PageTags& t, const DecodeOptions& options) {
        TIFF* tif = mem_->tif();
        char emsg[1024] = {};
        if (!TIFFRGBAImageOK(tif, emsg))
            return Fail("%s", emsg[0] ? emsg : "This TIFF layout is not supported.");
        auto made = Bitmap::Create(static_cast<int>(t.width), static_cast<int>(t.height), 24);
        if (!made) return made.error();
        Bitmap pic = std::move(made.value());

        std::uint32_t rps = t.height;
        if (!t.tiled) TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
        rps = std::clamp<std::uint32_t>(rps, 1, t.height);
        // The raster holds one strip (or the whole page for tiles) at 32 bits.
        if (auto st = CheckPictureSize(t.width, rps, 32); !st) return st.error();
        const std::size_t count = std::size_t{t.width} * rps;
        std::unique_ptr<std::uint32_t[]> raster(new (std::nothrow) std::uint32_t[count]);
        if (!raster) return Error{"Insufficient memory."};

        const unsigned bg[3] = {(options.background >> 16) & 255u, (options.background >> 8) & 255u,
                                options.background & 255u};
        auto put = [&](const std::uint32_t* line, std::uint32_t y) {
            std::uint8_t* d = pic.row(static_cast<int>(y));
            for (std::uint32_t x = 0; x < t.width; ++x) {
                const std::uint32_t p = line[x];
                const unsigned a = TIFFGetA(p);
                // libtiff hands out colours with the alpha multiplied in.
                d[3 * x + 0] = Composite(TIFFGetB(p), a, bg[2], true);
                d[3 * x + 1] = Composite(TIFFGetG(p), a, bg[1], true);
                d[3 * x + 2] = Composite(TIFFGetR(p), a, bg[0], true);
            }
        };

        PercentProgress progress(options.progress, t.height);
        if (!progress.at(0)) return Error{"Stopped."};
        mem_->clearError();
        if (t.tiled) {
            if (!TIFFReadRGBAImageOriented(tif, t.width, t.height, raster.get(),
                                           ORIENTATION_TOPLEFT, 1))
                return libtiffError("Cannot read the TIFF picture data.");
            for (std::uint32_t y = 0; y < t.height; ++y)
                put(raster.get() + std::size_t{t.width} * y, y);
        } else {
            for (std::uint32_t y0 = 0; y0 < t.height; y0 += rps) {
                if (!TIFFReadRGBAStripExt(tif, y0, raster.get(), 1))
                    return libtiffError("Cannot read the TIFF picture data.");
                const std::uint32_t rows = std::min(rps, t.height - y0);
                // Each strip comes bottom row first.
                for (std::uint32_t r = 0; r < rows; ++r)
                    put(raster.get() + std::size_t{t.width} * (rows - 1 - r), y0 + r);
                if (!progress.at(y0 + rows)) return Error{"Stopped."};
            }
        }
        if (!progress.at(t.height)) return Error{"Stopped."};
        return pic;
    }

    Bytes bytes_;
    std::unique_ptr<TiffMemory> mem_;
    int pages_ = 0;
};

} // namespace

Result<DocumentPtr> OpenTiffDocument(Bytes file) {
    auto doc = std::make_unique<TiffDocument>(std::move(file));
    if (auto st = doc->open(); !st) return st.error();
    return DocumentPtr(std::move(doc));
}

} // namespace core::imageman
