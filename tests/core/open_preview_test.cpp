// The open dialog's preview rules and its reader, on files the tests write.
#include "core/dialogs/open_preview.h"

#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/output/jpeg_encoder.h"
#include "core/pcd_writer.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace cd = core::dialogs;
namespace fs = std::filesystem;

namespace {

core::Bitmap Ramp(int w, int h) {
    core::Bitmap b = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = std::uint8_t(x * 7);
            p[1] = std::uint8_t(y * 5);
            p[2] = std::uint8_t((x + y) * 3);
        }
    return b;
}

class PreviewFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vistrel_preview_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        core::SetFreeMemoryProvider({});
        fs::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Jpeg(const std::string& name, int w, int h) const {
        EXPECT_TRUE(
            core::output::SaveJPEG(Path(name), Ramp(w, h), core::output::JpegSettings{}, {}).ok());
        return Path(name);
    }
    std::string Png(const std::string& name, const core::Bitmap& b) const {
        EXPECT_GE(core::imagelib::WritePNG(Path(name), b, false), 0);
        return Path(name);
    }
    fs::path dir;
    cd::PreviewReader reader;
};

} // namespace

TEST(OpenPreviewRules, LabelAndWhenAPreviewWaitsForAClick) {
    cd::PreviewFacts f;
    f.width = 2000;
    f.height = 1000;
    f.bits = 24;
    EXPECT_EQ(cd::SizeLabel(f), "2000x1000 (24bpp)");
    f.bits = 32; // deeper pictures are shown as 24
    EXPECT_EQ(cd::SizeLabel(f), "2000x1000 (24bpp)");
    f.bits = 1;
    EXPECT_EQ(cd::SizeLabel(f), "2000x1000 (1bpp)");
    f.photoCd = true;
    EXPECT_EQ(cd::SizeLabel(f), "768x512 base");
    std::swap(f.width, f.height);
    EXPECT_EQ(cd::SizeLabel(f), "512x768 base");

    EXPECT_FALSE(cd::PreviewOnRequestOnly(1500, 1500));
    EXPECT_TRUE(cd::PreviewOnRequestOnly(1501, 20));
    EXPECT_TRUE(cd::PreviewOnRequestOnly(20, 1501));
}

TEST(OpenPreviewRules, NamesKeptWholeAndWhichKindsQualify) {
    // A long extension is not cut: "photo.jpeg" is a JPEG, not "photo.jpe".
    EXPECT_EQ(cd::PreviewExtension("/pics/photo.jpeg"), ".JPEG");
    EXPECT_EQ(cd::PreviewExtension("/pics.d/photo.TIFF"), ".TIFF");
    for (const char* ext : {".JPG", ".JPEG", ".JP", ".PNG", ".BMP", ".DIB", ".PCX", ".DCX", ".TIF",
                            ".TIFF", ".TGA", ".PCD"})
        EXPECT_TRUE(cd::IsPreviewExtension(ext)) << ext;
    for (const char* ext : {".TXT", ".WAV", ".GIF", "", "."})
        EXPECT_FALSE(cd::IsPreviewExtension(ext)) << ext;
}

TEST(OpenPreviewRules, PicturesFitTheBoxInBothDimensions) {
    // Small pictures keep their size and are centred.
    EXPECT_EQ(cd::PlacePreview(100, 50, 188, 204), (cd::PreviewPlace{44, 77, 100, 50}));
    // Wide ones take the box's width.
    EXPECT_EQ(cd::PlacePreview(2000, 1000, 188, 204), (cd::PreviewPlace{0, 55, 188, 94}));
    // Tall ones take its height.
    EXPECT_EQ(cd::PlacePreview(500, 1000, 188, 204), (cd::PreviewPlace{43, 0, 102, 204}));
    // A picture a little taller than wide in a box a little taller than wide
    // is limited by the width, not cut off at the sides.
    const cd::PreviewPlace nearSquare = cd::PlacePreview(1000, 1010, 188, 204);
    EXPECT_EQ(nearSquare, (cd::PreviewPlace{0, 7, 188, 190}));
    // Two spare pixels or fewer are not worth centring.
    EXPECT_EQ(cd::PlacePreview(376, 404, 188, 204), (cd::PreviewPlace{0, 0, 188, 202}));
    EXPECT_EQ(cd::PlacePreview(0, 10, 188, 204), cd::PreviewPlace{});
    EXPECT_EQ(cd::PlacePreview(10, 10, 0, 204), cd::PreviewPlace{});
}

