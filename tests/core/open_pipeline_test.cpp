// The open pipeline's routing on files made by other encoders.
#include "core/input/open_pipeline.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Opened {
    core::ProbeResult probe;
    core::DocumentState doc;
    core::Result<core::DecodedPicture> decoded = core::Error{"not decoded"};
};

Opened OpenPath(const std::filesystem::path& path, core::OpenEnvironment env = {}) {
    Opened o;
    if (!std::filesystem::exists(path)) return o;
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    o.doc.CurrentFile = path.string();
    o.doc.PreviousFile = "previous.png";
    o.probe = pipeline.ProbeFile(o.doc, env);
    if (o.probe.result == 1) o.decoded = pipeline.OpenImage(o.doc, env, {});
    return o;
}

Opened Open(const std::string& name, core::OpenEnvironment env = {}) {
    return OpenPath(testsupport::Fixture(name), env);
}

#define REQUIRE_FIXTURE(name) ASSERT_TRUE(testsupport::Exists(testsupport::Fixture(name)))

} // namespace

TEST(OpenPipeline, FaxPagesBecomeGrayAtEachQuality) {
    REQUIRE_FIXTURE("pipe_fax.tif");
    const struct {
        int quality, w, h, bits;
    } cases[] = {{1, 860, 1096, 8}, {2, 573, 730, 8}, {3, 430, 548, 8}, {0, 1728, 2200, 1}};
    for (const auto& c : cases) {
        core::OpenEnvironment env;
        env.FaxQuality = c.quality;
        auto o = Open("pipe_fax.tif", env);
        ASSERT_TRUE(o.decoded) << o.decoded.message();
        EXPECT_EQ(o.decoded->picture.width(), c.w) << c.quality;
        EXPECT_EQ(o.decoded->picture.height(), c.h);
        EXPECT_EQ(o.doc.PictureBits, c.bits);
        if (c.quality == 1 || c.quality == 3) {
            // A pixel checkerboard averages to mid gray over even blocks.
            const int v = o.decoded->picture.row(10)[10];
            EXPECT_NEAR(v, 128, 2);
        }
    }
}

TEST(OpenPipeline, FaxReductionArithmetic) {
    const auto r = core::FaxReductionSize(1728, 2200, 2);
    EXPECT_EQ(r.sourceWidth, 1720);
    EXPECT_EQ(r.sourceHeight, 2192);
    EXPECT_EQ(r.width, 573);
    EXPECT_EQ(r.height, 730);
    // Tiny 1-bit pictures are shown as they are instead of shrinking to nothing.
    EXPECT_FALSE(core::ShouldReduceFaxPage(8, 8, 1, 1));
    EXPECT_FALSE(core::ShouldReduceFaxPage(16, 15, 1, 1));
    EXPECT_TRUE(core::ShouldReduceFaxPage(16, 16, 1, 1));
    EXPECT_FALSE(core::ShouldReduceFaxPage(100, 100, 8, 1));
    EXPECT_FALSE(core::ShouldReduceFaxPage(100, 100, 1, 0));
}

TEST(OpenPipeline, LzwIsRefusedWithTheWarning) {
    REQUIRE_FIXTURE("pipe_lzw.tif");
    auto o = Open("pipe_lzw.tif");
    EXPECT_EQ(o.probe.result, -1);
    EXPECT_EQ(o.probe.message, core::ProbeMessage::LzwRefused);
    EXPECT_EQ(o.probe.text.rfind("LZW compresssion is NOT supported.\n", 0), 0u);
    core::OpenEnvironment show;
    show.ShowRunning = true; // skipped silently during a slideshow
    auto s = Open("pipe_lzw.tif", show);
    EXPECT_EQ(s.probe.result, -1);
    EXPECT_EQ(s.probe.message, core::ProbeMessage::None);
}

TEST(OpenPipeline, UnacceptedExtensionPutsThePreviousNameBack) {
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    core::DocumentState doc;
    doc.CurrentFile = "/tmp/notes.txt";
    doc.PreviousFile = "/tmp/a.png";
    EXPECT_EQ(pipeline.ProbeFile(doc, {}).result, -1);
    EXPECT_EQ(doc.CurrentFile, "/tmp/a.png");
    doc.CurrentFile = "/tmp/clip.MP3";
    EXPECT_EQ(pipeline.ProbeFile(doc, {}).result, 2);
}

