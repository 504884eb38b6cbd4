// The BMP/DIB reader against ImageMagick's files and hand-made ones for what
// ImageMagick cannot write, malformed input, and the BMP writer.
#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/bmp.h"
#include "core/imageman/document.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using core::imageman::Bytes;
namespace fs = std::filesystem;
using testsupport::PutLE16;
using testsupport::PutLE32;

void Append(Bytes& b, std::initializer_list<unsigned> bytes) {
    for (unsigned v : bytes)
        b.push_back(static_cast<std::uint8_t>(v));
}

// An info header of `size` bytes (40, 108, 124 or an OS/2 2.x size), zero-filled
// beyond the v3 fields.
Bytes InfoHeader(std::uint32_t size, std::int32_t w, std::int32_t h, unsigned bits,
                 std::uint32_t compression = 0, std::uint32_t clrUsed = 0) {
    Bytes b;
    PutLE32(b, size);
    PutLE32(b, static_cast<std::uint32_t>(w));
    PutLE32(b, static_cast<std::uint32_t>(h));
    PutLE16(b, 1);
    PutLE16(b, bits);
    PutLE32(b, compression);
    PutLE32(b, 0);
    PutLE32(b, 2835);
    PutLE32(b, 2835);
    PutLE32(b, clrUsed);
    PutLE32(b, 0);
    b.resize(size, 0);
    return b;
}

// A file header in front of a DIB; offBits 0 means "right behind the DIB's table".
Bytes WithFileHeader(const Bytes& dib, std::uint32_t offBits) {
    Bytes b = {'B', 'M'};
    PutLE32(b, static_cast<std::uint32_t>(14 + dib.size()));
    PutLE32(b, 0);
    PutLE32(b, offBits);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

core::Result<core::Bitmap> Decode(Bytes file, const core::DecodeOptions& options = {}) {
    return testsupport::DecodePage(core::imageman::OpenBmpDocument(std::move(file)), 0, options);
}

core::Bitmap DecodeOk(Bytes file, const core::DecodeOptions& options = {}) {
    auto r = Decode(std::move(file), options);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.message());
    return r.ok() ? std::move(r).value() : core::Bitmap{};
}

// Rows of pixel values, top row first, for compact expectations.
std::vector<std::vector<std::uint32_t>> Pixels(const core::Bitmap& bm) {
    std::vector<std::vector<std::uint32_t>> rows(static_cast<std::size_t>(bm.height()));
    for (int y = 0; y < bm.height(); ++y)
        for (int x = 0; x < bm.width(); ++x)
            rows[y].push_back(bm.pixel(x, y));
    return rows;
}

struct Reference {
    const char* name;
    int storedBits;
    const char* description;
    // ImageMagick widens 5- and 6-bit fields by bit replication, we round
    // v * 255 / max; alpha flattening rounds differently too.
    int tolerance;
};

TEST(BmpReader, MatchesImageMagickReferences) {
    const Reference refs[] = {
        {"bmp_v3_1", 1, "BMP 1-bit", 0},          {"bmp_v3_4", 4, "BMP 4-bit", 0},
        {"bmp_v3_8", 8, "BMP 8-bit", 0},          {"bmp_v3_rle8", 8, "BMP 8-bit RLE8", 0},
        {"bmp_v3_24", 24, "BMP 24-bit", 0},       {"bmp_os2_1", 1, "BMP 1-bit OS/2", 0},
        {"bmp_os2_4", 4, "BMP 4-bit OS/2", 0},    {"bmp_os2_8", 8, "BMP 8-bit OS/2", 0},
        {"bmp_os2_24", 24, "BMP 24-bit OS/2", 0}, {"bmp_pbm_os2_4", 4, "BMP 4-bit OS/2", 0},
        {"bmp_v5_24", 24, "BMP 24-bit", 0},       {"bmp_v5_rle8", 8, "BMP 8-bit RLE8", 0},
        {"bmp_rgb565", 16, "BMP 16-bit", 1},      {"bmp_argb1555", 16, "BMP 16-bit", 1},
        {"bmp_argb4444", 16, "BMP 16-bit", 1},    {"bmp_argb32", 32, "BMP 32-bit", 1},
    };
    int ran = 0;
    for (const Reference& ref : refs) {
        SCOPED_TRACE(ref.name);
        const fs::path bmp = testsupport::Fixture(std::string(ref.name) + ".bmp");
        const fs::path ppm = testsupport::Fixture(std::string(ref.name) + ".ppm");
        if (testsupport::Missing(bmp) || testsupport::Missing(ppm)) continue;
        ++ran;
        auto doc = core::imageman::OpenBmpDocument(testsupport::ReadBytes(bmp));
        ASSERT_NO_FATAL_FAILURE(
            testsupport::ExpectOnePage(doc, 61, 37, ref.storedBits, 1, ref.description));
        auto pic = (*doc)->decode(0, {});
        ASSERT_TRUE(pic.ok()) << pic.message();
        EXPECT_EQ(pic->bits(), ref.storedBits > 8 ? 24 : ref.storedBits);
        testsupport::ExpectLikeReference(*pic, ppm, ref.tolerance);
    }
    EXPECT_EQ(ran, 16);
}

