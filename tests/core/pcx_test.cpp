// PCX and DCX reading: files of other encoders against their PPM twins,
// hand-made files for the layouts those encoders do not write, and malformed input.
#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imageman/document.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <random>

namespace {

using core::Bitmap;
using core::DecodeOptions;
using core::Rgbq;
using core::imageman::Bytes;
using core::imageman::DocumentPtr;
using core::imageman::OpenDcxDocument;
using core::imageman::OpenPcxDocument;
using testsupport::DecodePage;
using testsupport::Fixture;
using testsupport::FixtureBytes;

// ---- A small PCX writer for what other encoders do not write ----

struct PcxFile {
    int version = 5;
    bool rle = true;
    bool runsAcrossLines = false; // one run-length stream for the whole picture
    int bits = 8, planes = 1;
    int width = 0, height = 0, xMin = 0, yMin = 0;
    int bytesPerLine = 0; // per plane; 0 = just enough
    std::array<std::uint8_t, 48> ega{};
    std::vector<std::uint8_t> vga; // 768 bytes after a 0x0C marker when set
    // The coded lines: height × planes × bytesPerLine bytes.
    std::vector<std::uint8_t> lines;

    int bpl() const { return bytesPerLine ? bytesPerLine : (width * bits + 7) / 8; }
};

void EncodeRle(const std::uint8_t* p, std::size_t n, Bytes& out) {
    for (std::size_t i = 0; i < n;) {
        std::size_t run = 1;
        while (i + run < n && run < 63 && p[i + run] == p[i])
            ++run;
        if (run > 1 || p[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        out.push_back(p[i]);
        i += run;
    }
}

Bytes WritePcx(const PcxFile& f) {
    Bytes out(128, 0);
    out[0] = 0x0A;
    out[1] = static_cast<std::uint8_t>(f.version);
    out[2] = f.rle ? 1 : 0;
    out[3] = static_cast<std::uint8_t>(f.bits);
    using testsupport::SetLE16;
    SetLE16(out, 4, f.xMin);
    SetLE16(out, 6, f.yMin);
    SetLE16(out, 8, f.xMin + f.width - 1);
    SetLE16(out, 10, f.yMin + f.height - 1);
    std::memcpy(out.data() + 16, f.ega.data(), 48);
    out[65] = static_cast<std::uint8_t>(f.planes);
    SetLE16(out, 66, f.bpl());
    const std::size_t lineBytes = static_cast<std::size_t>(f.bpl()) * f.planes;
    if (!f.rle) {
        out.insert(out.end(), f.lines.begin(), f.lines.end());
    } else if (f.runsAcrossLines) {
        EncodeRle(f.lines.data(), f.lines.size(), out);
    } else {
        for (std::size_t at = 0; at < f.lines.size(); at += lineBytes)
            EncodeRle(f.lines.data() + at, lineBytes, out);
    }
    if (!f.vga.empty()) {
        out.push_back(0x0C);
        out.insert(out.end(), f.vga.begin(), f.vga.end());
    }
    return out;
}

// Lines of 1-bit planes: bit p of index(x, y) goes to plane p.
std::vector<std::uint8_t> PlanarLines(const PcxFile& f, const std::function<int(int, int)>& index) {
    std::vector<std::uint8_t> lines(static_cast<std::size_t>(f.height) * f.planes * f.bpl());
    for (int y = 0; y < f.height; ++y)
        for (int p = 0; p < f.planes; ++p) {
            std::uint8_t* line =
                lines.data() + (static_cast<std::size_t>(y) * f.planes + p) * f.bpl();
            for (int x = 0; x < f.width; ++x)
                if ((index(x, y) >> p) & 1)
                    line[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
    return lines;
}

// Lines of one byte a sample, plane after plane (8-bit and 24-bit pictures).
std::vector<std::uint8_t> ByteLines(const PcxFile& f,
                                    const std::function<int(int, int, int)>& sample,
                                    std::uint8_t padding = 0xEE) {
    std::vector<std::uint8_t> lines(static_cast<std::size_t>(f.height) * f.planes * f.bpl(),
                                    padding);
    for (int y = 0; y < f.height; ++y)
        for (int p = 0; p < f.planes; ++p)
            for (int x = 0; x < f.width; ++x)
                lines[(static_cast<std::size_t>(y) * f.planes + p) * f.bpl() + x] =
                    static_cast<std::uint8_t>(sample(x, y, p));
    return lines;
}

std::array<std::uint8_t, 48> Ega(std::initializer_list<std::uint32_t> rgb) {
    std::array<std::uint8_t, 48> e{};
    int i = 0;
    for (std::uint32_t c : rgb) {
        e[i++] = static_cast<std::uint8_t>(c >> 16);
        e[i++] = static_cast<std::uint8_t>(c >> 8);
        e[i++] = static_cast<std::uint8_t>(c);
    }
    return e;
}

// ---- Files of other encoders ----

struct FixtureCase {
    const char* file;
    const char* reference;
    int factBits, factPlanes, pictureBits;
    const char* description;
};

class PcxFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(PcxFixture, DecodesLikeItsReference) {
    const FixtureCase& c = GetParam();
    auto doc = OpenPcxDocument(FixtureBytes(c.file));
    ASSERT_NO_FATAL_FAILURE(
        testsupport::ExpectOnePage(doc, 61, 37, c.factBits, c.factPlanes, c.description));
    auto picture = doc.value()->decode(0, {});
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->bits(), c.pictureBits);
    testsupport::ExpectLikeReference(*picture, Fixture(c.reference));
}

INSTANTIATE_TEST_SUITE_P(
    OtherEncoders, PcxFixture,
    testing::Values(FixtureCase{"pcx_24.pcx", "pcx_base.ppm", 8, 3, 24, "PCX 24-bit RLE"},
                    FixtureCase{"pcx_8.pcx", "pcx_8.ppm", 8, 1, 8, "PCX 8-bit RLE"},
                    FixtureCase{"pcx_1.pcx", "pcx_1.ppm", 1, 1, 1, "PCX 1-bit RLE"},
                    FixtureCase{"pcx_4planes.pcx", "pcx_16.ppm", 1, 4, 4, "PCX 4-bit RLE"},
                    FixtureCase{"pcx_4packed.pcx", "pcx_16.ppm", 4, 1, 4, "PCX 4-bit RLE"},
                    FixtureCase{"pcx_2planes.pcx", "pcx_4.ppm", 1, 2, 4, "PCX 2-bit RLE"},
                    FixtureCase{"pcx_2packed.pcx", "pcx_4.ppm", 2, 1, 4, "PCX 2-bit RLE"}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(PcxRead, AlphaPlaneIsCompositedOverTheBackground) {
    auto picture = DecodePage(OpenPcxDocument(FixtureBytes("pcx_32.pcx")));
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->bits(), 24);
    // ImageMagick rounds its own blend; one step apart at most.
    EXPECT_LE(
        testsupport::MaxChannelDiff(*picture, testsupport::ReadPnm(Fixture("pcx_32_white.ppm"))),
        1);
}

TEST(DcxRead, ThreePagesOfDifferentDepths) {
    auto doc = OpenDcxDocument(FixtureBytes("dcx_3pages.dcx"));
    ASSERT_TRUE(doc) << doc.message();
    ASSERT_EQ(doc.value()->pageCount(), 3);
    const int bits[] = {24, 8, 8};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        auto facts = doc.value()->facts(page);
        ASSERT_TRUE(facts) << facts.message();
        EXPECT_EQ(facts->width, page == 0 ? 37 : 61);
        auto picture = doc.value()->decode(page, {});
        ASSERT_TRUE(picture) << picture.message();
        EXPECT_EQ(picture->bits(), bits[page]);
        const auto ref = testsupport::ReadPnm(Fixture("dcx_" + std::to_string(page + 1) + ".ppm"));
        EXPECT_EQ(testsupport::MaxChannelDiff(*picture, ref), 0);
    }
    EXPECT_EQ(doc.value()->facts(0)->description, "DCX 24-bit RLE");
    EXPECT_FALSE(doc.value()->decode(3, {}));
    EXPECT_FALSE(doc.value()->facts(-1));
}

// ---- Hand-made files ----

TEST(PcxRead, FourPlanesOfOneBitUseTheHeaderPalette) {
    PcxFile f;
    f.bits = 1;
    f.planes = 4;
    f.width = 19; // not a multiple of 8
    f.height = 5;
    f.bytesPerLine = 4; // wider than needed: padding ignored
    for (int i = 0; i < 16; ++i) {
        f.ega[3 * i] = static_cast<std::uint8_t>(i * 16);
        f.ega[3 * i + 1] = static_cast<std::uint8_t>(255 - i);
        f.ega[3 * i + 2] = static_cast<std::uint8_t>(i * 3);
    }
    auto index = [](int x, int y) { return (x + 3 * y) % 16; };
    f.lines = PlanarLines(f, index);
    for (std::size_t i = 0; i < f.lines.size(); i += 4)
        f.lines[i + 3] = 0xFF; // padding bytes

    auto picture = DecodePage(OpenPcxDocument(WritePcx(f)));
    ASSERT_TRUE(picture) << picture.message();
    ASSERT_EQ(picture->bits(), 4);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            ASSERT_EQ(picture->pixel(x, y), std::uint32_t(index(x, y)));
    EXPECT_EQ(picture->palette()[5], (Rgbq{15, 250, 80, 0}));
    EXPECT_EQ(picture->row(0)[9] & 0x0F, 0) << "bits past the last pixel stay clear";
}

TEST(PcxRead, MissingPalettesFallBackToDefaults) {
    // Three planes of one bit, version 3 ("no palette"): the EGA colours.
    PcxFile f;
    f.version = 3;
    f.bits = 1;
    f.planes = 3;
    f.width = 8;
    f.height = 1;
    f.ega = Ega({0x123456, 0x123456});
    f.lines = PlanarLines(f, [](int x, int) { return x; });
    auto picture = DecodePage(OpenPcxDocument(WritePcx(f)));
    ASSERT_TRUE(picture) << picture.message();
    const std::uint32_t ega[] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA,
                                 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(picture->rgb(x, 0), ega[x]) << x;

    // An empty header palette means the same in any version.
    f.version = 5;
    f.ega = {};
    picture = DecodePage(OpenPcxDocument(WritePcx(f)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(6, 0), 0xAA5500u);

    // 8 bits without the palette after the pixels: gray.
    PcxFile g;
    g.width = 4;
    g.height = 2;
    g.lines = ByteLines(g, [](int x, int y, int) { return 60 * x + y; });
    picture = DecodePage(OpenPcxDocument(WritePcx(g)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(3, 1), 0xB5B5B5u);
}

TEST(PcxRead, OneBitPalette) {
    PcxFile f;
    f.bits = 1;
    f.width = 10;
    f.height = 1;
    f.lines = PlanarLines(f, [](int x, int) { return x & 1; });
    f.ega = Ega({0xFF0000, 0x0000FF});
    auto picture = DecodePage(OpenPcxDocument(WritePcx(f)));
    ASSERT_TRUE(picture) << picture.message();
    ASSERT_EQ(picture->bits(), 1);
    EXPECT_EQ(picture->rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(picture->rgb(9, 0), 0x0000FFu);
    EXPECT_EQ(picture->row(0)[1], 0x40) << "bits past the last pixel stay clear";

    // Two equal entries (often both black) cannot be meant: black and white.
    f.ega = Ega({0x000000, 0x000000});
    picture = DecodePage(OpenPcxDocument(WritePcx(f)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->rgb(0, 0), 0x000000u);
    EXPECT_EQ(picture->rgb(1, 0), 0xFFFFFFu);
}

TEST(PcxRead, WindowOddStrideAndStoredLines) {
    auto colour = [](int x, int y, int p) { return (x * 37 + y * 11 + p * 101) & 0xFF; };
    PcxFile f;
    f.bits = 8;
    f.planes = 3;
    f.width = 7;
    f.height = 4;
    f.xMin = 100; // only the window's size matters
    f.yMin = 3000;
    f.bytesPerLine = 9; // odd, and two bytes of padding per plane
    f.lines = ByteLines(f, colour);
    for (bool rle : {true, false}) {
        SCOPED_TRACE(rle);
        f.rle = rle;
        auto doc = OpenPcxDocument(WritePcx(f));
        ASSERT_TRUE(doc) << doc.message();
        EXPECT_EQ(doc.value()->facts(0)->description,
                  rle ? "PCX 24-bit RLE" : "PCX 24-bit uncompressed");
        auto picture = doc.value()->decode(0, {});
        ASSERT_TRUE(picture) << picture.message();
        ASSERT_EQ(picture->width(), 7);
        ASSERT_EQ(picture->height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x) {
                const std::uint32_t want = (std::uint32_t(colour(x, y, 0)) << 16) |
                                           (std::uint32_t(colour(x, y, 1)) << 8) | colour(x, y, 2);
                ASSERT_EQ(picture->rgb(x, y), want) << x << "," << y;
            }
    }
}

TEST(PcxRead, RunsReachingAcrossLinesAndPlanes) {
    // Flat areas coded as one stream: runs go on across plane and line ends
    // (and over the padding byte of each plane).
    PcxFile f;
    f.bits = 8;
    f.planes = 3;
    f.width = 10;
    f.height = 7;
    f.bytesPerLine = 11;
    f.runsAcrossLines = true;
    auto sample = [](int x, int y, int) { return (x == 4 && y == 5) ? 0x99 : 0x42; };
    f.lines = ByteLines(f, sample, 0x42);
    const Bytes file = WritePcx(f);
    ASSERT_LE(file.size(), 128u + 20) << "a few runs for 21 coded lines";
    auto picture = DecodePage(OpenPcxDocument(file));
    ASSERT_TRUE(picture) << picture.message();
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            ASSERT_EQ(picture->rgb(x, y), (x == 4 && y == 5) ? 0x999999u : 0x424242u)
                << x << "," << y;
}

TEST(PcxRead, RunPastTheLastLineIsCut) {
    // A 3 × 2 picture (stride 4) coded as one run of 63 bytes: the six pixels
    // are filled and the row padding is left alone.
    Bytes file = WritePcx([] {
        PcxFile f;
        f.width = 3;
        f.height = 2;
        return f;
    }());
    file.push_back(0xFF);
    file.push_back(0x7B);
    auto picture = DecodePage(OpenPcxDocument(file));
    ASSERT_TRUE(picture) << picture.message();
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(picture->pixel(2, y), 0x7Bu);
        EXPECT_EQ(picture->row(y)[3], 0) << "padding of row " << y;
    }
}

TEST(PcxRead, ProgressIsReportedAndCanStop) {
    const Bytes file = FixtureBytes("pcx_24.pcx");
    std::vector<int> seen;
    DecodeOptions options;
    options.progress = [&](int percent) {
        seen.push_back(percent);
        return true;
    };
    ASSERT_TRUE(DecodePage(OpenPcxDocument(file), 0, options));
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    options.progress = [](int percent) { return percent < 50; };
    auto stopped = DecodePage(OpenPcxDocument(file), 0, options);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.message(), "Decoding stopped.");
}

// ---- Malformed input ----

TEST(PcxMalformed, HeadersAreRefusedWithAMessage) {
    PcxFile good;
    good.width = 4;
    good.height = 4;
    good.lines = ByteLines(good, [](int x, int, int) { return x; });
    testsupport::ExpectChangesRefused(
        WritePcx(good), [](Bytes b) { return DecodePage(OpenPcxDocument(std::move(b))); },
        {
            {"empty", [](Bytes& b) { b.clear(); }},
            {"short header", [](Bytes& b) { b.resize(127); }},
            {"manufacturer", [](Bytes& b) { b[0] = 0x0B; }},
            {"version", [](Bytes& b) { b[1] = 6; }},
            {"encoding", [](Bytes& b) { b[2] = 2; }},
            {"bits", [](Bytes& b) { b[3] = 3; }},
            {"planes", [](Bytes& b) { b[65] = 2; }},
            {"no planes", [](Bytes& b) { b[65] = 0; }},
            {"window", [](Bytes& b) { b[8] = 0, b[4] = 1; }},
            {"line length", [](Bytes& b) { b[66] = 3; }},
            {"pixels cut", [](Bytes& b) { b.pop_back(); }},
        });
}

TEST(PcxMalformed, AbsurdSizeIsRefusedBeforeAllocating) {
    bool guardAsked = false;
    core::SetFreeMemoryProvider([&] {
        guardAsked = true;
        return std::uint64_t{1} << 40;
    });
    PcxFile f;
    f.width = 65535;
    f.height = 65535;
    f.bits = 8;
    f.planes = 3;
    Bytes file = WritePcx(f);
    file.resize(4096, 0xFF);
    auto result = DecodePage(OpenPcxDocument(file));
    core::SetFreeMemoryProvider({});
    ASSERT_FALSE(result);
    EXPECT_NE(result.message().find("65535x65535"), std::string::npos) << result.message();
    EXPECT_FALSE(guardAsked);
}

TEST(PcxMalformed, MemoryGuardIsAskedFirst) {
    core::SetFreeMemoryProvider([] { return std::uint64_t{1000}; });
    auto result = DecodePage(OpenPcxDocument(FixtureBytes("pcx_24.pcx")));
    core::SetFreeMemoryProvider({});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.message(), "Insufficient memory.");
}

TEST(PcxMalformed, TruncatedAtEveryLength) {
    for (const char* name : {"pcx_24.pcx", "pcx_8.pcx", "pcx_4planes.pcx", "pcx_1.pcx"}) {
        const Bytes whole = FixtureBytes(name);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            auto result = DecodePage(OpenPcxDocument(Bytes(whole.begin(), whole.begin() + n)));
            if (n < whole.size() / 2) {
                ASSERT_FALSE(result) << name << " cut to " << n;
            }
            if (!result) {
                ASSERT_FALSE(result.message().empty());
            }
        }
    }
}

TEST(PcxMalformed, RandomBytesAndMutations) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 300; ++i) {
        Bytes junk(static_cast<std::size_t>(rng() % 2000));
        for (auto& b : junk)
            b = static_cast<std::uint8_t>(byte(rng));
        if (!junk.empty() && (i & 1)) junk[0] = 0x0A;
        (void)DecodePage(OpenPcxDocument(junk));
        (void)DecodePage(OpenDcxDocument(junk));
    }
    const Bytes base = FixtureBytes("pcx_8.pcx");
    for (int i = 0; i < 1500; ++i) {
        Bytes b = base;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < changes; ++k)
            b[rng() % (i % 3 == 0 ? 128 : b.size())] = static_cast<std::uint8_t>(byte(rng));
        auto result = DecodePage(OpenPcxDocument(b));
        if (result) {
            ASSERT_FALSE(result->empty());
        }
    }
}

TEST(DcxMalformed, BadTableEntriesAreLeftOut) {
    const Bytes whole = FixtureBytes("dcx_3pages.dcx");
    auto entry = [](Bytes& b, int i, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b[4 + 4 * i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    const std::uint32_t third = core::ReadLE32(whole.data() + 12);

    Bytes b = whole;
    entry(b, 1, static_cast<std::uint32_t>(whole.size()) + 10); // past the end
    auto doc = OpenDcxDocument(b);
    ASSERT_TRUE(doc) << doc.message();
    ASSERT_EQ(doc.value()->pageCount(), 2);
    auto last = doc.value()->decode(1, {});
    ASSERT_TRUE(last) << last.message();
    EXPECT_EQ(testsupport::MaxChannelDiff(*last, testsupport::ReadPnm(Fixture("dcx_3.ppm"))), 0);

    b = whole;
    entry(b, 0, 12); // inside the table
    entry(b, 2, 0xFFFFFFFF);
    doc = OpenDcxDocument(b);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc.value()->pageCount(), 1);

    b = whole;
    entry(b, 0, third + 1); // no PCX header there
    doc = OpenDcxDocument(b);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc.value()->pageCount(), 2);

    b = whole;
    entry(b, 0, 0); // an empty table
    doc = OpenDcxDocument(b);
    ASSERT_FALSE(doc);
    EXPECT_NE(doc.message().find("no readable page"), std::string::npos);

    EXPECT_FALSE(OpenDcxDocument(Bytes{}));
    EXPECT_FALSE(OpenDcxDocument(FixtureBytes("pcx_8.pcx")));
}

TEST(DcxMalformed, TruncatedAtManyLengths) {
    const Bytes whole = FixtureBytes("dcx_3pages.dcx");
    for (std::size_t n = 0; n < whole.size(); n += (n < 4200 ? 1 : 7)) {
        auto doc = OpenDcxDocument(Bytes(whole.begin(), whole.begin() + n));
        if (!doc) continue;
        for (int page = 0; page < doc.value()->pageCount(); ++page) {
            auto result = doc.value()->decode(page, {});
            if (!result) {
                ASSERT_FALSE(result.message().empty());
            }
        }
    }
}

} // namespace
