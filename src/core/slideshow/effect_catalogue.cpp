#include "core/slideshow/effect_catalogue.h"

#include <algorithm>

namespace core::slideshow {

namespace {

constexpr const char* kSizes[] = {", Tiny",   ", Small", ", Normal",
                                  ", Medium", ", Large", ", X-Large"};
constexpr const char* kDirections[] = {", from Right", ", from Left", ", from Bottom",
                                       ", from Top"};
constexpr const char* kCurtainDirections[] = {", out Vert", ", in Vert", ", out Horz", ", in Horz"};
constexpr const char* kModes[] = {", Scroll, PUSH background", ", Reveal, PULL background",
                                  ", Scroll, Over background", ", Reveal, Over background"};
constexpr const char* kShapes[] = {", Rectangle", ", Rounded Rectangle", ", Circle/Ellipse"};
constexpr int kFirstShape = 4;

class Builder {
  public:
    explicit Builder(EffectCatalogue& c) : c_(c) {}
    void Add(std::string name, int effect, int option, std::uint32_t grain) {
        EffectEntry& e = c_.table[c_.names.size()];
        e.Effect = static_cast<std::uint8_t>(effect);
        e.Option = static_cast<std::uint8_t>(option);
        e.Grain = grain;
        c_.names.push_back(std::move(name));
    }

  private:
    EffectCatalogue& c_;
};

// Size s gives blocks of 2^(s+1) pixels.
std::uint32_t SizeGrain(int s) {
    return 2u << s;
}

} // namespace

EffectCatalogue BuildEffectCatalogue() {
    EffectCatalogue c;
    c.names.reserve(kCatalogueSize);
    Builder b(c);
    b.Add("None", kFxNone, 0, 0);
    b.Add("Randomize ALL", kFxRandomAll, 0, 0);
    b.Add("Random Wipes", kFxRandomWipes, 0, 0);
    b.Add("Random Curtains", kFxRandomCurtains, 0, 0);
    b.Add("Random Tiles + Mosaics", kFxRandomTilesMosaics, 0, 0);
    b.Add("Random Blinds", kFxRandomBlinds, 0, 0);
    b.Add("Random Implodes + Explodes", kFxRandomImplodesExplodes, 0, 0);
    b.Add("Blur Intro", kFxBlurIntro, 1, 1);
    // Wipes vary the direction fastest, curtains the mode.
    for (int m = 0; m < 4; ++m)
        for (int d = 0; d < 4; ++d)
            b.Add(std::string("Wipe") + kModes[m] + kDirections[d], kFxWipeFirst + d, m, 0);
    for (int cd = 0; cd < 4; ++cd)
        for (int m = 0; m < 4; ++m)
            b.Add(std::string("Curtains") + kModes[m] + kCurtainDirections[cd],
                  kFxCurtainFirst + cd, m, 0);
    for (int s = 0; s < 6; ++s)
        for (int d = 0; d < 4; ++d)
            b.Add(std::string("Tile") + kSizes[s] + kDirections[d], kFxTileFirst + d, 0,
                  SizeGrain(s));
    for (int s = 0; s < 6; ++s)
        b.Add(std::string("Mosaic") + kSizes[s], kFxMosaic, 0, SizeGrain(s));
    for (int s = 0; s < 6; ++s)
        for (int m = 0; m < 4; ++m)
            for (int d = 0; d < 4; ++d)
                b.Add(std::string("Blinds") + kSizes[s] + kModes[m] + kDirections[d],
                      kFxBlindsFirst + d, m, SizeGrain(s));
    for (int h = 0; h < 3; ++h)
        b.Add(std::string("Explode") + kShapes[h], kFxExplode, kFirstShape + h, 0);
    for (int h = 0; h < 3; ++h)
        b.Add(std::string("Implode") + kShapes[h], kFxImplode, kFirstShape + h, 0);
    b.Add("Random Horizontal Lines", kFxRandomHLines, 0, 0);
    b.Add("Random Vertical Lines", kFxRandomVLines, 0, 0);
    return c;
}

std::vector<std::uint8_t> DecodeSelection(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSelectionBytes) return {};
    // The count byte is at most 255, so the entries never reach into it.
    const std::size_t count = bytes[kSelectionBytes - 1];
    return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + count);
}

SelectionBytes EncodeSelection(const EffectTable& table) {
    SelectionBytes out{};
    std::size_t count = 0;
    for (int i = 0; i < kEffectTableSize && count < kSelectionBytes - 1; ++i)
        if (table[i].Selected == 1) out[count++] = static_cast<std::uint8_t>(i);
    out[kSelectionBytes - 1] = static_cast<std::uint8_t>(count);
    return out;
}

void MarkSelection(EffectTable& table, const std::vector<std::uint8_t>& entries) {
    for (const std::uint8_t e : entries)
        if (e < kCatalogueSize) table[e].Selected = 1;
}

std::vector<bool> ReadMarks(const EffectTable& table, std::size_t items) {
    std::vector<bool> marks(std::min<std::size_t>(items, table.size()));
    for (std::size_t i = 0; i < marks.size(); ++i)
        marks[i] = table[i].Selected == 1;
    return marks;
}

void WriteMarks(EffectTable& table, const std::vector<bool>& marks) {
    for (std::size_t i = 0; i < marks.size() && i < table.size(); ++i)
        table[i].Selected = marks[i] ? 1 : 0;
}

void ClearMarks(std::vector<bool>& marks) {
    marks.assign(marks.size(), false);
    if (!marks.empty()) marks[0] = true;
}

} // namespace core::slideshow
