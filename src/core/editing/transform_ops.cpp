#include "core/editing/transform_ops.h"

#include "core/common/dib.h"
#include "core/input/imagelib/imagelib.h"
#include "core/input/imageman/imageman.h"
#include "core/input/imageman/reduce_colors.h"

namespace core {

namespace {

using namespace core::imageman;

// One library image for the length of a step.
class LibraryImage {
  public:
    explicit LibraryImage(HIMAGE h) : h_(h) {}
    LibraryImage(const LibraryImage&) = delete;
    LibraryImage& operator=(const LibraryImage&) = delete;
    ~LibraryImage() {
        if (h_) ImgClose(h_);
    }
    HIMAGE get() const { return h_; }
    void reset(HIMAGE h) {
        if (h_) ImgClose(h_);
        h_ = h;
    }

  private:
    HIMAGE h_;
};

Error LibraryFailure() {
    const std::string why = ImgErrorString();
    return Error{why.empty() ? "The imaging library failed." : why};
}

// The picture as a library image; device-dependent pictures go as they are
// held (the same rows).
Result<HIMAGE> ToLibrary(const Bitmap& picture) {
    const HIMAGE h = ImgFromBitmap(picture);
    if (!h) return LibraryFailure();
    return h;
}

Result<Bitmap> FromLibrary(HIMAGE h) {
    Bitmap out;
    if (!ImgPrintImage(h, &out)) return LibraryFailure();
    return out;
}

// Runs a library call that gives a new handle on a copy of the picture.
template <class Call> Result<Bitmap> Through(const Bitmap& picture, Call&& call) {
    auto h = ToLibrary(picture);
    if (!h) return h.error();
    LibraryImage source(*h);
    LibraryImage made(call(source.get()));
    if (!made.get()) return LibraryFailure();
    return FromLibrary(made.get());
}

} // namespace

Result<Bitmap> FlipPicture(const Bitmap& picture, bool vertical) {
    auto h = ToLibrary(picture);
    if (!h) return h.error();
    LibraryImage img(*h);
    if (!ImgMirror(img.get(), vertical ? 1 : 0, vertical ? 0 : 1)) return LibraryFailure();
    return FromLibrary(img.get());
}

Result<Bitmap> RotateClockwise(const Bitmap& picture, int angle) {
    if (angle < 1 || angle > 35999) return Error{"The angle must be 1 to 35999."};
    // The library turns counter-clockwise.
    return Through(picture, [&](HIMAGE h) { return ImgRotate(h, 36000 - angle, Rgbq{255, 255, 255, 0}); });
}

Result<Bitmap> ResizePicture(const Bitmap& picture, int width, int height, int copyMode) {
    if (copyMode < 0 || copyMode > 2) return Error{"Unknown copy mode."};
    return Through(picture, [&](HIMAGE h) { return ImgCopy(h, width, height, nullptr, copyMode); });
}

Result<Bitmap> ResamplePicture(const Bitmap& picture, int width, int height, bool* skipped) {
    *skipped = false;
    if (picture.bits() <= 7) return ResizePicture(picture, width, height, DefaultCopyMode(picture.bits()));
    if (width <= 15 || height <= 15) {
        *skipped = true;
        return picture;
    }
    auto h = ToLibrary(picture);
    if (!h) return h.error();
    LibraryImage img(*h);
    if (picture.bits() != 24) {
        img.reset(ImgIncreaseColors(img.get(), 24));
        if (!img.get()) return LibraryFailure();
    }
    LibraryImage made(ImgCopy(img.get(), width, height, nullptr, kCopyAverage4));
    if (!made.get()) return LibraryFailure();
    return FromLibrary(made.get());
}

Result<Bitmap> PromotePicture(const Bitmap& picture, int target) {
    const int bits = target == 4 || target == 8 ? target : 24;
    if (bits <= picture.bits()) return picture;
    return Through(picture, [&](HIMAGE h) { return ImgIncreaseColors(h, bits); });
}

int HighestReduceMethod(int kind) { return kind == 8 ? 3 : kind == 4 || kind == 1 ? 2 : -1; }

ReduceChoice ChooseReduction(int kind, int method, int pictureBits) {
    if (kind == 0) return {pictureBits < 8 ? 16 : 256, kReduceGray, false};
    if (method < 0 || method > HighestReduceMethod(kind)) return {};
    if (kind == 1) {
        static constexpr int modes[3] = {kReduceThreshold, kReduceOrdered, kReduceOptimal};
        return {2, modes[method], false};
    }
    const int colors = kind == 8 ? 256 : 16;
    if (method == 3) return {256, 0, true};
    static constexpr int modes[3] = {kReduceFixed, kReduceFixedDiffused, kReduceOptimal};
    return {colors, modes[method], false};
}

Result<std::vector<std::uint8_t>> BmpFileImage(const Bitmap& picture) {
    auto dib = PictureToPackedDIB(picture);
    if (!dib) return dib.error();
    std::vector<std::uint8_t> file(14);
    file[0] = 'B';
    file[1] = 'M';
    WriteLE32(file.data() + 2, static_cast<std::uint32_t>(14 + dib->size()));
    // biClrUsed 0 means the full table of the depth.
    std::size_t table = ReadLE32(dib->data() + 32);
    const int bits = ReadLE16(dib->data() + 14);
    if (table == 0 && bits <= 8) table = std::size_t{1} << bits;
    WriteLE32(file.data() + 10, static_cast<std::uint32_t>(14 + ReadLE32(dib->data()) + 4 * table));
    file.insert(file.end(), dib->begin(), dib->end());
    return file;
}

Result<Bitmap> ReducePicture(const Bitmap& picture, const ReduceChoice& choice,
                             const ProgressFn& progress) {
    if (choice.colors == 0) return Error{"Unknown reduction method."};
    if (choice.imageLib) {
        auto file = BmpFileImage(picture);
        if (!file) return file.error();
        Bitmap out;
        if (imagelib::ReduceBmpColors(*file, 8, 1, &out, progress) < 0)
            return Error{imagelib::LastError()};
        return out;
    }
    return Through(picture, [&](HIMAGE h) { return ImgReduceColors(h, choice.colors, choice.mode, progress); });
}

} // namespace core
