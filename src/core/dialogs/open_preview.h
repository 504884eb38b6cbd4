// The open dialog's preview without a window: which files it describes, the
// size label, when a preview waits for a click, where the picture goes in the
// box, and the reader that gets the facts and the preview picture through the
// open pipeline's own probe and decoders.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"

#include <string>

namespace core::dialogs {

// Pictures wider or taller than this are previewed only on request.
inline constexpr int kPreviewLimit = 1500;
inline constexpr const char* kClickForPreview = "Click for preview.";

// The extensions the preview describes (a substring test, as the pipeline's
// lists are); the icon for a file that cannot be read is the warning sign for
// these and the desktop's file-type icon for anything else.
bool IsPreviewExtension(const std::string& upperExt);

// The upper-case extension of a name, dot included; the name is used whole,
// so "photo.jpeg" stays "photo.jpeg" and gives ".JPEG".
std::string PreviewExtension(const std::string& name);

// What the dialog learned about the file under the cursor.
struct PreviewFacts {
    bool readable = false;
    std::string file;
    std::string ext; // upper case, with the dot
    int width = 0, height = 0;
    int bits = 0; // −1 for Photo CD and for a reduced 1-bit page
    int planes = 1;
    std::string typeText, compressionText;
    bool imageManMark = false;   // a PNG the general reader cannot take in full
    bool conversionMark = false; // a BMP/DIB of an odd depth, converted to 24 bits
    bool jpegReadable = false;
    bool photoCd = false;
    int pageCount = 1;
};

// "2000x1000 (24bpp)" (depths above 8 shown as 24); a Photo CD pack shows its
// base size "768x512 base" or "512x768 base".
std::string SizeLabel(const PreviewFacts& facts);

// True when the picture waits for a click before it is previewed.
bool PreviewOnRequestOnly(int width, int height);

// Where a picture of width × height is drawn in a box: at its own size and
// centred when it fits, else shrunk to fit both dimensions keeping its
// proportions and centred when more than 2 pixels are spare.
struct PreviewPlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PreviewPlace&) const = default;
};
PreviewPlace PlacePreview(int width, int height, int boxWidth, int boxHeight);

// The gray copy a 1-bit page is previewed as: width and height less one,
// rounded down to a multiple of 8, divided by 4, and halved once more when
// both still exceed the box.
struct ReducedSize {
    int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
};
ReducedSize OneBitPreviewSize(int width, int height, int boxWidth, int boxHeight);

// The JPEG preview's scale denominator: the largest of 1, 1/2, 1/4, 1/8 at
// which the picture fits the box (1/8 when none does).
int JpegPreviewScale(int width, int height, int boxWidth, int boxHeight);

// The preview picture and whether it is the whole picture a normal open
// would show (then the open may take it instead of reading the file again).
struct PreviewPicture {
    Bitmap picture;
    bool whole = false;
    bool reduced = false; // a reduced 1-bit page: its depth is not reported
};

// Reads facts and previews through the open pipeline. `env` is the window's,
// so a whole picture comes out exactly as the window's own open makes it.
class PreviewReader {
  public:
    PreviewReader() : pipeline_(jpeg_) {}
    void setEnvironment(const OpenEnvironment& env) { env_ = env; }
    const OpenEnvironment& environment() const { return env_; }

    // The facts of `file`; unreadable when its kind is not a picture, a Photo
    // CD pack lies outside an image folder, or the probe refuses it.
    PreviewFacts ReadFacts(const std::string& file);

    // Decodes the preview for facts read by ReadFacts, into a box of
    // boxWidth × boxHeight. The memory guard runs before anything is allocated.
    Result<PreviewPicture> BuildPreview(const PreviewFacts& facts, int boxWidth, int boxHeight);

  private:
    Result<PreviewPicture> BuildJpeg(const PreviewFacts& facts, int boxWidth, int boxHeight);

    JpegDecoder jpeg_;
    OpenPipeline pipeline_;
    OpenEnvironment env_;
    DocumentState doc_; // the probe of the last ReadFacts, kept for its decode
};

} // namespace core::dialogs
