#include "core/imageman/format_sniff.h"

#include "core/common/dib.h"
#include "core/common/paths.h"


namespace core::imageman {


FileKind SniffFile(std::span<const std::uint8_t> h, const std::string& nameHint) {
    const std::size_t n = h.size();
    if (n >= 8 && h[0] == 0x89 && h[1] == 'P' && h[2] == 'N' && h[3] == 'G') return FileKind::Png;
    if (n >= 4 && ((h[0] == 'I' && h[1] == 'I' && h[2] == 42 && h[3] == 0) ||
                   (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && h[3] == 42) ||
                   (h[0] == 'I' && h[1] == 'I' && h[2] == 43 && h[3] == 0) ||
                   (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && h[3] == 43)))
        return FileKind::Tiff;
    if (n >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return FileKind::Jpeg;
    if (n >= 2 && h[0] == 'B' && h[1] == 'M') return FileKind::Bmp;
    if (n >= 4 && ReadLE32(h.data()) == 0x3ADE68B1u) return FileKind::Dcx;
    const std::string ext = UpperExtension(nameHint);
    if (n >= 4 && (ext == ".DIB" || ext == ".BMP")) {
        const std::uint32_t size = ReadLE32(h.data());
        if (size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 ||
            size == 108 || size == 124)
            return FileKind::Dib;
    }
    if (n >= 4 && h[0] == 0x0A && h[1] <= 5 && h[2] <= 1) return FileKind::Pcx;
    if (ext == ".TGA") return FileKind::Tga;
    if (ext == ".PCD") return FileKind::PhotoCd;
    return FileKind::Unknown;
}

const char* FileKindName(FileKind kind) {
    switch (kind) {
    case FileKind::Bmp: return "BMP";
    case FileKind::Dib: return "DIB";
    case FileKind::Pcx: return "PCX";
    case FileKind::Dcx: return "DCX";
    case FileKind::Tga: return "TGA";
    case FileKind::Tiff: return "TIFF";
    case FileKind::Png: return "PNG";
    case FileKind::Jpeg: return "JPEG";
    case FileKind::PhotoCd: return "PCD";
    default: return "Unknown";
    }
}

} // namespace core::imageman
