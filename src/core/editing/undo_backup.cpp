#include "core/editing/undo_backup.h"

#include "core/common/dib.h"

#include <cstring>
#include <new>

namespace core::editing {

Result<std::vector<std::uint8_t>> PictureToDibFile(const Bitmap& picture) {
    auto dib = PictureToPackedDIB(picture);
    if (!dib) return dib.error();
    const PackedDib& d = dib.value();
    if (d.size() < kInfoHeaderSize) return Error{"Bad picture."};
    const std::uint32_t sizeImage = ReadLE32(d.data() + 20);
    std::vector<std::uint8_t> file(kFileHeaderSize + d.size());
    file[0] = 'B';
    file[1] = 'M';
    WriteLE32(file.data() + 2, static_cast<std::uint32_t>(file.size()));
    // Pixels start after the headers and the colour table: the image size
    // counted back from the end.
    const std::size_t pixels =
        sizeImage && sizeImage <= d.size() ? d.size() - sizeImage : kInfoHeaderSize;
    WriteLE32(file.data() + 10, static_cast<std::uint32_t>(kFileHeaderSize + pixels));
    std::memcpy(file.data() + kFileHeaderSize, d.data(), d.size());
    return file;
}

Result<Bitmap> DibFileToPicture(const std::vector<std::uint8_t>& file) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M')
        return Error{"The backup is damaged."};
    return DIBToPicture(std::span<const std::uint8_t>(file).subspan(kFileHeaderSize));
}

void PackDIBStream(std::vector<std::uint8_t>& stream) {
    if (stream.size() < kFileHeaderSize + kInfoHeaderSize) return;
    std::uint8_t* info = stream.data() + kFileHeaderSize;
    const std::uint32_t sizeImage = ReadLE32(info + 20);
    const std::uint32_t offset = ReadLE32(stream.data() + 10);
    if (sizeImage > stream.size()) return;
    const std::size_t start = stream.size() - sizeImage;
    if (start == offset) return;
    // An offset that would put the pixels over the headers or past the end
    // is not ours to trust.
    if (offset < kFileHeaderSize + kInfoHeaderSize || offset > start) return;
    WriteLE32(info + 32, 0); // colours used
    WriteLE32(info + 36, 0); // colours important
    std::memmove(stream.data() + offset, stream.data() + start, sizeImage);
    stream.resize(offset + sizeImage);
}

Status UndoBackup::Take(const Bitmap& picture, int depth, bool asStream, bool keepPalette) {
    Clear();
    try {
        if (asStream) {
            auto file = PictureToDibFile(picture);
            if (!file) return file.error();
            stream_ = std::move(file).value();
            PackDIBStream(stream_);
        } else {
            bitmap_ = picture;
        }
        if (keepPalette) palette_ = picture.palette();
    } catch (const std::bad_alloc&) {
        Clear();
        return Error{"Insufficient memory; backup failed."};
    }
    held_ = true;
    inStream_ = asStream;
    depth_ = depth;
    return Ok();
}

Result<RestoredPicture> UndoBackup::Restore() {
    if (!held_) return Error{"There is no backup."};
    RestoredPicture out;
    out.depth = depth_;
    if (inStream_) {
        auto pic = DibFileToPicture(stream_);
        if (!pic) {
            Clear();
            return pic.error();
        }
        out.picture = std::move(pic).value();
    } else {
        out.picture = std::move(bitmap_);
    }
    if (palette_ && out.picture.bits() <= 8 && !palette_->empty())
        out.picture.palette() = *palette_;
    Clear();
    return out;
}

void UndoBackup::Clear() {
    bitmap_ = Bitmap();
    std::vector<std::uint8_t>().swap(stream_);
    palette_.reset();
    held_ = false;
    inStream_ = false;
}

} // namespace core::editing
