// The codec library's call surface: file facts, PNG and JPEG decoding into a
// picture or a packed DIB, and the writers. Results are small signed numbers,
// negative meaning failure; the last failure's text is kept for the caller.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/dib.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace core::imagelib {

// Facts of a file without decoding it (ordinal 1).
struct FileFacts {
    std::string typeText;        // "JPEG", "PNG", "BMP", "PCX", "DCX", "TIFF", "TGA", "PCD"
    int width = 0;
    int height = 0;
    int bits = 0;                // bits per pixel as stored (15, 16, 32 possible)
    int planes = 1;
    int pages = 1;
    std::string compressionText; // "None", "RLE", "PackBits", "Deflate", "LZW", "CCITT G4", ...
};

// Ordinal 1: reads the facts by content. A TIFF with LZW compression says "LZW"
// in the compression text so that the program refuses it.
int GetFileFacts(const std::string& fileName, FileFacts* facts);

// Ordinal 17: PNG to a picture. bits 8 with reduce set delivers 256 colours.
int PngToBitmap(const std::string& fileName, int bitsWanted, bool reduce, Bitmap* picture,
                const DecodeOptions& options);
// Ordinal 48: PNG to a packed DIB (depth above 8 sent as 24).
int PngToDIB(const std::string& fileName, int bits, PackedDib* dib, const DecodeOptions& options);
// Ordinal 36: JPEG to a packed DIB; the tolerant decoder used when the JPEG
// decoder refuses a file. Truncated or damaged data keeps the rows it has and
// the rest is gray.
int JpegToDIB(const std::string& fileName, int bits, PackedDib* dib, const DecodeOptions& options);
// The same decoders as pictures (the tolerant JPEG decode of the bytes given).
Result<Bitmap> DecodeJpegTolerant(std::span<const std::uint8_t> file, const DecodeOptions& options);
Result<Bitmap> DecodePng(std::span<const std::uint8_t> file, const DecodeOptions& options);

// Writers, each at the picture's depth (1, 4, 8 or 24). Ordinal 16: BMP; 19: PNG.
// They write to a temporary file beside the target and rename it, so a failure
// leaves no half-written file.
int WriteBMP(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress = {});
// The BMP bytes of a picture into an open file (what WriteBMP writes).
Status WriteBmpTo(std::FILE* file, const Bitmap& picture, const ProgressFn& progress = {});
int WritePNG(const std::string& fileName, const Bitmap& picture, bool interlaced,
             const ProgressFn& progress = {});
// Ordinal 23: PCX (RLE, planes as the depth asks). Ordinal 27: TIFF (CCITT G4
// for black and white, Deflate otherwise; never LZW).
int WritePCX(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress = {});
int WriteTIFF(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress = {});

// Ordinal 13: reduces a BMP file image held in memory (file header and packed
// DIB) to 4 or 8 bits with an adaptive palette and error diffusion; the
// picture gets the result and its palette. The progress may stop it.
int ReduceBmpColors(std::span<const std::uint8_t> bmpFile, int bits, int flag, Bitmap* picture,
                    const ProgressFn& progress, int reserved = 1);

// The text of the last failure of a call on this thread.
std::string LastError();
void SetLastError(std::string message);

} // namespace core::imagelib
