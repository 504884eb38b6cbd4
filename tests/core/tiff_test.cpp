// The TIFF reader against files written by ImageMagick and libtiff's tools,
// and on hand-made damaged files.
#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imagelib/tiff_facts.h"
#include "core/imageman/document.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

using namespace core;
using namespace core::imageman;
using testsupport::Fixture;

namespace {

std::filesystem::path Tiff(const std::string& name) {
    return Fixture("tiff/" + name);
}

Result<DocumentPtr> OpenFile(const std::filesystem::path& path) {
    return OpenTiffDocument(testsupport::ReadBytes(path));
}

// Opens and decodes every page; true when nothing failed.
// A message a user reads: no library function names, no unsigned-wrapped counts.
void ExpectPlainMessage(const std::string& m) {
    for (std::size_t i = 0; i + 5 <= m.size(); ++i)
        if (m.compare(i, 4, "TIFF") == 0 && std::isupper(static_cast<unsigned char>(m[i + 4])))
            ADD_FAILURE() << "library name in: " << m;
    std::size_t run = 0;
    for (char c : m) {
        run = std::isdigit(static_cast<unsigned char>(c)) ? run + 1 : 0;
        if (run > 12) ADD_FAILURE() << "huge number in: " << m;
    }
}

bool DecodeAll(Bytes bytes) {
    auto doc = OpenTiffDocument(std::move(bytes));
    if (!doc) {
        ExpectPlainMessage(doc.message());
        return false;
    }
    bool ok = true;
    for (int p = 0; p < (*doc)->pageCount(); ++p) {
        auto facts = (*doc)->facts(p);
        if (!facts) ExpectPlainMessage(facts.message());
        ok = facts.ok() && ok;
        auto pic = (*doc)->decode(p, DecodeOptions{});
        if (!pic) ExpectPlainMessage(pic.message());
        ok = pic.ok() && ok;
    }
    return ok;
}

// A little-endian TIFF: the pixel bytes at offset 8, then one IFD.
struct Tag {
    std::uint16_t tag, type;
    std::uint32_t count, value;
};
Bytes MakeTiff(const std::vector<Tag>& tags, const Bytes& pixels, bool loopToSelf = false) {
    Bytes b(8 + pixels.size());
    b[0] = b[1] = 'I';
    b[2] = 42;
    std::copy(pixels.begin(), pixels.end(), b.begin() + 8);
    if (b.size() & 1) b.push_back(0);
    const auto ifd = static_cast<std::uint32_t>(b.size());
    WriteLE32(b.data() + 4, ifd);
    b.resize(ifd + 2 + 12 * tags.size() + 4);
    WriteLE16(b.data() + ifd, static_cast<std::uint16_t>(tags.size()));
    std::uint8_t* p = b.data() + ifd + 2;
    for (const Tag& t : tags) {
        WriteLE16(p, t.tag);
        WriteLE16(p + 2, t.type);
        WriteLE32(p + 4, t.count);
        if (t.type == 3 && t.count == 1)
            WriteLE16(p + 8, static_cast<std::uint16_t>(t.value));
        else
            WriteLE32(p + 8, t.value);
        p += 12;
    }
    WriteLE32(p, loopToSelf ? ifd : 0);
    return b;
}

// An 8-bit gray strip of w × h; the tags can be changed by the caller.
std::vector<Tag> GrayTags(std::uint32_t w, std::uint32_t h, std::uint32_t bytes,
                          std::uint16_t compression = 1) {
    return {{256, 4, 1, w},           {257, 4, 1, h}, {258, 3, 1, 8},
            {259, 3, 1, compression}, {262, 3, 1, 1}, {273, 4, 1, 8},
            {277, 3, 1, 1},           {278, 4, 1, h}, {279, 4, 1, bytes}};
}

struct RefCase {
    const char* file;
    const char* ref;
    int maxDiff;
    int bits; // depth of the decoded picture
};

} // namespace

