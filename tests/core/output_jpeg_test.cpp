// The JPEG encoder against cjpeg at the same settings: file sizes within 1 %
// and decodes within one level; the settings that change the stream.
#include "core/input/jpeg_decoder.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/jpeg_wizard.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using core::Bitmap;
using core::output::CompressJPEG;
using core::output::JpegSettings;
namespace fs = std::filesystem;

Bitmap FromRef(const testsupport::RefImage& ref) {
    auto pic = Bitmap::Create(ref.width, ref.height, 24);
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const std::uint32_t c = ref.rgb[static_cast<std::size_t>(y) * ref.width + x];
            pic->row(y)[3 * x] = static_cast<std::uint8_t>(c);
            pic->row(y)[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            pic->row(y)[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    return std::move(pic.value());
}

Bitmap Decode(const std::vector<std::uint8_t>& bytes) {
    core::JpegDecoder d;
    d.LoadBytes(bytes);
    d.setSpeed(false);
    auto pic = d.Decode(core::kDitherNone, {});
    EXPECT_TRUE(pic.ok());
    return pic.ok() ? std::move(pic.value()) : Bitmap{};
}

} // namespace

TEST(JpegEncode, MatchesCjpegAtTheSameSettings) {
    const auto src = testsupport::Fixture("output_plasma.ppm");
    ASSERT_TRUE(testsupport::Exists(src));
    const Bitmap picture = FromRef(testsupport::ReadPnm(src));
    const struct {
        int scale;
        const char* ref;
        bool progressive, gray;
    } cases[] = {{2, "output_q99.jpg", false, false},     {20, "output_q90.jpg", false, false},
                 {50, "output_q75.jpg", false, false},    {100, "output_q50.jpg", false, false},
                 {200, "output_q25.jpg", false, false},   {50, "output_q75_prog.jpg", true, false},
                 {50, "output_q75_gray.jpg", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ref);
        JpegSettings s;
        s.scale = c.scale;
        s.progressive = c.progressive;
        s.gray = c.gray;
        auto ours = CompressJPEG(picture, s);
        ASSERT_TRUE(ours.ok()) << ours.message();
        const auto theirs = testsupport::ReadBytes(testsupport::Fixture(c.ref));
        const double ratio = double(ours->size()) / double(theirs.size());
        EXPECT_NEAR(ratio, 1.0, 0.01) << ours->size() << " vs " << theirs.size();
        const Bitmap a = Decode(*ours), b = Decode(theirs);
        EXPECT_EQ(a.bits(), c.gray ? 8 : 24);
        const int diff = testsupport::MaxColourDiff(a, b);
        EXPECT_GE(diff, 0);
        EXPECT_LE(diff, 1);
    }
}

// Every picture depth goes through its palette; the settings reach the stream.
TEST(JpegEncode, DepthsAndSettings) {
    auto pic = Bitmap::Create(40, 24, 4);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 20; ++x)
            pic->row(y)[x] = static_cast<std::uint8_t>(x < 10 ? 0x12 : 0xEF);
    pic->palette()[1] = core::Rgbq{0, 0, 200, 0};
    pic->palette()[2] = core::Rgbq{0, 200, 0, 0};
    auto bytes = CompressJPEG(*pic, JpegSettings{.scale = 2});
    ASSERT_TRUE(bytes.ok());
    const Bitmap back = Decode(*bytes);
    ASSERT_EQ(back.width(), 40);
    EXPECT_NEAR(int(back.rgb(0, 5) >> 16), 200, 16);        // index 1: red 200
    EXPECT_NEAR(int((back.rgb(1, 5) >> 8) & 255), 200, 16); // index 2: green 200
    EXPECT_NEAR(int(back.rgb(30, 5) & 255), 0xEE, 8);       // index 14: gray ramp

    // A progressive stream has an SOF2 marker; a baseline one SOF0.
    auto hasMarker = [](const std::vector<std::uint8_t>& b, std::uint8_t m) {
        for (std::size_t i = 0; i + 1 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] == m) return true;
        return false;
    };
    EXPECT_TRUE(hasMarker(*bytes, 0xC0));
    auto prog = CompressJPEG(*pic, JpegSettings{.progressive = true});
    ASSERT_TRUE(prog.ok());
    EXPECT_TRUE(hasMarker(*prog, 0xC2));

    // Smoothing beyond libjpeg's 0..100 is capped, not passed on to wrap.
    const Bitmap noisy = Decode(CompressJPEG(*pic, JpegSettings{.scale = 2}).value());
    auto s100 = CompressJPEG(noisy, JpegSettings{.smoothing = 100});
    auto s255 = CompressJPEG(noisy, JpegSettings{.smoothing = 255});
    ASSERT_TRUE(s100.ok() && s255.ok());
    EXPECT_EQ(*s100, *s255);

    EXPECT_FALSE(CompressJPEG(Bitmap{}, {}).ok());
}

