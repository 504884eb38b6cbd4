// The PCX and TIFF writers: every depth read back by our readers and by
// independent ones (ImageMagick, netpbm, libtiff's tools), the layouts they
// choose, and failures that must leave an existing file alone.
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using core::Bitmap;
using core::Rgbq;
using core::imagelib::LastError;
using core::imagelib::WritePCX;
using core::imagelib::WriteTIFF;
namespace fs = std::filesystem;

Bitmap Picture(int w, int h, int bits, unsigned seed, bool blackWhite = false) {
    std::mt19937 rng(seed);
    auto pic = Bitmap::Create(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < pic->stride(); ++i)
            pic->row(y)[i] = static_cast<std::uint8_t>(rng() % 7 == 0 ? 0xAA : rng());
    if (!blackWhite)
        for (auto& q : pic->palette())
            q = Rgbq{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                     static_cast<std::uint8_t>(rng()), 0};
    return std::move(pic.value());
}

core::Result<Bitmap> ReadBack(const fs::path& file, bool tiff) {
    auto bytes = testsupport::ReadBytes(file);
    auto doc = tiff ? core::imageman::OpenTiffDocument(std::move(bytes))
                    : core::imageman::OpenPcxDocument(std::move(bytes));
    if (!doc) return doc.error();
    return doc.value()->decode(0, {});
}

// Compares with what an independent tool makes of the file; a missing tool fails.
void ExpectTool(const std::string& tool, const std::string& command, const Bitmap& pic,
                const fs::path& dir) {
    ASSERT_TRUE(testsupport::HaveTool(tool));
    SCOPED_TRACE(command);
    const auto ref = dir / "ref.ppm";
    ASSERT_EQ(testsupport::Run(command + " > " + ref.string() + " 2>/dev/null"), 0);
    testsupport::ExpectLikeReference(pic, ref);
}

struct Case {
    int bits;
    bool blackWhite;
    int width;
};
// Odd widths so that padding and partial bytes are exercised.
const Case kCases[] = {
    {1, true, 37}, {1, false, 9}, {4, false, 31}, {8, false, 33}, {24, false, 29}};

} // namespace

TEST(PcxWrite, EveryDepthReadsBackExactly) {
    const auto dir = testsupport::TempDir("pcxwrite");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.bits);
        const Bitmap pic =
            Picture(c.width, 17, c.bits, static_cast<unsigned>(c.bits * 3 + c.width), c.blackWhite);
        const auto file = dir / "w.pcx";
        int last = 0;
        ASSERT_EQ(WritePCX(file.string(), pic, [&](int p) { return (last = p), true; }), 1)
            << LastError();
        EXPECT_EQ(last, 100);
        const auto bytes = testsupport::ReadBytes(file);
        EXPECT_EQ(bytes[66] % 2, 0); // even bytes per plane line
        EXPECT_EQ(bytes[65], c.bits == 24 ? 3 : c.bits == 4 ? 4 : 1);
        auto back = ReadBack(file, false);
        ASSERT_TRUE(back.ok()) << back.message();
        EXPECT_EQ(back->bits(), c.bits);
        EXPECT_TRUE(testsupport::SameColours(*back, pic));
        if (c.bits == 1 && !c.blackWhite) continue; // other readers take 1 bit as black and white
        ExpectTool("pcxtoppm", "pcxtoppm " + file.string(), pic, dir);
        ExpectTool("convert", "convert " + file.string() + " -depth 8 ppm:-", pic, dir);
    }
    fs::remove_all(dir);
}

// Long runs, values that look like run counts, and a line of one run.
TEST(PcxWrite, RunsAndCountLikeBytes) {
    const auto dir = testsupport::TempDir("pcxruns");
    auto pic = Bitmap::Create(200, 3, 8);
    for (int x = 0; x < 200; ++x) {
        pic->row(0)[x] = 0xC5;                                      // one run past 63
        pic->row(1)[x] = static_cast<std::uint8_t>(0xC0 + (x & 1)); // single count-like bytes
        pic->row(2)[x] = static_cast<std::uint8_t>(x < 64 ? 0 : x);
    }
    for (std::size_t i = 0; i < 256; ++i)
        pic->palette()[i] = Rgbq{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                 static_cast<std::uint8_t>(i * 7), 0};
    ASSERT_EQ(WritePCX((dir / "r.pcx").string(), *pic), 1);
    auto back = ReadBack(dir / "r.pcx", false);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(testsupport::SameColours(*back, *pic));
    EXPECT_EQ(back->palette(), pic->palette());
    fs::remove_all(dir);
}

