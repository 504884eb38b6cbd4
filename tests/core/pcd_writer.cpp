#include "core/pcd_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <queue>
#include <stdexcept>

namespace pcdgen {

namespace {

constexpr std::size_t kSector = 2048;

struct Planes {
    int w = 0, h = 0; // luma size
    std::vector<std::uint8_t> y, c1, c2;
};

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// RGB to PhotoYCC, the inverse of the published conversion.
void ToYcc(std::uint32_t rgb, double& y, double& c1, double& c2) {
    const double r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    const double L = (g + 0.194 * b + 0.509 * r) / 1.703;
    y = L / 1.3584;
    c1 = (b - L) / 2.2179 + 156;
    c2 = (r - L) / 1.8215 + 137;
}

std::uint32_t ToRgb(int y, int c1, int c2) {
    const double L = 1.3584 * y, a = 2.2179 * (c1 - 156), b = 1.8215 * (c2 - 137);
    return (std::uint32_t{Clamp8(L + b)} << 16) | (std::uint32_t{Clamp8(L - 0.194 * a - 0.509 * b)} << 8) |
           Clamp8(L + a);
}

Planes Encode(const Source& s, int w, int h) {
    Planes p;
    p.w = w, p.h = h;
    p.y.resize(std::size_t(w) * h);
    p.c1.resize(std::size_t(w / 2) * (h / 2));
    p.c2.resize(p.c1.size());
    std::vector<double> a(std::size_t(w) * h), b(a.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double Y, C1, C2;
            ToYcc(s(x, y, w, h), Y, C1, C2);
            p.y[std::size_t(y) * w + x] = Clamp8(Y);
            a[std::size_t(y) * w + x] = C1;
            b[std::size_t(y) * w + x] = C2;
        }
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x) {
            const std::size_t i = std::size_t(2 * y) * w + 2 * x;
            p.c1[std::size_t(y) * (w / 2) + x] = Clamp8((a[i] + a[i + 1] + a[i + w] + a[i + w + 1]) / 4);
            p.c2[std::size_t(y) * (w / 2) + x] = Clamp8((b[i] + b[i + 1] + b[i + w] + b[i + w + 1]) / 4);
        }
    return p;
}

// Doubling: known samples kept, new ones the rounded mean of their two
// neighbours, the last row and column repeated.
std::vector<std::uint8_t> Double(const std::vector<std::uint8_t>& in, int w, int h) {
    std::vector<std::uint8_t> out(std::size_t(w) * h * 4);
    auto at = [&](int x, int y) { return int(in[std::size_t(std::min(y, h - 1)) * w + std::min(x, w - 1)]); };
    const int W = 2 * w;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int p = at(x, y), r = (at(x, y) + at(x + 1, y) + 1) / 2;
            const int pd = (at(x, y) + at(x, y + 1) + 1) / 2;
            const int rd = (r + (at(x, y + 1) + at(x + 1, y + 1) + 1) / 2 + 1) / 2;
            out[std::size_t(2 * y) * W + 2 * x] = std::uint8_t(p);
            out[std::size_t(2 * y) * W + 2 * x + 1] = std::uint8_t(r);
            out[std::size_t(2 * y + 1) * W + 2 * x] = std::uint8_t(pd);
            out[std::size_t(2 * y + 1) * W + 2 * x + 1] = std::uint8_t(rd);
        }
    return out;
}

Picture ToPicture(const Planes& p, int rotation) {
    const auto c1 = Double(p.c1, p.w / 2, p.h / 2), c2 = Double(p.c2, p.w / 2, p.h / 2);
    Picture out;
    const bool upright = rotation & 1;
    out.width = upright ? p.h : p.w;
    out.height = upright ? p.w : p.h;
    out.rgb.resize(std::size_t(p.w) * p.h);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const std::size_t i = std::size_t(y) * p.w + x;
            int dx = x, dy = y;
            if (rotation == 1) dx = y, dy = p.w - 1 - x;
            if (rotation == 2) dx = p.w - 1 - x, dy = p.h - 1 - y;
            if (rotation == 3) dx = p.h - 1 - y, dy = x;
            out.rgb[std::size_t(dy) * out.width + dx] = ToRgb(p.y[i], c1[i], c2[i]);
        }
    return out;
}

