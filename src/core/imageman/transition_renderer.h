// Draws the states of one transition over one target: the old picture (what
// was on screen) turning into the new one, step by step as the frame plan
// numbers them. Every pixel is 0x00RRGGBB.
#pragma once

#include "core/imageman/imageman.h"
#include "core/imageman/transition_plan.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace core::imageman {

// A view of 32-bit pixels; stride in pixels.
struct Frame32View {
    std::uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;

    std::uint32_t* row(int y) const { return pixels + y * stride; }
};

// Is the pixel inside an implode or explode shape of `size` out of `steps`
// (0 = nothing, steps = the whole shape)? Option 4 rectangle, 5 rounded
// rectangle, 6 ellipse through the corners; the shape is centred on the target.
bool InsideShape(int option, int width, int height, long long size, long long steps, int x, int y);

// The order in which a mosaic or tile effect shows its blocks: every block
// index (row by row) once.
std::vector<std::uint32_t> BlockOrder(const FxParams& p, const FxGeometry& g);

class TransitionRenderer {
  public:
    // Old and new are the size of the target and must outlive the renderer.
    TransitionRenderer(const FxParams& p, Frame32View oldSnapshot, Frame32View newPicture);

    int steps() const { return geometry_.steps; }
    const FxGeometry& geometry() const { return geometry_; }

    // Makes the target show `step` (0 = the old picture, steps() = the new
    // one) and returns the rectangle it changed. The target is taken to hold
    // what the last call left (the old picture before the first): unless the
    // step goes back, only what differs from that is written.
    Rect Render(int step, Frame32View target);

  private:
    struct Run {
        int dst, len; // along the motion
        bool fromNew;
        int src;
    };
    // One pixel of a row: where it goes, and 2 x where it comes from + 1 for the new picture.
    struct Pick {
        int dst, src;
    };
    // Runs shorter than this on average are copied pixel by pixel (a copy
    // call per run wins from about four pixels on).
    static constexpr std::size_t kShortRun = 3;

    void BandRuns(int step, int prevStep, std::vector<Run>& runs) const;
    Rect RenderBands(int step, Frame32View target);
    Rect RenderBlocks(int step, Frame32View target);
    Rect RenderWhole(const Frame32View& from, Frame32View target);
    Rect RenderBlur(int step, Frame32View target);
    Rect RenderShape(int step, Frame32View target);
    int ShapeSpanStart(int step, int y) const;

    FxParams params_;
    FxGeometry geometry_;
    Frame32View old_, new_;
    int width_, height_;
    int mode_ = 3;
    int lastStep_ = 0; // what the target holds
    std::vector<std::uint32_t> order_;
    std::vector<Run> runs_;
    std::vector<Pick> picks_;
    std::vector<std::uint64_t> spreadNew_;  // blur intro: the new picture, spread
    std::vector<std::uint64_t> blurRows_;   // a ring of rows of the horizontal pass, spread
    std::vector<std::uint64_t> columnSums_; // three channels a column, spread
    std::vector<std::uint8_t> averages_;    // sum -> rounded average at the current radius
    std::vector<int> spanStart_; // per row: where the shape's span of the last state begins
};

} // namespace core::imageman
