#include "core/photocd/pcd_import.h"

#include "core/common/memory.h"
#include "core/photocd/image_pac.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace core::photocd {

namespace fs = std::filesystem;

int AllowedCount(int count, unsigned mask, unsigned encrypted) {
    if (encrypted == 0) return count;
    unsigned plain = mask & ~encrypted & 0xFFFF;
    int bits = 0;
    while (plain) {
        ++bits;
        plain >>= 1;
    }
    return 1 + bits;
}

int ClampResolution(int wanted, int count, int allowed) {
    if (count <= 0 || allowed <= 0) return -1;
    return std::max(0, std::min({wanted, count - 1, allowed - 1}));
}

std::string ResolutionLabel(int index) {
    if (index < 0 || index >= kResolutionCount) return {};
    char text[24];
    std::snprintf(text, sizeof text, "%9s",
                  (std::to_string(64 << index) + "x" + std::to_string(96 << index)).c_str());
    return text;
}

std::string OrientationText(int width, int height) {
    return height < width ? "Landscape" : "Portrait";
}

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The entry of `dir` named `name` in any case.
fs::path ChildIgnoringCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (Lower(it->path().filename().string()) == Lower(name)) return it->path();
    return {};
}

// "Current res: 512 x 768\n": short side first, as the resolutions are named.
std::string ResLine(const char* label, int index) {
    const int w = 64 << std::clamp(index, 0, kResolutionCount - 1);
    return std::string(label) + std::to_string(w) + " x " + std::to_string(w + w / 2) + "\n";
}

} // namespace

std::string FindRightsFile(const std::string& packFile, const std::string& name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\:") != std::string::npos)
        return {};
    std::error_code ec;
    fs::path dir = fs::absolute(fs::path(packFile), ec).parent_path();
    for (; !dir.empty(); dir = dir.parent_path()) {
        const fs::path disc = ChildIgnoringCase(dir, "photo_cd");
        if (!disc.empty()) {
            const fs::path rights = ChildIgnoringCase(disc, "rights");
            if (!rights.empty()) {
                const fs::path file = ChildIgnoringCase(rights, name);
                if (!file.empty() && fs::is_regular_file(file, ec)) return file.string();
            }
        }
        if (dir == dir.parent_path()) break;
    }
    return {};
}

namespace {

// What a pack says of its resolutions and protection.
struct PackFacts {
    std::uint8_t attributes[2] = {};
    std::uint16_t mask = 0, count = 0;
    int allowed = 0;
};

bool ReadFacts(PCDhandle h, PackFacts* f) {
    std::int32_t value = 0;
    if (!PCDgetAttributes(h, f->attributes, &value) || !PCDgetCount(h, &f->mask, &f->count))
        return false;
    f->allowed = AllowedCount(f->count, f->mask, f->attributes[0]);
    return true;
}

} // namespace

pcd_c::~pcd_c() {
    CloseProbed();
}

pcd_c& pcd_c::operator=(pcd_c&& other) noexcept {
    if (this == &other) return *this;
    CloseProbed();
    probed_ = std::exchange(other.probed_, 0);
    probedFile_ = std::move(other.probedFile_);
    resolution_ = other.resolution_;
    rotation_ = other.rotation_;
    description_ = std::move(other.description_);
    rightsFile_ = std::move(other.rightsFile_);
    error_ = std::move(other.error_);
    return *this;
}

void pcd_c::CloseProbed() {
    if (probed_ != 0) PCDclose(probed_);
    probed_ = 0;
    probedFile_.clear();
}

PCDhandle pcd_c::Open(const std::string& file) {
    PCDhandle h = 0;
    if (probed_ != 0 && probedFile_ == file) {
        // The probe read this pack a moment ago: it is not read again.
        h = probed_;
        probed_ = 0;
        probedFile_.clear();
        return h;
    }
    CloseProbed();
    if (!PCDopen(file, &h) || h == 0) {
        error_ = PCDlastError();
        return 0;
    }
    return h;
}

