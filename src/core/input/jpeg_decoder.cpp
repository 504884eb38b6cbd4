#include "core/input/jpeg_decoder.h"

#include "core/common/memory.h"
#include "core/input/jpeg_cmyk.h"
#include "core/input/jpeg_session.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace core {

namespace {

// 236 colours leave the 20 colours the system keeps on a 256-colour screen.
constexpr int kPaletteColours = 236;
// Rows per strip when decoding straight into a picture: progress is reported per strip.
constexpr int kPictureStripRows = 16;

J_DITHER_MODE DitherFor(int mode) {
    switch (mode) {
    case kDitherOrdered:
        return JDITHER_ORDERED;
    case kDitherNone:
        return JDITHER_NONE;
    default:
        return JDITHER_FS;
    }
}

// What one decode delivers and how libjpeg is set up for it.
struct OutputPlan {
    int width = 0, height = 0;
    int bits = 24;         // of the delivered rows: 8 (indexes or gray) or 24 (B, G, R)
    bool gray = false;     // gray file: 8-bit rows with a gray ramp
    bool cmyk = false;     // libjpeg gives CMYK samples, converted by us
    bool quantize = false; // libjpeg gives palette indexes
    bool inverted = false; // Adobe CMYK
};

// One decode from header to the last row.
class DecodeRun {
  public:
    explicit DecodeRun(std::span<const std::uint8_t> data) : data_(data), session_(true) {}

    Status Open(int scale, bool eightBit, bool speed, int dither) {
        if (!session_.created()) return Fail("%s", session_.message().c_str());
        if (data_.empty()) return Error{"Empty JPEG file."};
        j_decompress_ptr c = session_.get();
        if (!jpeg::GuardedReadHeader(c, data_.data(), data_.size())) return Failed();
        c->scale_num = 1;
        c->scale_denom = static_cast<unsigned>(std::clamp(scale, 1, 8));
        plan_.gray = c->num_components == 1;
        plan_.cmyk = c->num_components == 4;
        plan_.inverted = plan_.cmyk && c->saw_Adobe_marker;
        plan_.quantize = eightBit && !plan_.gray;
        plan_.bits = plan_.gray || plan_.quantize ? 8 : 24;
        if (plan_.gray)
            c->out_color_space = JCS_GRAYSCALE;
        else if (plan_.cmyk)
            c->out_color_space = JCS_CMYK;
        else
            c->out_color_space = plan_.quantize ? JCS_RGB : JCS_EXT_BGR;
        // 24-bit output always takes the fast integer IDCT.
        c->dct_method = speed || !eightBit ? JDCT_IFAST : JDCT_ISLOW;
        if (plan_.quantize) {
            c->quantize_colors = TRUE;
            c->desired_number_of_colors = kPaletteColours;
            // The optimal map needs RGB output; CMYK files take the fixed map.
            c->two_pass_quantize = !speed && !plan_.cmyk ? TRUE : FALSE;
            c->dither_mode = DitherFor(dither);
        }
        if (!jpeg::GuardedCalcOutput(c)) return Failed();
        plan_.width = static_cast<int>(c->output_width);
        plan_.height = static_cast<int>(c->output_height);
        // Refuse absurd sizes before libjpeg or we allocate anything large.
        return CheckPictureSize(plan_.width, plan_.height, plan_.bits);
    }

    const OutputPlan& plan() const { return plan_; }

    Status Start(std::vector<Rgbq>* palette) {
        j_decompress_ptr c = session_.get();
        if (!jpeg::GuardedStart(c)) return Failed();
        if (plan_.cmyk && !plan_.quantize)
            scratch_.resize(static_cast<std::size_t>(kMaxStripRows) * plan_.width * 4);
        if (!palette) return Ok();
        palette->clear();
        if (plan_.gray) {
            *palette = GrayPalette(8);
        } else if (plan_.quantize) {
            for (int i = 0; i < c->actual_number_of_colors; ++i) {
                std::uint32_t rgb;
                if (plan_.cmyk)
                    rgb = jpeg::CmykToRgb(c->colormap[0][i], c->colormap[1][i], c->colormap[2][i],
                                          c->colormap[3][i], plan_.inverted);
                else
                    rgb = (std::uint32_t{c->colormap[0][i]} << 16) |
                          (std::uint32_t{c->colormap[1][i]} << 8) | c->colormap[2][i];
                palette->push_back(Rgbq{static_cast<std::uint8_t>(rgb),
                                        static_cast<std::uint8_t>(rgb >> 8),
                                        static_cast<std::uint8_t>(rgb >> 16), 0});
            }
        }
        return Ok();
    }

    // Decodes the next `count` rows (at most kMaxStripRows) into `dest`.
    Status Rows(std::uint8_t* const* dest, int count) {
        j_decompress_ptr c = session_.get();
        rowPtrs_.resize(static_cast<std::size_t>(count));
        const bool convert = plan_.cmyk && !plan_.quantize;
        for (int i = 0; i < count; ++i)
            rowPtrs_[static_cast<std::size_t>(i)] =
                convert ? scratch_.data() + static_cast<std::size_t>(i) * plan_.width * 4 : dest[i];
        JDIMENSION got = 0;
        if (!jpeg::GuardedReadRows(c, rowPtrs_.data(), static_cast<JDIMENSION>(count), &got))
            return Failed();
        if (convert)
            for (int i = 0; i < count; ++i)
                jpeg::CmykRowToBgr(rowPtrs_[static_cast<std::size_t>(i)], dest[i], plan_.width,
                                   plan_.inverted);
        return Ok();
    }

