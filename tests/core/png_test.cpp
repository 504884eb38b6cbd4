// The PNG reader against files written by ImageMagick and netpbm, the PNG
// writer by round trips and by netpbm reading what it wrote, and both on
// damaged input.
#include "core/common/dib.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

using namespace core;
using namespace core::imagelib;
using testsupport::Fixture;

namespace {

std::filesystem::path Png(const std::string& name) {
    return Fixture("png/" + name);
}

std::vector<std::uint8_t> Bytes(const std::filesystem::path& p) {
    return testsupport::ReadBytes(p);
}

std::uint32_t Crc(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A PNG made of a signature and one IHDR chunk, with a valid CRC.
std::vector<std::uint8_t> HeaderOnly(std::uint32_t w, std::uint32_t h, int depth, int type) {
    std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    testsupport::PutBE32(b, 13);
    const std::size_t start = b.size();
    for (char c : std::string("IHDR"))
        b.push_back(static_cast<std::uint8_t>(c));
    testsupport::PutBE32(b, w);
    testsupport::PutBE32(b, h);
    b.insert(b.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(type), 0, 0, 0});
    testsupport::PutBE32(b, Crc(b.data() + start, b.size() - start));
    return b;
}

} // namespace

// Every colour type and depth against netpbm's reading (flattened over white).
// 16-bit and alpha files may differ by 1: the reference blends and rounds in
// its own arithmetic; ours rounds 16-bit samples once as round(v / 257).
TEST(PngDecode, MatchesIndependentDecoder) {
    const struct {
        const char* name;
        int bits, maxDiff;
    } cases[] = {
        {"gray1", 1, 0},
        {"gray2", 4, 0},
        {"gray4", 4, 0},
        {"gray8", 8, 0},
        {"gray16", 24, 1},
        {"rgb8", 24, 0},
        {"rgb16", 24, 1},
        {"rgb8_interlaced", 24, 0},
        {"rgb16_interlaced", 24, 1},
        {"pal1", 1, 0},
        {"pal2", 4, 0},
        {"pal4", 4, 0},
        {"pal8", 8, 0},
        {"pal8_interlaced", 8, 0},
        {"pal4_interlaced", 4, 0},
        {"graya8", 24, 1},
        {"graya16", 24, 1},
        {"rgba8", 24, 1},
        {"rgba16", 24, 1},
        {"rgba8_interlaced", 24, 1},
        {"gray8_trns", 24, 0},
        {"rgb8_trns", 24, 0},
        {"pal8_trns", 24, 0},
    };
    int ran = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = Png(std::string(c.name) + ".png");
        const auto ref = Png(std::string(c.name) + ".ppm");
        if (testsupport::Missing(file) || testsupport::Missing(ref)) continue;
        testsupport::ExpectDecodedAs(DecodePng(Bytes(file), DecodeOptions{}), c.bits, ref,
                                     c.maxDiff);
        ++ran;
    }
    EXPECT_EQ(ran, 23);
}

TEST(PngDecode, TransparencyShowsTheBackground) {
    DecodeOptions options;
    options.background = 0x123456;
    for (const char* name : {"rgb8_trns.png", "gray8_trns.png", "pal8_trns.png"}) {
        ASSERT_TRUE(testsupport::Exists(Png(name)));
        auto pic = DecodePng(Bytes(Png(name)), options);
        ASSERT_TRUE(pic.ok());
        EXPECT_EQ(pic->rgb(3, 3), 0x123456u) << name; // the colour made transparent
    }
    // The alpha gradient runs from opaque (top) to transparent (bottom).
    auto a = DecodePng(Bytes(Png("rgba8.png")), options);
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(a->rgb(0, 22), 0x123456u);
}

