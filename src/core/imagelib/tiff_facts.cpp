#include "core/imagelib/tiff_facts.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace core {

namespace {

// libtiff's own allocations (tag arrays, strip buffers) stay below this.
constexpr tmsize_t kMaxLibtiffAlloc = tmsize_t{256} << 20;

std::string FormatMessage(const char* module, const char* fmt, va_list ap) {
    char buf[400];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    std::string text = buf;
    if (module && *module && text.find(module) == std::string::npos)
        text = std::string(module) + ": " + text;
    return text;
}

int OnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* self = static_cast<TiffMemory*>(user);
    // Keep the first error: later ones are usually consequences of it.
    if (self->error_.empty()) self->error_ = FormatMessage(module, fmt, ap);
    return 1;
}

int OnWarning(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    static_cast<TiffMemory*>(user)->warning_ = FormatMessage(module, fmt, ap);
    return 1;
}

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size) {
    auto* self = static_cast<TiffMemory*>(h);
    if (size <= 0 || self->pos_ >= self->data_.size()) return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size), self->data_.size() - self->pos_);
    std::memcpy(buf, self->data_.data() + self->pos_, static_cast<std::size_t>(n));
    self->pos_ += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* self = static_cast<TiffMemory*>(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = self->pos_;
    else if (whence == SEEK_END)
        base = self->data_.size();
    if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
    self->pos_ = base + off; // past the end is allowed; reads there give 0 bytes
    return self->pos_;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t h) {
    return static_cast<TiffMemory*>(h)->data_.size();
}

// libtiff reads raw strips straight out of the bytes, no copy.
int MapProc(thandle_t h, void** base, toff_t* size) {
    auto* self = static_cast<TiffMemory*>(h);
    *base = const_cast<std::uint8_t*>(self->data_.data());
    *size = self->data_.size();
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

} // namespace

Result<std::unique_ptr<TiffMemory>> TiffMemory::Open(std::span<const std::uint8_t> file) {
    if (file.size() < 8) return Fail("Not a TIFF file (too short).");
    const bool intel = file[0] == 'I' && file[1] == 'I';
    const bool motorola = file[0] == 'M' && file[1] == 'M';
    if (!intel && !motorola) return Fail("Not a TIFF file.");

    auto self = std::make_unique<TiffMemory>();
    self->data_ = file;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> opts(TIFFOpenOptionsAlloc(),
                                                                      TIFFOpenOptionsFree);
    if (!opts) return Error{"Insufficient memory."};
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts.get(), kMaxLibtiffAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(opts.get(), OnError, self.get());
    TIFFOpenOptionsSetWarningHandlerExtR(opts.get(), OnWarning, self.get());
    self->tif_ = TIFFClientOpenExt("TIFF", "r", self.get(), ReadProc, WriteProc, SeekProc,
                                   CloseProc, SizeProc, MapProc, UnmapProc, opts.get());
    if (!self->tif_) return Error{self->lastError("Cannot read the TIFF file.")};
    return self;
}

TiffMemory::~TiffMemory() {
    if (tif_) TIFFClose(tif_);
}

int TiffMemory::countPages() {
    // TIFFNumberOfDirectories follows the IFD chain and stops at a loop.
    const tdir_t n = TIFFNumberOfDirectories(tif_);
    return static_cast<int>(std::min<tdir_t>(n, kMaxTiffPages));
}

std::string TiffMemory::lastError(const char* fallback) const {
    return error_.empty() ? std::string(fallback) : error_;
}

std::string TiffCompressionText(unsigned compression) {
    switch (compression) {
    case COMPRESSION_NONE:
        return "None";
    case COMPRESSION_CCITTRLE:
        return "CCITT RLE";
    case COMPRESSION_CCITTFAX3:
        return "CCITT G3";
    case COMPRESSION_CCITTFAX4:
        return "CCITT G4";
    case COMPRESSION_LZW:
        return "LZW";
    case COMPRESSION_OJPEG:
        return "Old JPEG";
    case COMPRESSION_JPEG:
        return "JPEG";
    case COMPRESSION_PACKBITS:
        return "PackBits";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return "Deflate";
    default:
        return "Compression " + std::to_string(compression);
    }
}

Status CheckTiffSampleLayout(unsigned bitsPerSample, unsigned samplesPerPixel) {
    const bool bitsOk = bitsPerSample == 1 || bitsPerSample == 2 || bitsPerSample == 4 ||
                        bitsPerSample == 8 || bitsPerSample == 16;
    if (!bitsOk || samplesPerPixel < 1 || samplesPerPixel > 8)
        return Fail("Unsupported TIFF sample layout: %u bits per sample, %u samples per pixel.",
                    bitsPerSample, samplesPerPixel);
    return Ok();
}

Result<TiffFacts> ReadTiffFacts(std::span<const std::uint8_t> file) {
    auto opened = TiffMemory::Open(file);
    if (!opened) return opened.error();
    TiffMemory& tm = **opened;
    TIFF* tif = tm.tif();

    // The first page's tags, read before counting moves the current directory.
    std::uint32_t width = 0, height = 0;
    std::uint16_t bps = 1, spp = 1, compression = COMPRESSION_NONE;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return Fail("Bad TIFF image size %ux%u.", width, height);
    if (auto st = CheckTiffSampleLayout(bps, spp); !st) return st.error();

    TiffFacts facts;
    facts.width = static_cast<int>(width);
    facts.height = static_cast<int>(height);
    facts.bits = int{bps} * int{spp};
    facts.planes = 1;
    facts.compressionText = TiffCompressionText(compression);
    facts.pages = std::max(1, tm.countPages());
    return facts;
}

} // namespace core
