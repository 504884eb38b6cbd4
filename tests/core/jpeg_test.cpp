// The JPEG decoder against djpeg's output with the same IDCT and quantiser
// settings, and the tolerant decoder on damaged files.
#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/input/jpeg_cmyk.h"
#include "core/input/jpeg_decoder.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace {

using testsupport::Fixture;

// A missing fixture throws, naming it: the test fails.
#define NEED_FIXTURE(bytes, name) auto bytes = testsupport::FixtureBytes(name)

int DiffToRef(const core::Bitmap& picture, const std::string& refName) {
    return testsupport::MaxChannelDiff(picture, testsupport::ReadPnm(Fixture(refName)));
}

bool RowIsGray(const core::Bitmap& picture, int y) {
    for (int x = 0; x < picture.width(); ++x)
        if (picture.rgb(x, y) != 0x808080) return false;
    return true;
}

TEST(JpegDecoder, FullDecodesMatchDjpegFastIdct) {
    for (const char* kind : {"420", "444", "422", "prog", "restart", "odd"}) {
        SCOPED_TRACE(kind);
        NEED_FIXTURE(bytes, std::string("jpeg_") + kind + ".jpg");
        core::JpegDecoder dec;
        dec.LoadBytes(bytes);
        auto header = dec.ReadHeader();
        ASSERT_TRUE(header) << header.message();
        EXPECT_EQ(header->components, 3);
        EXPECT_EQ(header->progressive, std::string(kind) == "prog");
        EXPECT_EQ(header->bits(), 24);
        auto picture = dec.Decode(core::kDitherNone, {});
        ASSERT_TRUE(picture) << picture.message();
        EXPECT_EQ(picture->bits(), 24);
        EXPECT_EQ(picture->width(), header->width);
        EXPECT_EQ(DiffToRef(*picture, std::string("jpeg_") + kind + "_fast.pnm"), 0);
    }
}

TEST(JpegDecoder, ScaledDecodesMatchDjpegAndFollowTheLastScale) {
    for (const char* kind : {"420", "prog"}) {
        NEED_FIXTURE(bytes, std::string("jpeg_") + kind + ".jpg");
        core::JpegDecoder dec;
        dec.LoadBytes(bytes);
        // 1/8 right after 1/4 must really be 1/8.
        for (int n : {2, 4, 8, 1}) {
            SCOPED_TRACE(std::string(kind) + " 1/" + std::to_string(n));
            dec.setScale(n);
            auto header = dec.ReadHeader();
            ASSERT_TRUE(header);
            EXPECT_EQ(header->fullWidth, 123);
            EXPECT_EQ(header->width, (123 + n - 1) / n);
            EXPECT_EQ(header->height, (77 + n - 1) / n);
            auto picture = dec.Decode(core::kDitherNone, {});
            ASSERT_TRUE(picture) << picture.message();
            const std::string ref =
                n == 1 ? std::string("jpeg_") + kind + "_fast.pnm"
                       : std::string("jpeg_") + kind + "_s" + std::to_string(n) + ".pnm";
            EXPECT_EQ(DiffToRef(*picture, ref), 0);
        }
    }
}

TEST(JpegDecoder, GrayFilesGiveEightBitsWithAGrayRampAndAreNeverQuantised) {
    NEED_FIXTURE(bytes, "jpeg_gray.jpg");
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    EXPECT_EQ(dec.ReadHeader()->bits(), 8);
    for (bool eightBit : {false, true})
        for (bool speed : {true, false}) {
            dec.setEightBit(eightBit);
            dec.setSpeed(speed);
            auto picture = dec.Decode(core::kDitherFs, {});
            ASSERT_TRUE(picture) << picture.message();
            EXPECT_EQ(picture->bits(), 8);
            EXPECT_EQ(picture->palette(), core::GrayPalette(8));
            if (speed) {
                EXPECT_EQ(DiffToRef(*picture, "jpeg_gray_fast.pnm"), 0);
            }
        }
}