Planes Halve(const Planes& p) {
    auto half = [](const std::vector<std::uint8_t>& in, int w, int h) {
        std::vector<std::uint8_t> out(std::size_t(w / 2) * (h / 2));
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w / 2; ++x) {
                const std::size_t i = std::size_t(2 * y) * w + 2 * x;
                out[std::size_t(y) * (w / 2) + x] = std::uint8_t((in[i] + in[i + 1] + in[i + w] + in[i + w + 1] + 2) / 4);
            }
        return out;
    };
    Planes o;
    o.w = p.w / 2, o.h = p.h / 2;
    o.y = half(p.y, p.w, p.h);
    o.c1 = half(p.c1, p.w / 2, p.h / 2);
    o.c2 = half(p.c2, p.w / 2, p.h / 2);
    return o;
}

void Put(std::vector<std::uint8_t>& b, std::size_t at, const std::string& text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) b[at + i] = i < text.size() ? std::uint8_t(text[i]) : ' ';
}

// ---- Huffman coding of residuals ----
struct Code {
    int length = 0;
    unsigned bits = 0; // right-aligned
};

std::map<int, Code> BuildCode(const std::map<int, std::uint64_t>& counts) {
    std::map<int, int> lengths;
    if (counts.size() == 1) {
        lengths[counts.begin()->first] = 1;
    } else {
        // Plain Huffman: merge the two rarest until one tree is left.
        struct Node { std::uint64_t weight; std::vector<int> symbols; };
        auto cmp = [](const Node& a, const Node& b) { return a.weight > b.weight; };
        std::priority_queue<Node, std::vector<Node>, decltype(cmp)> q(cmp);
        for (auto [s, n] : counts) q.push(Node{n, {s}});
        while (q.size() > 1) {
            Node a = q.top(); q.pop();
            Node b = q.top(); q.pop();
            for (int s : a.symbols) ++lengths[s];
            for (int s : b.symbols) ++lengths[s];
            a.symbols.insert(a.symbols.end(), b.symbols.begin(), b.symbols.end());
            q.push(Node{a.weight + b.weight, a.symbols});
        }
        int longest = 0;
        for (auto [s, l] : lengths) longest = std::max(longest, l);
        if (longest > 16) throw std::runtime_error("residual code too long for the test writer");
    }
    // Canonical codes: shorter first, then by symbol.
    std::vector<std::pair<int, int>> order;
    for (auto [s, l] : lengths) order.push_back({l, s});
    std::sort(order.begin(), order.end());
    std::map<int, Code> code;
    unsigned next = 0;
    int last = order.front().first;
    for (auto [l, s] : order) {
        next <<= (l - last);
        last = l;
        code[s] = Code{l, next++};
    }
    return code;
}

struct BitWriter {
    std::vector<std::uint8_t> out;
    int used = 0; // bits in the last byte
    void put(unsigned bits, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used == 0) out.push_back(0);
            if ((bits >> i) & 1) out.back() |= std::uint8_t(0x80 >> used);
            used = (used + 1) & 7;
        }
    }
    void align() { used = 0; }
};

struct Residual {
    std::vector<std::uint8_t> tables, data;
};

// Residuals of `target` against the doubled `lower`; `lower` becomes what a
// reader rebuilds.
Residual EncodeLevel(Planes& lower, const Planes& target) {
    Planes up;
    up.w = target.w, up.h = target.h;
    up.y = Double(lower.y, lower.w, lower.h);
    up.c1 = Double(lower.c1, lower.w / 2, lower.h / 2);
    up.c2 = Double(lower.c2, lower.w / 2, lower.h / 2);
    std::vector<std::uint8_t>* ups[3] = {&up.y, &up.c1, &up.c2};
    const std::vector<std::uint8_t>* tgs[3] = {&target.y, &target.c1, &target.c2};
    std::vector<std::vector<int>> deltas(3);
    std::map<int, std::uint64_t> counts[3];
    for (int k = 0; k < 3; ++k) {
        deltas[k].resize(ups[k]->size());
        for (std::size_t i = 0; i < ups[k]->size(); ++i) {
            const int d = std::clamp(int((*tgs[k])[i]) - int((*ups[k])[i]), -128, 127);
            deltas[k][i] = d;
            ++counts[k][d];
            (*ups[k])[i] = std::uint8_t(std::clamp(int((*ups[k])[i]) + d, 0, 255));
        }
    }
    Residual r;
    std::map<int, Code> codes[3];
    for (int k = 0; k < 3; ++k) {
        codes[k] = BuildCode(counts[k]);
        r.tables.push_back(std::uint8_t(codes[k].size() - 1));
        for (auto [s, c] : codes[k]) {
            const unsigned left = c.bits << (16 - c.length);
            r.tables.push_back(std::uint8_t(c.length - 1));
            r.tables.push_back(std::uint8_t(left >> 8));
            r.tables.push_back(std::uint8_t(left));
            r.tables.push_back(std::uint8_t(std::int8_t(s)));
        }
    }
    BitWriter w;
    auto row = [&](int k, int plane, int rowNo, int width) {
        w.align();
        w.put(0xFFFFFE, 24);
        w.put((unsigned(plane) << 14) | (unsigned(rowNo) << 1), 16);
        for (int x = 0; x < width; ++x) {
            const Code& c = codes[k][deltas[k][std::size_t(rowNo) * width + x]];
            w.put(c.bits, c.length);
        }
    };
    for (int y = 0; y < target.h; ++y) row(0, 0, y, target.w);
    for (int y = 0; y < target.h / 2; ++y) row(1, 2, y, target.w / 2);
    for (int y = 0; y < target.h / 2; ++y) row(2, 3, y, target.w / 2);
    r.data = std::move(w.out);
    lower = std::move(up);
    return r;
}

