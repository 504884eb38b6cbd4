// The TIFF writer over libtiff: black-and-white pictures as CCITT G4,
// other 1-bit and the 4- and 8-bit pictures with their colour map, 24-bit
// pictures as RGB; all but G4 with Deflate. Never LZW, which the open
// pipeline refuses. One page, written through a stream on the temporary file.
#include "core/common/expand_row.h"
#include "core/common/packed_rows.h"
#include "core/imagelib/atomic_file.h"
#include "core/imagelib/imagelib.h"

#include <tiffio.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

namespace core::imagelib {

namespace {

struct TiffSink {
    std::FILE* file = nullptr;
    std::string error;
};

int OnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* sink = static_cast<TiffSink*>(user);
    if (sink->error.empty()) {
        char buf[400];
        std::vsnprintf(buf, sizeof buf, fmt, ap);
        sink->error = module && *module ? std::string(module) + ": " + buf : std::string(buf);
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

tmsize_t ReadProc(thandle_t, void*, tmsize_t) {
    return 0;
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t size) {
    auto* sink = static_cast<TiffSink*>(h);
    if (size <= 0) return 0;
    const std::size_t n = std::fwrite(buf, 1, static_cast<std::size_t>(size), sink->file);
    if (n != static_cast<std::size_t>(size) && sink->error.empty())
        sink->error = std::strerror(errno ? errno : EIO);
    return static_cast<tmsize_t>(n);
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* sink = static_cast<TiffSink*>(h);
    if (off > static_cast<toff_t>(INT64_MAX)) return static_cast<toff_t>(-1);
    if (fseeko(sink->file, static_cast<off_t>(off), whence) != 0) return static_cast<toff_t>(-1);
    return static_cast<toff_t>(ftello(sink->file));
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t h) {
    auto* sink = static_cast<TiffSink*>(h);
    const off_t here = ftello(sink->file);
    fseeko(sink->file, 0, SEEK_END);
    const off_t end = ftello(sink->file);
    fseeko(sink->file, here, SEEK_SET);
    return static_cast<toff_t>(end);
}

int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

enum class Layout { BlackWhite, Palette, Rgb };

Layout LayoutOf(const Bitmap& picture, bool* whiteIsZero) {
    *whiteIsZero = false;
    if (picture.bits() == 24 || picture.deviceDependent()) return Layout::Rgb;
    if (picture.bits() == 1) {
        const auto& p = picture.palette();
        const Rgbq black{0, 0, 0, 0}, white{255, 255, 255, 0};
        auto same = [](const Rgbq& a, const Rgbq& b) {
            return a.red == b.red && a.green == b.green && a.blue == b.blue;
        };
        if (p.size() >= 2 && same(p[0], black) && same(p[1], white)) return Layout::BlackWhite;
        if (p.size() >= 2 && same(p[0], white) && same(p[1], black)) {
            *whiteIsZero = true;
            return Layout::BlackWhite;
        }
    }
    return Layout::Palette;
}

Status WriteTiffTo(std::FILE* f, const Bitmap& picture, const ProgressFn& progress) {
    TiffSink sink{f, {}};
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> opts(TIFFOpenOptionsAlloc(),
                                                                      TIFFOpenOptionsFree);
    if (!opts) return Error{"Insufficient memory."};
    TIFFOpenOptionsSetErrorHandlerExtR(opts.get(), OnError, &sink);
    TIFFOpenOptionsSetWarningHandlerExtR(opts.get(), OnWarning, &sink);
    std::unique_ptr<TIFF, void (*)(TIFF*)> tif(
        TIFFClientOpenExt("TIFF", "w", &sink, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                          MapProc, UnmapProc, opts.get()),
        TIFFClose);
    auto failed = [&](const char* what) -> Status {
        return Error{sink.error.empty() ? std::string(what) : sink.error};
    };
    if (!tif) return failed("Cannot create the TIFF file.");

    bool whiteIsZero = false;
    const Layout layout = LayoutOf(picture, &whiteIsZero);
    const int w = picture.width(), h = picture.height();
    const int bits = layout == Layout::Rgb ? 8 : picture.bits();
    TIFF* t = tif.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(h));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bits));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL,
                 static_cast<std::uint16_t>(layout == Layout::Rgb ? 3 : 1));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 72.0);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 72.0);

    std::vector<std::uint16_t> map[3];
    switch (layout) {
    case Layout::BlackWhite:
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     whiteIsZero ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(h));
        break;
    case Layout::Palette: {
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        const std::size_t n = std::size_t{1} << bits;
        for (auto& m : map)
            m.assign(n, 0);
        const auto& pal = picture.palette();
        for (std::size_t i = 0; i < n && i < pal.size(); ++i) {
            map[0][i] = static_cast<std::uint16_t>(pal[i].red * 257);
            map[1][i] = static_cast<std::uint16_t>(pal[i].green * 257);
            map[2][i] = static_cast<std::uint16_t>(pal[i].blue * 257);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        break;
    }
    case Layout::Rgb:
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        break;
    }

    const std::size_t rowBytes = layout == Layout::Rgb
                                     ? std::size_t{3} * static_cast<std::size_t>(w)
                                     : (static_cast<std::size_t>(w) * bits + 7) / 8;
    std::vector<std::uint8_t> line(rowBytes);
    PercentProgress rowsDone(progress, static_cast<std::uint64_t>(h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = picture.row(y);
        if (layout == Layout::Rgb) {
            ExpandRowToRgb(picture, y, line.data());
        } else {
            std::memcpy(line.data(), row, rowBytes);
            ClearSpareBits(line.data(), static_cast<std::size_t>(w), bits);
        }
        if (TIFFWriteScanline(t, line.data(), static_cast<std::uint32_t>(y), 0) < 0)
            return failed("Cannot write the TIFF rows.");
        if (!rowsDone.at(static_cast<std::uint64_t>(y) + 1)) return Error{"Stopped."};
    }
    if (!TIFFWriteDirectory(t)) return failed("Cannot write the TIFF directory.");
    TIFF* raw = tif.release();
    TIFFClose(raw);
    if (!sink.error.empty() || std::ferror(f)) return failed("Cannot write the TIFF file.");
    return Ok();
}

} // namespace

int WriteTIFF(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress) {
    const int bits = picture.bits();
    if (picture.empty() || !picture.data()) {
        SetLastError("No picture to write.");
        return -1;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        SetLastError("Cannot write a " + std::to_string(bits) + "-bit picture as TIFF.");
        return -1;
    }
    const Status st = WriteFileAtomically(
        fileName, [&](std::FILE* f) { return WriteTiffTo(f, picture, progress); });
    if (!st) {
        SetLastError(st.message());
        return -1;
    }
    return 1;
}

} // namespace core::imagelib