// Every layout the strip reader and the general reader handle, pixel by pixel
// against ImageMagick's reading. JPEG may differ by the IDCT's rounding; the
// CMYK conversion and the alpha blend by ImageMagick's own rounding.
TEST(TiffDecode, MatchesIndependentDecoder) {
    const RefCase cases[] = {
        {"rgb.tif", "base.ppm", 0, 24},          {"rgb_none.tif", "base.ppm", 0, 24},
        {"rgb_packbits.tif", "base.ppm", 0, 24}, {"rgb_zip.tif", "base.ppm", 0, 24},
        {"rgb_lzw.tif", "base.ppm", 0, 24},      {"rgb_separate.tif", "base.ppm", 0, 24},
        {"rgb_tiled.tif", "base.ppm", 0, 24},    {"rgb16.tif", "rgb16.ppm", 0, 24},
        {"rgb_jpeg.tif", "rgb_jpeg.ppm", 2, 24}, {"rgba.tif", "rgba.ppm", 1, 24},
        {"cmyk.tif", "cmyk.ppm", 1, 24},         {"pal8.tif", "pal8.ppm", 0, 8},
        {"pal4.tif", "pal4.ppm", 0, 4},          {"pal2.tif", "pal2.ppm", 0, 4},
        {"gray2.tif", "gray2.pgm", 0, 4},        {"gray4.tif", "gray4.pgm", 0, 4},
        {"gray8.tif", "gray8.pgm", 0, 8},        {"gray16.tif", "gray16.pgm", 0, 8},
        {"gray8_lzw.tif", "gray8.pgm", 0, 8},    {"mono_none.tif", "mono.pgm", 0, 1},
        {"mono_packbits.tif", "mono.pgm", 0, 1}, {"mono_g3.tif", "mono.pgm", 0, 1},
        {"mono_g3_2d.tif", "mono.pgm", 0, 1},    {"mono_g4.tif", "mono.pgm", 0, 1},
        {"mono_g4_mib.tif", "mono.pgm", 0, 1},
    };
    int ran = 0;
    for (const RefCase& c : cases) {
        SCOPED_TRACE(c.file);
        if (testsupport::Missing(Tiff(c.file)) || testsupport::Missing(Tiff(c.ref))) continue;
        testsupport::ExpectDecodedAs(testsupport::DecodePage(OpenFile(Tiff(c.file))), c.bits,
                                     Tiff(c.ref), c.maxDiff);
        ++ran;
    }
    EXPECT_EQ(ran, 25);
}

TEST(TiffDecode, BilevelPaletteFollowsPhotometric) {
    auto white = OpenFile(Tiff("mono_g4.tif"));     // MinIsWhite
    auto black = OpenFile(Tiff("mono_g4_mib.tif")); // MinIsBlack
    ASSERT_TRUE(white.ok() && black.ok());
    auto a = (*white)->decode(0, {}), b = (*black)->decode(0, {});
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(a->palette()[0], (Rgbq{255, 255, 255, 0}));
    EXPECT_EQ(a->palette()[1], (Rgbq{0, 0, 0, 0}));
    EXPECT_EQ(b->palette()[0], (Rgbq{0, 0, 0, 0}));
    EXPECT_EQ(b->palette()[1], (Rgbq{255, 255, 255, 0}));
}