void PutPlain(std::vector<std::uint8_t>& b, std::size_t sector, const Planes& p) {
    std::size_t at = sector * kSector;
    for (int pair = 0; pair < p.h / 2; ++pair) {
        std::memcpy(&b[at], &p.y[std::size_t(2 * pair) * p.w], std::size_t(p.w) * 2);
        at += std::size_t(p.w) * 2;
        std::memcpy(&b[at], &p.c1[std::size_t(pair) * (p.w / 2)], p.w / 2);
        at += p.w / 2;
        std::memcpy(&b[at], &p.c2[std::size_t(pair) * (p.w / 2)], p.w / 2);
        at += p.w / 2;
    }
}

std::size_t Sectors(std::size_t bytes) { return (bytes + kSector - 1) / kSector; }

} // namespace

Pack MakePack(const Source& source, const PackSpec& spec) {
    Pack pack;
    auto& b = pack.bytes;
    b.assign(384 * kSector, 0);
    std::memcpy(&b[0x800], "PCD_IPI", 7);
    b[0x807] = std::uint8_t(spec.version);
    Put(b, 0x816, spec.product, 20);
    Put(b, 0x82A, spec.vendor, 20);
    Put(b, 0x83E, spec.scanner, 16);
    if (spec.finisher.empty())
        b[0x8A5] = 0xFF;
    else
        Put(b, 0x8A5, spec.finisher, 60);
    b[0x94B] = std::uint8_t(spec.rightsFlag);
    Put(b, 0x94C, spec.rightsName, 12);
    b[0xE02] = std::uint8_t((spec.rotation & 3) | ((spec.highest & 3) << 2));

    const Planes base16 = Encode(source, 192, 128), base4 = Encode(source, 384, 256),
                 base = Encode(source, 768, 512);
    PutPlain(b, 4, base16);
    PutPlain(b, 23, base4);
    PutPlain(b, 96, base);
    pack.expected.push_back(ToPicture(Halve(base16), spec.rotation));
    pack.expected.push_back(ToPicture(base16, spec.rotation));
    pack.expected.push_back(ToPicture(base4, spec.rotation));
    pack.expected.push_back(ToPicture(base, spec.rotation));

    Planes rebuilt = base;
    if (spec.highest >= 1) {
        const Residual r = EncodeLevel(rebuilt, Encode(source, 1536, 1024));
        if (r.tables.size() > kSector) throw std::runtime_error("4Base tables too large");
        const std::size_t stop4 = 389 + Sectors(r.data.size()) - 1;
        b.resize((stop4 + 1) * kSector, 0);
        std::memcpy(&b[388 * kSector], r.tables.data(), r.tables.size());
        std::memcpy(&b[389 * kSector], r.data.data(), r.data.size());
        b[0xE03] = std::uint8_t(stop4 >> 8);
        b[0xE04] = std::uint8_t(stop4);
        pack.end4Base = b.size();
        pack.expected.push_back(ToPicture(rebuilt, spec.rotation));
        if (spec.highest >= 2) {
            const Residual r16 = EncodeLevel(rebuilt, Encode(source, 3072, 2048));
            if (r16.tables.size() > 2 * kSector) throw std::runtime_error("16Base tables too large");
            const std::size_t first = stop4 + 14;
            const std::size_t stop16 = first + Sectors(r16.data.size()) - 1;
            b.resize((stop16 + 1) * kSector, 0);
            std::memcpy(&b[(stop4 + 12) * kSector], r16.tables.data(), r16.tables.size());
            std::memcpy(&b[first * kSector], r16.data.data(), r16.data.size());
            b[0xE05] = std::uint8_t(stop16 >> 8);
            b[0xE06] = std::uint8_t(stop16);
            pack.end16Base = b.size();
            pack.expected.push_back(ToPicture(rebuilt, spec.rotation));
        }
    }
    return pack;
}

} // namespace pcdgen
