#include "core/editing/transform_ops.h"

#include "core/common/dib.h"
#include "core/editing/undo_backup.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/imageman.h"
#include "core/imageman/pixels.h"
#include "core/imageman/reduce_colors.h"

#include <unordered_map>
#include <utility>

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
    HIMAGE release() { return std::exchange(h_, 0); }
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
Result<HIMAGE> ToLibrary(Bitmap picture) {
    const HIMAGE h = ImgFromBitmap(std::move(picture));
    if (!h) return LibraryFailure();
    return h;
}

// The library image's picture; the image is closed.
Result<Bitmap> FromLibrary(LibraryImage& image) {
    Bitmap out;
    const HIMAGE h = image.release();
    if (!ImgTakePicture(h, &out)) return LibraryFailure();
    return out;
}

// Runs a library call that gives a new handle on a copy of the picture.
template <class Call> Result<Bitmap> Through(Bitmap picture, Call&& call) {
    auto h = ToLibrary(std::move(picture));
    if (!h) return h.error();
    LibraryImage source(*h);
    LibraryImage made(call(source.get()));
    if (!made.get()) return LibraryFailure();
    return FromLibrary(made);
}

} // namespace

Result<Bitmap> FlipPicture(Bitmap picture, bool vertical) {
    auto h = ToLibrary(std::move(picture));
    if (!h) return h.error();
    LibraryImage img(*h);
    if (!ImgMirror(img.get(), vertical ? 1 : 0, vertical ? 0 : 1)) return LibraryFailure();
    return FromLibrary(img);
}

Result<Bitmap> RotateClockwise(Bitmap picture, int angle) {
    if (angle < 1 || angle > 35999) return Error{"The angle must be 1 to 35999."};
    // The library turns counter-clockwise.
    return Through(std::move(picture), [&](HIMAGE h) {
        return ImgRotate(h, 36000 - angle, Rgbq{255, 255, 255, 0});
    });
}

Result<Bitmap> ResizePicture(Bitmap picture, int width, int height, int copyMode) {
    if (copyMode < 0 || copyMode > 2) return Error{"Unknown copy mode."};
    return Through(std::move(picture),
                   [&](HIMAGE h) { return ImgCopy(h, width, height, nullptr, copyMode); });
}

Result<Bitmap> ResamplePicture(Bitmap picture, int width, int height, bool* skipped) {
    *skipped = false;
    const int bits = picture.bits();
    if (bits <= 7) return ResizePicture(std::move(picture), width, height, DefaultCopyMode(bits));
    if (width <= 15 || height <= 15) {
        *skipped = true;
        return picture;
    }
    auto h = ToLibrary(std::move(picture));
    if (!h) return h.error();
    LibraryImage img(*h);
    if (bits != 24) {
        img.reset(ImgIncreaseColors(img.get(), 24));
        if (!img.get()) return LibraryFailure();
    }
    LibraryImage made(ImgCopy(img.get(), width, height, nullptr, kCopyAverage4));
    if (!made.get()) return LibraryFailure();
    return FromLibrary(made);
}

Result<Bitmap> PromotePicture(Bitmap picture, int target) {
    const int bits = target == 4 || target == 8 ? target : 24;
    if (bits <= picture.bits()) return picture;
    return Through(std::move(picture), [&](HIMAGE h) { return ImgIncreaseColors(h, bits); });
}

Bitmap PictureAtDepth(const Bitmap& held, int pictureBits) {
    Bitmap copy = held;
    copy.setDeviceDependent(false);
    if (held.bits() != 24 || (pictureBits != 1 && pictureBits != 4 && pictureBits != 8))
        return copy;
    const std::size_t room = std::size_t{1} << pictureBits;
    std::unordered_map<std::uint32_t, std::uint32_t> index;
    for (int y = 0; y < held.height(); ++y)
        for (int x = 0; x < held.width(); ++x)
            if (index.emplace(held.pixel(x, y), static_cast<std::uint32_t>(index.size())).second &&
                index.size() > room)
                return copy; // more colours than the depth holds: keep them all
    auto made = Bitmap::Create(held.width(), held.height(), pictureBits);
    if (!made) return copy;
    Bitmap out = std::move(made).value();
    out.palette().assign(room, Rgbq{});
    for (const auto& [rgb, i] : index)
        out.palette()[i] = Rgbq{static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                                static_cast<std::uint8_t>(rgb >> 16), 0};
    for (int y = 0; y < held.height(); ++y)
        for (int x = 0; x < held.width(); ++x)
            imageman::SetIndex(out.row(y), x, pictureBits, index[held.pixel(x, y)]);
    return out;
}

int HighestReduceMethod(int kind) {
    return kind == 8 ? 3 : kind == 4 || kind == 1 ? 2 : -1;
}

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

Result<Bitmap> ReducePicture(Bitmap picture, const ReduceChoice& choice,
                             const ProgressFn& progress) {
    if (choice.colors == 0) return Error{"Unknown reduction method."};
    if (choice.imageLib) {
        auto file = editing::PictureToDibFile(picture);
        if (!file) return file.error();
        Bitmap out;
        if (imagelib::ReduceBmpColors(*file, 8, 1, &out, progress) < 0)
            return Error{imagelib::LastError()};
        return out;
    }
    return Through(std::move(picture), [&](HIMAGE h) {
        return ImgReduceColors(h, choice.colors, choice.mode, progress);
    });
}

} // namespace core
