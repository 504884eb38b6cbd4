// Files that once crashed a decoder, and absurd header values: each is refused
// with a message (or shown, where there is something to show) and never
// brings the process down. Every file in tests/data/crashers/ goes through
// the whole open pipeline with each extension the program routes on.
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"
#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"
#include "core/imagelib/tiff_facts.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::filesystem::path kCrashers = std::filesystem::path(VISTREL_TEST_DATA) / "crashers";

std::vector<std::uint8_t> TwoSofJpeg() {
    return testsupport::ReadBytes(kCrashers / "jpeg_two_sof_870b.jpg");
}

// A little-endian TIFF with one IFD: width, height, bits per sample, samples
// per pixel and one empty strip.
std::vector<std::uint8_t> TinyTiff(std::uint16_t bps, std::uint16_t spp) {
    std::vector<std::uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16 = [&](unsigned v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto entry = [&](unsigned tag, unsigned type, std::uint32_t value) {
        u16(tag);
        u16(type);
        u32(1);
        if (type == 3) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    };
    u16(7);
    entry(256, 4, 4);   // width
    entry(257, 4, 4);   // height
    entry(258, 3, bps); // bits per sample
    entry(262, 3, 1);   // min-is-black
    entry(273, 4, 8);   // strip offset
    entry(277, 3, spp); // samples per pixel
    entry(279, 4, 0);   // strip byte count
    u32(0);
    return b;
}

} // namespace

TEST(HostileInput, TwoFrameHeadersAreRefusedByEveryJpegDecode) {
    const auto bytes = TwoSofJpeg();
    ASSERT_EQ(bytes.size(), 870u);
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    // The header itself is fine; the second frame header comes after a scan.
    ASSERT_TRUE(dec.ReadHeader());
    for (int scale : {1, 2, 4, 8})
        for (bool eightBit : {false, true})
            for (bool speed : {false, true}) {
                SCOPED_TRACE(testing::Message() << "1/" << scale << " eightBit " << eightBit
                                                << " speed " << speed);
                dec.setScale(scale);
                dec.setEightBit(eightBit);
                dec.setSpeed(speed);
                for (int dither = 0; dither < 4; ++dither)
                    EXPECT_FALSE(dec.Decode(dither, {}));
                std::vector<core::Rgbq> palette;
                auto strips = dec.DecodeStrips(core::kDitherNone, 4,
                                               [](const core::JpegDecoder::Strip&) { return true; },
                                               &palette, {});
                ASSERT_FALSE(strips);
                EXPECT_NE(strips.message().find("two SOF markers"), std::string::npos)
                    << strips.message();
            }
    // The fallback decoder must not resume libjpeg after its error either.
    auto tolerant = core::imagelib::DecodeJpegTolerant(bytes, {});
    ASSERT_FALSE(tolerant);
    EXPECT_NE(tolerant.message().find("two SOF markers"), std::string::npos);
}

TEST(HostileInput, EveryCrasherGoesThroughTheOpenPipeline) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kCrashers)) {
        ++files;
        // The same bytes under every extension: the probe and decoder chosen by
        // the name must each cope with them.
        for (const char* ext : {".jpg", ".png", ".bmp", ".pcx", ".dcx", ".tif", ".tga", ".pcd"}) {
            SCOPED_TRACE(entry.path().filename().string() + " as " + ext);
            const auto dir = testsupport::TempDir("crasher");
            const auto path = dir / (std::string("file") + ext);
            std::filesystem::copy_file(entry.path(), path);
            core::JpegDecoder jpeg;
            core::OpenPipeline pipeline(jpeg);
            core::DocumentState doc;
            doc.CurrentFile = path.string();
            doc.PreviousFile = "previous.png";
            core::OpenEnvironment env;
            const auto probe = pipeline.ProbeFile(doc, env);
            if (probe.result != 1) continue;
            auto decoded = pipeline.OpenImage(doc, env, {});
            if (!decoded) {
                EXPECT_FALSE(decoded.message().empty());
            }
        }
    }
    EXPECT_GE(files, 1);
}

TEST(HostileInput, TiffSampleLayoutsNoReaderHandlesAreRefused) {
    // 65528 × 44801 overflowed the bit count as an int product.
    for (auto [bps, spp] : {std::pair<int, int>{65528, 44801}, {3, 1}, {32, 1}, {8, 0}, {8, 9}}) {
        SCOPED_TRACE(testing::Message() << bps << " bits x " << spp << " samples");
        const auto file = TinyTiff(static_cast<std::uint16_t>(bps), static_cast<std::uint16_t>(spp));
        auto facts = core::ReadTiffFacts(file);
        ASSERT_FALSE(facts);
        EXPECT_FALSE(facts.message().empty()); // libtiff itself refuses 0 samples
        auto doc = core::imageman::OpenTiffDocument(core::imageman::Bytes(file.begin(), file.end()));
        if (doc) {
            EXPECT_FALSE((*doc)->facts(0));
            EXPECT_FALSE((*doc)->decode(0, {}));
        }
    }
    auto fine = core::ReadTiffFacts(TinyTiff(8, 3));
    ASSERT_TRUE(fine) << fine.message();
    EXPECT_EQ(fine->bits, 24);
}
