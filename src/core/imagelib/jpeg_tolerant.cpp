// The fallback JPEG decoder: used when the JPEG decoder refuses a file. It
// keeps whatever rows libjpeg manages to produce from truncated or damaged
// data and shows the rest as mid gray; it fails only when there is no header.
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"

#include "core/imageman/document.h"
#include "core/input/jpeg_cmyk.h"
#include "core/input/jpeg_session.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace core::imagelib {

namespace {

constexpr int kStripRows = 16;
constexpr std::uint8_t kMissing = 128; // mid gray for rows the data does not reach

class TolerantRun {
  public:
    TolerantRun(std::span<const std::uint8_t> file, const ProgressFn& progress)
        : file_(file), progress_(progress), session_(std::make_unique<jpeg::Session>(false)) {}

    Result<Bitmap> Decode() {
        if (file_.empty()) return Error{"Empty JPEG file."};
        if (auto st = Setup(); !st) return st.error();
        j_decompress_ptr c = session_->get();
        width_ = static_cast<int>(c->output_width);
        height_ = static_cast<int>(c->output_height);
        auto made = Bitmap::Create(width_, height_, gray_ ? 8 : 24); // checks the size first
        if (!made) return made.error();
        picture_ = std::move(made).value();
        std::memset(picture_.data(), kMissing, picture_.byteSize());
        if (cmyk_) scratch_.resize(static_cast<std::size_t>(kStripRows) * width_ * 4);

        if (!jpeg::GuardedStart(c)) return std::move(picture_);
        Status st = c->buffered_image ? OutputBuffered() : OutputRows(height_);
        if (!st) return st.error();
        return std::move(picture_);
    }

    // The data ran out, was corrupt or made libjpeg give up: rows may be missing.
    bool damaged() {
        const auto& e = session_->errors();
        return e.failed || e.endOfData || e.warnings > 0;
    }

  private:
    // Reads rows from the top until `limit` rows are in or libjpeg gives up;
    // rows it did not finish stay gray.
    Status OutputRows(int limit) {
        j_decompress_ptr c = session_->get();
        JSAMPROW rows[kStripRows];
        for (int y = 0; y < limit; y += kStripRows) {
            const int n = std::min(kStripRows, limit - y);
            for (int i = 0; i < n; ++i)
                rows[i] = cmyk_ ? scratch_.data() + static_cast<std::size_t>(i) * width_ * 4
                                : picture_.row(y + i);
            JDIMENSION got = 0;
            const bool ok = jpeg::GuardedReadRows(c, rows, static_cast<JDIMENSION>(n), &got);
            const int done = static_cast<int>(got);
            if (cmyk_)
                for (int i = 0; i < done; ++i)
                    jpeg::CmykRowToBgr(rows[i], picture_.row(y + i), width_, inverted_);
            if (!ok) {
                // The row libjpeg was writing when it failed may be half done.
                for (int i = done; i < n; ++i)
                    std::memset(picture_.row(y + i), kMissing, picture_.stride());
                return Ok();
            }
            if (!ReportProgress(progress_, static_cast<int>((std::int64_t{y} + n) * 100 / height_)))
                return Error{"Stopped."};
            // Past the end of the data libjpeg would go on with made-up blocks
            // (not gray for CMYK); the rows below stay gray instead.
            if (!c->buffered_image && session_->errors().endOfData) return Ok();
        }
        if (limit == height_ && !c->buffered_image) jpeg::GuardedFinish(c);
        return Ok();
    }

    // Reads the header into the current session and sets the decode up.
    Status Setup() {
        if (!session_->created()) return Fail("%s", session_->message().c_str());
        j_decompress_ptr c = session_->get();
        if (!jpeg::GuardedReadHeader(c, file_.data(), file_.size()))
            return Fail("%s", session_->message().c_str());
        gray_ = c->num_components == 1;
        cmyk_ = c->num_components == 4;
        inverted_ = cmyk_ && c->saw_Adobe_marker;
        c->out_color_space = gray_ ? JCS_GRAYSCALE : cmyk_ ? JCS_CMYK : JCS_EXT_BGR;
        c->dct_method = JDCT_ISLOW;
        // Progressive data is gathered scan by scan, so a bad later scan still
        // leaves the picture the earlier scans made.
        c->buffered_image = c->progressive_mode;
        if (!jpeg::GuardedCalcOutput(c)) return Fail("%s", session_->message().c_str());
        return Ok();
    }

