// The rules of Save As and the compression wizard that need no widget: the
// file types offered for a depth, the type chosen first, the quality scale of
// the compression bar, the extra panel's state, the wizard's stored record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace core::output {

// Filter indexes of the save dialog, counted from 1.
enum SaveType : int {
    kSaveBmp = 1,
    kSavePcx = 2,
    kSaveTiff = 3,
    kSavePng = 4,
    kSaveJpegGray = 5,
    kSaveJpegColour = 6,
};

// "Name|*.ext|Name|*.ext..." for a picture of the given depth: BMP, PCX and
// TIFF always, PNG above 1 bit, JPEG gray above 4 bits, JPEG colour above 8.
std::string SaveFilterText(int pictureBits);
// How many types that text offers.
int SaveTypeCount(int pictureBits);

// The type selected when the dialog opens: TIFF for 1 bit, PNG for 8 bits,
// the last choice for 24 bits (a JPEG of either kind becomes JPEG colour),
// BMP otherwise. lastIndex 0 means nothing was saved yet in this run.
int InitialSaveIndex(int pictureBits, int lastIndex);

// The default extension for a filter index: "bmp", "pcx", "tif", "png", else "jpg".
std::string DefaultExtensionFor(int index);

// The dialog's compression 1..100 as a linear quality scale:
// (101 − compression) × 255 div 100, so 100 → 2, 50 → 130, 1 → 255.
int LinearScaleFromCompression(int compression);

// The extra panel: "&Progressive" usable, the compression bar shown.
struct PanelState {
    bool progressiveEnabled = false;
    bool compressionVisible = false;
};
PanelState PanelStateFor(bool html, const std::string& defaultExtension);

// The save type a file name's extension asks for (case-insensitive):
// .bmp/.dib, .pcx, .tif/.tiff, .png, .jpg/.jpeg (colour). nullopt otherwise.
std::optional<int> SaveTypeForExtension(const std::string& path);

// "Compression ratio: " text of the wizard: "q.d to 1" with q = raw div n and
// d the first decimal of raw / n.
std::string CompressionRatioText(std::uint64_t rawSize, std::uint64_t compressedSize);

// The wizard's settings, stored as 16 little-endian bytes.
struct WizardSettings {
    bool progressive = false;
    bool subsample = false;
    bool optimize = true;
    bool highAccuracy = true;
    std::int32_t smoothingMethod = 0; // 0 Standard, 1 Parametric, 2 Gaussian
    std::int32_t smoothing = 0;       // 0..255
    std::int32_t scale = 48;          // 1..255

    bool operator==(const WizardSettings&) const = default;
};
inline constexpr std::size_t kWizardRecordSize = 16;
std::array<std::uint8_t, kWizardRecordSize> PackWizardSettings(const WizardSettings& s);
// A record of the wrong size gives the defaults; values out of range are
// brought into range.
WizardSettings UnpackWizardSettings(const std::uint8_t* data, std::size_t size);

// The scale bar's top: 512 with "&More compression", else 255.
inline int WizardScaleMaximum(bool moreCompression) {
    return moreCompression ? 512 : 255;
}
// A scale as kept after the bar goes back to 255 (and as stored): at most 255.
inline int StoredWizardScale(int scale) {
    return scale >= 256 ? 255 : scale;
}

} // namespace core::output