// 16-bit samples become round(v / 257), not v >> 8 (which libpng's strip_16 gives).
TEST(PngDecode, SixteenBitRoundsToNearest) {
    const std::uint16_t values[] = {0, 128, 129, 385, 386, 32767, 32768, 65279, 65535};
    const int expected[] = {0, 0, 1, 1, 2, 127, 128, 254, 255};
    const auto dir = testsupport::TempDir("png16");
    std::vector<std::uint8_t> pgm;
    const std::string head = "P5 9 1 65535\n";
    pgm.assign(head.begin(), head.end());
    for (auto v : values)
        pgm.insert(pgm.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    testsupport::WriteBytes(dir / "g.pgm", pgm);
    ASSERT_TRUE(testsupport::HaveTool("pnmtopng"));
    ASSERT_EQ(testsupport::Run("pnmtopng " + (dir / "g.pgm").string() + " > " +
                               (dir / "g.png").string() + " 2>/dev/null"),
              0);
    auto pic = DecodePng(Bytes(dir / "g.png"), {});
    ASSERT_TRUE(pic.ok()) << pic.message();
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(pic->rgb(x, 0), 0x010101u * static_cast<unsigned>(expected[x])) << values[x];
}

TEST(PngDecode, ProgressAndStop) {
    for (const char* name : {"rgb8.png", "rgb8_interlaced.png"}) {
        ASSERT_TRUE(testsupport::Exists(Png(name)));
        const auto bytes = Bytes(Png(name));
        std::vector<int> seen;
        DecodeOptions options;
        options.progress = [&](int pct) {
            seen.push_back(pct);
            return true;
        };
        ASSERT_TRUE(DecodePng(bytes, options).ok());
        EXPECT_EQ(seen.back(), 100);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        options.progress = [](int pct) { return pct < 50; };
        auto stopped = DecodePng(bytes, options);
        ASSERT_FALSE(stopped.ok());
        EXPECT_EQ(stopped.message(), "Stopped.");
    }
}

TEST(PngDecode, DamagedInputFailsCleanly) {
    EXPECT_FALSE(DecodePng({}, {}).ok());
    EXPECT_FALSE(imageman::OpenPngDocument({}).ok());
    // Sizes refused before any allocation: over libpng's limit, and over ours.
    for (auto [w, h] : {std::pair{0x7FFFFFFFu, 1u}, std::pair{60000u, 60000u}, std::pair{0u, 5u}}) {
        auto r = DecodePng(HeaderOnly(w, h, 8, 2), {});
        ASSERT_FALSE(r.ok());
        EXPECT_FALSE(r.message().empty());
    }
    std::mt19937 rng(3);
    for (int i = 0; i < 50; ++i) {
        std::vector<std::uint8_t> noise(40 + i * 11);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(rng());
        if (i & 1) std::copy_n(HeaderOnly(9, 9, 8, 6).begin(), 33, noise.begin());
        (void)DecodePng(noise, {});
        (void)imageman::OpenPngDocument(noise);
    }
    for (const char* name : {"rgba16.png", "pal4_interlaced.png", "gray2.png"}) {
        ASSERT_TRUE(testsupport::Exists(Png(name)));
        const auto full = Bytes(Png(name));
        for (std::size_t len = 0; len + 12 < full.size(); len += 1 + len / 10) {
            // Cut after the pixel data (text chunks at the end) may still decode.
            auto r = DecodePng(std::span(full.data(), len), {});
            if (r.ok()) {
                EXPECT_EQ(r->width(), 37) << name << " cut at " << len;
            }
        }
    }
}

TEST(PngDocument, OnePageWithFacts) {
    ASSERT_TRUE(testsupport::Exists(Png("pal4_interlaced.png")));
    auto doc = imageman::OpenPngDocument(Bytes(Png("pal4_interlaced.png")));
    ASSERT_TRUE(doc.ok()) << doc.message();
    EXPECT_EQ((*doc)->pageCount(), 1);
    auto f = (*doc)->facts(0);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->width, 37);
    EXPECT_EQ(f->bits, 4);
    EXPECT_EQ(f->description, "PNG 4-bit palette interlaced");
    EXPECT_TRUE((*doc)->decode(0, {}).ok());
    EXPECT_FALSE((*doc)->decode(1, {}).ok());
    auto rgba = imageman::OpenPngDocument(Bytes(Png("rgba16.png")));
    ASSERT_TRUE(rgba.ok());
    EXPECT_EQ((*rgba)->facts(0)->bits, 32);
}

