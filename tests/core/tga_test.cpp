// TGA reading and the small gray TGA reader: files of other encoders against
// their PPM/PGM twins, hand-made files for what those encoders do not write,
// and malformed input.
#include "core/common/memory.h"
#include "core/imageman/document.h"
#include "core/input/gray_tga.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using core::Bitmap;
using core::DecodeOptions;
using core::Rgbq;
using core::imageman::Bytes;
using core::imageman::DocumentPtr;
using core::imageman::OpenTgaDocument;
using testsupport::Fixture;
using testsupport::FixtureBytes;
using testsupport::PutLE16;
using testsupport::SetLE16;

core::Result<Bitmap> DecodeTga(Bytes file, const DecodeOptions& options = {}) {
    return testsupport::DecodePage(OpenTgaDocument(std::move(file)), 0, options);
}

// ---- A small TGA writer for what other encoders do not write ----

struct TgaFile {
    int type = 2;
    int pixelBits = 24;
    int width = 0, height = 0;
    std::uint8_t descriptor = 0;
    std::string id;
    int mapFirst = 0, mapLength = 0, mapEntryBits = 24;
    std::vector<std::uint8_t> map;    // the entries as stored
    std::vector<std::uint8_t> pixels; // in file order, as stored before coding
    std::vector<std::uint8_t> coded;  // when set: the pixel data as is
};

// Run-length packets over the whole stream, so that packets cross rows.
void EncodeRle(const std::vector<std::uint8_t>& px, std::size_t size, Bytes& out) {
    const std::size_t n = px.size() / size;
    auto same = [&](std::size_t a, std::size_t b) {
        return std::equal(px.begin() + a * size, px.begin() + (a + 1) * size,
                          px.begin() + b * size);
    };
    for (std::size_t i = 0; i < n;) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && same(i, i + run))
            ++run;
        if (run > 1) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), px.begin() + i * size, px.begin() + (i + 1) * size);
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < n && raw < 128 && !(i + raw + 1 < n && same(i + raw, i + raw + 1)))
            ++raw;
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        out.insert(out.end(), px.begin() + i * size, px.begin() + (i + raw) * size);
        i += raw;
    }
}

