// vistrel-cli transition: every entry ends on the new picture where a show
// puts it, nothing outside the target changes, and bad calls are refused.
#include "cli/cli_support.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/resample.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using clitest::Lines;

constexpr int kBoxW = 128, kBoxH = 96;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// The value of "key": after the key in a JSON line, up to the next , or }.
std::string Raw(const std::string& line, const std::string& key) {
    const std::size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size() + 3;
    std::size_t end = from;
    for (int depth = 0; end < line.size(); ++end) {
        const char c = line[end];
        if (c == '[' || c == '{') ++depth;
        if ((c == ']' || c == '}') && depth-- == 0) break;
        if (c == ',' && depth == 0) break;
    }
    return line.substr(from, end - from);
}

long long Number(const std::string& line, const std::string& key) {
    const std::string v = Raw(line, key);
    return v.empty() || v == "null" ? -1 : std::stoll(v);
}

// A 24-bit picture whose pixels differ from their neighbours.
core::Bitmap Pattern(int w, int h, int salt) {
    core::Bitmap b = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(0x40 + ((x ^ y) & 0x3F) + salt);
            p[1] = static_cast<std::uint8_t>(3 * y);
            p[2] = static_cast<std::uint8_t>(2 * x);
        }
    return b;
}

fs::path WritePicture(const fs::path& dir, const std::string& name, const core::Bitmap& b) {
    const fs::path p = dir / name;
    EXPECT_GE(core::imagelib::WritePNG(p.string(), b, false), 0);
    return p;
}

core::Bitmap ReadPng(const fs::path& p) {
    const auto bytes = testsupport::ReadBytes(p);
    return core::imagelib::DecodePng(bytes, {}).value();
}

// The box after the slide: the background with the picture centred on it.
std::vector<std::uint32_t> Placed(const core::Bitmap& slide, std::uint32_t background) {
    std::vector<std::uint32_t> box(kBoxW * kBoxH, background);
    const int left = (kBoxW - slide.width()) / 2, top = (kBoxH - slide.height()) / 2;
    for (int y = 0; y < slide.height(); ++y)
        for (int x = 0; x < slide.width(); ++x)
            box[(top + y) * kBoxW + left + x] = slide.rgb(x, y);
    return box;
}

// How many pixels of the written frame differ from what was expected.
int Differences(const fs::path& png, const std::vector<std::uint32_t>& want) {
    const core::Bitmap got = ReadPng(png);
    if (got.width() != kBoxW || got.height() != kBoxH) return -1;
    int diff = 0;
    for (int y = 0; y < kBoxH; ++y)
        for (int x = 0; x < kBoxW; ++x)
            diff += got.rgb(x, y) != want[y * kBoxW + x];
    return diff;
}

struct Fixture {
    fs::path dir, oldPic, newPic;
    core::Bitmap newBitmap;
};

Fixture MakeFixture(const std::string& name) {
    Fixture f;
    f.dir = testsupport::TempDir(name);
    // The old slide is wider than the new one, so the show clears the box first.
    f.oldPic = WritePicture(f.dir, "old.png", Pattern(110, 80, 5));
    f.newBitmap = Pattern(90, 70, 0);
    f.newPic = WritePicture(f.dir, "new.png", f.newBitmap);
    return f;
}

