// Drawing with an effect: the frame loop, its pacing, stopping and clipping.
#include "core/imageman/draw_fx.h"
#include "transition_reference.h"

#include <gtest/gtest.h>

namespace im = core::imageman;

namespace {

// A client area with a virtual clock; each presented frame may cost time.
class FakeSurface : public im::DrawSurface {
  public:
    FakeSurface(int w, int h, std::uint32_t fill) : w_(w), h_(h), pixels_(w * h, fill) {}
    im::Frame32View Pixels() override { return {pixels_.data(), w_, h_, w_}; }
    void Present(const im::Rect& r) override {
        presented.push_back(r);
        now_ += frameCostMs;
    }
    std::int64_t NowMs() override { return now_; }
    void SleepUntilMs(std::int64_t t) override { now_ = std::max(now_, t); }

    std::uint32_t at(int x, int y) const { return pixels_[y * w_ + x]; }
    std::vector<im::Rect> presented;
    std::int64_t frameCostMs = 0;

  private:
    int w_, h_;
    std::vector<std::uint32_t> pixels_;
    std::int64_t now_ = 1000;
};

// A 24-bit picture whose pixels say where they are.
core::Bitmap Picture(int w, int h) {
    core::Bitmap b = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 0x80;
        }
    return b;
}

std::uint32_t Expected(int x, int y) {
    return 0x800000u | (y << 8) | x;
}

constexpr std::uint32_t kOld = 0x123456;

} // namespace

TEST(DrawFx, FramesCallbacksAndTheFinalPicture) {
    const core::Bitmap pic = Picture(60, 40);
    FakeSurface s(100, 80, kOld);
    const im::Rect target{20, 10, 80, 50}, source{0, 0, 60, 40};
    const im::FxParams p{1, 0, 1, 10, 3, 0}; // wipe from Right, 60 steps, pause 3
    std::vector<std::pair<int, int>> calls;
    const im::FxCallback cb = [&](int frame, int frames, int pause) {
        EXPECT_EQ(pause, 3);
        calls.emplace_back(frame, frames);
        return 0;
    };
    EXPECT_EQ(im::DrawPictureFX(pic, s, target, source, p, &cb), im::IMG_OK);
    const im::FxPlan plan = im::MakePlan(p, 60, 40);
    EXPECT_EQ(s.presented.size(), plan.frames.size());
    ASSERT_EQ(calls.size(), plan.frames.size() - 1);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].first, static_cast<int>(i) + 1);
        EXPECT_EQ(calls[i].second, static_cast<int>(plan.frames.size()));
    }
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 20 && x < 80 && y >= 10 && y < 50;
            ASSERT_EQ(s.at(x, y), inside ? Expected(x - 20, y - 10) : kOld) << x << "," << y;
        }
    for (const im::Rect& r : s.presented) {
        EXPECT_GE(r.left, 20);
        EXPECT_LE(r.right, 80);
    }
    // Without a pause nothing is called back.
    FakeSurface s2(100, 80, kOld);
    calls.clear();
    EXPECT_EQ(im::DrawPictureFX(pic, s2, target, source, {1, 0, 1, 10, 255, 0}, &cb), im::IMG_OK);
    EXPECT_TRUE(calls.empty());
}

