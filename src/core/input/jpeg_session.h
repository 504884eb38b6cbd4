// One libjpeg decompressor with an error manager whose error_exit jumps back
// instead of ending the process. Every libjpeg call that can raise an error
// goes through one of the small guarded functions below: each holds its own
// setjmp and owns no C++ object with a destructor, so the jump skips nothing.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace core::jpeg {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool failed;    // a fatal error was raised
    bool endOfData; // the data ran out and libjpeg inserted an end marker
    bool strictEnd; // treat running out of data as an error
    int warnings;   // corrupt-data warnings seen
};

// Owns the decompressor; neither copied nor moved (libjpeg keeps pointers into it).
class Session {
  public:
    explicit Session(bool strictEnd);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool created() const { return created_; }
    j_decompress_ptr get() { return &cinfo_; }
    ErrorManager& errors() { return err_; }
    std::string message() const;

  private:
    jpeg_decompress_struct cinfo_{};
    ErrorManager err_{};
    bool created_ = false;
};

// Guarded libjpeg calls: false after a libjpeg error (message in the session),
// and false without touching libjpeg once any earlier call of the session failed.
bool GuardedReadHeader(j_decompress_ptr cinfo, const std::uint8_t* data, std::size_t size);
bool GuardedCalcOutput(j_decompress_ptr cinfo);
bool GuardedStart(j_decompress_ptr cinfo);
bool GuardedReadRows(j_decompress_ptr cinfo, JSAMPARRAY rows, JDIMENSION count, JDIMENSION* got);
bool GuardedFinish(j_decompress_ptr cinfo);
// Buffered-image mode: consume all input that is there; start and finish one output pass.
// `cleanScans` is the number of the last scan that ended without a corrupt-data
// warning while every scan before it did too (0: none); it is kept up to date
// when the call fails. With `stopAfterScan` above 0 the call returns as soon
// as that scan is complete.
bool GuardedConsumeAll(j_decompress_ptr cinfo, bool* reachedEnd, int* cleanScans,
                       int stopAfterScan = 0);
bool GuardedStartOutput(j_decompress_ptr cinfo, int scan);
bool GuardedFinishOutput(j_decompress_ptr cinfo);

} // namespace core::jpeg
