#include "core/editing/make_dib.h"

#include <climits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace core::editing {

std::vector<Rgbq> StandardPalette(int bits) {
    std::vector<Rgbq> p;
    auto add = [&](int r, int g, int b) {
        p.push_back(Rgbq{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                         static_cast<std::uint8_t>(r), 0});
    };
    if (bits == 1) {
        add(0, 0, 0);
        add(255, 255, 255);
    } else if (bits == 4) {
        static constexpr int kVga[16][3] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& c : kVga)
            add(c[0], c[1], c[2]);
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    add(r * 51, g * 51, b * 51);
        // 40 grays between the cube's own
        for (int i = 0; i < 40; ++i) {
            const int v = (i + 1) * 255 / 41;
            add(v, v, v);
        }
    }
    return p;
}

namespace {

int Nearest(const std::vector<Rgbq>& pal, std::uint32_t rgb) {
    const int r = static_cast<int>((rgb >> 16) & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
              b = static_cast<int>(rgb & 0xFF);
    int best = 0, bestD = INT_MAX;
    for (std::size_t i = 0; i < pal.size(); ++i) {
        const int dr = r - pal[i].red, dg = g - pal[i].green, db = b - pal[i].blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void PutIndex(Bitmap& bm, int x, int y, int index) {
    std::uint8_t* r = bm.row(y);
    switch (bm.bits()) {
    case 8:
        r[x] = static_cast<std::uint8_t>(index);
        break;
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        r[x / 2] =
            static_cast<std::uint8_t>((r[x / 2] & ~(0xF << shift)) | ((index & 0xF) << shift));
        break;
    }
    case 1: {
        const int bit = 7 - (x & 7);
        r[x / 8] = static_cast<std::uint8_t>((r[x / 8] & ~(1 << bit)) | ((index & 1) << bit));
        break;
    }
    }
}

// The picture's colours in order of first appearance, or none when there are
// more than `limit`.
std::optional<std::vector<Rgbq>> DistinctColours(const Bitmap& picture, std::size_t limit) {
    std::vector<Rgbq> colours;
    std::unordered_set<std::uint32_t> seen;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t c = picture.rgb(x, y);
            if (!seen.insert(c).second) continue;
            if (colours.size() == limit) return std::nullopt;
            colours.push_back(Rgbq{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                   static_cast<std::uint8_t>(c >> 16), 0});
        }
    return colours;
}

} // namespace

Status ConvertToDib(Bitmap& picture, int bits) {
    picture.setDeviceDependent(false);
    if (picture.empty() || picture.bits() == bits) return Ok();
    auto made = Bitmap::Create(picture.width(), picture.height(), bits);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    const int w = picture.width(), h = picture.height();
    if (bits == 24) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* o = out.row(y);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = picture.rgb(x, y);
                o[3 * x] = static_cast<std::uint8_t>(c);
                o[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                o[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
            }
        }
    } else if (picture.bits() < bits) {
        // More room for indices: they and their colours stay.
        out.palette() = picture.palette();
        out.palette().resize(std::size_t{1} << bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                PutIndex(out, x, y, static_cast<int>(picture.pixel(x, y)));
    } else if (auto exact = DistinctColours(picture, std::size_t{1} << bits)) {
        // Few enough colours (a picture that was indexed before): kept exactly.
        std::unordered_map<std::uint32_t, int> index;
        for (std::size_t i = 0; i < exact->size(); ++i) {
            const Rgbq& q = (*exact)[i];
            index.emplace((std::uint32_t{q.red} << 16) | (std::uint32_t{q.green} << 8) | q.blue,
                          static_cast<int>(i));
        }
        out.palette() = *exact;
        out.palette().resize(std::size_t{1} << bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                PutIndex(out, x, y, index.at(picture.rgb(x, y)));
    } else {
        out.palette() = StandardPalette(bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                PutIndex(out, x, y, Nearest(out.palette(), picture.rgb(x, y)));
    }
    picture = std::move(out);
    return Ok();
}

} // namespace core::editing
