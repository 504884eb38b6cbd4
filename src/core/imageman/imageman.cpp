#include "core/imageman/imageman.h"

#include "core/imageman/draw_fx.h"

#include "core/imageman/format_sniff.h"
#include "core/imageman/gamma.h"
#include "core/imageman/increase_colors.h"
#include "core/imageman/mirror.h"
#include "core/imageman/reduce_colors.h"
#include "core/imageman/resample.h"
#include "core/imageman/rotate.h"
#include "core/imageman/scale.h"

#include <map>
#include <memory>
#include <mutex>

namespace core::imageman {

namespace {

// One library image: an opened file (pages decoded on demand) or a picture
// made by the library itself (a copy, a DIB handed in).
struct LibImage {
    DocumentPtr document;
    int page = 0;
    std::optional<Bitmap> picture; // decoded current page, or the picture itself
    int picturePage = -1;
    bool ownPicture = false; // made from a DIB or a copy: no document behind it
    DecodeOptions options;
};

struct Library {
    std::mutex mutex;
    bool initialised = false;
    HIMAGE next = 1;
    std::map<HIMAGE, std::shared_ptr<LibImage>> images;
};

Library& Lib() {
    static Library lib;
    return lib;
}

thread_local int t_status = IMG_OK;
thread_local std::string t_error;

int SetStatus(int status, std::string message = {}) {
    t_status = status;
    t_error = std::move(message);
    return status == IMG_OK ? 1 : 0;
}

int StatusFor(const Error& e) {
    if (e.message == "Insufficient memory." || e.message.rfind("Picture too large", 0) == 0)
        return IMG_NO_MEMORY;
    if (e.message == "Stopped.") return IMG_STOPPED;
    return IMG_BAD_FORMAT;
}

std::shared_ptr<LibImage> Find(HIMAGE h) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    const auto it = lib.images.find(h);
    if (it == lib.images.end()) {
        SetStatus(IMG_BAD_HANDLE, "Invalid image handle.");
        return nullptr;
    }
    return it->second;
}

HIMAGE Register(std::shared_ptr<LibImage> image) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    const HIMAGE h = lib.next++;
    if (lib.next <= 0) lib.next = 1;
    lib.images.emplace(h, std::move(image));
    SetStatus(IMG_OK);
    return h;
}

// The current page as a picture, decoded once per page.
const Bitmap* CurrentPicture(LibImage& img) {
    if (img.ownPicture || (img.picture && img.picturePage == img.page)) {
        SetStatus(IMG_OK);
        return &*img.picture;
    }
    img.picture.reset();
    auto decoded = img.document->decode(img.page, img.options);
    if (!decoded) {
        SetStatus(StatusFor(decoded.error()), decoded.message());
        return nullptr;
    }
    img.picture = std::move(decoded).value();
    img.picturePage = img.page;
    SetStatus(IMG_OK);
    return &*img.picture;
}

Result<DocumentPtr> OpenByKind(FileKind kind, Bytes data) {
    switch (kind) {
    case FileKind::Bmp:
    case FileKind::Dib:
        return OpenBmpDocument(std::move(data));
    case FileKind::Pcx:
        return OpenPcxDocument(std::move(data));
    case FileKind::Dcx:
        return OpenDcxDocument(std::move(data));
    case FileKind::Tga:
        return OpenTgaDocument(std::move(data));
    case FileKind::Tiff:
        return OpenTiffDocument(std::move(data));
    case FileKind::Png:
        return OpenPngDocument(std::move(data));
    default:
        return Error{"Unknown file format."};
    }
}

} // namespace

int ImgInit() {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.initialised = true;
    return SetStatus(IMG_OK);
}

int ImgShutdown() {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.images.clear();
    lib.initialised = false;
    return SetStatus(IMG_OK);
}

HIMAGE ImgOpenBytes(Bytes data, const std::string& nameHint) {
    if (data.empty()) {
        SetStatus(IMG_BAD_FORMAT, "The file is empty.");
        return 0;
    }
    const FileKind kind = SniffFile(data, nameHint);
    auto doc = OpenByKind(kind, std::move(data));
    if (!doc) {
        SetStatus(StatusFor(doc.error()), doc.message());
        return 0;
    }
    if (doc.value()->pageCount() < 1) {
        SetStatus(IMG_BAD_FORMAT, "The file holds no picture.");
        return 0;
    }
    auto img = std::make_shared<LibImage>();
    img->document = std::move(doc).value();
    return Register(std::move(img));
}

HIMAGE ImgOpenSolo(const std::string& fileName, int /*flags*/) {
    auto bytes = ReadWholeFile(fileName);
    if (!bytes) {
        SetStatus(IMG_FILE_ERROR, bytes.message());
        return 0;
    }
    return ImgOpenBytes(std::move(bytes).value(), fileName);
}