// A write that cannot finish leaves the old file as it was.
TEST(JpegEncode, SaveKeepsOldFileOnFailure) {
    const auto dir = testsupport::TempDir("jpegsave");
    const auto target = dir / "keep.jpg";
    testsupport::WriteBytes(target, {'o', 'l', 'd'});
    auto pic = Bitmap::Create(64, 64, 24);
    const auto st = core::output::SaveJPEG(target.string(), *pic, {}, [](int p) { return p < 40; });
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(testsupport::ReadBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
    ASSERT_TRUE(core::output::SaveJPEG(target.string(), *pic, {}).ok());
    EXPECT_EQ(Decode(testsupport::ReadBytes(target)).width(), 64);
    fs::remove_all(dir);
}

// A wizard Test: smoothing only when asked, the status texts, the bytes kept.
TEST(JpegWizard, TestRunsSmoothingCompressionAndTexts) {
    using namespace core::output;
    auto pic = Bitmap::Create(48, 32, 24);
    for (int y = 0; y < 32; ++y)
        for (std::size_t i = 0; i < 144; ++i)
            pic->row(y)[i] = static_cast<std::uint8_t>(i * 7 + y * 13);
    int calls = 0, lastMethod = -1;
    const WizardSmoothing smooth = [&](Bitmap&, int method, int) {
        ++calls;
        lastMethod = method;
    };
    WizardSettings s; // defaults: Standard at 0
    auto a = RunWizardTest(*pic, s, smooth);
    ASSERT_TRUE(a.ok()) << a.message();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(a->decoded.width(), 48);
    EXPECT_EQ(a->fileSizeText, "File size: " + std::to_string(a->jpeg.size()) + " bytes");
    EXPECT_EQ(a->ratioText,
              "Compression ratio: " + CompressionRatioText(48 * 32 * 3, a->jpeg.size()));
    EXPECT_EQ(WizardJpegSettings(s).smoothing, 0);

    s.smoothingMethod = 2;
    EXPECT_TRUE(RunWizardTest(*pic, s, smooth).ok());
    EXPECT_EQ(calls, 0); // strength 0: nothing at all
    s.smoothing = 40;
    EXPECT_TRUE(RunWizardTest(*pic, s, smooth).ok());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(lastMethod, 2);
    EXPECT_EQ(WizardJpegSettings(s).smoothing, 0); // Parametric/Gaussian leave libjpeg's off
    s.smoothingMethod = 0;
    s.smoothing = 200;
    EXPECT_EQ(WizardJpegSettings(s).smoothing, 200); // capped by the encoder
    s.scale = 400;
    EXPECT_EQ(WizardJpegSettings(s).scale, 400);
    auto b = RunWizardTest(*pic, s, smooth);
    ASSERT_TRUE(b.ok());
    EXPECT_EQ(calls, 1);
    EXPECT_LT(b->jpeg.size(), a->jpeg.size());
}