Bytes WriteTga(const TgaFile& f) {
    Bytes out(18, 0);
    out[0] = static_cast<std::uint8_t>(f.id.size());
    out[1] = f.mapLength > 0 ? 1 : 0;
    out[2] = static_cast<std::uint8_t>(f.type);
    SetLE16(out, 3, f.mapFirst);
    SetLE16(out, 5, f.mapLength);
    out[7] = f.mapLength > 0 ? static_cast<std::uint8_t>(f.mapEntryBits) : 0;
    SetLE16(out, 12, f.width);
    SetLE16(out, 14, f.height);
    out[16] = static_cast<std::uint8_t>(f.pixelBits);
    out[17] = f.descriptor;
    for (char c : f.id)
        out.push_back(static_cast<std::uint8_t>(c));
    out.insert(out.end(), f.map.begin(), f.map.end());
    if (!f.coded.empty())
        out.insert(out.end(), f.coded.begin(), f.coded.end());
    else if (f.type >= 9)
        EncodeRle(f.pixels, static_cast<std::size_t>(f.pixelBits + 7) / 8, out);
    else
        out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

// ---- Files of other encoders ----

struct FixtureCase {
    const char* file;
    const char* reference;
    int factBits, pictureBits;
    const char* description;
    int tolerance;
};

class TgaFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(TgaFixture, DecodesLikeItsReference) {
    const FixtureCase& c = GetParam();
    auto doc = OpenTgaDocument(FixtureBytes(c.file));
    ASSERT_NO_FATAL_FAILURE(testsupport::ExpectOnePage(doc, 61, 37, c.factBits, 1, c.description));
    auto picture = doc.value()->decode(0, {});
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->bits(), c.pictureBits);
    testsupport::ExpectLikeReference(*picture, Fixture(c.reference), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    OtherEncoders, TgaFixture,
    testing::Values(
        FixtureCase{"tga_2.tga", "tga_base.ppm", 24, 24, "TGA type 2 24-bit", 0},
        FixtureCase{"tga_10.tga", "tga_base.ppm", 24, 24, "TGA type 10 24-bit RLE", 0},
        FixtureCase{"tga_2_top.tga", "tga_base.ppm", 24, 24, "TGA type 2 24-bit", 0},
        FixtureCase{"tga_10_top.tga", "tga_base.ppm", 24, 24, "TGA type 10 24-bit RLE", 0},
        FixtureCase{"tga_10_netpbm.tga", "tga_base.ppm", 24, 24, "TGA type 10 24-bit RLE", 0},
        FixtureCase{"tga_3.tga", "tga_gray.pgm", 8, 8, "TGA type 3 8-bit", 0},
        FixtureCase{"tga_11.tga", "tga_gray.pgm", 8, 8, "TGA type 11 8-bit RLE", 0},
        FixtureCase{"tga_3_top.tga", "tga_gray.pgm", 8, 8, "TGA type 3 8-bit", 0},
        FixtureCase{"tga_11_id.tga", "tga_gray.pgm", 8, 8, "TGA type 11 8-bit RLE", 0},
        FixtureCase{"tga_1.tga", "tga_200.ppm", 8, 8, "TGA type 1 8-bit", 0},
        FixtureCase{"tga_9.tga", "tga_200.ppm", 8, 8, "TGA type 9 8-bit RLE", 0},
        FixtureCase{"tga_1_id.tga", "tga_16.ppm", 8, 8, "TGA type 1 8-bit", 0},
        // netpbm widens 5-bit values by rounding v × 255 / 31, one step off (v << 3 | v >> 2) for a
        // few.
        FixtureCase{"tga_9_map15.tga", "tga_9_map15.ppm", 8, 8, "TGA type 9 8-bit RLE", 1},
        // ImageMagick rounds its own blend; one step apart at most.
        FixtureCase{"tga_32.tga", "tga_32_white.ppm", 32, 24, "TGA type 2 32-bit", 1}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(TgaRead, AlphaOverTheGivenBackground) {
    DecodeOptions options;
    options.background = 0x000000;
    auto picture = DecodeTga(FixtureBytes("tga_32.tga"), options);
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_LE(
        testsupport::MaxChannelDiff(*picture, testsupport::ReadPnm(Fixture("tga_32_black.ppm"))),
        1);
}

// ---- Hand-made files ----

TEST(TgaRead, OriginAndDirectionFlags) {
    // A 3 × 2 picture stored as pixels 0..5 in file order (blue = number).
    TgaFile f;
    f.width = 3;
    f.height = 2;
    for (int i = 0; i < 6; ++i)
        f.pixels.insert(f.pixels.end(), {std::uint8_t(i), 0, 0});
    struct Case {
        std::uint8_t descriptor;
        int top[3], bottom[3];
    };
    const Case cases[] = {
        {0x00, {3, 4, 5}, {0, 1, 2}}, // bottom-left: the first stored row is the bottom one
        {0x20, {0, 1, 2}, {3, 4, 5}}, // top-left
        {0x10, {5, 4, 3}, {2, 1, 0}}, // bottom-right
        {0x30, {2, 1, 0}, {5, 4, 3}}, // top-right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.descriptor});
        for (int type : {2, 10}) {
            f.type = type;
            f.descriptor = c.descriptor;
            auto picture = DecodeTga(WriteTga(f));
            ASSERT_TRUE(picture) << picture.message();
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(picture->pixel(x, 0), std::uint32_t(c.top[x]));
                EXPECT_EQ(picture->pixel(x, 1), std::uint32_t(c.bottom[x]));
            }
        }
    }
}

TEST(TgaRead, ColourMapWithFirstIndexAndStrayIndexes) {
    // Entries 2..4 in 16-bit form; indexes below or past the map are black.
    TgaFile f;
    f.type = 1;
    f.pixelBits = 8;
    f.width = 6;
    f.height = 1;
    f.descriptor = 0x20;
    f.mapFirst = 2;
    f.mapLength = 3;
    f.mapEntryBits = 16;
    PutLE16(f.map, 31 << 10);      // red
    PutLE16(f.map, (1 << 5) | 16); // green 1, blue 16
    PutLE16(f.map, 0x7FFF);        // white
    f.pixels = {2, 3, 4, 0, 5, 255};
    for (int type : {1, 9}) {
        f.type = type;
        auto picture = DecodeTga(WriteTga(f));
        ASSERT_TRUE(picture) << picture.message();
        ASSERT_EQ(picture->bits(), 8);
        EXPECT_EQ(picture->rgb(0, 0), 0xFF0000u);
        EXPECT_EQ(picture->rgb(1, 0), 0x000884u) << "5 bits widened as v << 3 | v >> 2";
        EXPECT_EQ(picture->rgb(2, 0), 0xFFFFFFu);
        EXPECT_EQ(picture->rgb(3, 0), 0u);
        EXPECT_EQ(picture->rgb(4, 0), 0u);
        EXPECT_EQ(picture->rgb(5, 0), 0u);
        EXPECT_EQ(picture->pixel(4, 0), 5u) << "the index is kept";
    }
}

TEST(TgaRead, SixteenBitIndexesGiveTrueColour) {
    TgaFile f;
    f.type = 1;
    f.pixelBits = 16;
    f.width = 4;
    f.height = 1;
    f.descriptor = 0x20;
    f.mapFirst = 300;
    f.mapLength = 2;
    f.map = {0x10, 0x20, 0x30, 0xAA, 0xBB, 0xCC};
    for (unsigned index : {300u, 301u, 5u, 65535u})
        PutLE16(f.pixels, index);
    auto doc = OpenTgaDocument(WriteTga(f));
    ASSERT_TRUE(doc) << doc.message();
    EXPECT_EQ(doc.value()->facts(0)->bits, 16);
    auto picture = doc.value()->decode(0, {});
    ASSERT_TRUE(picture) << picture.message();
    ASSERT_EQ(picture->bits(), 24);
    EXPECT_EQ(picture->rgb(0, 0), 0x302010u);
    EXPECT_EQ(picture->rgb(1, 0), 0xCCBBAAu);
    EXPECT_EQ(picture->rgb(2, 0), 0u);
    EXPECT_EQ(picture->rgb(3, 0), 0u);
}

TEST(TgaRead, FifteenAndSixteenBitPixels) {
    TgaFile f;
    f.width = 3;
    f.height = 1;
    f.descriptor = 0x20;
    PutLE16(f.pixels, (31 << 10) | (1 << 5) | 16); // attribute bit clear
    PutLE16(f.pixels, 0x8000 | (3 << 10) | (7 << 5) | 24);
    PutLE16(f.pixels, 0x8000 | 0x7FFF);
    const std::uint32_t colours[] = {0xFF0884u, 0x1839C6u, 0xFFFFFFu};
    for (int bits : {15, 16}) {
        SCOPED_TRACE(bits);
        f.pixelBits = bits;
        f.descriptor = 0x20; // no attribute bits: the top bit is no alpha
        auto picture = DecodeTga(WriteTga(f));
        ASSERT_TRUE(picture) << picture.message();
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(picture->rgb(x, 0), colours[x]) << x;
    }
    // One attribute bit: clear means transparent, so the background shows.
    f.pixelBits = 16;
    f.descriptor = 0x21;
    DecodeOptions options;
    options.background = 0x123456;
    auto picture = DecodeTga(WriteTga(f), options);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(0, 0), 0x123456u);
    EXPECT_EQ(picture->rgb(1, 0), colours[1]);
    // ... unless no pixel has it set: then the writer did not use it.
    f.pixels.clear();
    for (unsigned v : {0x7C00u, 0x001Fu, 0x0000u})
        PutLE16(f.pixels, v);
    picture = DecodeTga(WriteTga(f), options);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(picture->rgb(1, 0), 0x0000FFu);
    EXPECT_EQ(picture->rgb(2, 0), 0x000000u);
}

TEST(TgaRead, ThirtyTwoBitAlphaRules) {
    TgaFile f;
    f.pixelBits = 32;
    f.width = 2;
    f.height = 1;
    f.pixels = {10, 20, 30, 0, 200, 100, 50, 128};
    DecodeOptions options;
    options.background = 0xFF8000; // red 255, green 128, blue 0

    f.descriptor = 0x28; // eight attribute bits
    auto picture = DecodeTga(WriteTga(f), options);
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->rgb(0, 0), 0xFF8000u);
    const std::uint32_t blended = (std::uint32_t{core::BlendOver(50, 128, 255)} << 16) |
                                  (std::uint32_t{core::BlendOver(100, 128, 128)} << 8) |
                                  core::BlendOver(200, 128, 0);
    EXPECT_EQ(picture->rgb(1, 0), blended);

    f.descriptor = 0x20; // no attribute bits: the fourth byte is not alpha
    picture = DecodeTga(WriteTga(f), options);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(0, 0), 0x1E140Au);
    EXPECT_EQ(picture->rgb(1, 0), 0x3264C8u);

    f.descriptor = 0x28; // alpha zero everywhere: opaque
    f.pixels[7] = 0;
    for (int type : {2, 10}) {
        f.type = type;
        picture = DecodeTga(WriteTga(f), options);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->rgb(0, 0), 0x1E140Au);
        EXPECT_EQ(picture->rgb(1, 0), 0x3264C8u);
    }
}

