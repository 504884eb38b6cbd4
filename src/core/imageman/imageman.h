// The imaging library's call surface: integer handles (0 = none) to opened
// files or pictures, one current page per handle, a last status per thread of
// calls. The inside is our own: the readers of document.h, libtiff and libpng.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/dib.h"
#include "core/common/progress.h"
#include "core/imageman/document.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core::imageman {

using HIMAGE = std::int32_t;

// Status codes of the last call (ImgGetStatus).
enum ImgStatus : int {
    IMG_OK = 0,
    IMG_NOT_INITIALISED = 1,
    IMG_BAD_HANDLE = 2,
    IMG_FILE_ERROR = 3,
    IMG_BAD_FORMAT = 4,
    IMG_NO_MEMORY = 5,
    IMG_BAD_ARGUMENT = 6,
    IMG_STOPPED = 7,
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// ImgCopy modes. Normal takes the nearest pixel; Preserve Black and Preserve
// White keep thin dark or light lines when shrinking (scale.h); both keep the
// depth. Averaging (4) resamples to 24 bits, area averaging when shrinking and
// bicubic when enlarging (resample.h).
inline constexpr int kCopyNormal = 0;
inline constexpr int kCopyPreserveBlack = 1;
inline constexpr int kCopyPreserveWhite = 2;
inline constexpr int kCopyAverage4 = 4;   // area averaging
inline constexpr int kCopyAverage32 = 32; // area averaging to gray (fax pages)

int ImgInit();
int ImgShutdown();

// Opens a file by its content (the extension is only a hint). 0 = cannot open;
// ImgGetStatus/ImgErrorString tell why.
HIMAGE ImgOpenSolo(const std::string& fileName, int flags = 0);
// The same from bytes already in memory; the name is used for messages.
HIMAGE ImgOpenBytes(Bytes data, const std::string& nameHint);

int ImgPageCount(HIMAGE h, std::int32_t* count);
int ImgSetPage(HIMAGE h, int page);
int ImgGetPage(HIMAGE h, std::int32_t* page);
// Facts of the current page: biWidth, biHeight, biPlanes, biBitCount, biSizeImage.
int ImgGetInfoStruct(HIMAGE h, BitmapInfoHeader* info, std::int32_t* flags);
// A one-line description of the current page ("PCX 8-bit RLE, 640x480").
int ImgGetInfo(HIMAGE h, std::string* text);
// The current page's palette (1 to 8 bits); nullopt for 24-bit pages.
std::optional<std::vector<Rgbq>> ImgGetPalette(HIMAGE h);

// Decodes the current page (cached per handle). The options' progress may stop it.
int ImgSetDecodeOptions(HIMAGE h, const DecodeOptions& options);
// Renders the current page into the picture (the window's display bitmap):
// the picture becomes the page at its own depth and palette.
int ImgPrintImage(HIMAGE h, Bitmap* picture);
// The current page as a packed DIB (empty = failure).
PackedDib ImgGetDIB(HIMAGE h, int flags = 1, int reserved = 0);
HIMAGE ImgFromDIB(const PackedDib& dib);
HIMAGE ImgFromBitmap(Bitmap picture);

// A scaled copy of the current page, of the source rectangle (nullptr = all).
HIMAGE ImgCopy(HIMAGE h, int width, int height, const Rect* source, int mode);

int ImgGetStatus();
std::string ImgErrorString();

int ImgClose(HIMAGE h);

// Transforms and colour depth. Each works on the current page; the ones that
// give a new handle leave the old one as it was.
// A copy turned counter-clockwise by angle / 100 degrees (rotate.h), the
// corners filled with `fill`.
HIMAGE ImgRotate(HIMAGE h, int angle, Rgbq fill);
// Flips the picture in place; non-zero = done.
int ImgMirror(HIMAGE h, int vertical, int horizontal);
// A copy at a higher depth (4, 8 or 24 bits).
HIMAGE ImgIncreaseColors(HIMAGE h, int bits);
// A copy with 2, 16 or 256 colours; the modes are described in reduce_colors.h.
HIMAGE ImgReduceColors(HIMAGE h, int colors, int mode, const ProgressFn& progress = {});
// A copy on the given palette; mode 4 diffuses the error, any other maps to the nearest colour.
HIMAGE ImgReduceColorsPal(HIMAGE h, int mode, const std::vector<Rgbq>& palette);
// Gamma correction in place, gamma in tenths (10 = unchanged; see gamma.h).
int ImgGamma(HIMAGE h, int gammaTenths);
// Like ImgPrintImage, but moves the picture out of an image made by the
// library (no copy of a large picture); the image is closed.
int ImgTakePicture(HIMAGE h, Bitmap* picture);

// Drawing the current page onto a surface (draw_fx.h): the source rectangle
// of the page stretched into the target, plainly or with a transition effect.
// The page's own palette is used, so no palette is passed. Non-zero = done;
// a stop by the callback gives 0 with IMG_STOPPED.
class DrawSurface;
struct FxParams;
using FxCallback = std::function<int(int frame, int frames, int pauseMs)>;
int ImgDrawImage(HIMAGE h, DrawSurface& surface, const Rect& target, const Rect& source);
int ImgDrawImageFX(HIMAGE h, DrawSurface& surface, const Rect& target, const Rect& source,
                   const FxParams& params, const FxCallback* callback);

// Scanning (the library's TWAIN calls) goes through SANE in core/scan:
// scanner.h lists the devices and scans a page, frame_assembly.h makes the
// frames a picture.

} // namespace core::imageman