TEST(OpenPreviewRules, ReducedOneBitAndJpegScales) {
    const cd::ReducedSize fax = cd::OneBitPreviewSize(1728, 2200, 188, 204);
    EXPECT_EQ(fax.sourceWidth, 1720);
    EXPECT_EQ(fax.sourceHeight, 2192);
    EXPECT_EQ(fax.width, 215); // 430 × 548 still exceeds the box both ways: halved
    EXPECT_EQ(fax.height, 274);
    const cd::ReducedSize small = cd::OneBitPreviewSize(401, 1000, 188, 204);
    EXPECT_EQ(small.width, 100); // only one side exceeds: not halved
    EXPECT_EQ(small.height, 248);

    EXPECT_EQ(cd::JpegPreviewScale(100, 100, 188, 204), 1);
    EXPECT_EQ(cd::JpegPreviewScale(376, 400, 188, 204), 2);
    EXPECT_EQ(cd::JpegPreviewScale(377, 400, 188, 204), 4); // 189 after rounding up
    EXPECT_EQ(cd::JpegPreviewScale(640, 480, 188, 204), 4);
    EXPECT_EQ(cd::JpegPreviewScale(2000, 1000, 188, 204), 8); // even 1/8 is too wide
}

TEST_F(PreviewFiles, LargeJpegIsDescribedAndPreviewedReduced) {
    const std::string file = Jpeg("big.jpeg", 2000, 1000);
    const cd::PreviewFacts f = reader.ReadFacts(file);
    ASSERT_TRUE(f.readable);
    EXPECT_TRUE(f.jpegReadable);
    EXPECT_EQ(f.file, file);
    EXPECT_EQ(cd::SizeLabel(f), "2000x1000 (24bpp)");
    EXPECT_TRUE(cd::PreviewOnRequestOnly(f.width, f.height));
    auto built = reader.BuildPreview(f, 188, 204);
    ASSERT_TRUE(built) << built.message();
    EXPECT_EQ(built->picture.width(), 250);
    EXPECT_EQ(built->picture.height(), 125);
    EXPECT_FALSE(built->whole); // a JPEG is always decoded again by the open
}

TEST_F(PreviewFiles, UnreadableFiles) {
    {
        std::ofstream(Path("notes.txt")) << "not a picture\n";
        EXPECT_FALSE(reader.ReadFacts(Path("notes.txt")).readable);
    }
    // A JPEG name on bytes that are no picture at all.
    std::ofstream(Path("fake.jpg")) << "not a picture either\n";
    EXPECT_FALSE(reader.ReadFacts(Path("fake.jpg")).readable);

    // A good pack is described only inside a disc's image folder.
    const pcdgen::Pack pack = pcdgen::MakePack(
        [](int x, int y, int, int) { return std::uint32_t((x * 3) << 16 | (y * 3) << 8 | 0x40); });
    fs::create_directories(dir / "photos");
    testsupport::WriteBytes(dir / "photos" / "PIC0001.PCD", pack.bytes);
    testsupport::WriteBytes(dir / "photos" / "IMG0001.PCD", pack.bytes);
    EXPECT_FALSE(reader.ReadFacts(Path("photos/PIC0001.PCD")).readable);
    const cd::PreviewFacts pcd = reader.ReadFacts(Path("photos/IMG0001.PCD"));
    ASSERT_TRUE(pcd.readable);
    EXPECT_EQ(cd::SizeLabel(pcd), "768x512 base");
    EXPECT_EQ(pcd.bits, -1);
    auto built = reader.BuildPreview(pcd, 188, 204);
    ASSERT_TRUE(built) << built.message();
    EXPECT_EQ(built->picture.width(), 192); // Base/16
    EXPECT_EQ(built->picture.height(), 128);
    EXPECT_FALSE(built->whole);
}