TEST(OpenPipeline, DeepBmpGoesThroughTheBitmapReader) {
    REQUIRE_FIXTURE("pipe_16.bmp");
    auto o = Open("pipe_16.bmp");
    ASSERT_TRUE(o.decoded) << o.decoded.message();
    EXPECT_TRUE(o.doc.BmpReader);
    EXPECT_EQ(o.decoded->decoder, core::Decoder::BmpReader);
    EXPECT_EQ(o.doc.PictureBits, 24);
}

TEST(OpenPipeline, GrayTgaUsesTheSmallReader) {
    REQUIRE_FIXTURE("pipe_gray.tga");
    auto o = Open("pipe_gray.tga");
    ASSERT_TRUE(o.decoded) << o.decoded.message();
    EXPECT_EQ(o.doc.typeText, "3");
    EXPECT_EQ(o.decoded->decoder, core::Decoder::GrayTga);
    EXPECT_EQ(o.doc.PictureBits, 8);
}

TEST(OpenPipeline, PngRouting) {
    REQUIRE_FIXTURE("pipe_pal.png");
    auto pal = Open("pipe_pal.png");
    ASSERT_TRUE(pal.decoded) << pal.decoded.message();
    EXPECT_EQ(pal.decoded->decoder, core::Decoder::ImageMan); // 8 bits or fewer
    EXPECT_LE(pal.doc.PictureBits, 8);
    auto rgb = Open("pipe_rgb.png");
    ASSERT_TRUE(rgb.decoded) << rgb.decoded.message();
    EXPECT_EQ(rgb.decoded->decoder, core::Decoder::ImageLibPng);
    EXPECT_EQ(rgb.doc.PictureBits, 24);
}

TEST(OpenPipeline, JpegDecodeChoice) {
    REQUIRE_FIXTURE("pipe_big.jpg");
    auto jp = Open("pipe_photo.jp"); // ".JP" is a JPEG by substring
    ASSERT_TRUE(jp.decoded) << jp.decoded.message();
    EXPECT_EQ(jp.decoded->decoder, core::Decoder::JpegDirect);

    auto wide = Open("pipe_wide.jpg"); // height at most 1536: direct, device-dependent
    ASSERT_TRUE(wide.decoded);
    EXPECT_EQ(wide.decoded->decoder, core::Decoder::JpegDirect);
    EXPECT_EQ(core::PictureDescription(wide.doc, wide.decoded->picture), "4000x1000x16m ddb");

    auto big = Open("pipe_big.jpg"); // large: full decode, kept device-independent
    ASSERT_TRUE(big.decoded);
    EXPECT_EQ(big.decoded->decoder, core::Decoder::JpegFull);
    EXPECT_EQ(core::PictureDescription(big.doc, big.decoded->picture), "4000x3000x16m dib");

    core::OpenEnvironment fit;
    fit.FitToWindow = true;
    auto boxed = Open("pipe_big.jpg", fit);
    ASSERT_TRUE(boxed.decoded);
    EXPECT_EQ(boxed.decoded->decoder, core::Decoder::JpegScaled);
    EXPECT_EQ(boxed.decoded->picture.width(), 1000);
    EXPECT_EQ(core::PictureDescription(boxed.doc, boxed.decoded->picture),
              "4000x3000x16m [1:4] ddb");
}

TEST(OpenPipeline, DamagedJpegFallsBackToTheTolerantDecoder) {
    REQUIRE_FIXTURE("pipe_trunc.jpg");
    auto o = Open("pipe_trunc.jpg");
    ASSERT_TRUE(o.decoded) << o.decoded.message();
    EXPECT_EQ(o.decoded->picture.width(), 64);
    EXPECT_FALSE(o.doc.JpegFallback); // cleared after a successful open
}

TEST(OpenPipeline, MultiPageFiles) {
    REQUIRE_FIXTURE("pipe_pages.dcx");
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    core::DocumentState doc;
    doc.CurrentFile = testsupport::Fixture("pipe_pages.dcx").string();
    core::OpenEnvironment env;
    ASSERT_EQ(pipeline.ProbeFile(doc, env).result, 1);
    EXPECT_EQ(doc.PageCount, 3);
    ASSERT_TRUE(pipeline.OpenImage(doc, env, {}));
    EXPECT_NE(pipeline.libraryImage(), 0);
    auto third = pipeline.DecodePage(doc, env, 2, {});
    ASSERT_TRUE(third) << third.message();
    EXPECT_EQ(third->picture.rgb(0, 0), 0x0000FFu);
    EXPECT_FALSE(pipeline.DecodePage(doc, env, 3, {}));
}

