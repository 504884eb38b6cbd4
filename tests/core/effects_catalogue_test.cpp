// The effect catalogue and the stored selection.
#include "core/slideshow/effect_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fx = core::slideshow;

namespace {

struct Expected {
    std::string name;
    int effect, option;
    unsigned grain;
};

// Each entry from its number alone, by the catalogue's nesting (wipes vary the
// direction fastest, curtains the mode, blinds direction within mode within size).
Expected ExpectedEntry(int e) {
    const std::vector<std::string> sizes = {", Tiny",   ", Small", ", Normal",
                                            ", Medium", ", Large", ", X-Large"};
    const std::vector<std::string> dirs = {", from Right", ", from Left", ", from Bottom",
                                           ", from Top"};
    const std::vector<std::string> cdirs = {", out Vert", ", in Vert", ", out Horz", ", in Horz"};
    const std::vector<std::string> modes = {
        ", Scroll, PUSH background", ", Reveal, PULL background", ", Scroll, Over background",
        ", Reveal, Over background"};
    const std::vector<std::string> shapes = {", Rectangle", ", Rounded Rectangle",
                                             ", Circle/Ellipse"};
    const std::vector<Expected> head = {{"None", 0, 0, 0},
                                        {"Randomize ALL", 100, 0, 0},
                                        {"Random Wipes", 101, 0, 0},
                                        {"Random Curtains", 102, 0, 0},
                                        {"Random Tiles + Mosaics", 103, 0, 0},
                                        {"Random Blinds", 104, 0, 0},
                                        {"Random Implodes + Explodes", 105, 0, 0},
                                        {"Blur Intro", 14, 1, 1}};
    if (e < 8) return head[e];
    if (e < 24) {
        const int m = (e - 8) / 4, d = (e - 8) % 4;
        return {"Wipe" + modes[m] + dirs[d], d + 1, m, 0};
    }
    if (e < 40) {
        const int c = (e - 24) / 4, m = (e - 24) % 4;
        return {"Curtains" + modes[m] + cdirs[c], c + 5, m, 0};
    }
    if (e < 64) {
        const int s = (e - 40) / 4, d = (e - 40) % 4;
        return {"Tile" + sizes[s] + dirs[d], d + 10, 0, 1u << (s + 1)};
    }
    if (e < 70) return {"Mosaic" + sizes[e - 64], 9, 0, 1u << (e - 64 + 1)};
    if (e < 166) {
        const int s = (e - 70) / 16, m = (e - 70) % 16 / 4, d = (e - 70) % 4;
        return {"Blinds" + sizes[s] + modes[m] + dirs[d], d + 18, m, 1u << (s + 1)};
    }
    if (e < 169) return {"Explode" + shapes[e - 166], 17, e - 166 + 4, 0};
    if (e < 172) return {"Implode" + shapes[e - 169], 16, e - 169 + 4, 0};
    if (e == 172) return {"Random Horizontal Lines", 32, 0, 0};
    return {"Random Vertical Lines", 33, 0, 0};
}

std::vector<std::uint8_t> Stored(const fx::SelectionBytes& b) {
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

} // namespace

TEST(EffectCatalogue, EveryEntryHasItsNameAndFields) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    ASSERT_EQ(c.names.size(), 174u);
    for (int e = 0; e < 174; ++e) {
        const Expected x = ExpectedEntry(e);
        SCOPED_TRACE(e);
        EXPECT_EQ(c.names[e], x.name);
        EXPECT_EQ(c.table[e].Effect, x.effect);
        EXPECT_EQ(c.table[e].Option, x.option);
        EXPECT_EQ(c.table[e].Grain, x.grain);
        EXPECT_EQ(c.table[e].Pace, 0);
        EXPECT_EQ(c.table[e].Pause, 0);
        EXPECT_EQ(c.table[e].Selected, 0);
    }
    for (int e = 174; e < 256; ++e)
        EXPECT_EQ(c.table[e], fx::EffectEntry{}) << e;
}