TEST(TgaRead, GrayRlePacketsCrossRows) {
    // 5 × 3, top-left: a run of 7 reaches into row 1, three raw pixels, a run of 5 into row 2.
    TgaFile f;
    f.type = 11;
    f.pixelBits = 8;
    f.width = 5;
    f.height = 3;
    f.descriptor = 0x20;
    f.coded = {0x86, 10, 0x02, 1, 2, 3, 0x84, 200};
    auto picture = DecodeTga(WriteTga(f));
    ASSERT_TRUE(picture) << picture.message();
    ASSERT_EQ(picture->bits(), 8);
    const int want[3][5] = {{10, 10, 10, 10, 10}, {10, 10, 1, 2, 3}, {200, 200, 200, 200, 200}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(picture->pixel(x, y), std::uint32_t(want[y][x]));
    for (int i = 0; i < 256; i += 51)
        EXPECT_EQ(picture->palette()[i],
                  (Rgbq{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0}));
}

TEST(TgaRead, GrayWithAlpha) {
    TgaFile f;
    f.type = 3;
    f.pixelBits = 16;
    f.width = 2;
    f.height = 1;
    f.descriptor = 0x08;
    f.pixels = {100, 255, 100, 0};
    DecodeOptions options;
    options.background = 0x00FF00;
    auto picture = DecodeTga(WriteTga(f), options);
    ASSERT_TRUE(picture) << picture.message();
    ASSERT_EQ(picture->bits(), 24);
    EXPECT_EQ(picture->rgb(0, 0), 0x646464u);
    EXPECT_EQ(picture->rgb(1, 0), 0x00FF00u);
}

TEST(TgaRead, RunPastTheLastRowIsCut) {
    // 3 × 1 truecolour (stride 12) coded as one run of 128 pixels.
    TgaFile f;
    f.type = 10;
    f.width = 3;
    f.height = 1;
    f.coded = {0xFF, 1, 2, 3};
    auto picture = DecodeTga(WriteTga(f));
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->rgb(2, 0), 0x030201u);
    for (int i = 9; i < 12; ++i)
        EXPECT_EQ(picture->row(0)[i], 0) << "padding byte " << i;
}