// RLE4 with every escape: runs, an odd absolute run with its padding, a delta,
// end of line, end of bitmap, and runs that would leave the row.
TEST(BmpReader, Rle4EscapesAndClipping) {
    Bytes dib = InfoHeader(40, 8, 3, 4, 2);
    for (unsigned i = 0; i < 16; ++i)
        Append(dib, {i * 16, i * 16, i * 16, 0});
    Append(dib, {3, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 4, 0xFF, 0, 0}); // file row 0
    Append(dib, {0, 2, 2, 0, 2, 0x9A, 0, 0});                         // row 1: delta, run
    Append(dib, {10, 0xBC, 0, 1, 5, 0xDD});                           // row 2, end, ignored
    const core::Bitmap bm = DecodeOk(WithFileHeader(dib, 0));
    ASSERT_EQ(bm.bits(), 4);
    using Rows = std::vector<std::vector<std::uint32_t>>;
    EXPECT_EQ(Pixels(bm), (Rows{{11, 12, 11, 12, 11, 12, 11, 12},
                                {0, 0, 9, 10, 0, 0, 0, 0},
                                {1, 2, 1, 3, 4, 5, 6, 7}}));
    EXPECT_EQ(bm.rgb(3, 2), 0x303030u);
}

TEST(BmpReader, Rle8ClipsRunsAndStopsAtTheEnd) {
    using Rows = std::vector<std::vector<std::uint32_t>>;
    {
        // A run and an absolute run past the row end, a delta and a delta
        // beyond the last row (after which nothing is written).
        Bytes dib = InfoHeader(40, 5, 4, 8, 1);
        dib.resize(dib.size() + 1024);
        Append(dib, {0, 3, 0x11, 0x22, 0x33, 0, 7, 0x44, 0, 0});
        Append(dib, {0, 2, 1, 1, 1, 0x55, 0, 2, 0, 5, 3, 0x66, 0, 0, 3, 0x66});
        EXPECT_EQ(Pixels(DecodeOk(WithFileHeader(dib, 0))), (Rows{{0, 0, 0, 0, 0},
                                                                  {0, 0x55, 0, 0, 0},
                                                                  {0, 0, 0, 0, 0},
                                                                  {0x11, 0x22, 0x33, 0x44, 0x44}}));
    }
    {
        // An absolute run longer than the row keeps the stream in step.
        Bytes dib = InfoHeader(40, 5, 2, 8, 1);
        dib.resize(dib.size() + 1024);
        Append(dib, {0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 2, 0x77, 0, 0, 1, 0x88});
        EXPECT_EQ(Pixels(DecodeOk(WithFileHeader(dib, 0))),
                  (Rows{{0x88, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}));
    }
    {
        // Data cut inside an absolute run: what arrived is kept, the rest is 0.
        Bytes dib = InfoHeader(40, 4, 2, 8, 1);
        dib.resize(dib.size() + 1024);
        Append(dib, {0, 6, 9, 8});
        EXPECT_EQ(Pixels(DecodeOk(WithFileHeader(dib, 0))), (Rows{{0, 0, 0, 0}, {9, 8, 0, 0}}));
    }
}

TEST(BmpReader, TopDownBareDibAndOs2CoreHeader) {
    // 24-bit, 3 x 2, negative height: the first row in the file is the top.
    Bytes dib = InfoHeader(40, 3, -2, 24);
    Append(dib, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
    for (const Bytes& file : {WithFileHeader(dib, 54), dib}) {
        const core::Bitmap bm = DecodeOk(file);
        ASSERT_EQ(bm.bits(), 24);
        EXPECT_EQ(bm.rgb(0, 0), 0x030201u);
        EXPECT_EQ(bm.rgb(2, 0), 0x090807u);
        EXPECT_EQ(bm.rgb(0, 1), 0x0C0B0Au);
        EXPECT_EQ(bm.rgb(2, 1), 0x121110u);
    }

    // OS/2 core header: 16-bit sizes, 3-byte colour entries, 4 bits.
    Bytes os2;
    PutLE32(os2, 12);
    PutLE16(os2, 3);
    PutLE16(os2, 1);
    PutLE16(os2, 1);
    PutLE16(os2, 4);
    for (unsigned i = 0; i < 16; ++i)
        Append(os2, {i, 2 * i, 3 * i});
    Append(os2, {0x1F, 0x50, 0, 0});
    const core::Bitmap bm = DecodeOk(WithFileHeader(os2, 0));
    ASSERT_EQ(bm.bits(), 4);
    EXPECT_EQ(bm.rgb(0, 0), 0x030201u);
    EXPECT_EQ(bm.rgb(1, 0), 0x2D1E0Fu);
    EXPECT_EQ(bm.rgb(2, 0), 0x0F0A05u);

    // OS/2 2.x: the shortest 16-byte header (4-byte colour entries), and 3
    // meaning Huffman coding there, not bit fields.
    Bytes os2v2 = InfoHeader(16, 2, 1, 1);
    Append(os2v2, {0, 0, 0, 0, 9, 8, 7, 0, 0x40, 0, 0, 0});
    const core::Bitmap mono = DecodeOk(WithFileHeader(os2v2, 0));
    EXPECT_EQ(mono.rgb(0, 0), 0u);
    EXPECT_EQ(mono.rgb(1, 0), 0x070809u);
    Bytes huffman = InfoHeader(64, 8, 1, 1, 3);
    huffman.resize(huffman.size() + 12);
    EXPECT_FALSE(Decode(WithFileHeader(huffman, 0)).ok());
}

TEST(BmpReader, BitFieldsAndAlpha) {
    {
        // 10-10-10 in a v3 header with the masks behind it.
        Bytes dib = InfoHeader(40, 2, 1, 32, 3);
        PutLE32(dib, 0x3FF00000);
        PutLE32(dib, 0x000FFC00);
        PutLE32(dib, 0x000003FF);
        PutLE32(dib, (1023u << 20) | (512u << 10));
        PutLE32(dib, (1u << 10) | 4u);
        const core::Bitmap bm = DecodeOk(WithFileHeader(dib, 0));
        ASSERT_EQ(bm.bits(), 24);
        EXPECT_EQ(bm.rgb(0, 0), 0xFF8000u);
        EXPECT_EQ(bm.rgb(1, 0), 0x000001u);
    }
    {
        // Narrow odd masks (3-3-2 at the top of 16 bits), and the 5-5-5 default.
        Bytes dib = InfoHeader(40, 2, 1, 16, 3);
        PutLE32(dib, 0xE000);
        PutLE32(dib, 0x1C00);
        PutLE32(dib, 0x0300);
        PutLE16(dib, 0xFFFF);
        PutLE16(dib, 0x6000 | 0x0100);
        const core::Bitmap bm = DecodeOk(WithFileHeader(dib, 0));
        EXPECT_EQ(bm.rgb(0, 0), 0xFFFFFFu);
        EXPECT_EQ(bm.rgb(1, 0), 0x6D0055u);

        Bytes plain = InfoHeader(40, 3, 1, 16);
        PutLE16(plain, 0x7FFF);
        PutLE16(plain, 0x0010);
        PutLE16(plain, 0x8000 | (31 << 10));
        PutLE16(plain, 0);
        const core::Bitmap p = DecodeOk(WithFileHeader(plain, 0));
        EXPECT_EQ(p.rgb(0, 0), 0xFFFFFFu);
        EXPECT_EQ(p.rgb(1, 0), 0x000084u);
        EXPECT_EQ(p.rgb(2, 0), 0xFF0000u);
    }
    // v4 header with an alpha mask: composited over the background, unless
    // every alpha value is 0 (writers that leave the byte empty).
    auto v4 = [](std::uint8_t alpha0, std::uint8_t alpha1) {
        Bytes dib = InfoHeader(108, 2, 1, 32, 3);
        core::WriteLE32(dib.data() + 40, 0x00FF0000);
        core::WriteLE32(dib.data() + 44, 0x0000FF00);
        core::WriteLE32(dib.data() + 48, 0x000000FF);
        core::WriteLE32(dib.data() + 52, 0xFF000000);
        Append(dib, {0, 0, 255, alpha0, 10, 20, 30, alpha1});
        return WithFileHeader(dib, 0);
    };
    core::DecodeOptions blue;
    blue.background = 0x0000FF;
    const core::Bitmap a = DecodeOk(v4(128, 255), blue);
    EXPECT_EQ(a.rgb(0, 0), 0x80007Fu);
    EXPECT_EQ(a.rgb(1, 0), 0x1E140Au);
    const core::Bitmap opaque = DecodeOk(v4(0, 0), blue);
    EXPECT_EQ(opaque.rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(opaque.rgb(1, 0), 0x1E140Au);
}

TEST(BmpReader, ColourTablesAndPixelOffsets) {
    // A table of two entries: indexes beyond it are black, never out of range.
    Bytes dib = InfoHeader(40, 4, 1, 8, 0, 2);
    Append(dib, {10, 20, 30, 0, 40, 50, 60, 0, 0, 1, 5, 255});
    core::Bitmap bm = DecodeOk(WithFileHeader(dib, 0));
    ASSERT_EQ(bm.palette().size(), 256u);
    EXPECT_EQ(bm.rgb(0, 0), 0x1E140Au);
    EXPECT_EQ(bm.rgb(1, 0), 0x3C3228u);
    EXPECT_EQ(bm.rgb(2, 0), 0u);
    EXPECT_EQ(bm.pixel(3, 0), 255u);
    EXPECT_EQ(bm.rgb(3, 0), 0u);

    // A full table announced but four entries written: bfOffBits says where
    // the pixels are. An offset beyond the file falls back to the table's end.
    Bytes shortTable = InfoHeader(40, 4, 1, 8);
    for (unsigned i = 0; i < 4; ++i)
        Append(shortTable, {i, i, i, 0});
    Append(shortTable, {3, 2, 1, 0});
    bm = DecodeOk(WithFileHeader(shortTable, 14 + 40 + 16));
    EXPECT_EQ(bm.pixel(0, 0), 3u);
    EXPECT_EQ(bm.rgb(0, 0), 0x030303u);
    EXPECT_EQ(bm.palette()[4], core::Rgbq{});

    Bytes full = InfoHeader(40, 2, 1, 1, 0, 0xFFFFFFFFu); // clrUsed clamped to 2
    Append(full, {0, 0, 0, 0, 255, 255, 255, 0, 0x40, 0, 0, 0});
    bm = DecodeOk(WithFileHeader(full, 99999));
    EXPECT_EQ(bm.rgb(0, 0), 0u);
    EXPECT_EQ(bm.rgb(1, 0), 0xFFFFFFu);
}

TEST(BmpReader, RefusesBadFilesWithAMessage) {
    auto message = [](Bytes file) {
        auto r = Decode(std::move(file));
        return r.ok() ? std::string("decoded") : r.message();
    };
    EXPECT_EQ(message({}), "Not a BMP file.");
    EXPECT_EQ(message({'B', 'M', 1, 2}), "The file is too short to be a BMP.");
    EXPECT_EQ(message(Bytes(100, 0x41)), "Not a BMP file.");
    EXPECT_EQ(message(WithFileHeader(InfoHeader(40, 100000, 100000, 24), 0)),
              "Picture too large (100000x100000 pixels).");
    EXPECT_EQ(message(WithFileHeader(InfoHeader(40, 0, 5, 24), 0)), "Bad image size 0x5.");
    EXPECT_EQ(message(WithFileHeader(InfoHeader(40, 5, 5, 7), 0)),
              "Unsupported BMP depth of 7 bits per pixel.");
    EXPECT_EQ(message(WithFileHeader(InfoHeader(40, 5, 5, 8, 2), 0)),
              "Unsupported BMP compression 2 at 8 bits per pixel.");
    EXPECT_EQ(message(WithFileHeader(InfoHeader(40, 5, 5, 24), 0)),
              "The BMP file is truncated: it has no pixel data.");
    Bytes hint = InfoHeader(40, 1, 1, 24, 0, 0x40000000); // a huge table to skip
    Append(hint, {1, 2, 3, 0});
    EXPECT_EQ(message(WithFileHeader(hint, 0)), "The BMP file is truncated: it has no pixel data.");

    // The memory guard is asked before anything is allocated.
    core::SetFreeMemoryProvider([] { return std::uint64_t{1} << 20; });
    Bytes big = InfoHeader(40, 20000, 20000, 8);
    big.resize(big.size() + 1024 + 16);
    EXPECT_EQ(message(WithFileHeader(big, 0)), "Insufficient memory.");
    core::SetFreeMemoryProvider({});

    core::DecodeOptions stop;
    stop.progress = [](int) { return false; };
    Bytes small = InfoHeader(40, 1, 1, 24);
    Append(small, {1, 2, 3, 0});
    auto r = Decode(WithFileHeader(small, 0), stop);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.message(), "Stopped.");
}

// Truncated and scrambled files end in a picture or a message, never a crash
// or a read past the data (the sanitizer build checks the latter).
TEST(BmpReader, SurvivesTruncatedAndScrambledFiles) {
    std::vector<Bytes> samples;
    for (const char* name : {"bmp_v3_4", "bmp_v3_rle8", "bmp_os2_8", "bmp_argb32", "bmp_rgb565"}) {
        samples.push_back(testsupport::FixtureBytes(std::string(name) + ".bmp"));
    }
    Bytes rle4 = InfoHeader(40, 9, 7, 4, 2);
    rle4.resize(rle4.size() + 64);
    Append(rle4, {0, 7, 1, 2, 3, 4, 9, 0x12, 0, 2, 4, 1, 0, 0, 5, 0x33, 0, 1});
    samples.push_back(WithFileHeader(rle4, 0));

    core::SetFreeMemoryProvider([] { return std::uint64_t{4} << 20; });
    std::mt19937 rng(1234);
    int decoded = 0;
    for (const Bytes& sample : samples) {
        for (std::size_t len = 0; len <= sample.size(); len += 1 + (len > 200 ? len / 50 : 0)) {
            auto r = Decode(Bytes(sample.begin(), sample.begin() + static_cast<long>(len)));
            decoded += r.ok();
            if (!r.ok()) {
                EXPECT_FALSE(r.message().empty());
            }
        }
        for (int round = 0; round < 150; ++round) {
            Bytes b = sample;
            const int flips = 1 + static_cast<int>(rng() % 6);
            for (int i = 0; i < flips; ++i) {
                // Mostly in the headers, where the damage matters.
                const std::size_t at =
                    rng() % 2 ? rng() % std::min<std::size_t>(b.size(), 160) : rng() % b.size();
                b[at] = static_cast<std::uint8_t>(rng());
            }
            (void)core::DIBToPicture(std::span(b).subspan(14));
            auto r = Decode(std::move(b));
            if (!r.ok()) {
                EXPECT_FALSE(r.message().empty());
            }
        }
    }
    for (int round = 0; round < 200; ++round) {
        Bytes b(rng() % 300);
        for (auto& v : b)
            v = static_cast<std::uint8_t>(rng());
        if (b.size() >= 4 && round % 2) core::WriteLE32(b.data(), round % 4 ? 40 : 124);
        (void)Decode(b);
        (void)core::DIBToPicture(b);
    }
    core::SetFreeMemoryProvider({});
    EXPECT_GT(decoded, 0); // truncated pixel data still gives the rows present
}

// Pictures with a recognisable pattern at each depth.
core::Bitmap Pattern(int width, int height, int bits) {
    auto r = core::Bitmap::Create(width, height, bits);
    EXPECT_TRUE(r.ok());
    core::Bitmap bm = std::move(r).value();
    std::mt19937 rng(static_cast<unsigned>(bits));
    for (auto& q : bm.palette())
        q = core::Rgbq{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                       static_cast<std::uint8_t>(rng()), 0};
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bm.row(y);
        for (int x = 0; x < width; ++x) {
            const unsigned v = static_cast<unsigned>(x * 7 + y * 13 + x * y);
            switch (bits) {
            case 1:
                row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = static_cast<std::uint8_t>(v);
                break;
            default:
                row[3 * x] = static_cast<std::uint8_t>(v);
                row[3 * x + 1] = static_cast<std::uint8_t>(v * 3);
                row[3 * x + 2] = static_cast<std::uint8_t>(y * 5);
            }
        }
    }
    return bm;
}

TEST(BmpWriter, RoundTripsEveryDepth) {
    const fs::path dir = testsupport::TempDir("bmp-writer");
    ASSERT_TRUE(testsupport::HaveTool("convert"));
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        const core::Bitmap pic = Pattern(61, 37, bits);
        const fs::path file = dir / ("out" + std::to_string(bits) + ".bmp");
        int lastPercent = -1;
        ASSERT_EQ(core::imagelib::WriteBMP(file.string(), pic,
                                           [&](int p) {
                                               lastPercent = p;
                                               return true;
                                           }),
                  1)
            << core::imagelib::LastError();
        EXPECT_EQ(lastPercent, 100);

        const Bytes bytes = testsupport::ReadBytes(file);
        const std::size_t colours = bits <= 8 ? std::size_t{1} << bits : 0;
        const std::size_t offBits = 14 + 40 + 4 * colours;
        ASSERT_EQ(bytes.size(), offBits + core::RowStride(61, bits) * 37);
        EXPECT_EQ(core::ReadLE32(bytes.data() + 2), bytes.size());
        EXPECT_EQ(core::ReadLE32(bytes.data() + 10), offBits);
        EXPECT_EQ(core::ReadLE32(bytes.data() + 14), 40u);
        EXPECT_EQ(static_cast<std::int32_t>(core::ReadLE32(bytes.data() + 22)), 37); // bottom-up

        const core::Bitmap back = DecodeOk(bytes);
        ASSERT_EQ(back.bits(), bits);
        EXPECT_EQ(Pixels(back), Pixels(pic));
        if (bits <= 8) {
            EXPECT_EQ(back.palette(), pic.palette());
        }

        const fs::path ppm = dir / ("out" + std::to_string(bits) + ".ppm");
        ASSERT_EQ(testsupport::Run("convert " + file.string() + " -depth 8 " + ppm.string()), 0);
        testsupport::ExpectLikeReference(pic, ppm);
    }

    // A device-dependent picture goes out at 24 bits.
    core::Bitmap ddb = Pattern(5, 3, 8);
    ddb.setDeviceDependent(true);
    const fs::path file = dir / "ddb.bmp";
    ASSERT_EQ(core::imagelib::WriteBMP(file.string(), ddb), 1);
    const core::Bitmap back = DecodeOk(testsupport::ReadBytes(file));
    ASSERT_EQ(back.bits(), 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back.rgb(x, y), ddb.rgb(x, y));
    if (!HasFailure()) fs::remove_all(dir);
}