TEST(DrawFx, TheCallbackStopsItAfterAFrame) {
    const core::Bitmap pic = Picture(30, 20);
    FakeSurface s(30, 20, kOld);
    const im::FxParams p{9, 1, 2, 20, 0, 77}; // mosaic of 2 x 2 blocks
    const im::FxCallback stopAtThree = [](int frame, int, int) { return frame == 3 ? 1 : 0; };
    EXPECT_EQ(im::DrawPictureFX(pic, s, {0, 0, 30, 20}, {0, 0, 30, 20}, p, &stopAtThree),
              im::IMG_STOPPED);
    EXPECT_EQ(s.presented.size(), 3u);
    // The surface holds frame 3.
    std::vector<std::uint32_t> oldPix(30 * 20, kOld), newPix(30 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            newPix[y * 30 + x] = Expected(x, y);
    im::TransitionRenderer r(p, {oldPix.data(), 30, 20, 30}, {newPix.data(), 30, 20, 30});
    const auto order = im::BlockOrder(p, r.geometry());
    const int step = im::MakePlan(p, 30, 20).frames[2].step;
    const auto want = reference::TransitionState(p, 30, 20, oldPix, newPix, step, order);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(s.at(x, y), want[y * 30 + x]);
}

TEST(DrawFx, ALateSurfaceSkipsFramesButNotTheLast) {
    const core::Bitmap pic = Picture(64, 48);
    FakeSurface s(64, 48, kOld);
    s.frameCostMs = 25;
    int calls = 0;
    const im::FxCallback cb = [&](int, int, int) {
        ++calls;
        return 0;
    };
    const im::FxParams p{3, 1, 1, 10, 0, 0}; // wipe from Bottom, 48 steps
    EXPECT_EQ(im::DrawPictureFX(pic, s, {0, 0, 64, 48}, {0, 0, 64, 48}, p, &cb), im::IMG_OK);
    const std::size_t planned = im::MakePlan(p, 64, 48).frames.size();
    EXPECT_GT(planned, 2u);
    EXPECT_LT(s.presented.size(), planned);
    EXPECT_EQ(calls, static_cast<int>(s.presented.size()) - 1);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(s.at(x, y), Expected(x, y));
}

TEST(DrawFx, TargetsAreClippedToTheSurface) {
    const core::Bitmap pic = Picture(50, 30);
    for (const im::FxParams& p :
         {im::FxParams{17, 6, 0x10001, 20, 0, 0}, im::FxParams{18, 2, 0x00050001, 10, 0, 0},
          im::FxParams{0, 0, 0, 20, 255, 0}}) {
        FakeSurface s(40, 20, kOld);
        EXPECT_EQ(im::DrawPictureFX(pic, s, {-10, 5, 40, 35}, {0, 0, 50, 30}, p, nullptr),
                  im::IMG_OK);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(s.at(x, y), y >= 5 ? Expected(x + 10, y - 5) : kOld) << x << "," << y;
    }
    // Entirely outside: nothing to do.
    FakeSurface s(40, 20, kOld);
    EXPECT_EQ(im::DrawPicture(pic, s, {50, 0, 100, 30}, {0, 0, 50, 30}), im::IMG_OK);
    EXPECT_TRUE(s.presented.empty());
}

TEST(DrawFx, PlainDrawsStretchesAndBadArguments) {
    core::Bitmap indexed = core::Bitmap::Create(2, 2, 8).value();
    indexed.palette()[1] = {0x30, 0x20, 0x10, 0};
    indexed.row(0)[1] = 1;
    indexed.row(1)[0] = 255;
    FakeSurface s(4, 4, kOld);
    EXPECT_EQ(im::DrawPicture(indexed, s, {0, 0, 4, 4}, {0, 0, 2, 2}), im::IMG_OK);
    ASSERT_EQ(s.presented.size(), 1u);
    const std::uint32_t want[4][4] = {{0, 0, 0x102030, 0x102030},
                                      {0, 0, 0x102030, 0x102030},
                                      {0xFFFFFF, 0xFFFFFF, 0, 0},
                                      {0xFFFFFF, 0xFFFFFF, 0, 0}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(s.at(x, y), want[y][x]) << x << "," << y;

    const core::Bitmap pic = Picture(8, 8);
    EXPECT_EQ(im::DrawPicture(core::Bitmap{}, s, {0, 0, 4, 4}, {0, 0, 8, 8}), im::IMG_BAD_ARGUMENT);
    EXPECT_EQ(im::DrawPicture(pic, s, {0, 0, 0, 4}, {0, 0, 8, 8}), im::IMG_BAD_ARGUMENT);
    EXPECT_EQ(im::DrawPictureFX(pic, s, {0, 0, 4, 4}, {8, 8, 9, 9}, {1, 0, 1, 10, 0, 0}, nullptr),
              im::IMG_BAD_ARGUMENT);
}

TEST(DrawFx, HandleCallsDrawTheImageAndSetTheStatus) {
    im::ImgInit();
    const im::HIMAGE h = im::ImgFromBitmap(Picture(60, 40));
    ASSERT_NE(h, 0);
    FakeSurface s(100, 80, kOld);
    const im::Rect target{20, 10, 80, 50}, source{0, 0, 60, 40};
    EXPECT_EQ(im::ImgDrawImage(h, s, target, source), 1);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_OK);
    EXPECT_EQ(s.at(20 + 5, 10 + 7), Expected(5, 7));
    EXPECT_EQ(s.at(10, 5), kOld);

    // An effect stopped by its callback after the first frame: 0, and the status says why.
    FakeSurface t(100, 80, kOld);
    const im::FxCallback stop = [](int, int, int) { return 1; };
    EXPECT_EQ(im::ImgDrawImageFX(h, t, target, source, {1, 0, 1, 10, 3, 0}, &stop), 0);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_STOPPED);
    EXPECT_EQ(im::ImgErrorString(), "Stopped.");
    EXPECT_EQ(t.presented.size(), 1u);

    // Run to the end, the target holds the new picture.
    const im::FxCallback go = [](int, int, int) { return 0; };
    EXPECT_EQ(im::ImgDrawImageFX(h, t, target, source, {1, 0, 1, 10, 3, 0}, &go), 1);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_OK);
    EXPECT_EQ(t.at(79, 49), Expected(59, 39));

    EXPECT_EQ(im::ImgDrawImage(h, s, {0, 0, 0, 0}, source), 0);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_BAD_ARGUMENT);
    im::ImgClose(h);
    EXPECT_EQ(im::ImgDrawImage(h, s, target, source), 0);
    EXPECT_EQ(im::ImgGetStatus(), im::IMG_BAD_HANDLE);
}