int ImgPageCount(HIMAGE h, std::int32_t* count) {
    auto img = Find(h);
    if (!img) return 0;
    *count = img->ownPicture ? 1 : img->document->pageCount();
    return SetStatus(IMG_OK);
}

int ImgSetPage(HIMAGE h, int page) {
    auto img = Find(h);
    if (!img) return 0;
    const int pages = img->ownPicture ? 1 : img->document->pageCount();
    if (page < 0 || page >= pages) return SetStatus(IMG_BAD_ARGUMENT, "No such page.");
    img->page = page;
    return SetStatus(IMG_OK);
}

int ImgGetPage(HIMAGE h, std::int32_t* page) {
    auto img = Find(h);
    if (!img) return 0;
    *page = img->page;
    return SetStatus(IMG_OK);
}

int ImgGetInfoStruct(HIMAGE h, BitmapInfoHeader* info, std::int32_t* flags) {
    auto img = Find(h);
    if (!img) return 0;
    BitmapInfoHeader out;
    if (img->ownPicture) {
        out.biWidth = img->picture->width();
        out.biHeight = img->picture->height();
        out.biBitCount = static_cast<std::uint16_t>(img->picture->bits());
    } else {
        auto facts = img->document->facts(img->page);
        if (!facts) return SetStatus(StatusFor(facts.error()), facts.message());
        out.biWidth = facts->width;
        out.biHeight = facts->height;
        out.biBitCount = static_cast<std::uint16_t>(facts->bits);
        out.biPlanes = static_cast<std::uint16_t>(facts->planes);
    }
    const int storedBits = out.biBitCount * std::max<int>(1, out.biPlanes);
    out.biSizeImage = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        RowStride(out.biWidth, storedBits) * static_cast<std::uint64_t>(out.biHeight),
        0xFFFFFFFFu));
    if (info) *info = out;
    if (flags) *flags = 0;
    return SetStatus(IMG_OK);
}

int ImgGetInfo(HIMAGE h, std::string* text) {
    auto img = Find(h);
    if (!img) return 0;
    if (img->ownPicture) {
        *text = std::to_string(img->picture->width()) + "x" +
                std::to_string(img->picture->height()) + " " +
                std::to_string(img->picture->bits()) + "-bit";
        return SetStatus(IMG_OK);
    }
    auto facts = img->document->facts(img->page);
    if (!facts) return SetStatus(StatusFor(facts.error()), facts.message());
    *text = facts->description;
    return SetStatus(IMG_OK);
}

std::optional<std::vector<Rgbq>> ImgGetPalette(HIMAGE h) {
    auto img = Find(h);
    if (!img) return std::nullopt;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic || pic->bits() > 8) return std::nullopt;
    return pic->palette();
}

int ImgSetDecodeOptions(HIMAGE h, const DecodeOptions& options) {
    auto img = Find(h);
    if (!img) return 0;
    img->options = options;
    return SetStatus(IMG_OK);
}

int ImgPrintImage(HIMAGE h, Bitmap* picture) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    if (img->ownPicture) {
        *picture = *pic;
    } else {
        // A page of a file can be decoded again when needed: hand over the
        // decoded rows rather than holding a second copy of a large page.
        *picture = std::move(*img->picture);
        img->picture.reset();
        img->picturePage = -1;
    }
    return SetStatus(IMG_OK);
}

PackedDib ImgGetDIB(HIMAGE h, int /*flags*/, int /*reserved*/) {
    auto img = Find(h);
    if (!img) return {};
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return {};
    auto dib = PictureToPackedDIB(*pic);
    if (!dib) {
        SetStatus(StatusFor(dib.error()), dib.message());
        return {};
    }
    return std::move(dib).value();
}

HIMAGE ImgFromBitmap(Bitmap picture) {
    if (picture.empty()) {
        SetStatus(IMG_BAD_ARGUMENT, "No picture.");
        return 0;
    }
    auto img = std::make_shared<LibImage>();
    img->picture = std::move(picture);
    img->ownPicture = true;
    img->picturePage = 0;
    return Register(std::move(img));
}

HIMAGE ImgFromDIB(const PackedDib& dib) {
    auto pic = DIBToPicture(dib);
    if (!pic) {
        SetStatus(StatusFor(pic.error()), pic.message());
        return 0;
    }
    return ImgFromBitmap(std::move(pic).value());
}

