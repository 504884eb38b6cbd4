#include "core/imagelib/tiff_facts.h"

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace core {

namespace {

// libtiff's own allocations (tag arrays, strip buffers) stay below this.
constexpr tmsize_t kMaxLibtiffAlloc = tmsize_t{256} << 20;

std::string FormatMessage(const char*, const char* fmt, va_list ap) {
    char buf[400];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    return buf;
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
    return error_.empty() ? std::string(fallback) : TiffUserMessage(error_);
}

std::string TiffUserMessage(const std::string& raw) {
    // The library's text names its own functions ("TIFFFillStrip: ...") and
    // prints a negative byte count as unsigned: drop the names, show the sign.
    std::string detail;
    for (std::size_t i = 0; i < raw.size();) {
        const bool wordStart =
            i == 0 || !(std::isalnum(static_cast<unsigned char>(raw[i - 1])) || raw[i - 1] == '_');
        std::size_t j = i;
        while (j < raw.size() &&
               (std::isalnum(static_cast<unsigned char>(raw[j])) || raw[j] == '_'))
            ++j;
        if (wordStart && j > i) {
            const std::string word = raw.substr(i, j - i);
            const std::size_t k = word[0] == '_' ? 1 : 0;
            const bool libName = word.compare(k, 4, "TIFF") == 0 && word.size() > k + 4 &&
                                 std::isupper(static_cast<unsigned char>(word[k + 4])) &&
                                 word != "TIFF";
            const bool allDigits =
                std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (libName) {
                i = j;
                while (i < raw.size() && (raw[i] == ':' || raw[i] == ' '))
                    ++i;
                continue;
            }
            if (allDigits && word.size() >= 13) {
                const unsigned long long v = std::strtoull(word.c_str(), nullptr, 10);
                detail += std::to_string(static_cast<long long>(v));
                i = j;
                continue;
            }
            detail += word;
            i = j;
            continue;
        }
        detail += raw[i++];
    }
    while (!detail.empty() && (detail.back() == ' ' || detail.back() == '.'))
        detail.pop_back();
    auto has = [&](const char* s) { return raw.find(s) != std::string::npos; };
    const char* plain = "The file is damaged.";
    if (has("directory") || has("Directory") || has("IFD"))
        plain = "The file is damaged: its page directory cannot be read.";
    else if (has("Read error") || has("Seek error") || has("got ") || has("Cannot read") ||
             has("Can not read") || has("premature") || has("Premature") || has("EOF"))
        plain = "The file is damaged: its picture data ends early.";
    if (detail.empty()) return plain;
    return std::string(plain) + " (" + detail + ")";
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
