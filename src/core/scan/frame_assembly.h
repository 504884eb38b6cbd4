// Scanner frames made into a picture, without the scanner: the frame
// parameters a scanner reports, the bytes it sends, and the picture they
// become. Gray 1-bit becomes a 1-bit picture (index 0 black), gray 8 an
// 8-bit picture with a gray palette, colour 24-bit; 16-bit samples become
// 8 bits as round(v / 257). Colour may come in three single-colour frames.
// A frame of unknown length grows as its lines arrive, within the memory guard.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace core::scan {

enum class FrameFormat { Gray, Rgb, Red, Green, Blue };

struct FrameParams {
    FrameFormat format = FrameFormat::Gray;
    bool lastFrame = true;
    int bytesPerLine = 0;
    int pixelsPerLine = 0;
    int lines = 0; // −1: unknown until the frame ends (hand scanners)
    int depth = 8; // bits per sample: 1, 8 or 16
};

class FrameAssembler {
  public:
    // Starts a frame. The frames of one picture must agree in size and depth.
    Status BeginFrame(const FrameParams& params);
    // The next bytes of the frame, in any chunk size.
    Status Append(std::span<const std::uint8_t> bytes);
    // The frame has ended; true when it was the last one.
    Status EndFrame();
    bool complete() const { return complete_; }
    // Lines received so far in the current frame, for progress.
    int linesReceived() const;
    // The picture of the finished frames.
    Result<Bitmap> Finish();

  private:
    struct Frame {
        FrameParams params;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Frame> frames_;
    bool open_ = false;
    bool complete_ = false;
};

// One sample of a row, as 8 bits: `index` counts samples from the row's start.
std::uint8_t SampleOf(const std::uint8_t* row, int depth, int index);

} // namespace core::scan