TEST(OpenPipeline, PageAfterTheLibraryImageWasClosedReadsTheFileAgain) {
    // Applying the options closes the library image; the next page command
    // must open the file again at its page, not read a closed handle.
    REQUIRE_FIXTURE("pipe_pages.dcx");
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    core::DocumentState doc;
    doc.CurrentFile = testsupport::Fixture("pipe_pages.dcx").string();
    core::OpenEnvironment env;
    ASSERT_EQ(pipeline.ProbeFile(doc, env).result, 1);
    ASSERT_TRUE(pipeline.OpenImage(doc, env, {}));
    pipeline.CloseLibraryImage();
    EXPECT_EQ(pipeline.libraryImage(), 0);
    auto third = pipeline.DecodePage(doc, env, 2, {});
    ASSERT_TRUE(third) << third.message();
    EXPECT_EQ(third->picture.rgb(0, 0), 0x0000FFu);
    EXPECT_NE(pipeline.libraryImage(), 0);
}

TEST(PictureDescription, ColourTexts) {
    EXPECT_EQ(core::ColourCountText(15), "32k");
    EXPECT_EQ(core::ColourCountText(32), "16m");
    EXPECT_EQ(core::ColourCountText(16), "64k");
    EXPECT_EQ(core::ColourCountText(2), "?");
    core::DocumentState doc;
    doc.PictureBits = 8;
    auto bm = core::Bitmap::Create(640, 480, 8).value();
    EXPECT_EQ(core::PictureDescription(doc, bm), "640x480x256 dib");
}

// A file cut short still shows the rows it has, and the decode says that the
// rest is missing; whole files never say so.
TEST(OpenPipeline, CutFilesAreMarkedIncomplete) {
    const auto dir = testsupport::TempDir("pipeline_incomplete");
    for (const char* name : {"bmp_v3_rle8.bmp", "bmp_os2_24.bmp", "jpeg_420.jpg"}) {
        SCOPED_TRACE(name);
        REQUIRE_FIXTURE(name);
        const std::vector<std::uint8_t> whole = testsupport::FixtureBytes(name);
        const std::string ext = std::filesystem::path(name).extension().string();
        for (std::size_t keep : {whole.size(), whole.size() * 2 / 3}) {
            const auto path = dir / ("cut" + std::to_string(keep) + ext);
            testsupport::WriteBytes(path, {whole.begin(), whole.begin() + keep});
            const Opened o = OpenPath(path);
            ASSERT_EQ(o.probe.result, 1);
            ASSERT_TRUE(o.decoded) << o.decoded.message();
            EXPECT_EQ(o.decoded->incomplete, keep != whole.size()) << keep;
        }
    }
}

// Damaged JPEG and PNG files are refused in plain words first, with the
// library's own text, if any, after them in brackets.
TEST(OpenPipeline, DamagedFilesAreRefusedInPlainWords) {
    const auto dir = testsupport::TempDir("pipeline_damaged");
    int refused = 0;
    for (const char* name : {"jpeg_420.jpg", "pipe_rgb.png"}) {
        SCOPED_TRACE(name);
        REQUIRE_FIXTURE(name);
        const std::vector<std::uint8_t> whole = testsupport::FixtureBytes(name);
        const std::string ext = std::filesystem::path(name).extension().string();
        for (unsigned seed = 0; seed < 40; ++seed) {
            std::vector<std::uint8_t> bytes = whole;
            std::uint32_t r = seed * 2654435761u + 1;
            auto next = [&r] { return r = r * 1664525u + 1013904223u; };
            // Bytes changed in the headers and tables, or the file cut short.
            if (seed % 2)
                for (int i = 0; i < 6; ++i)
                    bytes[8 + next() % std::min<std::size_t>(bytes.size() - 8, 400)] =
                        static_cast<std::uint8_t>(next());
            else
                bytes.resize(16 + next() % (bytes.size() / 2));
            const auto path = dir / ("d" + std::to_string(seed) + ext);
            testsupport::WriteBytes(path, bytes);
            const Opened o = OpenPath(path);
            if (o.probe.result == 1 && o.decoded) continue;
            const std::string message = o.probe.result == 1 ? o.decoded.message() : o.probe.text;
            if (message.empty()) continue;
            ++refused;
            EXPECT_TRUE(message.rfind("The file is ", 0) == 0 ||
                        message.rfind("Unknown file format.", 0) == 0)
                << seed << ": " << message;
        }
    }
    EXPECT_GT(refused, 10);
}
