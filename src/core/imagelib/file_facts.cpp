// File facts without decoding: the header of each format read by hand (TIFF
// through libtiff, since its facts may sit anywhere in the file).
#include "core/imagelib/imagelib.h"

#include "core/common/dib.h"
#include "core/imagelib/tiff_facts.h"
#include "core/imageman/document.h"
#include "core/imageman/format_sniff.h"

namespace core::imagelib {

namespace {

using imageman::FileKind;

std::uint16_t BE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
std::uint32_t BE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

Status JpegFacts(std::span<const std::uint8_t> d, FileFacts* f) {
    std::size_t pos = 2;
    while (pos + 4 <= d.size()) {
        if (d[pos] != 0xFF) return Error{"The file is damaged: its JPEG markers are out of place."};
        const std::uint8_t marker = d[pos + 1];
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const std::uint16_t len = BE16(&d[pos + 2]);
        if (len < 2) return Error{"Bad JPEG segment."};
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (pos + 10 > d.size()) break;
            f->height = BE16(&d[pos + 5]);
            f->width = BE16(&d[pos + 7]);
            const int comps = d[pos + 9];
            f->bits = comps == 1 ? 8 : 24;
            f->compressionText =
                (marker == 0xC2 || marker == 0xC6 || marker == 0xCA) ? "JPEG progressive" : "JPEG";
            return Ok();
        }
        if (marker == 0xD9 || marker == 0xDA) break;
        pos += 2 + len;
    }
    return Error{"The file is damaged: it has no JPEG frame header."};
}

Status PngFacts(std::span<const std::uint8_t> d, FileFacts* f) {
    if (d.size() < 33 || std::string(reinterpret_cast<const char*>(&d[12]), 4) != "IHDR")
        return Error{"Bad PNG header."};
    f->width = static_cast<int>(std::min<std::uint32_t>(BE32(&d[16]), 0x7FFFFFFF));
    f->height = static_cast<int>(std::min<std::uint32_t>(BE32(&d[20]), 0x7FFFFFFF));
    const int depth = d[24], type = d[25];
    const int channels = type == 0   ? 1
                         : type == 2 ? 3
                         : type == 3 ? 1
                         : type == 4 ? 2
                         : type == 6 ? 4
                                     : 0;
    if (channels == 0) return Error{"Bad PNG colour type."};
    f->bits = depth * channels;
    f->compressionText = d[28] ? "Deflate interlaced" : "Deflate";
    return Ok();
}

Status BmpFacts(std::span<const std::uint8_t> d, std::size_t at, FileFacts* f) {
    if (d.size() < at + 16) return Error{"Bad BMP header."};
    const std::uint32_t size = ReadLE32(&d[at]);
    if (size == 12) {
        f->width = ReadLE16(&d[at + 4]);
        f->height = ReadLE16(&d[at + 6]);
        f->planes = 1;
        f->bits = ReadLE16(&d[at + 10]);
        f->compressionText = "None";
        return Ok();
    }
    if (size < 16 || d.size() < at + 20) return Error{"Bad BMP header."};
    const auto h = static_cast<std::int32_t>(ReadLE32(&d[at + 8]));
    f->width = static_cast<std::int32_t>(ReadLE32(&d[at + 4]));
    f->height = h == INT32_MIN ? 0 : (h < 0 ? -h : h);
    f->planes = 1;
    f->bits = ReadLE16(&d[at + 14]);
    const std::uint32_t comp = size >= 20 ? ReadLE32(&d[at + 16]) : 0;
    f->compressionText = comp == 0   ? "None"
                         : comp == 1 ? "RLE8"
                         : comp == 2 ? "RLE4"
                         : comp == 3 ? "Bitfields"
                                     : "Other";
    return Ok();
}

Status PcxFacts(std::span<const std::uint8_t> d, std::size_t at, FileFacts* f) {
    if (d.size() < at + 128 || d[at] != 0x0A) return Error{"Bad PCX header."};
    const std::uint8_t* p = &d[at];
    f->width = ReadLE16(p + 8) - ReadLE16(p + 4) + 1;
    f->height = ReadLE16(p + 10) - ReadLE16(p + 6) + 1;
    f->bits = p[3];
    f->planes = p[65];
    f->compressionText = p[2] ? "RLE" : "None";
    return Ok();
}

Status TgaFacts(std::span<const std::uint8_t> d, FileFacts* f) {
    if (d.size() < 18) return Error{"error reading TGA header"};
    f->width = ReadLE16(&d[12]);
    f->height = ReadLE16(&d[14]);
    f->bits = d[16];
    f->planes = 1;
    f->compressionText = d[2] >= 9 ? "RLE" : "None";
    return Ok();
}

} // namespace

// Headers sit at the start of every format but TIFF (its directory may be
// anywhere), a DCX (pages at offsets) and a JPEG with large metadata before
// its frame header: those read on when the first block is not enough.
constexpr std::size_t kFactsPrefix = 256 * 1024;

int GetFileFacts(const std::string& fileName, FileFacts* facts) {
    auto bytes = imageman::ReadFilePrefix(fileName, kFactsPrefix);
    if (!bytes) {
        SetLastError(bytes.message());
        return -1;
    }
    FileKind kind = imageman::SniffFile(bytes.value(), fileName);
    if (bytes->size() == kFactsPrefix &&
        (kind == FileKind::Tiff || kind == FileKind::Dcx || kind == FileKind::Jpeg)) {
        bytes = imageman::ReadWholeFile(fileName);
        if (!bytes) {
            SetLastError(bytes.message());
            return -1;
        }
    }
    const auto& d = bytes.value();
    FileFacts f;
    f.typeText = imageman::FileKindName(kind);
    Status st = Ok();
    if (d.empty()) kind = FileKind::Unknown, st = Error{"The file is empty."};
    switch (kind) {
    case FileKind::Jpeg:
        st = JpegFacts(d, &f);
        break;
    case FileKind::Png:
        st = PngFacts(d, &f);
        break;
    case FileKind::Bmp:
        st = BmpFacts(d, 14, &f);
        break;
    case FileKind::Dib:
        st = BmpFacts(d, 0, &f);
        break;
    case FileKind::Pcx:
        st = PcxFacts(d, 0, &f);
        break;
    case FileKind::Dcx: {
        if (d.size() < 8) {
            st = Error{"Bad DCX header."};
            break;
        }
        const std::uint32_t first = ReadLE32(&d[4]);
        st = first < d.size() ? PcxFacts(d, first, &f) : Status(Error{"Bad DCX header."});
        int pages = 0;
        for (std::size_t i = 4; i + 4 <= d.size() && pages < 1023 && ReadLE32(&d[i]) != 0; i += 4)
            ++pages;
        f.pages = pages;
        break;
    }
    case FileKind::Tga:
        st = TgaFacts(d, &f);
        break;
    case FileKind::Tiff: {
        auto t = ReadTiffFacts(d);
        if (!t) {
            st = t.error();
            break;
        }
        f.width = t->width;
        f.height = t->height;
        f.bits = t->bits;
        f.planes = t->planes;
        f.pages = t->pages;
        f.compressionText = t->compressionText;
        break;
    }
    default:
        if (st) st = Error{"Unknown file format."};
    }
    if (!st) {
        SetLastError(st.message());
        return -1;
    }
    if (facts) *facts = f;
    return 1;
}

} // namespace core::imagelib