TEST(TiffFacts, CompressionTextsDepthAndPages) {
    const std::pair<const char*, const char*> cases[] = {
        {"rgb_none.tif", "None"},         {"rgb_lzw.tif", "LZW"},   {"rgb_zip.tif", "Deflate"},
        {"rgb_packbits.tif", "PackBits"}, {"rgb_jpeg.tif", "JPEG"}, {"mono_g4.tif", "CCITT G4"},
        {"mono_g3.tif", "CCITT G3"},
    };
    int ran = 0;
    for (const auto& [file, text] : cases) {
        if (testsupport::Missing(Tiff(file))) continue;
        ++ran;
        auto facts = ReadTiffFacts(testsupport::ReadBytes(Tiff(file)));
        ASSERT_TRUE(facts.ok()) << file << ": " << facts.message();
        EXPECT_EQ(facts->compressionText, text) << file;
    }
    EXPECT_EQ(ran, 7);
    EXPECT_EQ(TiffCompressionText(6), "Old JPEG");
    EXPECT_EQ(TiffCompressionText(34712), "Compression 34712");

    ASSERT_TRUE(testsupport::Exists(Tiff("multi.tif")));
    auto facts = ReadTiffFacts(testsupport::ReadBytes(Tiff("rgb16.tif")));
    ASSERT_TRUE(facts.ok());
    EXPECT_EQ(facts->bits, 48);
    EXPECT_EQ(facts->width, 37);
    EXPECT_EQ(facts->height, 23);
    auto multi = ReadTiffFacts(testsupport::ReadBytes(Tiff("multi.tif")));
    ASSERT_TRUE(multi.ok());
    EXPECT_EQ(multi->pages, 3);
    EXPECT_EQ(multi->bits, 1);
    EXPECT_EQ(multi->compressionText, "CCITT G4");
}

TEST(TiffDocument, MultiPageFactsAndDecode) {
    auto doc = OpenFile(Tiff("multi.tif"));
    ASSERT_TRUE(doc.ok()) << doc.message();
    ASSERT_EQ((*doc)->pageCount(), 3);
    auto f0 = (*doc)->facts(0), f1 = (*doc)->facts(1), f2 = (*doc)->facts(2);
    ASSERT_TRUE(f0.ok() && f1.ok() && f2.ok());
    EXPECT_EQ(f0->description, "TIFF 1-bit CCITT G4");
    EXPECT_EQ(f0->width, 61);
    EXPECT_EQ(f1->description, "TIFF 24-bit Deflate");
    EXPECT_EQ(f2->bits, 4);
    // Pages in any order, each against its own reference.
    auto p2 = (*doc)->decode(2, {});
    auto p0 = (*doc)->decode(0, {});
    ASSERT_TRUE(p2.ok() && p0.ok());
    EXPECT_EQ(testsupport::MaxChannelDiff(*p2, testsupport::ReadPnm(Tiff("pal4.ppm"))), 0);
    EXPECT_EQ(testsupport::MaxChannelDiff(*p0, testsupport::ReadPnm(Tiff("mono.pgm"))), 0);
    EXPECT_FALSE((*doc)->decode(3, {}).ok());
    EXPECT_FALSE((*doc)->facts(-1).ok());
}

TEST(TiffDocument, ProgressRunsToTheEndAndCanStop) {
    for (const char* file : {"gray8_lzw.tif", "rgb_jpeg.tif", "cmyk.tif"}) {
        ASSERT_TRUE(testsupport::Exists(Tiff(file)));
        auto doc = OpenFile(Tiff(file));
        ASSERT_TRUE(doc.ok());
        std::vector<int> seen;
        DecodeOptions options;
        options.progress = [&](int pct) {
            seen.push_back(pct);
            return true;
        };
        ASSERT_TRUE((*doc)->decode(0, options).ok()) << file;
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), 100) << file;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << file;

        options.progress = [](int pct) { return pct < 20; };
        auto stopped = (*doc)->decode(0, options);
        ASSERT_FALSE(stopped.ok()) << file;
        EXPECT_EQ(stopped.message(), "Stopped.");
    }
}