TEST(TgaRead, ProgressCanStop) {
    DecodeOptions options;
    options.progress = [](int percent) { return percent < 30; };
    auto stopped = DecodeTga(FixtureBytes("tga_10.tga"), options);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.message(), "Decoding stopped.");
}

// ---- The gray TGA reader ----

TEST(GrayTga, ReadsBothOriginsAndSkipsTheImageId) {
    const auto ref = testsupport::ReadPnm(Fixture("tga_gray.pgm"));
    for (const char* name : {"tga_3.tga", "tga_3_top.tga"}) {
        auto picture = core::ReadGrayTGA(FixtureBytes(name));
        ASSERT_TRUE(picture) << name << ": " << picture.message();
        ASSERT_EQ(picture->bits(), 8);
        EXPECT_EQ(testsupport::MaxChannelDiff(*picture, ref), 0) << name;
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(picture->palette()[i],
                      (Rgbq{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0}));
    }
    TgaFile f;
    f.type = 3;
    f.pixelBits = 8;
    f.width = 2;
    f.height = 2;
    f.id = "a picture id";
    f.pixels = {1, 2, 3, 4};
    auto picture = core::ReadGrayTGA(WriteTga(f));
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->pixel(0, 0), 3u);
    EXPECT_EQ(picture->pixel(1, 1), 2u);
}

TEST(GrayTga, RefusesWhatItCannotRead) {
    Bytes whole = FixtureBytes("tga_3.tga");
    whole.resize(whole.size() - 1);
    auto shortFile = core::ReadGrayTGA(whole);
    ASSERT_FALSE(shortFile);
    EXPECT_NE(shortFile.message().find("too short"), std::string::npos) << shortFile.message();

    auto tiny = core::ReadGrayTGA(Bytes(17, 0));
    ASSERT_FALSE(tiny);
    EXPECT_EQ(tiny.message(), "error reading TGA header");

    for (const char* other : {"tga_11.tga", "tga_2.tga", "tga_1.tga"}) {
        auto result = core::ReadGrayTGA(FixtureBytes(other));
        EXPECT_FALSE(result) << other;
    }
}

TEST(GrayTga, ImageTypeProbe) {
    auto type = core::ReadTgaImageType(FixtureBytes("tga_11.tga"));
    ASSERT_TRUE(type);
    EXPECT_EQ(type.value(), 11);
    Bytes header(18, 0);
    header[2] = 3;
    EXPECT_EQ(core::ReadTgaImageType(header).value(), 3);
    for (std::size_t n : {0u, 1u, 3u, 17u}) {
        auto shortType = core::ReadTgaImageType(Bytes(n, 3));
        ASSERT_FALSE(shortType);
        EXPECT_EQ(shortType.message(), "error reading TGA header");
    }
}