HIMAGE ImgCopy(HIMAGE h, int width, int height, const Rect* source, int mode) {
    auto img = Find(h);
    if (!img) return 0;
    if (width <= 0 || height <= 0) {
        SetStatus(IMG_BAD_ARGUMENT, "Bad image size.");
        return 0;
    }
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    const Rect all{0, 0, pic->width(), pic->height()};
    const Rect& r = source ? *source : all;
    Result<Bitmap> copy =
        mode == kCopyAverage32       ? AreaAverage(*pic, r, width, height, true)
        : mode == kCopyAverage4      ? Resample(*pic, r, width, height)
        : mode == kCopyPreserveBlack ? PreservingCopy(*pic, r, width, height, true)
        : mode == kCopyPreserveWhite ? PreservingCopy(*pic, r, width, height, false)
                                     : NearestCopy(*pic, r, width, height);
    if (!copy) {
        SetStatus(StatusFor(copy.error()), copy.message());
        return 0;
    }
    return ImgFromBitmap(std::move(copy).value());
}

namespace {

// A new handle from an operation's result, or 0 with its message.
HIMAGE FromResult(Result<Bitmap> made) {
    if (!made) {
        SetStatus(StatusFor(made.error()), made.message());
        return 0;
    }
    return ImgFromBitmap(std::move(made).value());
}

// The current page, held by the image itself from now on: in-place edits must
// not be lost to a later decode of the file's page.
Bitmap* EditablePicture(LibImage& img) {
    if (!CurrentPicture(img)) return nullptr;
    img.ownPicture = true;
    return &*img.picture;
}

} // namespace

HIMAGE ImgRotate(HIMAGE h, int angle, Rgbq fill) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    return FromResult(RotatePicture(*pic, angle, fill));
}

int ImgMirror(HIMAGE h, int vertical, int horizontal) {
    auto img = Find(h);
    if (!img) return 0;
    Bitmap* pic = EditablePicture(*img);
    if (!pic) return 0;
    MirrorPicture(*pic, vertical != 0, horizontal != 0);
    return SetStatus(IMG_OK);
}

HIMAGE ImgIncreaseColors(HIMAGE h, int bits) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    if (bits < pic->bits()) {
        SetStatus(IMG_BAD_ARGUMENT, "The picture already has more colours.");
        return 0;
    }
    return FromResult(IncreaseColors(*pic, bits));
}

HIMAGE ImgReduceColors(HIMAGE h, int colors, int mode, const ProgressFn& progress) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    return FromResult(ReduceColors(*pic, colors, mode, progress));
}

HIMAGE ImgReduceColorsPal(HIMAGE h, int mode, const std::vector<Rgbq>& palette) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    return FromResult(ReduceToPalette(*pic, palette, mode == kReduceOptimal));
}

int ImgGamma(HIMAGE h, int gammaTenths) {
    auto img = Find(h);
    if (!img) return 0;
    Bitmap* pic = EditablePicture(*img);
    if (!pic) return 0;
    GammaPicture(*pic, gammaTenths);
    return SetStatus(IMG_OK);
}

int ImgTakePicture(HIMAGE h, Bitmap* picture) {
    auto img = Find(h);
    if (!img) return 0;
    if (!img->ownPicture) {
        const int rc = ImgPrintImage(h, picture);
        ImgClose(h);
        return rc;
    }
    *picture = std::move(*img->picture);
    ImgClose(h);
    return SetStatus(IMG_OK);
}

namespace {

const char* DrawError(int status) {
    switch (status) {
    case IMG_STOPPED:
        return "Stopped.";
    case IMG_NO_MEMORY:
        return "Insufficient memory.";
    default:
        return "Invalid drawing arguments.";
    }
}

template <typename Draw> int DrawCurrent(HIMAGE h, Draw&& draw) {
    auto img = Find(h);
    if (!img) return 0;
    const Bitmap* pic = CurrentPicture(*img);
    if (!pic) return 0;
    const int status = draw(*pic);
    return SetStatus(status, status == IMG_OK ? std::string() : DrawError(status));
}

} // namespace

int ImgDrawImage(HIMAGE h, DrawSurface& surface, const Rect& target, const Rect& source) {
    return DrawCurrent(
        h, [&](const Bitmap& pic) { return DrawPicture(pic, surface, target, source); });
}

int ImgDrawImageFX(HIMAGE h, DrawSurface& surface, const Rect& target, const Rect& source,
                   const FxParams& params, const FxCallback* callback) {
    return DrawCurrent(h, [&](const Bitmap& pic) {
        return DrawPictureFX(pic, surface, target, source, params, callback);
    });
}

int ImgGetStatus() {
    return t_status;
}
std::string ImgErrorString() {
    if (t_status == IMG_OK) return {};
    return t_error.empty() ? "Imaging library error " + std::to_string(t_status) + "." : t_error;
}

int ImgClose(HIMAGE h) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (lib.images.erase(h) == 0) {
        t_status = IMG_BAD_HANDLE;
        t_error = "Invalid image handle.";
        return 0;
    }
    t_status = IMG_OK;
    t_error.clear();
    return 1;
}

} // namespace core::imageman
