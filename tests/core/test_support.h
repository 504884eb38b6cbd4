// Helpers shared by the core tests.
#pragma once

#include "core/common/bitmap.h"
#include "core/imageman/document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Folder of reference files written by tests/fixtures (other encoders).
inline std::filesystem::path FixtureDir() {
    return VISTREL_FIXTURE_DIR;
}
inline std::filesystem::path Fixture(const std::string& name) {
    return FixtureDir() / name;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
// A fixture's bytes; throws, naming it, when the fixtures did not make it.
std::vector<std::uint8_t> FixtureBytes(const std::string& name);
// A whole file as text (empty when it cannot be read).
std::string ReadText(const std::filesystem::path& path);

// A file a test needs: fails naming it when it is not there, so that a
// missing reference file is a failure and not a skipped check.
testing::AssertionResult Exists(const std::filesystem::path& path);
// For loops over reference files: records that failure and says true when
// the file is missing (the loop then goes on with the next case).
bool Missing(const std::filesystem::path& path);
// A tool a test runs (netpbm, libtiff's tools, ImageMagick): fails naming it
// when it is not on the PATH.
testing::AssertionResult HaveTool(const std::string& tool);

// Little- and big-endian values appended to a file being built, or put at `at`.
void PutLE16(std::vector<std::uint8_t>& b, unsigned v);
void PutLE32(std::vector<std::uint8_t>& b, std::uint32_t v);
void PutBE32(std::vector<std::uint8_t>& b, std::uint32_t v);
void SetLE16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v);

// Page `page` of an opened document, or the message of whichever step failed.
core::Result<core::Bitmap> DecodePage(core::Result<core::imageman::DocumentPtr> doc, int page = 0,
                                      const core::DecodeOptions& options = {});
// A one-page document's facts as expected.
void ExpectOnePage(const core::Result<core::imageman::DocumentPtr>& doc, int width, int height,
                   int bits, int planes, const std::string& description);
// Every change of a good file is refused with a message by `decode`.
using FileChange = std::function<void(std::vector<std::uint8_t>&)>;
void ExpectChangesRefused(
    const std::vector<std::uint8_t>& good,
    const std::function<core::Result<core::Bitmap>(std::vector<std::uint8_t>)>& decode,
    std::initializer_list<std::pair<const char*, FileChange>> changes);

// A picture of `bits` with random bytes in every row (padding too) and, for
// the indexed depths, a random palette.
core::Bitmap RandomPicture(int width, int height, int bits, unsigned seed);
// The same size and the same colour at every pixel (indexes through their palettes).
bool SameColours(const core::Bitmap& a, const core::Bitmap& b);
// Largest per-channel difference of the colours; 256 when the sizes differ.
int MaxColourDiff(const core::Bitmap& a, const core::Bitmap& b);

// Reads a binary PPM (P6) or PGM (P5) as written by ImageMagick/netpbm, as the
// independent reference: 0x00RRGGBB per pixel, top row first.
struct RefImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};
RefImage ReadPnm(const std::filesystem::path& path);

// Largest per-channel difference between a picture and a reference; -1 when the sizes differ.
int MaxChannelDiff(const core::Bitmap& picture, const RefImage& ref);
// The picture is the reference file's picture within `tolerance` a channel.
void ExpectLikeReference(const core::Bitmap& picture, const std::filesystem::path& reference,
                         int tolerance = 0);
// A decode that worked and gave `bits` (an indexed picture with all 2^bits
// palette entries), like the reference file within `tolerance`.
void ExpectDecodedAs(const core::Result<core::Bitmap>& picture, int bits,
                     const std::filesystem::path& reference, int tolerance = 0);

// Runs a shell command, returns its exit status.
int Run(const std::string& command);

// While it lives, files this process writes cannot grow beyond `bytes`: the
// write fails with EFBIG (also for root) instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    std::uint64_t oldSoft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// A fresh temporary folder for one test.
std::filesystem::path TempDir(const std::string& name);

} // namespace testsupport