TEST(EffectCatalogue, NamesAsTheUserReadsThem) {
    const fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    EXPECT_EQ(c.names[8], "Wipe, Scroll, PUSH background, from Right");
    EXPECT_EQ(c.names[19], "Wipe, Scroll, Over background, from Top");
    EXPECT_EQ(c.names[24], "Curtains, Scroll, PUSH background, out Vert");
    EXPECT_EQ(c.names[25], "Curtains, Reveal, PULL background, out Vert");
    EXPECT_EQ(c.names[40], "Tile, Tiny, from Right");
    EXPECT_EQ(c.names[69], "Mosaic, X-Large");
    EXPECT_EQ(c.names[70], "Blinds, Tiny, Scroll, PUSH background, from Right");
    EXPECT_EQ(c.names[165], "Blinds, X-Large, Reveal, Over background, from Top");
    EXPECT_EQ(c.names[168], "Explode, Circle/Ellipse");
    EXPECT_EQ(c.names[171], "Implode, Circle/Ellipse");
    EXPECT_EQ(c.table[69].Grain, 64u);
    EXPECT_EQ(c.table[19].Effect, 4);
    EXPECT_EQ(c.table[19].Option, 2);
}

TEST(EffectSelection, StoredBytesListEntriesAscendingWithTheirCount) {
    fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    for (int e : {173, 70, 8, 0})
        c.table[e].Selected = 1;
    const fx::SelectionBytes b = fx::EncodeSelection(c.table);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 8);
    EXPECT_EQ(b[2], 70);
    EXPECT_EQ(b[3], 173);
    EXPECT_EQ(b[255], 4);
    for (int i = 4; i < 255; ++i)
        EXPECT_EQ(b[i], 0) << i;
    const std::vector<std::uint8_t> stored = Stored(b);
    EXPECT_EQ(fx::DecodeSelection(stored), (std::vector<std::uint8_t>{0, 8, 70, 173}));

    // Everything selected still fits, the count in the last byte.
    fx::EffectCatalogue all = fx::BuildEffectCatalogue();
    for (int e = 0; e < 174; ++e)
        all.table[e].Selected = 1;
    const auto full = fx::DecodeSelection(Stored(fx::EncodeSelection(all.table)));
    ASSERT_EQ(full.size(), 174u);
    EXPECT_EQ(full.back(), 173);
}

TEST(EffectSelection, MissingOrMisSizedValuesAreEmpty) {
    EXPECT_TRUE(fx::DecodeSelection({}).empty()); // missing
    std::vector<std::uint8_t> bytes(256, 0);
    EXPECT_TRUE(fx::DecodeSelection(bytes).empty()); // count 0
    // A value edited by hand to another length would be read past its end.
    for (std::size_t n : {0u, 1u, 255u, 257u, 1000u}) {
        std::vector<std::uint8_t> odd(n, 7);
        EXPECT_TRUE(fx::DecodeSelection(odd).empty()) << n;
    }
    // The bytes after the count carry no meaning; a count of 255 is legal.
    bytes[0] = 5;
    bytes[1] = 9;
    bytes[2] = 99;
    bytes[255] = 2;
    EXPECT_EQ(fx::DecodeSelection(bytes), (std::vector<std::uint8_t>{5, 9}));
    bytes[255] = 255;
    EXPECT_EQ(fx::DecodeSelection(bytes).size(), 255u);
}

TEST(EffectSelection, TheDialogsMarksAndClear) {
    fx::EffectCatalogue c = fx::BuildEffectCatalogue();
    // Loading marks the listed entries; one beyond the catalogue is not shown
    // and is not kept.
    fx::MarkSelection(c.table, {3, 40, 200});
    EXPECT_EQ(c.table[3].Selected, 1);
    EXPECT_EQ(c.table[40].Selected, 1);
    EXPECT_EQ(c.table[200].Selected, 0);

    std::vector<bool> marks = fx::ReadMarks(c.table, c.names.size());
    ASSERT_EQ(marks.size(), 174u);
    EXPECT_TRUE(marks[3]);
    EXPECT_TRUE(marks[40]);
    fx::ClearMarks(marks);
    fx::WriteMarks(c.table, marks);
    const auto saved = fx::DecodeSelection(Stored(fx::EncodeSelection(c.table)));
    EXPECT_EQ(saved, std::vector<std::uint8_t>{0});

    // A shorter list touches only the entries it has items for.
    fx::EffectCatalogue d = fx::BuildEffectCatalogue();
    fx::MarkSelection(d.table, {2, 100});
    fx::WriteMarks(d.table, std::vector<bool>(10, false));
    EXPECT_EQ(d.table[2].Selected, 0);
    EXPECT_EQ(d.table[100].Selected, 1);
}