TEST(JpegDecoder, EightBitOutputMatchesDjpegQuantiser) {
    NEED_FIXTURE(bytes, "jpeg_420.jpg");
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    dec.setEightBit(true);
    struct Case {
        bool speed;
        int dither;
        const char* ref;
        std::size_t colours;
    };
    // One pass gives a fixed 6×6×6 map of 216 colours; two passes the full 236.
    const Case cases[] = {{true, core::kDitherOrdered, "jpeg_420_q1_ordered.pnm", 216},
                          {true, core::kDitherFs, "jpeg_420_q1_fs.pnm", 216},
                          {true, core::kDitherNone, "jpeg_420_q1_none.pnm", 216},
                          {false, core::kDitherNone, "jpeg_420_q2_none.pnm", 236},
                          {false, core::kDitherFsOptimal, "jpeg_420_q2_fs.pnm", 236}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ref);
        dec.setSpeed(c.speed);
        auto picture = dec.Decode(c.dither, {});
        ASSERT_TRUE(picture) << picture.message();
        EXPECT_EQ(picture->bits(), 8);
        EXPECT_EQ(picture->palette().size(), c.colours);
        EXPECT_EQ(DiffToRef(*picture, c.ref), 0);
    }
}

TEST(JpegDecoder, AdobeCmykIsConvertedToRgb) {
    // Inverted inks: full "ink" values 255 are no ink at all.
    EXPECT_EQ(core::jpeg::CmykToRgb(255, 255, 255, 255, true), 0xFFFFFFu);
    EXPECT_EQ(core::jpeg::CmykToRgb(0, 0, 0, 0, false), 0xFFFFFFu);
    EXPECT_EQ(core::jpeg::CmykToRgb(255, 0, 0, 0, false), 0x00FFFFu);
    EXPECT_EQ(core::jpeg::CmykToRgb(0, 255, 255, 255, true), 0x00FFFFu);
    EXPECT_EQ(core::jpeg::CmykToRgb(0, 0, 0, 128, false), 0x7F7F7Fu);

    NEED_FIXTURE(bytes, "jpeg_cmyk.jpg");
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    auto header = dec.ReadHeader();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->components, 4);
    EXPECT_TRUE(header->adobeInverted);
    auto picture = dec.Decode(core::kDitherNone, {});
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->bits(), 24);
    EXPECT_EQ(DiffToRef(*picture, "jpeg_cmyk_fast.pnm"), 0);
    // ImageMagick decodes with the accurate IDCT, a few units away from the fast one.
    EXPECT_LE(DiffToRef(*picture, "jpeg_cmyk_ref.ppm"), 4);

    // 8-bit output quantises in CMYK and converts the map.
    dec.setEightBit(true);
    auto indexed = dec.Decode(core::kDitherNone, {});
    ASSERT_TRUE(indexed) << indexed.message();
    EXPECT_EQ(indexed->bits(), 8);
    EXPECT_LE(indexed->palette().size(), 236u);
    EXPECT_LE(
        testsupport::MaxChannelDiff(*indexed, testsupport::ReadPnm(Fixture("jpeg_cmyk_ref.ppm"))),
        96);
}

TEST(JpegDecoder, StripsCarryTheSameRowsAndProgressCanStop) {
    NEED_FIXTURE(bytes, "jpeg_420.jpg");
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    auto whole = dec.Decode(core::kDitherNone, {});
    ASSERT_TRUE(whole);

    int nextRow = 0, lastPercent = -1;
    bool rowsMatch = true;
    auto sink = [&](const core::JpegDecoder::Strip& s) {
        EXPECT_EQ(s.firstRow, nextRow);
        EXPECT_LE(s.rows, 4);
        for (int i = 0; i < s.rows; ++i)
            rowsMatch &= std::memcmp(s.data + s.stride * i, whole->row(s.firstRow + i),
                                     whole->stride()) == 0;
        nextRow += s.rows;
        return true;
    };
    auto progress = [&](int percent) {
        EXPECT_GT(percent, lastPercent);
        lastPercent = percent;
        return true;
    };
    auto st = dec.DecodeStrips(core::kDitherNone, 4, sink, nullptr, progress);
    ASSERT_TRUE(st) << st.message();
    EXPECT_EQ(nextRow, 77);
    EXPECT_TRUE(rowsMatch);
    EXPECT_EQ(lastPercent, 100);

    nextRow = 0;
    auto stopAtHalf = [](int percent) { return percent < 50; };
    EXPECT_EQ(dec.Decode(core::kDitherNone, stopAtHalf).message(), "Stopped.");
    EXPECT_EQ(dec.DecodeStrips(core::kDitherNone, 4, sink, nullptr, stopAtHalf).message(),
              "Stopped.");
    nextRow = 0;
    auto refuse = [](const core::JpegDecoder::Strip&) { return false; };
    EXPECT_EQ(dec.DecodeStrips(core::kDitherNone, 4, refuse, nullptr, {}).message(), "Stopped.");

    // 8-bit strips come with the palette before the first strip.
    dec.setEightBit(true);
    std::vector<core::Rgbq> palette;
    bool paletteFirst = true;
    auto check = [&](const core::JpegDecoder::Strip&) {
        paletteFirst &= palette.size() == 216;
        return true;
    };
    ASSERT_TRUE(dec.DecodeStrips(core::kDitherOrdered, 4, check, &palette, {}));
    EXPECT_TRUE(paletteFirst);
}