PcdProbe pcd_c::Probe(const std::string& file, int step) {
    PcdProbe out;
    CloseProbed();
    const PCDhandle h = Open(file);
    if (h == 0) return out;
    PackFacts facts;
    if (!ReadFacts(h, &facts)) {
        error_ = PCDlastError();
        PCDclose(h);
        return out;
    }
    const int count = facts.count, allowed = facts.allowed;
    const int index = ClampResolution(step > 0 ? step : 0, count, allowed);
    int used = -1;
    PCDrect rect;
    if (index < 0 || !PCDsetResolution(h, index) || !PCDgetResolution(h, &used) ||
        !PCDgetSize(h, &rect)) {
        error_ = index < 0 ? "The Photo CD pack holds no picture." : PCDlastError();
        PCDclose(h);
        return out;
    }
    out.index = used;
    out.rotation = PCDrotation(h);
    out.height = rect.bottom;
    out.width = rect.right;
    resolution_ = used;
    probed_ = h;
    probedFile_ = file;
    return out;
}

int pcd_c::ImportPCD(const std::string& file, Bitmap& target, bool slideshow,
                     const ProgressFn& progress, int screenBits, bool autoReduce) {
    target = Bitmap();
    const PCDhandle h = Open(file);
    if (h == 0) return 1;
    auto fail = [&](std::string text) {
        error_ = std::move(text);
        PCDclose(h);
        return 1;
    };
    PackFacts facts;
    if (!ReadFacts(h, &facts)) return fail(PCDlastError());
    const std::uint8_t* attributes = facts.attributes;
    const int count = facts.count, allowed = facts.allowed;
    const int index = ClampResolution(slideshow ? kSlideshowIndex : resolution_, count, allowed);
    PCDrect rect;
    if (index < 0) return fail("The Photo CD pack holds no picture.");
    if (!PCDsetResolution(h, index) || !PCDgetSize(h, &rect)) return fail(PCDlastError());
    resolution_ = index;
    rotation_ = PCDrotation(h);

    if (!slideshow) {
        std::string d = "Orientation: " + OrientationText(rect.right, rect.bottom) + "\n\n";
        d += ResLine("Maximum res: ", count - 1);
        d += ResLine("Allowed res: ", allowed - 1);
        d += ResLine("Current res: ", index);
        d += std::string("\nEncrypted: ") + (attributes[0] ? "Yes" : "No") +
             "   Watermark: " + (attributes[1] ? "Yes" : "No") + "\n";
        PCDimageInfo info;
        rightsFile_.clear();
        if (PCDreadImageInfo(h, &info)) {
            if (info.version < 9) {
                d += std::string("Media Type: ") + info.mediaType[0] + info.mediaType[1] + "\n";
                d += std::string("Scanner: ") + info.scanner + "\n";
                if (info.photofinisher[0] != 0xFF) {
                    std::string finisher(reinterpret_cast<const char*>(info.photofinisher),
                                         strnlen(reinterpret_cast<const char*>(info.photofinisher),
                                                 sizeof info.photofinisher));
                    while (!finisher.empty() && finisher.back() == ' ')
                        finisher.pop_back();
                    d += "Photofinisher: " + finisher + "\n";
                }
            }
            // Only a plain name in the disc's rights folder is offered.
            if (info.rightsFlag == 1) rightsFile_ = FindRightsFile(file, info.rightsFile);
            if (!rightsFile_.empty()) d += "\nRead Copyright file?";
        }
        description_ = d;
    }

    // An 8-bit screen with Auto Reduce gets the pack's palette format.
    const bool palette = autoReduce && screenBits == 8;
    if (!PCDsetFormat(h, palette ? kFormatPalette8 : kFormatRgb24)) return fail(PCDlastError());
    if (auto st = CheckPictureSize(rect.right, rect.bottom, 24); !st) return fail(st.message());
    if (!EnoughMemory(ImageMemSize(rect.right, rect.bottom, 24, screenBits, autoReduce), 1))
        return fail("Insufficient memory.");
    auto loaded = PCDloadImage(h, rect, progress);
    PCDclose(h);
    if (!loaded) {
        error_ = loaded.message();
        return 1;
    }
    target = std::move(loaded).value();
    return 0;
}

} // namespace core::photocd
