#include "core/photocd/image_pac.h"

#include "core/common/memory.h"
#include "core/editing/transform_ops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

namespace core::photocd {

namespace {

// ---- The pack's layout ----
constexpr std::size_t kSector = 2048;
constexpr std::size_t kSignatureAt = 0x800; // "PCD_IPI"
constexpr std::size_t kVersionAt = 0x807;
constexpr std::size_t kProductAt = 0x816;  // 20 bytes
constexpr std::size_t kVendorAt = 0x82A;   // 20 bytes
constexpr std::size_t kScannerAt = 0x83E;  // 16 bytes
constexpr std::size_t kFinisherAt = 0x8A5; // 60 bytes
constexpr std::size_t kRightsFlagAt = 0x94B;
constexpr std::size_t kRightsNameAt = 0x94C; // 12 bytes
constexpr std::size_t kAttributesAt = 0xE02; // bits 0-1 turns, bits 2-3 highest level
constexpr std::size_t kStop4BaseAt = 0xE03;  // last sector of 4Base, big-endian
constexpr std::size_t kStop16BaseAt = 0xE05; // last sector of 16Base
constexpr std::size_t kRightsNameLength = 12;

// The planes stored as they are: each pair of luma rows is followed by one
// row of each chroma plane at half the width.
struct PlainLevel {
    std::size_t sector;
    int width, height;
};
constexpr PlainLevel kPlain[3] = {{4, 192, 128}, {23, 384, 256}, {96, 768, 512}};
constexpr std::size_t k4BaseTables = 388;
constexpr std::size_t k4BaseData = 389;
constexpr std::size_t k16BaseTablesAfter = 12; // sectors after the 4Base stop
constexpr std::size_t k16BaseDataAfter = 14;

// Largest file read: a 16Base pack is well under this.
constexpr std::uintmax_t kMaxPackBytes = std::uintmax_t{96} << 20;

struct Pack {
    std::vector<std::uint8_t> bytes;
    int count = 4; // resolutions held, 0..count-1
    int rotation = 0;
    int index = 3;
    int format = kFormatRgb24;
};

std::map<PCDhandle, std::unique_ptr<Pack>>& Packs() {
    static std::map<PCDhandle, std::unique_ptr<Pack>> packs;
    return packs;
}
PCDhandle g_next = 1;
std::string g_error;

bool Fault(const std::string& text) {
    g_error = text;
    return false;
}

Pack* Find(PCDhandle handle) {
    auto it = Packs().find(handle);
    if (it == Packs().end()) {
        g_error = "The Photo CD pack is not open.";
        return nullptr;
    }
    return it->second.get();
}

unsigned Be16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 2 <= b.size() ? (unsigned{b[at]} << 8) | b[at + 1] : 0;
}

void CopyText(char* out, std::size_t outSize, const std::vector<std::uint8_t>& b, std::size_t at,
              std::size_t length) {
    std::memset(out, 0, outSize);
    const std::size_t n = std::min(length, outSize - 1);
    for (std::size_t i = 0; i < n && at + i < b.size(); ++i) out[i] = static_cast<char>(b[at + i]);
    // Trailing blanks pad the fields.
    for (std::size_t i = n; i-- > 0 && (out[i] == ' ' || out[i] == 0);) out[i] = 0;
}

// ---- Planes ----
struct PlaneSet {
    int width = 0, height = 0; // luma; chroma is half of each
    std::vector<std::uint8_t> y, c1, c2;
};

PlaneSet ReadPlain(const Pack& pack, int level) {
    const PlainLevel& L = kPlain[level];
    PlaneSet p;
    p.width = L.width;
    p.height = L.height;
    const int cw = L.width / 2;
    p.y.resize(std::size_t(L.width) * L.height);
    p.c1.resize(std::size_t(cw) * (L.height / 2));
    p.c2.resize(p.c1.size());
    const std::uint8_t* src = pack.bytes.data() + L.sector * kSector;
    for (int pair = 0; pair < L.height / 2; ++pair) {
        std::memcpy(&p.y[std::size_t(pair * 2) * L.width], src, std::size_t(L.width) * 2);
        src += std::size_t(L.width) * 2;
        std::memcpy(&p.c1[std::size_t(pair) * cw], src, cw);
        src += cw;
        std::memcpy(&p.c2[std::size_t(pair) * cw], src, cw);
        src += cw;
    }
    return p;
}

bool PlainPresent(const Pack& pack, int level) {
    const PlainLevel& L = kPlain[level];
    return pack.bytes.size() >= L.sector * kSector + std::size_t(L.width) * L.height * 3 / 2;
}

// Twice the size: the known samples kept, the new ones halfway between their
// neighbours, the last row and column repeated.
std::vector<std::uint8_t> Enlarge(const std::vector<std::uint8_t>& in, int w, int h) {
    std::vector<std::uint8_t> wide(std::size_t(w) * 2 * h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = &in[std::size_t(y) * w];
        std::uint8_t* d = &wide[std::size_t(y) * w * 2];
        for (int x = 0; x < w; ++x) {
            const int next = s[std::min(x + 1, w - 1)];
            d[2 * x] = s[x];
            d[2 * x + 1] = static_cast<std::uint8_t>((s[x] + next + 1) >> 1);
        }
    }
    const std::size_t W = std::size_t(w) * 2;
    std::vector<std::uint8_t> out(W * h * 2);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* a = &wide[y * W];
        const std::uint8_t* b = &wide[std::min(y + 1, h - 1) * W];
        std::memcpy(&out[std::size_t(2 * y) * W], a, W);
        std::uint8_t* d = &out[std::size_t(2 * y + 1) * W];
        for (std::size_t x = 0; x < W; ++x) d[x] = static_cast<std::uint8_t>((a[x] + b[x] + 1) >> 1);
    }
    return out;
}