TEST(TiffWrite, EveryDepthReadsBackExactlyWithoutLzw) {
    const auto dir = testsupport::TempDir("tiffwrite");
    ASSERT_TRUE(testsupport::HaveTool("tiffinfo"));
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.blackWhite ? " bw" : ""));
        const Bitmap pic =
            Picture(c.width, 19, c.bits, static_cast<unsigned>(c.bits + c.width), c.blackWhite);
        const auto file = dir / "w.tif";
        ASSERT_EQ(WriteTIFF(file.string(), pic), 1) << LastError();
        auto back = ReadBack(file, true);
        ASSERT_TRUE(back.ok()) << back.message();
        EXPECT_EQ(back->bits(), c.bits);
        EXPECT_TRUE(testsupport::SameColours(*back, pic));
        core::imagelib::FileFacts facts;
        ASSERT_GE(core::imagelib::GetFileFacts(file.string(), &facts), 0);
        EXPECT_EQ(facts.compressionText.find("LZ"), std::string::npos);
        const auto info = dir / "info.txt";
        testsupport::Run("tiffinfo " + file.string() + " > " + info.string() + " 2>&1");
        const std::string s = testsupport::ReadText(info);
        EXPECT_NE(s.find(c.blackWhite ? "CCITT Group 4" : "Deflate"), std::string::npos) << s;
        ExpectTool("tifftopnm", "tifftopnm " + file.string() + " | ppmtoppm", pic, dir);
        ExpectTool("convert", "convert " + file.string() + " -depth 8 ppm:-", pic, dir);
    }
    // White first in the palette: a min-is-white fax picture.
    Bitmap inverted = Picture(40, 8, 1, 3, true);
    inverted.palette()[0] = Rgbq{255, 255, 255, 0};
    inverted.palette()[1] = Rgbq{0, 0, 0, 0};
    ASSERT_EQ(WriteTIFF((dir / "mw.tif").string(), inverted), 1);
    auto back = ReadBack(dir / "mw.tif", true);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(testsupport::SameColours(*back, inverted));
    ExpectTool("tifftopnm", "tifftopnm " + (dir / "mw.tif").string() + " | ppmtoppm", inverted,
               dir);
    fs::remove_all(dir);
}

// Stopped, unwritable and empty: the existing file stays and no stray file is left.
TEST(PcxTiffWrite, FailuresKeepTheOldFile) {
    const auto dir = testsupport::TempDir("pcxtiffatomic");
    const Bitmap pic = Picture(300, 300, 24, 1);
    for (bool tiff : {false, true}) {
        auto write = [&](const fs::path& p, const Bitmap& b, const core::ProgressFn& fn) {
            return tiff ? WriteTIFF(p.string(), b, fn) : WritePCX(p.string(), b, fn);
        };
        const auto target = dir / (tiff ? "keep.tif" : "keep.pcx");
        testsupport::WriteBytes(target, {'o', 'l', 'd'});
        EXPECT_EQ(write(target, pic, [](int p) { return p < 50; }), -1);
        EXPECT_EQ(LastError(), "Stopped.");
        EXPECT_EQ(testsupport::ReadBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
        EXPECT_EQ(write(dir / "none" / "x", pic, {}), -1);
        EXPECT_FALSE(LastError().empty());
        EXPECT_EQ(write(dir / "empty", Bitmap{}, {}), -1);
        ASSERT_EQ(write(target, pic, {}), 1);
        EXPECT_TRUE(testsupport::SameColours(ReadBack(target, tiff).value(), pic));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);
    fs::remove_all(dir);
}
