#include "core/input/image_info.h"

#include "core/common/memory.h"
#include "core/common/paths.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <locale>
#include <sstream>

namespace core {

std::int64_t PictureMemoryBytes(std::int64_t width, std::int64_t height, int bits) {
    const std::int64_t pixels = width * height;
    switch (bits) {
    case 1:
        return pixels / 8;
    case 4:
        return pixels / 2;
    case 8:
        return pixels;
    case 15:
    case 16:
        return pixels * 2;
    case 24:
        return pixels * 3;
    case 32:
        return pixels * 4;
    default:
        return -1;
    }
}

std::optional<std::string> FileDateText(const std::string& path) {
    std::error_code ec;
    const auto stamp = std::filesystem::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const auto sys = std::chrono::file_clock::to_sys(stamp);
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return std::nullopt;
#else
    if (!localtime_r(&t, &local)) return std::nullopt;
#endif
    std::ostringstream out;
    try {
        out.imbue(std::locale(""));
    } catch (const std::exception&) {
        out.imbue(std::locale::classic()); // an unknown LANG: the plain format
    }
    out << std::put_time(&local, "%x %H:%M");
    return out.str();
}

ImageInfoInput ImageInfoOf(const DocumentState& doc, const Bitmap& picture, bool untitled,
                           int screenBits) {
    ImageInfoInput in;
    in.description = PictureDescription(doc, picture);
    in.currentFile = untitled ? std::string("Untitled") : doc.CurrentFile;
    in.pageCount = doc.PageCount;
    in.width = picture.width();
    in.height = picture.height();
    in.bits = picture.bits();
    in.freeBytes = FreePageFile();
    in.screenBits = screenBits;
    if (in.currentFile != "Untitled") in.dateText = FileDateText(doc.CurrentFile);
    if (doc.CurrentExt == ".PCD" && !untitled) in.packDescription = doc.PhotoCdDescription;
    return in;
}

std::string ImageInfoText(const ImageInfoInput& in) {
    std::string text = in.description + "\n";
    text += "Name: " + FileNamePart(in.currentFile) + "\n";
    if (in.currentFile != "Untitled") {
        text += "Path: " + FolderPart(in.currentFile) + "\n";
        if (in.dateText) text += "Date: " + *in.dateText + "\n";
    }
    if (in.pageCount > 1) text += "Pages: " + std::to_string(in.pageCount) + "\n";
    text +=
        "Uses: " + std::to_string(PictureMemoryBytes(in.width, in.height, in.bits)) + " bytes\n";
    text += "Free: " + std::to_string(in.freeBytes) + " bytes";
    text += "\n\nVideo: " + std::to_string(in.screenBits) + " bpp";
    if (!in.packDescription.empty()) text += "\n\n" + in.packDescription;
    return text;
}

} // namespace core
