// The open pipeline without a window: classify a file by its extension, probe
// it for size and depth, choose the decoder and decode it into the picture.
// The window holds the state below, shows the messages and lays out the view.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"
#include "core/imageman/imageman.h"
#include "core/input/jpeg_decoder.h"
#include "core/photocd/pcd_import.h"

#include <cstdint>
#include <string>

namespace core {

// What the window tells the pipeline about itself and its settings.
struct OpenEnvironment {
    int ScreenBits = 24;
    bool AutoReduce = true;
    int FaxQuality = 1;  // 0..3
    int JpegPalette = 3; // 0..3
    bool UseScreen = false;
    bool FitToWindow = false;
    bool ShowRunning = false;
    bool FirstLayout = false;        // the first picture after start-up is being laid out
    bool FirstActivationDone = true; // the main window has been activated once
    int clientWidth = 640;           // the box a scaled JPEG decode fits into
    int clientHeight = 480;
    std::uint32_t background = 0xFFFFFF; // 0x00RRGGBB behind transparent pixels
    int PhotoCdStep = 3; // the Photo CD resolution asked for, 0..6
};

// The document state of one open attempt.
struct DocumentState {
    std::string CurrentFile;
    std::string PreviousFile;
    std::string CurrentExt; // upper case, with the dot
    int PictureWidth = 0;
    int PictureHeight = 0;
    int PictureBits = 0;
    int planes = 1;
    int PageCount = 1;
    std::string typeText;
    std::string compressionText;
    bool JpegFallback = false;
    bool JpegLoaded = false;
    bool ImageManPng = false;
    bool BmpReader = false;
    bool ReducedScale = false;
    int Scale = 1;     // the JPEG decode's scale denominator
    int FullWidth = 0; // the file's own size, for the description after a reduced-scale decode
    int FullHeight = 0;
    int depthBeforeOpen = 0;
    bool PlainOpenPending = false;
    int PhotoCdResolution = 3;      // the Photo CD resolution in use
    int PhotoCdRotation = 0;        // the pack's quarter turns
    std::string PhotoCdDescription; // the pack's facts for the Info box
    std::string PhotoCdRightsFile;  // the rights file found beside the pack, or empty
};

enum class ProbeMessage {
    None,
    LzwRefused,   // "LZW compresssion is NOT supported." ...
    NotAccepted,  // "Unknown file format." for a kind of file the program does not open
    TgaHeader,    // "error reading TGA header"
    LibraryError, // the imaging library's own error text
    InsufficientMemory,
};

struct ProbeResult {
    int result = -1; // 2 media clip, positive picture, negative failure
    ProbeMessage message = ProbeMessage::None;
    std::string text; // the message to show, when there is one
};

// The message of the LZW refusal, exactly as the window shows it.
std::string LzwRefusalText();
std::string NotAcceptedText(const std::string& upperExtension);

// How a decoded picture came to be.
enum class Decoder {
    ImageMan,
    FaxReduction,
    GrayTga,
    BmpReader,
    ImageLibPng,
    ImageLibJpeg,
    JpegFull,
    JpegScaled,
    JpegDirect,
    PhotoCd
};

struct DecodedPicture {
    Bitmap picture;
    Decoder decoder = Decoder::ImageMan;
    int scale = 1; // the JPEG's scale denominator
    bool incomplete =
        false; // the data did not fill the picture (the file ends early or is damaged)
};

class OpenPipeline {
  public:
    explicit OpenPipeline(JpegDecoder& jpeg) : jpeg_(jpeg) {}
    ~OpenPipeline();
    OpenPipeline(const OpenPipeline&) = delete;
    OpenPipeline& operator=(const OpenPipeline&) = delete;

    // Probes doc.CurrentFile. On failure CurrentFile returns to PreviousFile
    // where the pipeline says so; the picture on screen is never touched.
    ProbeResult ProbeFile(DocumentState& doc, const OpenEnvironment& env);

    // Decodes the probed file. On failure the depth before the open and the
    // previous name are put back and the error tells why.
    Result<DecodedPicture> OpenImage(DocumentState& doc, const OpenEnvironment& env,
                                     const ProgressFn& progress);

    // Decodes another page of the current library image (multi-page files),
    // opening the file again when the image was closed. A page that fails
    // leaves the image open for the others; the document's name is never touched.
    Result<DecodedPicture> DecodePage(DocumentState& doc, const OpenEnvironment& env, int page,
                                      const ProgressFn& progress);

    // The library image kept open after an ImageMan decode (0 = none).
    imageman::HIMAGE libraryImage() const { return library_; }
    void CloseLibraryImage();

  private:
    Result<DecodedPicture> DecodeImageMan(DocumentState& doc, const OpenEnvironment& env, int page,
                                          const ProgressFn& progress, bool keepOnFailure = false);
    Result<DecodedPicture> DecodeJpeg(DocumentState& doc, const OpenEnvironment& env,
                                      const ProgressFn& progress);

    // The probe's opened image, kept for the decode of the same file.
    void KeepProbedImage(imageman::HIMAGE image, const std::string& file);
    imageman::HIMAGE TakeProbedImage(const std::string& file);

    JpegDecoder& jpeg_;
    photocd::pcd_c pcd_;
    imageman::HIMAGE library_ = 0;
    bool incomplete_ = false; // set by the decoders of the decode in progress
    imageman::HIMAGE probed_ = 0;
    std::string probedFile_;
    bool initialised_ = false;
};

// The fax-page reduction size for a 1-bit page: width and height lose 1 and
// are rounded down to a multiple of 8 (the source rectangle); the result is
// half, a third (× 3333 / 10000) or a quarter of that for quality 1, 2, 3.
struct FaxReduction {
    int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
};
FaxReduction FaxReductionSize(int width, int height, int quality);
// Only 1-bit pages of at least 16 × 16 pixels are reduced.
bool ShouldReduceFaxPage(int width, int height, int bits, int quality);

// "640x480x16m dib", "4000x3000x16m [1:4] ddb".
std::string PictureDescription(const DocumentState& doc, const Bitmap& picture);
std::string ColourCountText(int bits);

// A picture turned device-dependent in the screen's format: 24-bit on 24- and
// 32-bit screens (the window does this when Auto Reduce is on).
Status MakeDeviceDependent(Bitmap& picture, int screenBits);
// The depth a decoded picture is shown with: a device-dependent one has the
// screen's (24 above 8 bits), any other its own.
int ShownBits(const Bitmap& picture, int screenBits);

} // namespace core