// Runs one entry at one speed and holds the output to the bar.
void ExpectTransition(const Fixture& f, int entry, int speed) {
    SCOPED_TRACE(testing::Message() << "entry " << entry << " speed " << speed);
    const bool overColour = entry % 2 == 0;
    const std::string old = overColour ? "color:204060" : f.oldPic.string();
    const fs::path out = f.dir / ("out" + std::to_string(entry) + "_" + std::to_string(speed));
    const auto r =
        clitest::CliOutput("transition " + old + " " + f.newPic.string() + " " + out.string() +
                           " --entry " + std::to_string(entry) + " --speed " +
                           std::to_string(speed) + " --box 128x96" + " --seed 77 --frames last");
    ASSERT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u);
    const long long frames = Number(lines[0], "frames");
    ASSERT_EQ(static_cast<long long>(lines.size()), frames + 2);
    EXPECT_EQ(Raw(lines[0], "target"), "[19,13,109,83]");
    if (entry == 0) {
        EXPECT_EQ(frames, 1);
        EXPECT_NE(lines[0].find("\"call\":\"ImgDrawImage\""), std::string::npos);
    } else {
        EXPECT_GE(frames, 2);
    }
    EXPECT_EQ(lines.back(), "{\"final_equals_new\":true,\"outside_unchanged\":true}");
    long long lastDue = -1;
    for (long long j = 1; j <= frames; ++j) {
        EXPECT_EQ(Number(lines[j], "frame"), j);
        EXPECT_GE(Number(lines[j], "due_ms"), lastDue);
        lastDue = Number(lines[j], "due_ms");
    }
    // Only the last frame is written, and it is the new picture placed.
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04lld.png", frames);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
    EXPECT_EQ(Differences(out / name, Placed(f.newBitmap, overColour ? 0x204060 : kWhite)), 0);
}

} // namespace

// Every entry at every speed: about 700 runs on a small box, a few seconds.
TEST(CliTransition, EveryEntryAtEverySpeedEndsOnTheNewPicturePlaced) {
    const Fixture f = MakeFixture("cli-transition");
    for (int entry = 0; entry < 174; ++entry)
        for (int speed = 0; speed < 4; ++speed)
            ExpectTransition(f, entry, speed);
}

TEST(CliTransition, FitsALargePictureAndWritesEveryFrame) {
    const auto dir = testsupport::TempDir("cli-transition-fit");
    const core::Bitmap wide = Pattern(300, 200, 9);
    const fs::path pic = WritePicture(dir, "wide.png", wide);
    // A wipe at Slower: paced, one millisecond after each frame but the last.
    const std::string args = "transition color:abcdef " + pic.string() + " " +
                             (dir / "frames").string() + " --entry 8 --speed 2 --box 128x96";
    const auto r = clitest::CliOutput(args + " --seed 1");
    ASSERT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    const long long frames = Number(lines[0], "frames");
    ASSERT_GE(frames, 2);
    ASSERT_EQ(static_cast<long long>(lines.size()), frames + 2);
    // Fitted to 128 x 85, centred.
    EXPECT_EQ(Raw(lines[0], "target"), "[0,5,128,90]");
    long long lastStep = 0;
    for (long long j = 1; j <= frames; ++j) {
        EXPECT_GT(Number(lines[j], "step"), lastStep);
        lastStep = Number(lines[j], "step");
        EXPECT_EQ(Raw(lines[j], "callback_pause_ms"), j < frames ? "1" : "null");
        const std::string dirty = Raw(lines[j], "dirty");
        EXPECT_NE(dirty, "null");
        char name[32];
        std::snprintf(name, sizeof name, "frame_%04lld.png", j);
        EXPECT_TRUE(fs::exists(dir / "frames" / name)) << name;
    }
    EXPECT_EQ(Number(lines[1], "due_ms"), 0);
    EXPECT_EQ(Number(lines[frames], "due_ms"), Number(lines[0], "duration_ms"));
    EXPECT_EQ(lines.back(), "{\"final_equals_new\":true,\"outside_unchanged\":true}");

    std::vector<std::uint32_t> want(kBoxW * kBoxH, 0xABCDEF);
    const core::Bitmap fitted = core::imageman::Resample(wide, {0, 0, 300, 200}, 128, 85).value();
    for (int y = 0; y < 85; ++y)
        for (int x = 0; x < 128; ++x)
            want[(5 + y) * kBoxW + x] = fitted.rgb(x, y);
    char last[32];
    std::snprintf(last, sizeof last, "frame_%04lld.png", frames);
    EXPECT_EQ(Differences(dir / "frames" / last, want), 0);

    // The same seed draws the same frames; nothing written with --frames none.
    const auto again = clitest::CliOutput(
        "transition color:ABCDEF " + pic.string() + " " + (dir / "none").string() +
        " --entry 8 --speed 2 --box 128x96 --seed 1 --frames none");
    EXPECT_EQ(again.out, r.out);
    EXPECT_FALSE(fs::exists(dir / "none"));
}