TEST(JpegDecoder, ScaleStepAndLoadTime) {
    EXPECT_EQ(core::JpegScaleStep(8000, 6000, 640, 480), 8);
    EXPECT_EQ(core::JpegScaleStep(8000, 6000, 1280, 960), 4);
    EXPECT_EQ(core::JpegScaleStep(1200, 900, 640, 480), 1);
    EXPECT_EQ(core::JpegScaleStep(1281, 100, 640, 480), 2); // width alone decides
    EXPECT_EQ(core::JpegScaleStep(100000, 100000, 10, 10), 8);

    EXPECT_EQ(core::LoadTimeText(250), "Loaded 0.1s");
    EXPECT_EQ(core::LoadTimeText(1234), "Loaded 1.1s");
    EXPECT_EQ(core::LoadTimeText(150), "Loaded 0.1s");
    EXPECT_EQ(core::LoadTimeText(200), "Loaded 0.2s");
    EXPECT_EQ(core::LoadTimeText(201), "Loaded 0.1s");
}

TEST(JpegDecoder, MalformedFilesFailCleanly) {
    core::JpegDecoder dec;
    EXPECT_FALSE(dec.ReadHeader());
    EXPECT_FALSE(dec.Decode(core::kDitherNone, {}));
    EXPECT_FALSE(core::imagelib::DecodeJpegTolerant({}, {}));

    std::mt19937 rng(7);
    std::vector<std::uint8_t> noise(5000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());
    dec.LoadBytes(noise);
    EXPECT_FALSE(dec.Decode(core::kDitherNone, {}));
    noise[0] = 0xFF, noise[1] = 0xD8; // a start marker, then garbage
    dec.LoadBytes(noise);
    EXPECT_FALSE(dec.Decode(core::kDitherNone, {}));
    EXPECT_FALSE(core::imagelib::DecodeJpegTolerant(noise, {}));
}

TEST(JpegDecoder, AbsurdFrameSizesAreRefusedBeforeAllocation) {
    NEED_FIXTURE(bytes, "jpeg_prog.jpg");
    // Find the frame header and claim 30000 × 30000 pixels.
    std::size_t sof = 0;
    for (std::size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    bytes[sof + 5] = bytes[sof + 7] = 0x75;
    bytes[sof + 6] = bytes[sof + 8] = 0x30;
    core::SetFreeMemoryProvider([] { return std::uint64_t{512} << 20; });
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    auto header = dec.ReadHeader();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 30000);
    auto picture = dec.Decode(core::kDitherNone, {});
    auto tolerant = core::imagelib::DecodeJpegTolerant(bytes, {});
    core::SetFreeMemoryProvider({});
    ASSERT_FALSE(picture);
    EXPECT_EQ(picture.message(), "Insufficient memory.");
    ASSERT_FALSE(tolerant);
    EXPECT_EQ(tolerant.message(), "Insufficient memory.");
}