// ---- Huffman-coded residuals ----
struct Code {
    std::uint8_t length = 0; // 0: no code starts with these bits
    std::int8_t delta = 0;
};
using CodeTable = std::vector<Code>; // indexed by the next 16 bits

bool ReadTable(const std::vector<std::uint8_t>& b, std::size_t& at, CodeTable& table) {
    if (at >= b.size()) return Fault("The Photo CD pack's code tables are cut short.");
    const std::size_t entries = std::size_t(b[at]) + 1;
    if (at + 1 + entries * 4 > b.size())
        return Fault("The Photo CD pack's code tables are cut short.");
    table.assign(65536, Code{});
    const std::uint8_t* e = &b[at + 1];
    for (std::size_t i = 0; i < entries; ++i, e += 4) {
        const int length = e[0] + 1;
        if (length > 16) return Fault("The Photo CD pack has a damaged code table.");
        const unsigned code = (unsigned{e[1]} << 8) | e[2];
        const unsigned span = 1u << (16 - length);
        const unsigned first = code & ~(span - 1) & 0xFFFF;
        for (unsigned k = 0; k < span; ++k) {
            Code& c = table[first + k];
            if (c.length) return Fault("The Photo CD pack has a damaged code table.");
            c.length = static_cast<std::uint8_t>(length);
            c.delta = static_cast<std::int8_t>(e[3]);
        }
    }
    at += 1 + entries * 4;
    return true;
}

