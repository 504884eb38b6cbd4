#include "core/scan/frame_assembly.h"

#include "core/common/memory.h"

#include <algorithm>
#include <cstring>

namespace core::scan {

namespace {

int Channels(FrameFormat f) {
    return f == FrameFormat::Rgb ? 3 : 1;
}

bool SingleColour(FrameFormat f) {
    return f == FrameFormat::Red || f == FrameFormat::Green || f == FrameFormat::Blue;
}

// The bytes a scan of this size takes, checked against the guard (raw
// samples, at most 16 bits each).
Status CheckRoom(const FrameParams& p, std::int64_t lines) {
    if (lines < 1) lines = 1;
    return CheckPictureSize(p.pixelsPerLine, lines, Channels(p.format) * p.depth);
}

} // namespace

std::uint8_t SampleOf(const std::uint8_t* row, int depth, int index) {
    switch (depth) {
    case 1:
        // A set bit is black.
        return (row[index >> 3] & (0x80 >> (index & 7))) ? 0 : 255;
    case 16: {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * index, 2); // the host's byte order
        return static_cast<std::uint8_t>((v + 128) / 257);
    }
    default:
        return row[index];
    }
}

Status FrameAssembler::BeginFrame(const FrameParams& p) {
    if (complete_) return Error{"The scan has already ended."};
    if (open_) return Error{"A frame is still open."};
    if (p.depth != 1 && p.depth != 8 && p.depth != 16)
        return Fail("Scans of %d bits per sample cannot be read.", p.depth);
    if (p.pixelsPerLine < 1 || p.lines == 0 || p.lines < -1)
        return Fail("Bad scan size %dx%d.", p.pixelsPerLine, p.lines);
    const std::int64_t need =
        (std::int64_t{p.pixelsPerLine} * Channels(p.format) * p.depth + 7) / 8;
    if (p.bytesPerLine < need) return Fail("Scan lines of %d bytes are too short.", p.bytesPerLine);
    if (!frames_.empty()) {
        const FrameParams& first = frames_.front().params;
        if (!SingleColour(first.format) || !SingleColour(p.format) ||
            first.pixelsPerLine != p.pixelsPerLine || first.depth != p.depth)
            return Error{"The frames of the scan do not match."};
    }
    if (auto st = CheckRoom(p, p.lines); !st) return st;
    Frame f;
    f.params = p;
    if (p.lines > 0) f.bytes.reserve(static_cast<std::size_t>(p.bytesPerLine) * p.lines);
    frames_.push_back(std::move(f));
    open_ = true;
    return Ok();
}

Status FrameAssembler::Append(std::span<const std::uint8_t> bytes) {
    if (!open_) return Error{"No frame is open."};
    Frame& f = frames_.back();
    const std::size_t have = f.bytes.size() + bytes.size();
    if (f.params.lines > 0) {
        // A scanner that sends more than it announced: the rest is dropped.
        const std::size_t cap = static_cast<std::size_t>(f.params.bytesPerLine) * f.params.lines;
        const std::size_t take = std::min(bytes.size(), cap - std::min(cap, f.bytes.size()));
        f.bytes.insert(f.bytes.end(), bytes.begin(), bytes.begin() + take);
        return Ok();
    }
    // Unknown length: each growth passes the guard first.
    if (have > f.bytes.capacity()) {
        const std::int64_t lines = static_cast<std::int64_t>(have / f.params.bytesPerLine) + 1;
        if (auto st = CheckRoom(f.params, lines * 2); !st) {
            if (auto again = CheckRoom(f.params, lines); !again) return again;
            f.bytes.reserve(have);
        } else {
            f.bytes.reserve(std::max(have, f.bytes.capacity() * 2));
        }
    }
    f.bytes.insert(f.bytes.end(), bytes.begin(), bytes.end());
    return Ok();
}

int FrameAssembler::linesReceived() const {
    if (frames_.empty()) return 0;
    const Frame& f = frames_.back();
    return static_cast<int>(f.bytes.size() / f.params.bytesPerLine);
}

Status FrameAssembler::EndFrame() {
    if (!open_) return Error{"No frame is open."};
    open_ = false;
    Frame& f = frames_.back();
    if (f.params.lines < 0)
        f.params.lines = static_cast<int>(f.bytes.size() / f.params.bytesPerLine);
    if (f.params.lines < 1) return Error{"The scanner sent no lines."};
    if (f.params.lastFrame || !SingleColour(f.params.format)) complete_ = true;
    return Ok();
}

Result<Bitmap> FrameAssembler::Finish() {
    if (!complete_ || frames_.empty()) return Error{"The scan is not complete."};
    const FrameParams& p = frames_.front().params;
    const int width = p.pixelsPerLine;
    // Short frames (a scan stopped early) are cut to what every frame has.
    int height = p.lines;
    for (const Frame& f : frames_)
        height = std::min(height, f.params.lines);
    const FrameFormat kind = p.format;

    if (kind == FrameFormat::Gray) {
        const int bits = p.depth == 1 ? 1 : 8;
        auto made = Bitmap::Create(width, height, bits);
        if (!made) return made.error();
        Bitmap out = std::move(made).value();
        const Frame& f = frames_.front();
        for (int y = 0; y < height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * p.bytesPerLine;
            std::uint8_t* o = out.row(y);
            if (at + p.bytesPerLine > f.bytes.size()) break; // lines never sent stay black
            const std::uint8_t* r = f.bytes.data() + at;
            if (bits == 1) {
                // Index 0 is black (the palette's ramp), so a set bit clears it.
                for (int b = 0; b < (width + 7) / 8; ++b)
                    o[b] = static_cast<std::uint8_t>(~r[b]);
                if (width % 8) o[width / 8] &= static_cast<std::uint8_t>(0xFF00 >> (width % 8));
            } else {
                for (int x = 0; x < width; ++x)
                    o[x] = SampleOf(r, p.depth, x);
            }
        }
        return out;
    }

    auto made = Bitmap::Create(width, height, 24);
    if (!made) return made.error();
    Bitmap out = std::move(made).value();
    for (const Frame& f : frames_) {
        const FrameParams& fp = f.params;
        for (int y = 0; y < height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * fp.bytesPerLine;
            if (at + fp.bytesPerLine > f.bytes.size()) break;
            const std::uint8_t* r = f.bytes.data() + at;
            std::uint8_t* o = out.row(y);
            for (int x = 0; x < width; ++x) {
                std::uint8_t* px = o + 3 * x; // blue, green, red
                switch (fp.format) {
                case FrameFormat::Rgb:
                    px[2] = SampleOf(r, fp.depth, 3 * x);
                    px[1] = SampleOf(r, fp.depth, 3 * x + 1);
                    px[0] = SampleOf(r, fp.depth, 3 * x + 2);
                    break;
                case FrameFormat::Red:
                    px[2] = SampleOf(r, fp.depth, x);
                    break;
                case FrameFormat::Green:
                    px[1] = SampleOf(r, fp.depth, x);
                    break;
                case FrameFormat::Blue:
                    px[0] = SampleOf(r, fp.depth, x);
                    break;
                case FrameFormat::Gray:
                    break;
                }
            }
        }
    }
    return out;
}

} // namespace core::scan