TEST(TiffMalformed, IfdLoopsEndWithSanePageCount) {
    const Bytes pixels(6, 0x80);
    auto self = MakeTiff(GrayTags(3, 2, 6), pixels, /*loopToSelf=*/true);
    auto doc = OpenTiffDocument(self);
    ASSERT_TRUE(doc.ok()) << doc.message();
    EXPECT_EQ((*doc)->pageCount(), 1);
    auto pic = (*doc)->decode(0, {});
    ASSERT_TRUE(pic.ok()) << pic.message();
    EXPECT_EQ(pic->rgb(2, 1), 0x808080u);
    auto facts = ReadTiffFacts(self);
    ASSERT_TRUE(facts.ok());
    EXPECT_EQ(facts->pages, 1);

    // Two directories pointing at each other.
    ASSERT_TRUE(testsupport::Exists(Tiff("multi.tif")));
    Bytes two = testsupport::ReadBytes(Tiff("multi.tif"));
    // Make the third IFD's next pointer lead back to the second.
    ASSERT_EQ(two[0], 'I');
    std::uint32_t ifd = ReadLE32(two.data() + 4), prev = 0;
    for (int i = 0; i < 2; ++i) {
        prev = ifd;
        ifd = ReadLE32(two.data() + ifd + 2 + 12 * ReadLE16(two.data() + ifd));
    }
    WriteLE32(two.data() + ifd + 2 + 12 * ReadLE16(two.data() + ifd), prev);
    auto looped = OpenTiffDocument(two);
    ASSERT_TRUE(looped.ok());
    EXPECT_EQ((*looped)->pageCount(), 3);
}

TEST(TiffMalformed, RefusedCleanly) {
    // Absurd size: refused before any allocation.
    auto huge = OpenTiffDocument(MakeTiff(GrayTags(200000, 200000, 6), Bytes(6, 0)));
    ASSERT_TRUE(huge.ok());
    auto pic = (*huge)->decode(0, {});
    ASSERT_FALSE(pic.ok());
    EXPECT_NE(pic.message().find("too large"), std::string::npos) << pic.message();

    // A strip byte count far beyond the file.
    auto strip = OpenTiffDocument(MakeTiff(GrayTags(3, 2, 0xFFFFFFF0u), Bytes(6, 1)));
    if (strip.ok()) (void)(*strip)->decode(0, {}); // either outcome, but no crash

    // Old-style JPEG is refused with a clear message.
    auto ojpeg = OpenTiffDocument(MakeTiff(GrayTags(3, 2, 6, 6), Bytes(6, 0)));
    if (ojpeg.ok()) {
        auto r = (*ojpeg)->decode(0, {});
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.message().find("Old-style JPEG"), std::string::npos) << r.message();
    }

    EXPECT_FALSE(OpenTiffDocument({}).ok());
    EXPECT_FALSE(ReadTiffFacts({}).ok());
    std::mt19937 rng(11);
    for (int i = 0; i < 50; ++i) {
        Bytes noise(64 + i * 13);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(rng());
        if (i & 1) noise[0] = noise[1] = 'I', noise[2] = 42, noise[3] = 0;
        DecodeAll(noise);
        (void)ReadTiffFacts(noise);
    }
}

TEST(TiffMalformed, LibraryErrorsInPlainWords) {
    EXPECT_EQ(
        TiffUserMessage("TIFFFillStrip: Read error on strip 0; got 18446744073708551994 bytes, "
                        "expected 256."),
        "The file is damaged: its picture data ends early. (Read error on strip 0; got "
        "-999622 bytes, expected 256)");
    EXPECT_EQ(TiffUserMessage("TIFFFetchDirectory: Can not read TIFF directory count"),
              "The file is damaged: its page directory cannot be read. (Can not read TIFF "
              "directory count)");
    EXPECT_EQ(TiffUserMessage("_TIFFVSetField: Bad value 9 for tag"),
              "The file is damaged. (Bad value 9 for tag)");
}

TEST(TiffMalformed, TruncatedFilesNeverCrash) {
    for (const char* file :
         {"rgb_zip.tif", "mono_g4.tif", "rgb_jpeg.tif", "multi.tif", "rgb_tiled.tif", "pal2.tif"}) {
        ASSERT_TRUE(testsupport::Exists(Tiff(file)));
        const Bytes full = testsupport::ReadBytes(Tiff(file));
        ASSERT_TRUE(DecodeAll(full)) << file;
        for (std::size_t len = 0; len < full.size(); len += 1 + len / 8) {
            DecodeAll(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
            (void)ReadTiffFacts(std::span(full.data(), len));
        }
    }
}