class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : d_(data), size_(size) {}
    std::size_t bitsLeft() const { return size_ * 8 - pos_; }
    unsigned peek16() const {
        unsigned v = 0;
        for (int i = 0; i < 3; ++i) {
            const std::size_t byte = pos_ / 8 + i;
            v = (v << 8) | (byte < size_ ? d_[byte] : 0u);
        }
        return (v >> (8 - pos_ % 8)) & 0xFFFF;
    }
    bool skip(unsigned n) {
        if (n > bitsLeft()) return false;
        pos_ += n;
        return true;
    }
    // Moves past the next 23 one bits and a zero; false at the end of the data.
    bool sync() {
        unsigned ones = 0;
        while (pos_ < size_ * 8) {
            const bool bit = (d_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
            ++pos_;
            if (bit)
                ++ones;
            else if (ones >= 23)
                return true;
            else
                ones = 0;
        }
        return false;
    }

  private:
    const std::uint8_t* d_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Adds the residual rows found between `begin` and `end` to the enlarged planes.
bool AddResiduals(const Pack& pack, std::size_t tablesAt, std::size_t begin, std::size_t end,
                  PlaneSet& p, const ProgressFn& progress, int progressBase, int progressSpan) {
    const auto& b = pack.bytes;
    if (begin >= end || end > b.size()) return Fault("The Photo CD pack is cut short.");
    CodeTable tables[3];
    std::size_t at = tablesAt;
    for (auto& t : tables)
        if (!ReadTable(b, at, t)) return false;

    BitReader bits(b.data() + begin, end - begin);
    const int cw = p.width / 2, ch = p.height / 2;
    std::vector<std::uint8_t> seen(std::size_t(p.height) + 2 * ch, 0);
    int lumaRows = 0, rowsDone = 0;
    const int totalRows = p.height + 2 * ch;
    while (bits.sync()) {
        const unsigned header = bits.peek16();
        if (!bits.skip(16)) break;
        const unsigned plane = header >> 14;
        const int row = static_cast<int>((header >> 1) & 0x1FFF);
        std::uint8_t* target = nullptr;
        int width = 0;
        std::size_t seenAt = 0;
        if (plane == 0 && row < p.height) {
            target = &p.y[std::size_t(row) * p.width];
            width = p.width;
            seenAt = row;
        } else if ((plane == 2 || plane == 3) && row < ch) {
            target = plane == 2 ? &p.c1[std::size_t(row) * cw] : &p.c2[std::size_t(row) * cw];
            width = cw;
            seenAt = std::size_t(p.height) + (plane == 3 ? ch : 0) + row;
        } else {
            return Fault("The Photo CD pack names a row that is not in the picture.");
        }
        for (int x = 0; x < width; ++x) {
            const Code c = tables[plane == 0 ? 0 : plane - 1][bits.peek16()];
            if (!c.length) return Fault("The Photo CD pack holds a damaged code.");
            if (!bits.skip(c.length)) return Fault("The Photo CD pack is cut short.");
            target[x] = static_cast<std::uint8_t>(std::clamp(target[x] + c.delta, 0, 255));
        }
        if (!seen[seenAt]) {
            seen[seenAt] = 1;
            if (plane == 0) ++lumaRows;
            ++rowsDone;
        }
        if (progress && !ReportProgress(progress, progressBase + progressSpan * rowsDone / totalRows))
            return Fault("Stopped.");
    }
    // Chroma residuals may be left out; luma ones may not.
    if (lumaRows < p.height) return Fault("The Photo CD pack's residual rows are missing.");
    return true;
}

bool ResidualLevel(const Pack& pack, int level, PlaneSet& p, const ProgressFn& progress,
                   int base, int span) {
    const unsigned stop4 = Be16(pack.bytes, kStop4BaseAt);
    std::size_t tables, begin, end;
    if (level == 4) {
        tables = k4BaseTables * kSector;
        begin = k4BaseData * kSector;
        end = (std::size_t(stop4) + 1) * kSector;
    } else {
        const unsigned stop16 = Be16(pack.bytes, kStop16BaseAt);
        tables = (std::size_t(stop4) + k16BaseTablesAfter) * kSector;
        begin = (std::size_t(stop4) + k16BaseDataAfter) * kSector;
        end = (std::size_t(stop16) + 1) * kSector;
    }
    p.y = Enlarge(p.y, p.width, p.height);
    p.c1 = Enlarge(p.c1, p.width / 2, p.height / 2);
    p.c2 = Enlarge(p.c2, p.width / 2, p.height / 2);
    p.width *= 2;
    p.height *= 2;
    return AddResiduals(pack, tables, begin, end, p, progress, base, span);
}

// ---- Colour ----
struct YccTables {
    std::array<int, 256> luma, blue, green1, red, green2;
    YccTables() {
        for (int i = 0; i < 256; ++i) {
            const double c1 = 2.2179 * (i - 156), c2 = 1.8215 * (i - 137);
            luma[i] = static_cast<int>(std::lround(1.3584 * i * 65536));
            blue[i] = static_cast<int>(std::lround(c1 * 65536));
            green1[i] = static_cast<int>(std::lround(-0.194 * c1 * 65536));
            red[i] = static_cast<int>(std::lround(c2 * 65536));
            green2[i] = static_cast<int>(std::lround(-0.509 * c2 * 65536));
        }
    }
};
const YccTables& Ycc() {
    static const YccTables t;
    return t;
}
inline std::uint8_t Channel(int v) { return static_cast<std::uint8_t>(std::clamp((v + 32768) >> 16, 0, 255)); }

} // namespace

