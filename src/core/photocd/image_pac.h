// Photo CD Image Pac reader: one photograph held at several resolutions in a
// single file. Base/16, Base/4 and Base are stored as plain luma and chroma
// planes; 4Base and 16Base as Huffman-coded residuals added to the level
// below, enlarged. 64x96 is made from Base/16; 64Base lives in a separate
// file and is not read.
//
// The calls follow the access library's surface: open a pack, ask for its
// attributes, counts and sizes, choose a resolution and a format, load.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core::photocd {

using PCDhandle = std::int32_t; // 0 = no pack

// Resolution indices: i stands for (64 << i) x (96 << i) pixels.
inline constexpr int kResolutionCount = 7;
inline constexpr int kFormatRgb24 = 11;
inline constexpr int kFormatPalette8 = 13;

// top, left, bottom, right; the picture is right x bottom pixels.
struct PCDrect {
    std::uint16_t top = 0, left = 0, bottom = 0, right = 0;
};

struct PCDimageInfo {
    int version = 0;             // the pack's layout version (major)
    char mediaType[2][20] = {};  // image medium and product type
    char scanner[16] = {};       // scanner product
    std::uint8_t photofinisher[60] = {}; // first byte 0xFF: none given
    int rightsFlag = 0;          // 1: a rights file is named
    char rightsFile[30] = {};    // the rights file's name, zero-terminated
};

// The reader's error text for the last failing call.
std::string PCDlastError();

bool PCDopen(const std::string& fileName, PCDhandle* handle);
// The same for a pack already in memory.
bool PCDopenBytes(std::vector<std::uint8_t> bytes, PCDhandle* handle);
// attributes[0]: mask of encrypted resolutions; attributes[1]: watermark present.
bool PCDgetAttributes(PCDhandle handle, std::uint8_t attributes[2], std::int32_t* value);
bool PCDgetCount(PCDhandle handle, std::uint16_t* mask, std::uint16_t* count);
bool PCDsetResolution(PCDhandle handle, int index);
bool PCDgetResolution(PCDhandle handle, int* index);
bool PCDgetSize(PCDhandle handle, PCDrect* rect);
bool PCDreadImageInfo(PCDhandle handle, PCDimageInfo* info);
bool PCDsetFormat(PCDhandle handle, int format);
// The picture at the set resolution, turned as the pack says. The rectangle
// must be the one PCDgetSize gave.
Result<Bitmap> PCDloadImage(PCDhandle handle, const PCDrect& rect, const ProgressFn& progress);
void PCDclose(PCDhandle handle);

// The pack's orientation bits (0..3: quarter turns anticlockwise) of an open pack.
int PCDrotation(PCDhandle handle);

// The published PhotoYCC to RGB conversion of one pixel, 0x00RRGGBB.
std::uint32_t YccToRgb(int y, int c1, int c2);

} // namespace core::photocd
