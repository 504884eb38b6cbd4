// Photo CD packs: packs from the test writer read back at every resolution and
// turn, the resolution clamps, the description, and damaged packs refused.
#include "core/common/memory.h"
#include "core/input/open_pipeline.h"
#include "core/pcd_writer.h"
#include "core/photocd/image_pac.h"
#include "core/photocd/pcd_import.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using core::Bitmap;
using core::photocd::pcd_c;

// A smooth scene with some detail: gradients and a diagonal band.
std::uint32_t Scene(int x, int y, int w, int h) {
    const int r = 40 + 180 * x / w, g = 30 + 200 * y / h;
    const int b = ((x * 4 / w + y * 4 / h) & 1) ? 200 : 60;
    return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

// Largest channel difference between a decoded picture and the expected one.
int MaxDiff(const Bitmap& got, const pcdgen::Picture& want) {
    if (got.width() != want.width || got.height() != want.height) return 1000;
    int worst = 0;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const std::uint32_t a = got.rgb(x, y), b = want.at(x, y);
            for (int s = 0; s < 24; s += 8)
                worst = std::max(worst, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
        }
    return worst;
}

fs::path WritePack(const std::string& dir, const pcdgen::Pack& pack, const std::string& name = "img0001.pcd") {
    const fs::path path = testsupport::TempDir(dir) / name;
    testsupport::WriteBytes(path, pack.bytes);
    return path;
}

struct Imported {
    int status = 1;
    Bitmap picture;
    pcd_c pcd;
};

Imported Import(const fs::path& file, int step) {
    Imported out;
    const auto probe = out.pcd.Probe(file.string(), step);
    if (probe.index == core::photocd::kProbeFailed) return out;
    out.status = out.pcd.ImportPCD(file.string(), out.picture, false, {});
    return out;
}

TEST(PhotoCd, PlainLevelsAtEveryTurn) {
    for (int turns = 0; turns < 4; ++turns) {
        pcdgen::PackSpec spec;
        spec.rotation = turns;
        const auto pack = pcdgen::MakePack(Scene, spec);
        const auto file = WritePack("pcd_plain", pack);
        for (int step = 0; step <= 3; ++step) {
            SCOPED_TRACE("turns " + std::to_string(turns) + " step " + std::to_string(step));
            pcd_c pcd;
            const auto probe = pcd.Probe(file.string(), step);
            ASSERT_EQ(probe.index, step);
            const int shortSide = 64 << step, longSide = 96 << step;
            EXPECT_EQ(probe.width, turns & 1 ? shortSide : longSide);
            EXPECT_EQ(probe.height, turns & 1 ? longSide : shortSide);
            Bitmap picture;
            ASSERT_EQ(pcd.ImportPCD(file.string(), picture, false, {}), 0) << pcd.error();
            EXPECT_EQ(picture.bits(), 24);
            EXPECT_LE(MaxDiff(picture, pack.expected[step]), 1);
        }
    }
}

TEST(PhotoCd, ResidualLevelsDecodeAsWritten) {
    pcdgen::PackSpec spec;
    spec.highest = 2;
    spec.rotation = 1;
    const auto pack = pcdgen::MakePack(Scene, spec);
    ASSERT_EQ(pack.expected.size(), 6u);
    const auto file = WritePack("pcd_residual", pack);
    auto four = Import(file, 4);
    ASSERT_EQ(four.status, 0) << four.pcd.error();
    EXPECT_EQ(four.picture.width(), 1024);
    EXPECT_EQ(four.picture.height(), 1536);
    EXPECT_LE(MaxDiff(four.picture, pack.expected[4]), 1);
    // Step 6 asks for 64Base, which lives elsewhere: 16Base is read.
    auto sixteen = Import(file, 6);
    ASSERT_EQ(sixteen.status, 0) << sixteen.pcd.error();
    EXPECT_EQ(sixteen.pcd.resolution(), 5);
    EXPECT_EQ(sixteen.picture.width(), 2048);
    EXPECT_EQ(sixteen.picture.height(), 3072);
    EXPECT_LE(MaxDiff(sixteen.picture, pack.expected[5]), 1);
    // Close to the scene itself, not only to the writer's idea of it.
    const std::uint32_t want = Scene(1000, 700, 3072, 2048), got = sixteen.picture.rgb(700, 3071 - 1000);
    for (int s = 0; s < 24; s += 8) EXPECT_NEAR(int((got >> s) & 255), int((want >> s) & 255), 6);
}

TEST(PhotoCd, StepsClampToWhatThePackHolds) {
    using core::photocd::AllowedCount;
    using core::photocd::ClampResolution;
    EXPECT_EQ(ClampResolution(6, 6, AllowedCount(6, 0x3F, 0)), 5);
    EXPECT_EQ(ClampResolution(3, 6, 6), 3);
    EXPECT_EQ(ClampResolution(6, 4, 4), 3);
    // Encrypted 4Base and 16Base: three plain resolutions below Base + Base.
    EXPECT_EQ(AllowedCount(6, 0x3F, 0x30), 5);
    EXPECT_EQ(ClampResolution(5, 6, AllowedCount(6, 0x3F, 0x30)), 4);
    // No resolutions at all is a failure, not index -1 used as a resolution.
    EXPECT_EQ(ClampResolution(3, 0, 0), -1);

    EXPECT_EQ(core::photocd::ResolutionLabel(0), "    64x96");
    EXPECT_EQ(core::photocd::ResolutionLabel(3), "  512x768");
    EXPECT_EQ(core::photocd::ResolutionLabel(6), "4096x6144");

    const auto file = WritePack("pcd_steps", pcdgen::MakePack(Scene));
    pcd_c pcd;
    EXPECT_EQ(pcd.Probe(file.string(), 6).index, 3);
    EXPECT_EQ(pcd.Probe(file.string(), -2).index, 0);
}

TEST(PhotoCd, DescriptionOfThePack) {
    pcdgen::PackSpec spec;
    spec.highest = 1;
    const auto file = WritePack("pcd_text", pcdgen::MakePack(Scene, spec));
    auto got = Import(file, 3);
    ASSERT_EQ(got.status, 0);
    EXPECT_EQ(got.pcd.description(),
              "Orientation: Landscape\n\n"
              "Maximum res: 1024 x 1536\n"
              "Allowed res: 1024 x 1536\n"
              "Current res: 512 x 768\n"
              "\nEncrypted: No   Watermark: No\n"
              "Media Type: PHOTO CDTESTLAB\n"
              "Scanner: SCAN 2000\n"
              "Photofinisher: CORNER SHOP\n");

    // A later layout version leaves out the media lines; an absent finisher is left out.
    spec.version = 9;
    spec.rotation = 3;
    const auto later = WritePack("pcd_text9", pcdgen::MakePack(Scene, spec));
    got = Import(later, 2);
    EXPECT_EQ(got.pcd.description().rfind("Orientation: Portrait\n\n", 0), 0u);
    EXPECT_EQ(got.pcd.description().find("Scanner"), std::string::npos);
    spec.version = 1;
    spec.finisher.clear();
    got = Import(WritePack("pcd_text_nofinisher", pcdgen::MakePack(Scene, spec)), 2);
    EXPECT_EQ(got.pcd.description().find("Photofinisher"), std::string::npos);
    EXPECT_NE(got.pcd.description().find("Scanner: SCAN 2000\n"), std::string::npos);
}

TEST(PhotoCd, RightsFileOnlyFromTheDiscsRightsFolder) {
    const fs::path disc = testsupport::TempDir("pcd_rights");
    fs::create_directories(disc / "Photo_CD" / "Rights");
    fs::create_directories(disc / "Photo_CD" / "IMAGES");
    testsupport::WriteBytes(disc / "Photo_CD" / "Rights" / "COPY0001.TXT", {'h', 'i'});
    pcdgen::PackSpec spec;
    spec.rightsFlag = 1;
    spec.rightsName = "copy0001.txt";
    const fs::path pack = disc / "Photo_CD" / "IMAGES" / "IMG0001.PCD";
    testsupport::WriteBytes(pack, pcdgen::MakePack(Scene, spec).bytes);
    auto got = Import(pack, 1);
    ASSERT_EQ(got.status, 0);
    EXPECT_EQ(fs::path(got.pcd.rightsFile()).filename(), "COPY0001.TXT");
    const std::string& d = got.pcd.description();
    EXPECT_EQ(d.substr(d.size() - 21), "\nRead Copyright file?");

    // A name that leaves the folder, or one that is not there, is not offered.
    using core::photocd::FindRightsFile;
    EXPECT_EQ(FindRightsFile(pack.string(), "../Rights/COPY0001.TXT"), "");
    EXPECT_EQ(FindRightsFile(pack.string(), ".."), "");
    EXPECT_EQ(FindRightsFile(pack.string(), "/etc/passwd"), "");
    EXPECT_EQ(FindRightsFile(pack.string(), "OTHER.TXT"), "");
}

// Packs cut or spoilt at each level are refused with a message.
TEST(PhotoCd, DamagedPacksRefused) {
    pcdgen::PackSpec spec;
    spec.highest = 1;
    const auto pack = pcdgen::MakePack(Scene, spec);
    auto refusedAt = [&](const std::vector<std::uint8_t>& bytes, int step, const char* what) {
        SCOPED_TRACE(what);
        const fs::path file = testsupport::TempDir("pcd_damaged") / "img0002.pcd";
        testsupport::WriteBytes(file, bytes);
        auto got = Import(file, step);
        EXPECT_NE(got.status, 0);
        EXPECT_TRUE(got.picture.empty());
        EXPECT_FALSE((got.pcd.error()).empty());
        return got.pcd.error();
    };
    // Cut inside each plain level: the pack cannot be opened at all.
    for (std::size_t end : {std::size_t{0x900}, std::size_t{4 * 2048 + 100}, std::size_t{30 * 2048},
                            std::size_t{200 * 2048}}) {
        auto cut = pack.bytes;
        cut.resize(end);
        refusedAt(cut, 1, "cut in a plain level");
    }
    std::vector<std::uint8_t> notPack(pack.bytes.size(), 0);
    EXPECT_EQ(refusedAt(notPack, 3, "no signature"), "The file is not a Photo CD pack.");

    // Cut in 4Base: Base still reads, 4Base is refused.
    auto cut = pack.bytes;
    cut.resize(pack.end4Base - 4096);
    {
        const fs::path file = WritePack("pcd_cut4", pcdgen::Pack{cut, {}, 0, 0});
        EXPECT_EQ(Import(file, 3).status, 0);
    }
    EXPECT_EQ(refusedAt(cut, 4, "cut in 4Base"), "The Photo CD pack is cut short.");

    const std::size_t tables = 388 * 2048, data = 389 * 2048;
    auto bad = pack.bytes;
    bad[tables + 1] = 20; // a code of 21 bits
    EXPECT_EQ(refusedAt(bad, 4, "code too long"), "The Photo CD pack has a damaged code table.");
    bad = pack.bytes;
    bad[tables] = 255; // more entries than the sector holds: they overlap
    refusedAt(bad, 4, "table entries overlap");

    bad = pack.bytes;
    std::fill(bad.begin() + data, bad.end(), 0);
    EXPECT_EQ(refusedAt(bad, 4, "no sync"), "The Photo CD pack's residual rows are missing.");

    bad = pack.bytes;
    bad[data + 3] = 0x3F; // luma row 8191
    bad[data + 4] = 0xFE;
    EXPECT_EQ(refusedAt(bad, 4, "row out of range"),
              "The Photo CD pack names a row that is not in the picture.");
    bad[data + 3] = 0x40; // plane 1 does not exist
    bad[data + 4] = 0x00;
    refusedAt(bad, 4, "unknown plane");

    // Stop sector beyond the file.
    bad = pack.bytes;
    bad[0xE03] = 0xFF;
    EXPECT_EQ(refusedAt(bad, 4, "stop beyond the end"), "The Photo CD pack is cut short.");
}

TEST(PhotoCd, DamagedCodesRefused) {
    // A table with one one-bit code leaves every code starting with 1 unknown.
    pcdgen::PackSpec spec;
    spec.highest = 1;
    auto bytes = pcdgen::MakePack([](int, int, int, int) { return 0x808080u; }, spec).bytes;
    const std::size_t data = 389 * 2048;
    ASSERT_EQ(bytes[388 * 2048], 0); // one entry: a single residual
    bytes[data + 5] = 0xFF;          // into the first row's codes
    const fs::path file = testsupport::TempDir("pcd_codes") / "img0003.pcd";
    testsupport::WriteBytes(file, bytes);
    auto got = Import(file, 4);
    EXPECT_NE(got.status, 0);
    EXPECT_EQ(got.pcd.error(), "The Photo CD pack holds a damaged code.");
}

TEST(PhotoCd, SlideshowsStopsAndEightBitScreens) {
    pcdgen::PackSpec spec;
    spec.highest = 1;
    const auto pack = pcdgen::MakePack(Scene, spec);
    const auto file = WritePack("pcd_modes", pack).string();
    pcd_c pcd;
    ASSERT_EQ(pcd.Probe(file, 4).index, 4);
    // A slide is always read at Base, whatever was probed.
    Bitmap slide;
    ASSERT_EQ(pcd.ImportPCD(file, slide, true, {}), 0);
    EXPECT_EQ(slide.width(), 768);
    EXPECT_EQ(pcd.description(), "");

    // Stopping from the progress report fails the import and leaves nothing.
    pcd.setResolution(4);
    Bitmap stopped;
    int calls = 0;
    EXPECT_NE(pcd.ImportPCD(file, stopped, false, [&](int) { return ++calls < 3; }), 0);
    EXPECT_EQ(pcd.error(), "Stopped.");
    EXPECT_TRUE(stopped.empty());

    // An 8-bit screen with Auto Reduce gets 256 colours.
    pcd.setResolution(2);
    Bitmap eight;
    ASSERT_EQ(pcd.ImportPCD(file, eight, false, {}, 8, true), 0) << pcd.error();
    EXPECT_EQ(eight.bits(), 8);
    EXPECT_EQ(eight.width(), 384);
}

TEST(PhotoCd, TooLittleMemoryFailsTheImport) {
    const auto file = WritePack("pcd_memory", pcdgen::MakePack(Scene));
    core::SetFreeMemoryProvider([] { return std::uint64_t{1} << 20; });
    auto got = Import(file, 3);
    core::SetFreeMemoryProvider({});
    EXPECT_NE(got.status, 0);
    EXPECT_EQ(got.pcd.error(), "Insufficient memory.");
    EXPECT_TRUE(got.picture.empty());
}

TEST(PhotoCd, OpenPipelineReadsPacks) {
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    pcdgen::PackSpec spec;
    spec.rotation = 1;
    const auto pack = pcdgen::MakePack(Scene, spec);
    const auto file = WritePack("pcd_pipeline", pack, "IMG0007.PCD");
    core::DocumentState doc;
    doc.CurrentFile = file.string();
    core::OpenEnvironment env;
    env.PhotoCdStep = 2;
    const auto probe = pipeline.ProbeFile(doc, env);
    ASSERT_EQ(probe.result, 1) << probe.text;
    EXPECT_EQ(doc.PictureWidth, 256);
    EXPECT_EQ(doc.PictureHeight, 384);
    EXPECT_EQ(doc.PictureBits, 24);
    auto decoded = pipeline.OpenImage(doc, env, {});
    ASSERT_TRUE(decoded) << decoded.message();
    EXPECT_EQ(decoded->decoder, core::Decoder::PhotoCd);
    EXPECT_LE(MaxDiff(decoded->picture, pack.expected[2]), 1);
    EXPECT_NE(doc.PhotoCdDescription.find("Current res: 256 x 384\n"), std::string::npos);

    // Packs are named IMGnnnn on the disc; another name is not read as one.
    const auto other = WritePack("pcd_pipeline", pack, "photo.pcd");
    core::DocumentState doc2;
    doc2.CurrentFile = other.string();
    EXPECT_LT(pipeline.ProbeFile(doc2, env).result, 0);
}

} // namespace