std::uint32_t YccToRgb(int y, int c1, int c2) {
    const YccTables& t = Ycc();
    y &= 255, c1 &= 255, c2 &= 255;
    const int L = t.luma[y];
    return (std::uint32_t{Channel(L + t.red[c2])} << 16) |
           (std::uint32_t{Channel(L + t.green1[c1] + t.green2[c2])} << 8) | Channel(L + t.blue[c1]);
}

std::string PCDlastError() { return g_error; }

bool PCDopen(const std::string& fileName, PCDhandle* handle) {
    if (!handle) return Fault("No handle.");
    *handle = 0;
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) return Fault("The Photo CD pack cannot be read.");
    const std::streamoff size = in.tellg();
    if (size < 0 || std::uintmax_t(size) > kMaxPackBytes)
        return Fault("The file is not a Photo CD pack.");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return Fault("The Photo CD pack cannot be read.");
    return PCDopenBytes(std::move(bytes), handle);
}

bool PCDopenBytes(std::vector<std::uint8_t> bytes, PCDhandle* handle) {
    if (!handle) return Fault("No handle.");
    *handle = 0;
    auto pack = std::make_unique<Pack>();
    pack->bytes = std::move(bytes);
    const auto& b = pack->bytes;
    if (b.size() < kSignatureAt + 7 || std::memcmp(&b[kSignatureAt], "PCD_IPI", 7) != 0)
        return Fault("The file is not a Photo CD pack.");
    if (!PlainPresent(*pack, 2)) return Fault("The Photo CD pack is cut short.");
    const std::uint8_t attributes = b[kAttributesAt];
    pack->rotation = attributes & 3;
    const int highest = (attributes >> 2) & 3; // 0 Base, 1 4Base, 2 16Base
    pack->count = 4 + std::min(highest, 2);
    *handle = g_next++;
    if (g_next <= 0) g_next = 1;
    Packs()[*handle] = std::move(pack);
    return true;
}

bool PCDgetAttributes(PCDhandle handle, std::uint8_t attributes[2], std::int32_t* value) {
    if (!Find(handle)) return false;
    // Packs of this reader are never encrypted nor watermarked.
    attributes[0] = 0;
    attributes[1] = 0;
    if (value) *value = 0;
    return true;
}

bool PCDgetCount(PCDhandle handle, std::uint16_t* mask, std::uint16_t* count) {
    const Pack* pack = Find(handle);
    if (!pack) return false;
    *mask = static_cast<std::uint16_t>((1u << pack->count) - 1);
    *count = static_cast<std::uint16_t>(pack->count);
    return true;
}

bool PCDsetResolution(PCDhandle handle, int index) {
    Pack* pack = Find(handle);
    if (!pack) return false;
    if (index < 0 || index >= pack->count) return Fault("The Photo CD pack does not hold that resolution.");
    pack->index = index;
    return true;
}

bool PCDgetResolution(PCDhandle handle, int* index) {
    const Pack* pack = Find(handle);
    if (!pack) return false;
    *index = pack->index;
    return true;
}

bool PCDgetSize(PCDhandle handle, PCDrect* rect) {
    const Pack* pack = Find(handle);
    if (!pack) return false;
    const int shortSide = 64 << pack->index, longSide = 96 << pack->index;
    const bool upright = pack->rotation & 1;
    *rect = PCDrect{0, 0, static_cast<std::uint16_t>(upright ? longSide : shortSide),
                    static_cast<std::uint16_t>(upright ? shortSide : longSide)};
    return true;
}

bool PCDreadImageInfo(PCDhandle handle, PCDimageInfo* info) {
    const Pack* pack = Find(handle);
    if (!pack) return false;
    const auto& b = pack->bytes;
    *info = PCDimageInfo{};
    info->version = b[kVersionAt];
    CopyText(info->mediaType[0], sizeof info->mediaType[0], b, kProductAt, 20);
    CopyText(info->mediaType[1], sizeof info->mediaType[1], b, kVendorAt, 20);
    CopyText(info->scanner, sizeof info->scanner, b, kScannerAt, 16);
    std::memcpy(info->photofinisher, &b[kFinisherAt], sizeof info->photofinisher);
    info->photofinisher[sizeof info->photofinisher - 1] = 0;
    info->rightsFlag = b[kRightsFlagAt] == 1 ? 1 : 0;
    CopyText(info->rightsFile, sizeof info->rightsFile, b, kRightsNameAt, kRightsNameLength);
    return true;
}