    // Buffered-image mode: take in all scans there are, then output the best
    // complete state of the coefficients.
    Status OutputBuffered() {
        j_decompress_ptr c = session_->get();
        bool reachedEnd = false;
        int cleanScans = 0;
        if (!jpeg::GuardedConsumeAll(c, &reachedEnd, &cleanScans))
            return AfterFatalError(cleanScans);
        int scan = c->input_scan_number;
        int limit = height_;
        if (!reachedEnd) {
            if (scan > 1) {
                --scan; // every row of the previous scan is in
            } else {
                // The first scan broke off: output only the iMCU rows it finished,
                // leaving one out for the upsampler's look-ahead, so that libjpeg
                // never reads on from the point where it failed.
                const std::int64_t perRow =
                    std::int64_t{c->max_v_samp_factor} * c->min_DCT_scaled_size;
                limit = static_cast<int>(
                    std::clamp<std::int64_t>((c->input_iMCU_row - 1) * perRow, 0, height_));
            }
        }
        if (scan < 1 || limit == 0) return Ok();
        if (!jpeg::GuardedStartOutput(c, scan)) return Ok();
        if (auto st = OutputRows(limit); !st) return st;
        return Ok();
    }

    // A fatal error while gathering scans (a marker segment cut short, a second
    // frame header) leaves libjpeg in no state to be used again. The scans that
    // arrived whole before it are read again on a fresh decompressor that stops
    // after the last of them; with none, the file is refused with the error.
    Status AfterFatalError(int cleanScans) {
        const std::string why = session_->message();
        if (cleanScans < 1) return Error{why};
        session_ = std::make_unique<jpeg::Session>(false);
        if (!Setup()) return Error{why};
        j_decompress_ptr c = session_->get();
        if (static_cast<int>(c->output_width) != width_ ||
            static_cast<int>(c->output_height) != height_ || !jpeg::GuardedStart(c))
            return Error{why};
        bool reachedEnd = false;
        int again = 0;
        if (!jpeg::GuardedConsumeAll(c, &reachedEnd, &again, cleanScans) || again < cleanScans ||
            !jpeg::GuardedStartOutput(c, cleanScans))
            return Error{why};
        return OutputRows(height_);
    }

    std::span<const std::uint8_t> file_;
    const ProgressFn& progress_;
    std::unique_ptr<jpeg::Session> session_;
    Bitmap picture_;
    std::vector<std::uint8_t> scratch_;
    int width_ = 0, height_ = 0;
    bool gray_ = false, cmyk_ = false, inverted_ = false;
};

} // namespace

Result<Bitmap> DecodeJpegTolerant(std::span<const std::uint8_t> file,
                                  const DecodeOptions& options) {
    TolerantRun run(file, options.progress);
    auto picture = run.Decode();
    if (picture && run.damaged()) options.MarkIncomplete();
    return picture;
}

int JpegToDIB(const std::string& fileName, int /*bits*/, PackedDib* dib,
              const DecodeOptions& options) {
    auto bytes = imageman::ReadWholeFile(fileName);
    if (!bytes) {
        SetLastError(bytes.message());
        return -1;
    }
    auto picture = DecodeJpegTolerant(bytes.value(), options);
    if (!picture) {
        SetLastError(picture.message());
        return -1;
    }
    auto packed = PictureToPackedDIB(picture.value());
    if (!packed) {
        SetLastError(packed.message());
        return -1;
    }
    *dib = std::move(packed).value();
    return 1;
}

} // namespace core::imagelib
