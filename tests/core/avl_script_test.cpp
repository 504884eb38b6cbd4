// Slideshow scripts: the initialisation-file reader, the slide values with
// their limits, file finding and the transition codes, on files the tests write.
#include "core/editing/color_lut.h"
#include "core/slideshow/avl_script.h"
#include "core/slideshow/slide_gamma.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace fx = core::slideshow;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

TEST(IniReader, SectionsAndKeysIgnoreCaseAndValuesStayAsWritten) {
    const auto ini = fx::IniFile::Parse(
        "; a comment\r\n[HEADER]\r\n  ver  =  7 \r\nN=3\r\n[directory]\n1 = C:\\pics\\\n"
        "[0]\nf=pic,1\nF=other,2\n[Header]\nVer=8\n");
    EXPECT_EQ(ini.ReadInteger("Header", "Ver", 1), 7); // the first wins
    EXPECT_EQ(ini.ReadInteger("header", "n", 0), 3);
    EXPECT_EQ(ini.ReadString("Directory", "1"), "C:\\pics\\"); // backslashes kept
    EXPECT_EQ(ini.ReadString("0", "F"), "pic,1");              // no list splitting
    EXPECT_EQ(ini.ReadInteger("Header", "Missing", 42), 42);
    EXPECT_EQ(ini.ReadInteger("0", "F", 5), 5); // not a number
    EXPECT_FALSE(ini.HasSection("1"));
}

TEST(AvlScript, ReadsEverySlideKeyWithItsLimits) {
    const auto dir = testsupport::TempDir("avl_keys");
    Write(dir / "pics" / "pic.JPG", "x");
    const auto script = dir / "show.avl";
    Write(script,
          "[Header]\r\nVer=7\r\nN=3\r\n[Directory]\r\n1=" + (dir / "pics").string() +
              "/\r\n[0]\r\nF=pic,1\r\nB=FF8000\r\nG=32\r\nZ=150\r\nP=10,20\r\nW=3\r\nX=9\r\n"
              "[1]\r\nF=nothing\r\nG=0\r\nB=xyz\r\nP=-5,3\r\nW=-4\r\n"
              "[2]\r\nF=pic,\r\nG=7FF\r\nW=99999999\r\nP=a,b\r\n");
    const fx::SlideScript s(script);
    EXPECT_EQ(s.ScriptVersion(), 7);
    EXPECT_EQ(s.ScriptSlideCount(), 3);

    const auto a = s.ReadScriptSlide(0);
    EXPECT_EQ(a.fileName, (dir / "pics" / "pic.JPG").string()); // ".JPG" added
    ASSERT_TRUE(a.background);
    EXPECT_EQ(*a.background, 0xFF8000u);
    EXPECT_EQ(a.gamma, 50); // hex 32
    EXPECT_EQ(a.zoom, 150);
    EXPECT_EQ(a.x, 10);
    EXPECT_EQ(a.y, 20);
    EXPECT_EQ(a.delayMs, 3000);
    EXPECT_EQ(a.transition, 9);

    const auto b = s.ReadScriptSlide(1);
    EXPECT_EQ(b.fileName, fx::kNoSlideName);
    EXPECT_EQ(b.skip, fx::SlideSkip::NotASlide);
    EXPECT_FALSE(b.background); // not hex: absent
    EXPECT_EQ(b.gamma, 100);    // 0 would divide by zero
    EXPECT_EQ(b.x, -1);         // a negative position is no position
    EXPECT_EQ(b.delayMs, 0);    // held 50 ms

    const auto c = s.ReadScriptSlide(2);
    EXPECT_EQ(c.fileName, ""); // directory 0 is not given
    EXPECT_EQ(c.skip, fx::SlideSkip::NotFound);
    EXPECT_EQ(c.gamma, 500);
    EXPECT_EQ(c.delayMs, 2147483000); // no overflow
    EXPECT_EQ(c.x, -1);

    const auto missing = s.ReadScriptSlide(7); // no such section: defaults
    EXPECT_EQ(missing.skip, fx::SlideSkip::NotASlide);
    EXPECT_EQ(missing.gamma, 100);
    EXPECT_EQ(missing.zoom, 100);

    const fx::SlideScript gone(dir / "deleted.avl");
    EXPECT_EQ(gone.ScriptVersion(), 1);
    EXPECT_EQ(gone.ScriptSlideCount(), 0);
}

TEST(AvlScript, FindsFilesByDriveLetterBackslashesAndBesideTheScript) {
    const auto dir = testsupport::TempDir("avl_find");
    const auto script = dir / "s.avl";
    Write(dir / "E:" / "show" / "a.jpg", "x");
    Write(dir / "b.png", "x");
    Write(dir / "sub" / "Case.jpg", "x");
    // D: is not there, E: is.
    EXPECT_EQ(fx::FindScriptFile("D:\\show\\", "a.jpg", script),
              (dir / "E:" / "show" / "a.jpg").string());
    // A drive that is not mounted here at all: beside the script.
    EXPECT_EQ(fx::FindScriptFile("Q:\\photos\\", "b.png", script), (dir / "b.png").string());
    // Relative folders are the script's; "\" separates; names match exactly.
    EXPECT_EQ(fx::FindScriptFile("sub\\", "Case.jpg", script), (dir / "sub" / "Case.jpg").string());
    EXPECT_FALSE(fx::FindScriptFile("sub\\", "case.jpg", script));
    // Only the part up to the last separator names the folder.
    EXPECT_EQ(fx::FindScriptFile("sub\\ignored.txt", "Case.jpg", script).value_or(""),
              (dir / "sub" / "Case.jpg").string());
    // An absolute name keeps its first character.
    EXPECT_FALSE(fx::FindScriptFile("/home/", "nothing.jpg", script));
}

TEST(AvlScript, TransitionCodesNameTheirEntries) {
    fx::RandomSource rng(3);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i)
        seen.insert(fx::ScriptTransitionEntry(1, rng));
    EXPECT_EQ(seen, (std::set<int>{15, 23}));
    seen.clear();
    for (int i = 0; i < 400; ++i)
        seen.insert(fx::ScriptTransitionEntry(7, rng));
    EXPECT_EQ(seen, (std::set<int>{48, 49, 50, 51}));
    EXPECT_EQ(fx::ScriptTransitionEntry(29, rng), 1);
    EXPECT_EQ(fx::ScriptTransitionEntry(0, rng), 0);
    EXPECT_EQ(fx::ScriptTransitionEntry(30, rng), 0);
    EXPECT_EQ(fx::ScriptTransitionEntry(-3, rng), 0);
    EXPECT_EQ(fx::TransitionEntries(18), (std::vector<int>{32, 24}));
}

TEST(SlideGamma, TablesOnRowsAndOnPalettes) {
    auto rgb = core::Bitmap::Create(2, 1, 24).value();
    rgb.row(0)[0] = 128;
    auto gray = core::Bitmap::Create(2, 1, 8).value();
    const auto lut = core::editing::GammaTable(50);
    fx::ApplySlideGamma(rgb, 50);
    EXPECT_EQ(rgb.row(0)[0], lut[128]);
    fx::ApplySlideGamma(gray, 50);
    EXPECT_EQ(gray.palette()[128].red, lut[128]);
    EXPECT_EQ(gray.palette()[128].blue, lut[128]);
    auto same = core::Bitmap::Create(1, 1, 8).value();
    fx::ApplySlideGamma(same, 100);
    EXPECT_EQ(same.palette()[77].green, 77);
}

} // namespace