TEST(PngLibraryCalls, BitmapReducedAndDib) {
    ASSERT_TRUE(testsupport::Exists(Png("rgb8.png")));
    const std::string file = Png("rgb8.png").string();
    Bitmap full, reduced;
    ASSERT_EQ(PngToBitmap(file, 24, false, &full, {}), 1);
    ASSERT_EQ(PngToBitmap(file, 8, true, &reduced, {}), 1);
    ASSERT_EQ(reduced.bits(), 8);
    // The dithered picture stays close to the original on average.
    double error = 0;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
            for (int s = 0; s < 24; s += 8)
                error += std::abs(int((full.rgb(x, y) >> s) & 255) -
                                  int((reduced.rgb(x, y) >> s) & 255));
    EXPECT_LT(error / (full.width() * full.height() * 3), 24.0);
    Bitmap sixteen;
    ASSERT_EQ(PngToBitmap(file, 0, true, &sixteen, {}), 1);
    EXPECT_EQ(sixteen.bits(), 4);

    PackedDib dib;
    ASSERT_EQ(PngToDIB(file, 24, &dib, {}), 1);
    // 40-byte header, no colour table, rows bottom-up.
    ASSERT_EQ(dib.size(), kInfoHeaderSize + full.byteSize());
    EXPECT_EQ(ReadLE16(dib.data() + 14), 24);
    for (int y = 0; y < full.height(); ++y)
        EXPECT_EQ(std::memcmp(dib.data() + kInfoHeaderSize +
                                  full.stride() * static_cast<std::size_t>(full.height() - 1 - y),
                              full.row(y), full.stride()),
                  0);

    EXPECT_LT(PngToBitmap("/nonexistent/x.png", 24, false, &full, {}), 0);
    EXPECT_FALSE(LastError().empty());
    EXPECT_LT(PngToDIB(Png("rgb8.ppm").string(), 24, &dib, {}), 0);
    EXPECT_EQ(LastError(), "The file is not a PNG picture.");
}

// Every depth, plain and interlaced, back through our reader and through netpbm.
TEST(PngWrite, RoundTripsAtEveryDepth) {
    const auto dir = testsupport::TempDir("pngwrite");
    ASSERT_TRUE(testsupport::HaveTool("pngtopnm"));
    for (int bits : {1, 4, 8, 24}) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + (interlaced ? " interlaced" : ""));
            const Bitmap pic =
                testsupport::RandomPicture(29, 13, bits, static_cast<unsigned>(bits));
            const auto path = dir / ("w" + std::to_string(bits) + (interlaced ? "i" : "") + ".png");
            std::vector<int> seen;
            ASSERT_EQ(WritePNG(path.string(), pic, interlaced,
                               [&](int p) {
                                   seen.push_back(p);
                                   return true;
                               }),
                      1)
                << LastError();
            EXPECT_EQ(seen.back(), 100);
            auto back = DecodePng(Bytes(path), {});
            ASSERT_TRUE(back.ok()) << back.message();
            EXPECT_EQ(back->bits(), bits);
            if (bits <= 8) {
                EXPECT_EQ(back->palette(), pic.palette());
            }
            EXPECT_TRUE(testsupport::SameColours(*back, pic));
            ASSERT_EQ(testsupport::Run("pngtopnm " + path.string() + " > " +
                                       (dir / "ref.ppm").string() + " 2>/dev/null"),
                      0);
            testsupport::ExpectLikeReference(pic, dir / "ref.ppm");
        }
    }
    // Device-dependent pictures go out as true colour.
    Bitmap ddb = testsupport::RandomPicture(10, 7, 8, 99);
    ddb.setDeviceDependent(true);
    ASSERT_EQ(WritePNG((dir / "ddb.png").string(), ddb, true), 1);
    auto back = DecodePng(Bytes(dir / "ddb.png"), {});
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->bits(), 24);
    EXPECT_TRUE(testsupport::SameColours(*back, ddb));
    std::filesystem::remove_all(dir);
}

// A failed or stopped write leaves the old file as it was and no stray file.
TEST(PngWrite, FailureLeavesNothingBehind) {
    const auto dir = testsupport::TempDir("pngatomic");
    const auto target = dir / "keep.png";
    testsupport::WriteBytes(target, {'o', 'l', 'd'});
    const Bitmap pic = testsupport::RandomPicture(40, 40, 24, 5);
    EXPECT_EQ(WritePNG(target.string(), pic, false, [](int p) { return p < 30; }), -1);
    EXPECT_EQ(LastError(), "Stopped.");
    EXPECT_EQ(Bytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    EXPECT_EQ(WritePNG((dir / "missing" / "x.png").string(), pic, false), -1);
    EXPECT_FALSE(LastError().empty());
    EXPECT_EQ(WritePNG((dir / "empty.png").string(), Bitmap{}, false), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.png"));

    ASSERT_EQ(WritePNG(target.string(), pic, false), 1);
    auto back = DecodePng(Bytes(target), {});
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(testsupport::SameColours(*back, pic));
    std::filesystem::remove_all(dir);
}