TEST(CliTransition, HashesTheTargetAndSeedsTheOrder) {
    const Fixture f = MakeFixture("cli-transition-hash");
    // The target before the draw is the colour: FNV-1a 64 over its pixels' bytes.
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (int i = 0; i < 90 * 70; ++i)
        for (const std::uint8_t b : {0x56, 0x34, 0x12, 0x00}) {
            h ^= b;
            h *= 0x100000001b3ULL;
        }
    char want[32];
    std::snprintf(want, sizeof want, "\"%016llx\"", static_cast<unsigned long long>(h));
    auto hashes = [&](int seed) {
        const auto r = clitest::CliOutput(
            "transition color:123456 " + f.newPic.string() + " " + (f.dir / "h").string() +
            " --entry 64 --box 128x96 --frames none --seed " + std::to_string(seed));
        EXPECT_EQ(r.status, 0);
        const auto lines = Lines(r.out);
        EXPECT_EQ(Raw(lines.at(0), "old_hash"), want);
        std::string all;
        for (std::size_t j = 1; j + 1 < lines.size(); ++j)
            all += Raw(lines[j], "hash");
        return all;
    };
    // A mosaic's order follows the seed; its final frame does not.
    const std::string a = hashes(1), b = hashes(2);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.substr(a.size() - 18), b.substr(b.size() - 18));
}

TEST(CliTransition, RefusesBadCallsAndReportsFiles) {
    const Fixture f = MakeFixture("cli-transition-bad");
    const std::string files = "color:000000 " + f.newPic.string() + " " + (f.dir / "o").string();
    for (const std::string& bad :
         {std::string("transition"), "transition " + files, "transition " + files + " --entry 174",
          "transition " + files + " --entry 8 --speed fast",
          "transition " + files + " --entry 8 --box 0x10",
          "transition " + files + " --entry 8 --box 20000x10",
          "transition " + files + " --entry 8 --frames some",
          "transition " + files + " --entry 8 --seed -1",
          "transition " + files + " --entry 8 --wobble 1", "transition " + files + " --entry",
          "transition color:12345 " + f.newPic.string() + " " + f.dir.string() + " --entry 8",
          "transition color:12345G " + f.newPic.string() + " " + f.dir.string() + " --entry 8",
          "transition color:000000 color:ffffff " + f.dir.string() + " --entry 8",
          "transition --bench " + f.newPic.string(), std::string("transition --bench --box 64x64")})
        EXPECT_EQ(clitest::Cli(bad), 2) << bad;
    EXPECT_FALSE(fs::exists(f.dir / "o"));

    // Files that cannot be read or written.
    const std::string out = (f.dir / "o").string();
    EXPECT_EQ(clitest::Cli("transition " + (f.dir / "missing.png").string() + " " +
                           f.newPic.string() + " " + out + " --entry 8"),
              1);
    testsupport::WriteBytes(f.dir / "junk.png", {1, 2, 3, 4});
    EXPECT_EQ(clitest::Cli("transition color:000000 " + (f.dir / "junk.png").string() + " " + out +
                           " --entry 8"),
              1);
    EXPECT_EQ(clitest::Cli("transition color:000000 " + f.newPic.string() + " " +
                           (f.dir / "junk.png" / "sub").string() + " --entry 8"),
              1);
    // The colour's case does not matter; a picture OLD works as well.
    EXPECT_EQ(clitest::CliOutput("transition COLOR:AbCdEf " + f.newPic.string() + " " + out +
                                 " --entry 8 --frames none")
                  .status,
              0);
    EXPECT_EQ(clitest::CliOutput("transition " + f.oldPic.string() + " " + f.newPic.string() + " " +
                                 out + " --entry 8 --frames none")
                  .status,
              0);
}