bool PCDsetFormat(PCDhandle handle, int format) {
    Pack* pack = Find(handle);
    if (!pack) return false;
    if (format != kFormatRgb24 && format != kFormatPalette8) return Fault("Unknown Photo CD format.");
    pack->format = format;
    return true;
}

int PCDrotation(PCDhandle handle) {
    const Pack* pack = Find(handle);
    return pack ? pack->rotation : 0;
}

Result<Bitmap> PCDloadImage(PCDhandle handle, const PCDrect& rect, const ProgressFn& progress) {
    const Pack* pack = Find(handle);
    if (!pack) return Error{g_error};
    PCDrect expected;
    PCDgetSize(handle, &expected);
    if (rect.right != expected.right || rect.bottom != expected.bottom || rect.top || rect.left)
        return Error{"The Photo CD rectangle is not the picture's."};
    const int index = pack->index;
    const int width = expected.right, height = expected.bottom;
    if (auto st = CheckPictureSize(width, height, 24); !st) return st.error();

    PlaneSet p = ReadPlain(*pack, index <= 1 ? 0 : std::min(index, 3) - 1);
    if (!ReportProgress(progress, 5)) return Error{"Stopped."};
    if (index >= 4) {
        if (!ResidualLevel(*pack, 4, p, progress, 5, index == 4 ? 80 : 30)) return Error{g_error};
    }
    if (index >= 5) {
        if (!ResidualLevel(*pack, 5, p, progress, 35, 50)) return Error{g_error};
    }
    if (index == 0) {
        // 64x96: each pixel the mean of four of Base/16.
        PlaneSet half;
        half.width = p.width / 2;
        half.height = p.height / 2;
        auto shrink = [](const std::vector<std::uint8_t>& in, int w, int h) {
            std::vector<std::uint8_t> out(std::size_t(w / 2) * (h / 2));
            for (int y = 0; y < h / 2; ++y)
                for (int x = 0; x < w / 2; ++x) {
                    const std::uint8_t* a = &in[std::size_t(2 * y) * w + 2 * x];
                    out[std::size_t(y) * (w / 2) + x] =
                        static_cast<std::uint8_t>((a[0] + a[1] + a[w] + a[w + 1] + 2) >> 2);
                }
            return out;
        };
        half.y = shrink(p.y, p.width, p.height);
        half.c1 = shrink(p.c1, p.width / 2, p.height / 2);
        half.c2 = shrink(p.c2, p.width / 2, p.height / 2);
        p = std::move(half);
    }
    const auto c1 = Enlarge(p.c1, p.width / 2, p.height / 2);
    const auto c2 = Enlarge(p.c2, p.width / 2, p.height / 2);

    auto created = Bitmap::Create(width, height, 24);
    if (!created) return created.error();
    Bitmap picture = std::move(created).value();
    const YccTables& t = Ycc();
    const int turns = pack->rotation;
    const int W = p.width, H = p.height;
    for (int sy = 0; sy < H; ++sy) {
        for (int sx = 0; sx < W; ++sx) {
            const std::size_t i = std::size_t(sy) * W + sx;
            const int L = t.luma[p.y[i]];
            // Quarter turns anticlockwise.
            int dx = sx, dy = sy;
            if (turns == 1) dx = sy, dy = W - 1 - sx;
            else if (turns == 2) dx = W - 1 - sx, dy = H - 1 - sy;
            else if (turns == 3) dx = H - 1 - sy, dy = sx;
            std::uint8_t* px = picture.row(dy) + std::size_t(dx) * 3;
            px[0] = Channel(L + t.blue[c1[i]]);
            px[1] = Channel(L + t.green1[c1[i]] + t.green2[c2[i]]);
            px[2] = Channel(L + t.red[c2[i]]);
        }
        if (progress && (sy & 63) == 0 && !ReportProgress(progress, 85 + 15 * sy / H))
            return Error{"Stopped."};
    }
    // The palette format: 256 colours chosen for the picture.
    if (pack->format == kFormatPalette8)
        return ReducePicture(std::move(picture), ChooseReduction(8, 2, 24));
    return picture;
}

void PCDclose(PCDhandle handle) { Packs().erase(handle); }

} // namespace core::photocd
