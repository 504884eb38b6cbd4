// PCX pictures (ZSoft PC Paintbrush, versions 0 to 5): the 128-byte header,
// the run-length coded planes and the palettes. Shared by the PCX reader and
// the DCX reader, whose pages are PCX pictures.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/result.h"
#include "core/imageman/document.h"

#include <cstdint>
#include <span>

namespace core::imageman::pcx {

inline constexpr std::size_t kHeaderSize = 128;

struct Header {
    int version = 0;
    bool rle = true;      // encoding 1; 0 = stored uncompressed
    int bitsPerPlane = 0; // 1, 2, 4 or 8
    int planes = 0;       // 1 to 4
    int width = 0;        // from the window Xmin..Xmax, Ymin..Ymax
    int height = 0;
    int bytesPerLine = 0; // per plane; the stride of the coded lines
    std::uint8_t egaPalette[48] = {};

    int depth() const { return bitsPerPlane * planes; }
};

// Reads and checks the header of a PCX picture at the start of `data`.
Result<Header> ParseHeader(std::span<const std::uint8_t> data);

// Width, height, bits per plane and planes as stored; the description names
// the format ("PCX" or "DCX"), the depth and the coding: "PCX 8-bit RLE".
PageFacts Facts(const Header& header, const char* format = "PCX");

// Decodes the picture. `data` is the whole picture (header, pixels and the
// 256-colour palette that may follow them), nothing more: the palette is
// looked for 769 bytes before its end.
// 1 bit, 1 plane → 1-bit picture; 2 to 4 planes of 1 bit, 2- and 4-bit packed
// → 4-bit picture; 8 bits → 8-bit picture; 3 planes of 8 bits → 24 bits;
// 4 planes of 8 bits → 24 bits with the alpha plane composited over the background.
Result<Bitmap> Decode(std::span<const std::uint8_t> data, const Header& header,
                      const DecodeOptions& options);

} // namespace core::imageman::pcx
