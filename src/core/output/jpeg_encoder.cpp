#include "core/output/jpeg_encoder.h"

#include "core/common/expand_row.h"
#include "core/imagelib/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace core::output {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

// The compressor and its memory destination. Everything with a destructor
// lives outside the setjmp functions below.
struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;

    Encoder() = default;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

bool StartSafe(Encoder* e, const Bitmap* picture, const JpegSettings* s) {
    e->cinfo.err = jpeg_std_error(&e->err.pub);
    e->err.pub.error_exit = OnError;
    e->err.pub.emit_message = OnMessage;
    if (setjmp(e->err.jump)) return false;
    jpeg_create_compress(&e->cinfo);
    e->created = true;
    jpeg_mem_dest(&e->cinfo, &e->buffer, &e->size);
    jpeg_compress_struct& c = e->cinfo;
    c.image_width = static_cast<JDIMENSION>(picture->width());
    c.image_height = static_cast<JDIMENSION>(picture->height());
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR; // the picture's own byte order
    jpeg_set_defaults(&c);
    c.optimize_coding = s->optimize ? TRUE : FALSE;
    jpeg_set_linear_quality(&c, std::clamp(s->scale, 1, 5000), TRUE);
    if (s->highAccuracy) c.dct_method = JDCT_FLOAT;
    if (s->gray) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    if (!s->subsample) {
        c.comp_info[0].h_samp_factor = 1;
        c.comp_info[0].v_samp_factor = 1;
    }
    // libjpeg's smoothing filter is defined for 0..100 only; above that its
    // centre weight turns negative and the samples wrap.
    c.smoothing_factor = std::clamp(s->smoothing, 0, 100);
    if (s->progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    return true;
}

bool WriteRowSafe(Encoder* e, const std::uint8_t* row) {
    if (setjmp(e->err.jump)) return false;
    JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
    jpeg_write_scanlines(&e->cinfo, rows, 1);
    return true;
}

bool FinishSafe(Encoder* e) {
    if (setjmp(e->err.jump)) return false;
    jpeg_finish_compress(&e->cinfo);
    return true;
}

} // namespace

Result<std::vector<std::uint8_t>> CompressJPEG(const Bitmap& picture, const JpegSettings& settings,
                                               const ProgressFn& progress) {
    if (picture.empty() || !picture.data()) return Error{"There is no picture to save."};
    if (picture.width() > JPEG_MAX_DIMENSION || picture.height() > JPEG_MAX_DIMENSION)
        return Error{"The picture is too large for a JPEG file."};
    Encoder e;
    auto failed = [&](const char* fallback) {
        return Error{e.err.message[0] ? std::string(e.err.message) : std::string(fallback)};
    };
    if (!StartSafe(&e, &picture, &settings)) return failed("Cannot start the JPEG encoder.");

    // Indexed and device-dependent rows are expanded to blue, green, red.
    const bool direct = picture.bits() == 24 && !picture.deviceDependent();
    std::vector<std::uint8_t> expanded(direct ? 0 : std::size_t{3} * picture.width());
    const int h = picture.height();
    PercentProgress rowsDone(progress, static_cast<std::uint64_t>(h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = picture.row(y);
        if (!direct) {
            ExpandRowToBgr(picture, y, expanded.data());
            row = expanded.data();
        }
        if (!WriteRowSafe(&e, row)) return failed("Cannot encode the JPEG rows.");
        if (!rowsDone.at(static_cast<std::uint64_t>(y) + 1)) return Error{"Stopped."};
    }
    if (!FinishSafe(&e)) return failed("Cannot finish the JPEG file.");
    return std::vector<std::uint8_t>(e.buffer, e.buffer + e.size);
}

Status WriteBytesToFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return imagelib::WriteFileAtomically(path, [&](std::FILE* f) -> Status {
        errno = 0;
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            return Error{std::strerror(errno ? errno : EIO)};
        return Ok();
    });
}

Status SaveJPEG(const std::string& path, const Bitmap& picture, const JpegSettings& settings,
                const ProgressFn& progress) {
    auto bytes = CompressJPEG(picture, settings, progress);
    if (!bytes) return bytes.error();
    return WriteBytesToFile(path, bytes.value());
}

} // namespace core::output