// ---- Malformed input ----

TEST(TgaMalformed, HeadersAreRefusedWithAMessage) {
    TgaFile good;
    good.type = 1;
    good.pixelBits = 8;
    good.width = 2;
    good.height = 2;
    good.mapLength = 2;
    good.map = {1, 2, 3, 4, 5, 6};
    good.pixels = {0, 1, 1, 0};
    testsupport::ExpectChangesRefused(
        WriteTga(good), [](Bytes b) { return DecodeTga(std::move(b)); },
        {
            {"empty", [](Bytes& b) { b.clear(); }},
            {"short header", [](Bytes& b) { b.resize(17); }},
            {"type 0", [](Bytes& b) { b[2] = 0; }},
            {"type 4", [](Bytes& b) { b[2] = 4; }},
            {"type 32", [](Bytes& b) { b[2] = 32; }},
            {"map type", [](Bytes& b) { b[1] = 2; }},
            {"no map", [](Bytes& b) { b[1] = 0; }},
            {"map entry size", [](Bytes& b) { b[7] = 8; }},
            {"map past the end", [](Bytes& b) { b[5] = 0xFF, b[6] = 0xFF; }},
            {"image id past the end", [](Bytes& b) { b[0] = 0xFF; }},
            {"zero width", [](Bytes& b) { b[12] = 0; }},
            {"zero height", [](Bytes& b) { b[14] = 0; }},
            {"pixel depth", [](Bytes& b) { b[16] = 24; }},
            {"pixels cut", [](Bytes& b) { b.pop_back(); }},
        });
}

TEST(TgaMalformed, AbsurdSizeIsRefusedBeforeAllocating) {
    bool guardAsked = false;
    core::SetFreeMemoryProvider([&] {
        guardAsked = true;
        return std::uint64_t{1} << 40;
    });
    for (int type : {2, 10}) {
        TgaFile f;
        f.type = type;
        f.width = 65535;
        f.height = 65535;
        f.coded.assign(4096, 0xFF);
        auto result = DecodeTga(WriteTga(f));
        ASSERT_FALSE(result);
        EXPECT_NE(result.message().find("65535x65535"), std::string::npos) << result.message();
    }
    core::SetFreeMemoryProvider({});
    EXPECT_FALSE(guardAsked);
}

TEST(TgaMalformed, MemoryGuardIsAskedFirst) {
    core::SetFreeMemoryProvider([] { return std::uint64_t{1000}; });
    auto result = DecodeTga(FixtureBytes("tga_32.tga"));
    auto gray = core::ReadGrayTGA(FixtureBytes("tga_3.tga"));
    core::SetFreeMemoryProvider({});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.message(), "Insufficient memory.");
    ASSERT_FALSE(gray);
    EXPECT_EQ(gray.message(), "Insufficient memory.");
}

TEST(TgaMalformed, TruncatedAtEveryLength) {
    for (const char* name : {"tga_10.tga", "tga_9.tga", "tga_11_id.tga", "tga_2_top.tga"}) {
        const Bytes whole = FixtureBytes(name);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const Bytes cut(whole.begin(), whole.begin() + n);
            auto result = DecodeTga(cut);
            ASSERT_FALSE(result) << name << " cut to " << n;
            ASSERT_FALSE(result.message().empty());
            if (n % 97 == 0) {
                ASSERT_FALSE(core::ReadGrayTGA(cut));
            }
        }
    }
}

TEST(TgaMalformed, RandomBytesAndMutations) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 300; ++i) {
        Bytes junk(static_cast<std::size_t>(rng() % 2000));
        for (auto& b : junk)
            b = static_cast<std::uint8_t>(byte(rng));
        if (junk.size() > 17) junk[2] = static_cast<std::uint8_t>((i % 2 ? 8 : 0) + 1 + i % 3);
        (void)DecodeTga(junk);
        (void)core::ReadGrayTGA(junk);
    }
    for (const char* name : {"tga_9.tga", "tga_10.tga", "tga_11.tga"}) {
        const Bytes base = FixtureBytes(name);
        for (int i = 0; i < 500; ++i) {
            Bytes b = base;
            const int changes = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < changes; ++k)
                b[rng() % (i % 3 == 0 ? 18 : b.size())] = static_cast<std::uint8_t>(byte(rng));
            auto result = DecodeTga(b);
            if (result) {
                ASSERT_FALSE(result->empty());
            }
        }
    }
}

} // namespace