TEST_F(PreviewFiles, WholePictureIsTheOneANormalOpenMakes) {
    const std::string file = Png("ramp.png", Ramp(300, 200));
    const cd::PreviewFacts f = reader.ReadFacts(file);
    ASSERT_TRUE(f.readable);
    EXPECT_EQ(cd::SizeLabel(f), "300x200 (24bpp)");
    auto built = reader.BuildPreview(f, 188, 204);
    ASSERT_TRUE(built) << built.message();
    EXPECT_TRUE(built->whole);

    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    core::DocumentState doc;
    doc.CurrentFile = file;
    const core::OpenEnvironment env;
    ASSERT_EQ(pipeline.ProbeFile(doc, env).result, 1);
    auto opened = pipeline.OpenImage(doc, env, {});
    ASSERT_TRUE(opened);
    EXPECT_EQ(built->picture.bits(), opened->picture.bits());
    EXPECT_TRUE(testsupport::SameColours(built->picture, opened->picture));
}

TEST_F(PreviewFiles, GrayTgaGoesThroughThePipelinesReader) {
    // 4 × 3 gray, an image ID of 5 bytes, rows stored top row first.
    std::vector<std::uint8_t> tga(18, 0);
    tga[0] = 5;
    tga[2] = 3;
    tga[12] = 4;
    tga[14] = 3;
    tga[16] = 8;
    tga[17] = 0x20; // top-left origin
    for (int i = 0; i < 5; ++i)
        tga.push_back('I');
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            tga.push_back(std::uint8_t(y * 100 + x * 10));
    testsupport::WriteBytes(dir / "gray.tga", tga);
    const cd::PreviewFacts f = reader.ReadFacts(Path("gray.tga"));
    ASSERT_TRUE(f.readable);
    EXPECT_EQ(f.typeText, "3");
    auto built = reader.BuildPreview(f, 188, 204);
    ASSERT_TRUE(built) << built.message();
    const core::Bitmap& b = built->picture;
    ASSERT_EQ(b.bits(), 8);
    EXPECT_EQ(b.rgb(0, 0) & 0xFF, 0u);   // the first stored row is the top
    EXPECT_EQ(b.rgb(3, 2) & 0xFF, 230u); // and the ID is not taken for pixels

    // Cut short: refused with a message, not read past the end.
    tga.resize(tga.size() - 3);
    testsupport::WriteBytes(dir / "short.tga", tga);
    const cd::PreviewFacts cut = reader.ReadFacts(Path("short.tga"));
    if (cut.readable) {
        EXPECT_FALSE(reader.BuildPreview(cut, 188, 204));
    }
}

TEST_F(PreviewFiles, OneBitPagesArePreviewedAsAReducedGrayCopy) {
    core::Bitmap page = core::Bitmap::Create(1728, 2200, 1).value();
    const std::string file = Path("fax.bmp");
    ASSERT_GE(core::imagelib::WriteBMP(file, page), 0);
    const cd::PreviewFacts f = reader.ReadFacts(file);
    ASSERT_TRUE(f.readable);
    EXPECT_EQ(cd::SizeLabel(f), "1728x2200 (1bpp)");
    auto built = reader.BuildPreview(f, 188, 204);
    ASSERT_TRUE(built) << built.message();
    EXPECT_TRUE(built->reduced);
    EXPECT_FALSE(built->whole);
    EXPECT_EQ(built->picture.width(), 215);
    EXPECT_EQ(built->picture.height(), 274);
    EXPECT_EQ(built->picture.bits(), 8);
}

TEST_F(PreviewFiles, MemoryGuardComesBeforeThePreview) {
    const std::string file = Png("ramp.png", Ramp(400, 300));
    const std::string jpeg = Jpeg("p.jpg", 400, 300);
    core::SetFreeMemoryProvider([] { return std::uint64_t{1000}; });
    const cd::PreviewFacts f = reader.ReadFacts(file);
    ASSERT_TRUE(f.readable); // the facts need no room for the picture
    auto built = reader.BuildPreview(f, 188, 204);
    ASSERT_FALSE(built);
    EXPECT_EQ(built.message(), "Insufficient memory.");
    const cd::PreviewFacts j = reader.ReadFacts(jpeg);
    ASSERT_TRUE(j.readable);
    EXPECT_FALSE(reader.BuildPreview(j, 188, 204));
}
