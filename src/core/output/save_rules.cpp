#include "core/output/save_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace core::output {

std::string SaveFilterText(int pictureBits) {
    std::string text =
        "BMP (Windows Bitmap)|*.bmp|PCX (Zsoft Paintbrush)|*.pcx|TIF (Aldus TIFF)|*.tif";
    if (pictureBits > 1) text += "|PNG (Portable Network Graphics)|*.png";
    if (pictureBits > 4) text += "|JPG (JPEG/JFIF) gray shades|*.jpg";
    if (pictureBits > 8) text += "|JPG (JPEG/JFIF) 24-bit color|*.jpg";
    return text;
}

int SaveTypeCount(int pictureBits) {
    return 3 + (pictureBits > 1) + (pictureBits > 4) + (pictureBits > 8);
}

int InitialSaveIndex(int pictureBits, int lastIndex) {
    switch (pictureBits) {
    case 1:
        return kSaveTiff;
    case 8:
        return kSavePng;
    case 24:
        if (lastIndex > kSavePng) return kSaveJpegColour;
        return lastIndex >= kSaveBmp ? lastIndex : kSaveBmp;
    default:
        return kSaveBmp;
    }
}

std::string DefaultExtensionFor(int index) {
    switch (index) {
    case kSaveBmp:
        return "bmp";
    case kSavePcx:
        return "pcx";
    case kSaveTiff:
        return "tif";
    case kSavePng:
        return "png";
    default:
        return "jpg";
    }
}

int LinearScaleFromCompression(int compression) {
    compression = std::clamp(compression, 1, 100);
    return (101 - compression) * 255 / 100;
}

PanelState PanelStateFor(bool html, const std::string& defaultExtension) {
    if (html) return {true, true};
    std::string ext = defaultExtension;
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "png") return {true, false};
    if (ext == "jpg") return {true, true};
    return {false, false};
}

std::optional<int> SaveTypeForExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp" || ext == "dib") return kSaveBmp;
    if (ext == "pcx") return kSavePcx;
    if (ext == "tif" || ext == "tiff") return kSaveTiff;
    if (ext == "png") return kSavePng;
    if (ext == "jpg" || ext == "jpeg") return kSaveJpegColour;
    return std::nullopt;
}

std::string CompressionRatioText(std::uint64_t rawSize, std::uint64_t compressedSize) {
    if (compressedSize == 0) return "0.0 to 1";
    const std::uint64_t whole = rawSize / compressedSize;
    const std::uint64_t tenth = rawSize % compressedSize * 10 / compressedSize;
    char text[64];
    std::snprintf(text, sizeof text, "%llu.%llu to 1", static_cast<unsigned long long>(whole),
                  static_cast<unsigned long long>(tenth));
    return text;
}

namespace {

void Put32(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t Get32(const std::uint8_t* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= std::uint32_t{p[i]} << (8 * i);
    return static_cast<std::int32_t>(u);
}

} // namespace

std::array<std::uint8_t, kWizardRecordSize> PackWizardSettings(const WizardSettings& s) {
    std::array<std::uint8_t, kWizardRecordSize> r{};
    r[0] = s.progressive;
    r[1] = s.subsample;
    r[2] = s.optimize;
    r[3] = s.highAccuracy;
    Put32(r.data() + 4, s.smoothingMethod);
    Put32(r.data() + 8, s.smoothing);
    Put32(r.data() + 12, StoredWizardScale(s.scale));
    return r;
}

WizardSettings UnpackWizardSettings(const std::uint8_t* data, std::size_t size) {
    WizardSettings s;
    if (!data || size != kWizardRecordSize) return s;
    s.progressive = data[0] != 0;
    s.subsample = data[1] != 0;
    s.optimize = data[2] != 0;
    s.highAccuracy = data[3] != 0;
    s.smoothingMethod = std::clamp(Get32(data + 4), 0, 2);
    s.smoothing = std::clamp(Get32(data + 8), 0, 255);
    s.scale = std::clamp(Get32(data + 12), 1, 255);
    return s;
}

} // namespace core::output
