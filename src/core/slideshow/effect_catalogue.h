// The transition effects a show can use: the 174 named entries of the effect
// table, and the user's selection of them as it is stored (selFX01).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace core::slideshow {

// One entry of the effect table, laid out as the selection dialog and the
// show share it (12 bytes).
struct EffectEntry {
    std::uint8_t Effect = 0;   // effect code; 100..105 stand for random groups
    std::uint8_t Option = 0;   // background mode 0..3, or shape 4..6
    std::uint8_t Pace = 0;     // set by resolution
    std::uint8_t Pause = 0;    // set by resolution; 255 = no pacing callback
    std::uint8_t Selected = 0; // 1 = chosen in the selection dialog
    std::uint8_t reserved[3] = {0, 0, 0};
    std::uint32_t Grain = 0; // size parameter; after resolution often two 16-bit halves

    bool operator==(const EffectEntry&) const = default;
};
static_assert(sizeof(EffectEntry) == 12);

// Effect codes.
enum EffectCode : int {
    kFxNone = 0,
    kFxWipeFirst = 1,    // 1..4 wipe from Right, Left, Bottom, Top
    kFxCurtainFirst = 5, // 5..8 curtains out Vert, in Vert, out Horz, in Horz
    kFxMosaic = 9,
    kFxTileFirst = 10, // 10..13 tiles from Right, Left, Bottom, Top
    kFxBlurIntro = 14,
    kFxImplode = 16,
    kFxExplode = 17,
    kFxBlindsFirst = 18, // 18..21 blinds from Right, Left, Bottom, Top
    kFxRandomHLines = 32,
    kFxRandomVLines = 33,
    kFxRandomAll = 100,
    kFxRandomWipes = 101,
    kFxRandomCurtains = 102,
    kFxRandomTilesMosaics = 103,
    kFxRandomBlinds = 104,
    kFxRandomImplodesExplodes = 105,
};

constexpr int kEffectTableSize = 256;
constexpr int kCatalogueSize = 174; // entries 0..173 are named
constexpr int kEntryNone = 0;
constexpr int kEntryRandomAll = 1;

using EffectTable = std::array<EffectEntry, kEffectTableSize>;

struct EffectCatalogue {
    std::vector<std::string> names; // kCatalogueSize names, list order
    EffectTable table{};            // zero beyond the named entries
};

// Builds the catalogue afresh (every Selected mark cleared).
EffectCatalogue BuildEffectCatalogue();

// The stored selection: bytes 0..254 entry numbers in ascending order,
// byte 255 how many are valid.
constexpr std::size_t kSelectionBytes = 256;
using SelectionBytes = std::array<std::uint8_t, kSelectionBytes>;

// The entries a stored selection lists, in stored order. A missing value
// (no bytes), or one of another length (edited by hand), is an empty selection.
std::vector<std::uint8_t> DecodeSelection(std::span<const std::uint8_t> stored);

// The bytes to store for the table's Selected marks, entries in ascending order.
SelectionBytes EncodeSelection(const EffectTable& table);

// Sets Selected := 1 for each listed entry that the catalogue names (the
// selection dialog shows no others, so it could never clear them).
void MarkSelection(EffectTable& table, const std::vector<std::uint8_t>& entries);

// The selection dialog's list marks: item i is entry i.
std::vector<bool> ReadMarks(const EffectTable& table, std::size_t items);
// Writes the marks back; entries without an item keep theirs.
void WriteMarks(EffectTable& table, const std::vector<bool>& marks);
// "Clear": nothing selected but item 0 ("None").
void ClearMarks(std::vector<bool>& marks);

} // namespace core::slideshow