TEST(BmpWriter, FailureLeavesNothingHalfWritten) {
    const fs::path dir = testsupport::TempDir("bmp-writer-fail");
    const core::Bitmap pic = Pattern(20, 30, 24);

    const std::string missing = (dir / "no-such-folder" / "x.bmp").string();
    EXPECT_LT(core::imagelib::WriteBMP(missing, pic), 0);
    EXPECT_EQ(core::imagelib::LastError(),
              "Cannot write " + missing + ": No such file or directory");

    // Stopped halfway: the old file stays as it was, no temporary is left.
    const fs::path target = dir / "keep.bmp";
    testsupport::WriteBytes(target, {'o', 'l', 'd'});
    EXPECT_LT(core::imagelib::WriteBMP(target.string(), pic, [](int p) { return p < 50; }), 0);
    EXPECT_EQ(core::imagelib::LastError(), "Stopped.");
    EXPECT_EQ(testsupport::ReadBytes(target), (Bytes{'o', 'l', 'd'}));

    // A folder in the way of the name.
    fs::create_directory(dir / "folder.bmp");
    EXPECT_LT(core::imagelib::WriteBMP((dir / "folder.bmp").string(), pic), 0);
    EXPECT_NE(core::imagelib::LastError().find("Cannot write"), std::string::npos);

    EXPECT_LT(core::imagelib::WriteBMP((dir / "empty.bmp").string(), core::Bitmap{}), 0);

    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2); // keep.bmp and folder.bmp only
    fs::remove_all(dir);
}

} // namespace
