// Helpers shared by the core tests.
#pragma once

#include "core/common/bitmap.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// Folder of reference files written by tests/fixtures (other encoders).
inline std::filesystem::path FixtureDir() { return VISTREL_FIXTURE_DIR; }
inline std::filesystem::path Fixture(const std::string& name) { return FixtureDir() / name; }

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Reads a binary PPM (P6) or PGM (P5) as written by ImageMagick/netpbm, as the
// independent reference: 0x00RRGGBB per pixel, top row first.
struct RefImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};
RefImage ReadPnm(const std::filesystem::path& path);

// Largest per-channel difference between a picture and a reference; -1 when the sizes differ.
int MaxChannelDiff(const core::Bitmap& picture, const RefImage& ref);

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
