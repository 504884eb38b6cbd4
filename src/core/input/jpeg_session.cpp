#include "core/input/jpeg_session.h"

#include "core/common/memory.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace core::jpeg {

namespace {

constexpr int kMaxScans = 1000;

ErrorManager* Errors(j_common_ptr cinfo) {
    return reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    ErrorManager* e = Errors(cinfo);
    (*cinfo->err->format_message)(cinfo, e->message);
    e->failed = true;
    std::longjmp(e->jump, 1);
}

// Warnings are not printed. Running out of data is a failure for the strict
// decoder (the tolerant one then shows what there is).
void EmitMessage(j_common_ptr cinfo, int level) {
    ErrorManager* e = Errors(cinfo);
    if (level >= 0) return; // trace messages
    ++e->warnings;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
        e->endOfData = true;
        if (e->strictEnd) ErrorExit(cinfo);
    }
}

void OutputMessage(j_common_ptr) {}

// After error_exit the decompressor is in no defined state: libjpeg allows
// only jpeg_destroy on it. Every later guarded call refuses at once, so no
// caller can resume a failed decode whatever it does with the result.
bool Dead(j_decompress_ptr cinfo) {
    return Errors(reinterpret_cast<j_common_ptr>(cinfo))->failed;
}

bool CreateGuarded(j_decompress_ptr cinfo) {
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    jpeg_create_decompress(cinfo);
    return true;
}

} // namespace

Session::Session(bool strictEnd) {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = ErrorExit;
    err_.pub.emit_message = EmitMessage;
    err_.pub.output_message = OutputMessage;
    err_.strictEnd = strictEnd;
    created_ = CreateGuarded(&cinfo_);
    if (created_) {
        // libjpeg's own buffers (the whole-image coefficients of a progressive
        // file, the two-pass colour histogram) stay within free memory.
        const std::uint64_t freeBytes = FreePageFile();
        cinfo_.mem->max_memory_to_use =
            static_cast<long>(std::min<std::uint64_t>(freeBytes, LONG_MAX));
    }
}

Session::~Session() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
}

std::string Session::message() const {
    if (!err_.message[0]) return "JPEG decoding failed.";
    // Plain words first; libjpeg's own text after them for whoever can use it.
    const std::string detail = " (" + std::string(err_.message) + ")";
    switch (err_.pub.msg_code) {
    case JERR_OUT_OF_MEMORY:
        return "Not enough memory to read the picture." + detail;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return "The picture is too large to read." + detail;
    case JERR_NO_SOI:
        return "The file is not a JPEG picture." + detail;
    default:
        return "The file is damaged." + detail;
    }
}

bool GuardedReadHeader(j_decompress_ptr cinfo, const std::uint8_t* data, std::size_t size) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    return jpeg_read_header(cinfo, TRUE) == JPEG_HEADER_OK;
}

bool GuardedCalcOutput(j_decompress_ptr cinfo) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    jpeg_calc_output_dimensions(cinfo);
    return true;
}

bool GuardedStart(j_decompress_ptr cinfo) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    return jpeg_start_decompress(cinfo) == TRUE;
}

bool GuardedReadRows(j_decompress_ptr cinfo, JSAMPARRAY rows, JDIMENSION count, JDIMENSION* got) {
    *got = 0;
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    while (*got < count) {
        const JDIMENSION n = jpeg_read_scanlines(cinfo, rows + *got, count - *got);
        if (n == 0) return false; // cannot happen with a memory source; never loop forever
        *got += n;
    }
    return true;
}

bool GuardedFinish(j_decompress_ptr cinfo) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    jpeg_finish_decompress(cinfo);
    return true;
}

bool GuardedConsumeAll(j_decompress_ptr cinfo, bool* reachedEnd, int* cleanScans,
                       int stopAfterScan) {
    *reachedEnd = false;
    *cleanScans = 0;
    if (Dead(cinfo)) return false;
    ErrorManager* e = Errors(reinterpret_cast<j_common_ptr>(cinfo));
    if (setjmp(e->jump)) return false;
    int warningsAtScanStart = e->warnings;
    bool allClean = true;
    for (;;) {
        const int r = jpeg_consume_input(cinfo);
        if (r == JPEG_REACHED_SOS) warningsAtScanStart = e->warnings;
        if (r == JPEG_SCAN_COMPLETED) {
            allClean = allClean && e->warnings == warningsAtScanStart;
            if (allClean) *cleanScans = cinfo->input_scan_number;
            if (stopAfterScan > 0 && cinfo->input_scan_number >= stopAfterScan) return true;
        }
        if (r == JPEG_REACHED_EOI) *reachedEnd = true;
        if (r == JPEG_REACHED_EOI || r == JPEG_SUSPENDED) return true;
        // A file of endless tiny scans would otherwise keep us here for ages.
        if (cinfo->input_scan_number > kMaxScans) return true;
    }
}

bool GuardedStartOutput(j_decompress_ptr cinfo, int scan) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    return jpeg_start_output(cinfo, scan) == TRUE;
}

bool GuardedFinishOutput(j_decompress_ptr cinfo) {
    if (Dead(cinfo)) return false;
    if (setjmp(Errors(reinterpret_cast<j_common_ptr>(cinfo))->jump)) return false;
    return jpeg_finish_output(cinfo) == TRUE;
}

} // namespace core::jpeg
