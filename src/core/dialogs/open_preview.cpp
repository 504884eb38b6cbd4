#include "core/dialogs/open_preview.h"

#include "core/common/memory.h"
#include "core/common/paths.h"
#include "core/imageman/scale.h"
#include "core/input/extension_lists.h"
#include "core/view/geometry.h"

#include <algorithm>
#include <cstdint>

namespace core::dialogs {

namespace {
constexpr const char* kPreviewList = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TIFF.TGA.PCD.";
// A Photo CD pack's base resolution, which its label names.
constexpr int kBaseLong = 768, kBaseShort = 512;
// The resolution the preview decodes a pack at (Base/16).
constexpr int kPcdPreviewStep = 1;
} // namespace

bool IsPreviewExtension(const std::string& upperExt) {
    return upperExt.size() > 1 && InList(upperExt, kPreviewList);
}

std::string PreviewExtension(const std::string& name) {
    return UpperExtension(name);
}

std::string SizeLabel(const PreviewFacts& facts) {
    if (facts.photoCd) return facts.width > facts.height ? "768x512 base" : "512x768 base";
    const int bits = facts.bits > 8 ? 24 : facts.bits;
    return std::to_string(facts.width) + "x" + std::to_string(facts.height) + " (" +
           std::to_string(bits) + "bpp)";
}

bool PreviewOnRequestOnly(int width, int height) {
    return width > kPreviewLimit || height > kPreviewLimit;
}

PreviewPlace PlacePreview(int width, int height, int boxWidth, int boxHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
    if (width <= boxWidth && height <= boxHeight)
        return {(boxWidth - width) / 2, (boxHeight - height) / 2, width, height};
    PreviewPlace p;
    // The side that meets the box first decides, so a near-square picture in
    // a tall box is never cut off.
    if (std::int64_t{width} * boxHeight >= std::int64_t{height} * boxWidth) {
        p.width = boxWidth;
        p.height = std::max(1, MulDiv(height, boxWidth, width));
    } else {
        p.height = boxHeight;
        p.width = std::max(1, MulDiv(width, boxHeight, height));
    }
    const int spareX = boxWidth - p.width, spareY = boxHeight - p.height;
    if (spareX > 2) p.x = spareX / 2;
    if (spareY > 2) p.y = spareY / 2;
    return p;
}

ReducedSize OneBitPreviewSize(int width, int height, int boxWidth, int boxHeight) {
    ReducedSize r;
    r.sourceWidth = std::max(0, (width - 1) / 8 * 8);
    r.sourceHeight = std::max(0, (height - 1) / 8 * 8);
    r.width = r.sourceWidth / 4;
    r.height = r.sourceHeight / 4;
    if (r.width > boxWidth && r.height > boxHeight) {
        r.width /= 2;
        r.height /= 2;
    }
    return r;
}

int JpegPreviewScale(int width, int height, int boxWidth, int boxHeight) {
    for (int s : {1, 2, 4, 8}) {
        // libjpeg rounds a scaled size up.
        const int w = (width + s - 1) / s, h = (height + s - 1) / s;
        if (w <= boxWidth && h <= boxHeight) return s;
    }
    return 8;
}

PreviewFacts PreviewReader::ReadFacts(const std::string& file) {
    PreviewFacts f;
    f.file = file;
    f.ext = PreviewExtension(file);
    pipeline_.CloseLibraryImage();
    jpeg_.Clear();
    doc_ = DocumentState{};
    if (!IsPreviewExtension(f.ext)) return f;

    doc_.CurrentFile = doc_.PreviousFile = file;
    OpenEnvironment env = env_;
    env.FirstLayout = true; // the preview runs its own memory guard before it decodes
    env.FirstActivationDone = true;
    env.ShowRunning = false;
    env.PhotoCdStep = kPcdPreviewStep;
    const ProbeResult probe = pipeline_.ProbeFile(doc_, env);
    if (probe.result < 0 || probe.result == 2) {
        doc_ = DocumentState{};
        return f;
    }
    f.readable = true;
    f.width = doc_.PictureWidth;
    f.height = doc_.PictureHeight;
    f.bits = doc_.PictureBits;
    f.planes = doc_.planes;
    f.typeText = doc_.typeText;
    f.compressionText = doc_.compressionText;
    f.imageManMark = doc_.ImageManPng;
    f.conversionMark = doc_.BmpReader;
    f.jpegReadable = doc_.JpegLoaded;
    f.pageCount = doc_.PageCount;
    if (f.ext == ".PCD") {
        f.photoCd = true;
        const bool landscape = f.width > f.height;
        f.width = landscape ? kBaseLong : kBaseShort;
        f.height = landscape ? kBaseShort : kBaseLong;
        f.bits = -1;
    }
    return f;
}

Result<PreviewPicture> PreviewReader::BuildJpeg(const PreviewFacts& facts, int boxWidth,
                                                int boxHeight) {
    const int scale = JpegPreviewScale(facts.width, facts.height, boxWidth, boxHeight);
    const int w = (facts.width + scale - 1) / scale, h = (facts.height + scale - 1) / scale;
    if (!EnoughMemory(ImageMemSize(w, h, 24, env_.ScreenBits, false), 2))
        return Error{"Insufficient memory."};
    if (!jpeg_.loaded()) {
        if (auto st = jpeg_.LoadFile(facts.file); !st) return st.error();
    }
    const bool eightBit = env_.ScreenBits == 8;
    jpeg_.setScale(scale);
    jpeg_.setEightBit(eightBit);
    jpeg_.setSpeed(true);
    auto header = jpeg_.ReadHeader();
    if (!header) return header.error();
    auto decoded = jpeg_.Decode(eightBit ? kDitherFs : kDitherNone, {});
    if (!decoded) return decoded.error();
    PreviewPicture out;
    out.picture = std::move(decoded).value();
    return out;
}

Result<PreviewPicture> PreviewReader::BuildPreview(const PreviewFacts& facts, int boxWidth,
                                                   int boxHeight) {
    if (!facts.readable) return Error{"This file cannot be read."};
    if (doc_.CurrentFile != facts.file) {
        const PreviewFacts again = ReadFacts(facts.file);
        if (!again.readable) return Error{"This file cannot be read."};
    }
    if (facts.jpegReadable) return BuildJpeg(facts, boxWidth, boxHeight);

    // The whole picture is decoded (a Photo CD pack at Base/16): the guard
    // comes before any of it is allocated.
    const int w = facts.photoCd ? kBaseLong / 4 : facts.width;
    const int h = facts.photoCd ? kBaseLong / 4 : facts.height;
    const int bits = facts.photoCd ? 24 : std::max(1, facts.bits);
    if (CheckPictureSize(w, h, std::min(bits, 32)).ok() == false ||
        !EnoughMemory(ImageMemSize(w, h, bits, env_.ScreenBits, env_.AutoReduce), 2))
        return Error{"Insufficient memory."};

    OpenEnvironment env = env_;
    env.FaxQuality = 3; // a 1-bit page comes as a quarter-size gray copy
    env.ShowRunning = false;
    env.FitToWindow = false;
    DocumentState doc = doc_;
    auto decoded = pipeline_.OpenImage(doc, env, {});
    pipeline_.CloseLibraryImage();
    if (!decoded) return decoded.error();

    PreviewPicture out;
    if (decoded->decoder == Decoder::FaxReduction) {
        out.reduced = true;
        const ReducedSize r = OneBitPreviewSize(facts.width, facts.height, boxWidth, boxHeight);
        Bitmap& gray = decoded->picture;
        if (r.width > 0 && r.height > 0 && r.width < gray.width() && r.height < gray.height()) {
            auto half = imageman::AreaAverage(
                gray, imageman::Rect{0, 0, gray.width(), gray.height()}, r.width, r.height, true);
            if (half) gray = std::move(half).value();
        }
    } else {
        out.whole = !facts.photoCd && !decoded->incomplete;
    }
    out.picture = std::move(decoded->picture);
    return out;
}

} // namespace core::dialogs