TEST(JpegTolerant, TruncatedFilesKeepTheirTopAndTurnGrayBelow) {
    for (const char* kind : {"420", "prog", "cmyk", "gray"}) {
        SCOPED_TRACE(kind);
        NEED_FIXTURE(bytes, std::string("jpeg_") + kind + ".jpg");
        auto full = core::imagelib::DecodeJpegTolerant(bytes, {});
        ASSERT_TRUE(full) << full.message();
        EXPECT_FALSE(RowIsGray(*full, full->height() - 1));
        for (std::size_t len = 0; len < bytes.size() - 2; len += 37) {
            const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + len);
            core::JpegDecoder dec;
            dec.LoadBytes(cut);
            const bool headerComplete = dec.ReadHeader().ok();
            EXPECT_FALSE(dec.Decode(core::kDitherNone, {})) << len;
            auto picture = core::imagelib::DecodeJpegTolerant(cut, {});
            ASSERT_EQ(picture.ok(), headerComplete) << len;
            if (!picture) continue;
            EXPECT_EQ(picture->width(), full->width());
            EXPECT_EQ(picture->bits(), full->bits());
            // Sequential files lose the lower rows; progressive ones keep the
            // whole picture at the detail of the scans that arrived.
            const bool progressive = std::string(kind) == "prog";
            if (!progressive && len < bytes.size() / 2) {
                EXPECT_TRUE(RowIsGray(*picture, picture->height() - 1)) << len;
            }
            if (progressive && len > bytes.size() / 2) {
                EXPECT_FALSE(RowIsGray(*picture, picture->height() - 1)) << len;
            }
        }
        // Half a baseline file: the top rows are the ones a whole decode gives.
        if (std::string(kind) == "420") {
            const std::vector<std::uint8_t> half(bytes.begin(), bytes.begin() + bytes.size() / 2);
            auto picture = core::imagelib::DecodeJpegTolerant(half, {});
            ASSERT_TRUE(picture);
            EXPECT_EQ(std::memcmp(picture->row(0), full->row(0), full->stride() * 8), 0);
        }
    }
}

TEST(JpegTolerant, ProgressiveFileCutInsideAMarkerSegmentKeepsTheWholeScans) {
    NEED_FIXTURE(bytes, "jpeg_prog.jpg");
    // The first table segment after the second scan header: cutting inside it
    // makes libjpeg raise a fatal error after two whole scans.
    std::size_t sos = 0, dht = 0;
    int scans = 0;
    for (std::size_t i = 2; i + 3 < bytes.size() && !dht; ++i) {
        if (bytes[i] != 0xFF) continue;
        if (bytes[i + 1] == 0xDA && ++scans == 2) sos = i;
        if (bytes[i + 1] == 0xC4 && sos) dht = i;
    }
    if (!dht) GTEST_SKIP() << "no table segment between the scans";
    const std::vector<std::uint8_t> inside(bytes.begin(), bytes.begin() + dht + 6);
    const std::vector<std::uint8_t> before(bytes.begin(), bytes.begin() + dht);
    auto broken = core::imagelib::DecodeJpegTolerant(inside, {});
    ASSERT_TRUE(broken) << broken.message();
    auto whole = core::imagelib::DecodeJpegTolerant(before, {});
    ASSERT_TRUE(whole) << whole.message();
    EXPECT_FALSE(RowIsGray(*broken, broken->height() - 1));
    ASSERT_EQ(broken->byteSize(), whole->byteSize());
    EXPECT_EQ(std::memcmp(broken->data(), whole->data(), whole->byteSize()), 0);
}

TEST(JpegTolerant, JpegToDibDeliversAPackedDib) {
    NEED_FIXTURE(bytes, "jpeg_420.jpg");
    const auto dir = testsupport::TempDir("jpeg-dib");
    const auto path = dir / "cut.jpg";
    testsupport::WriteBytes(path, {bytes.begin(), bytes.begin() + bytes.size() * 2 / 3});
    core::PackedDib dib;
    ASSERT_EQ(core::imagelib::JpegToDIB(path.string(), 24, &dib, {}), 1);
    ASSERT_EQ(dib.size(), core::kInfoHeaderSize + core::RowStride(123, 24) * 77);
    EXPECT_EQ(core::ReadLE32(dib.data() + 4), 123u);
    EXPECT_EQ(core::ReadLE32(dib.data() + 8), 77u);
    EXPECT_EQ(core::ReadLE16(dib.data() + 14), 24u);

    EXPECT_LT(core::imagelib::JpegToDIB((dir / "none.jpg").string(), 24, &dib, {}), 0);
    EXPECT_FALSE(core::imagelib::LastError().empty());
    std::filesystem::remove_all(dir);
}

} // namespace