    // Every row is in; trouble after the last row does not spoil the picture.
    void Finish() { jpeg::GuardedFinish(session_.get()); }

    static constexpr int kMaxStripRows = 64;

  private:
    Error Failed() { return Fail("%s", session_.message().c_str()); }

    std::span<const std::uint8_t> data_;
    jpeg::Session session_;
    OutputPlan plan_;
    std::vector<std::uint8_t> scratch_;
    std::vector<JSAMPROW> rowPtrs_;
};

Status Stopped() {
    return Error{"Stopped."};
}

} // namespace

JpegDecoder::JpegDecoder() = default;
JpegDecoder::~JpegDecoder() = default;

Status JpegDecoder::LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("Cannot open %s.", path.c_str());
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return Fail("Cannot read %s.", path.c_str());
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return Fail("Cannot read %s.", path.c_str());
    data_ = std::move(bytes);
    return Ok();
}

void JpegDecoder::LoadBytes(std::vector<std::uint8_t> data) {
    data_ = std::move(data);
}

Result<JpegHeader> JpegDecoder::ReadHeader() {
    jpeg::Session session(true);
    if (!session.created()) return Fail("%s", session.message().c_str());
    if (data_.empty()) return Error{"Empty JPEG file."};
    j_decompress_ptr c = session.get();
    if (!jpeg::GuardedReadHeader(c, data_.data(), data_.size()))
        return Fail("%s", session.message().c_str());
    c->scale_num = 1;
    c->scale_denom = static_cast<unsigned>(std::clamp(scale_, 1, 8));
    if (!jpeg::GuardedCalcOutput(c)) return Fail("%s", session.message().c_str());
    JpegHeader h;
    h.width = static_cast<int>(c->output_width);
    h.height = static_cast<int>(c->output_height);
    h.fullWidth = static_cast<int>(c->image_width);
    h.fullHeight = static_cast<int>(c->image_height);
    h.components = c->num_components;
    h.progressive = c->progressive_mode != FALSE;
    h.adobeInverted = c->num_components == 4 && c->saw_Adobe_marker;
    return h;
}

Status JpegDecoder::DecodeStrips(int ditherMode, int stripRows, const StripSink& sink,
                                 std::vector<Rgbq>* palette, const ProgressFn& progress) {
    DecodeRun run(data_);
    if (auto st = run.Open(scale_, eightBit_, speed_, ditherMode); !st) return st;
    const OutputPlan& plan = run.plan();
    stripRows = std::clamp(stripRows, 1, DecodeRun::kMaxStripRows);
    const std::size_t stride = RowStride(plan.width, plan.bits);
    std::vector<std::uint8_t> strip(stride * static_cast<std::size_t>(stripRows));
    std::vector<std::uint8_t*> dest(static_cast<std::size_t>(stripRows));
    for (int i = 0; i < stripRows; ++i)
        dest[static_cast<std::size_t>(i)] = strip.data() + stride * static_cast<std::size_t>(i);
    if (auto st = run.Start(palette); !st) return st;
    for (int y = 0; y < plan.height; y += stripRows) {
        const int n = std::min(stripRows, plan.height - y);
        if (auto st = run.Rows(dest.data(), n); !st) return st;
        if (!sink(Strip{y, n, strip.data(), stride})) return Stopped();
        if (!ReportProgress(progress, static_cast<int>((std::int64_t{y} + n) * 100 / plan.height)))
            return Stopped();
    }
    run.Finish();
    return Ok();
}

Result<Bitmap> JpegDecoder::Decode(int ditherMode, const ProgressFn& progress) {
    DecodeRun run(data_);
    if (auto st = run.Open(scale_, eightBit_, speed_, ditherMode); !st) return st.error();
    const OutputPlan& plan = run.plan();
    auto made = Bitmap::Create(plan.width, plan.height, plan.bits);
    if (!made) return made.error();
    Bitmap picture = std::move(made).value();
    if (auto st = run.Start(plan.bits == 8 ? &picture.palette() : nullptr); !st) return st.error();
    std::uint8_t* dest[kPictureStripRows];
    for (int y = 0; y < plan.height; y += kPictureStripRows) {
        const int n = std::min(kPictureStripRows, plan.height - y);
        for (int i = 0; i < n; ++i)
            dest[i] = picture.row(y + i);
        if (auto st = run.Rows(dest, n); !st) return st.error();
        if (!ReportProgress(progress, static_cast<int>((std::int64_t{y} + n) * 100 / plan.height)))
            return Stopped().error();
    }
    run.Finish();
    return picture;
}

int JpegScaleStep(int width, int height, int clientWidth, int clientHeight) {
    int step = 1;
    std::int64_t w = width, h = height;
    while (step < 8 && (2 * std::int64_t{clientHeight} < h || 2 * std::int64_t{clientWidth} < w)) {
        w /= 2;
        h /= 2;
        step *= 2;
    }
    return step;
}

std::string LoadTimeText(std::int64_t elapsedMs) {
    if (elapsedMs > 200) elapsedMs -= 100;
    if (elapsedMs < 0) elapsedMs = 0;
    char text[64];
    std::snprintf(text, sizeof text, "Loaded %d.%ds", static_cast<int>(elapsedMs / 1000),
                  static_cast<int>(elapsedMs % 1000 / 100));
    return text;
}

} // namespace core
