#include "core/test_support.h"

#include <csignal>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <cctype>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

RefImage ReadPnm(const std::filesystem::path& path) {
    const auto bytes = ReadBytes(path);
    std::size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            const char c = static_cast<char>(bytes[pos]);
            if (c == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                if (!t.empty()) break;
                ++pos;
            } else {
                t += c;
                ++pos;
            }
        }
        return t;
    };
    const std::string magic = token();
    RefImage img;
    img.width = std::stoi(token());
    img.height = std::stoi(token());
    const int maxval = std::stoi(token());
    ++pos; // the single whitespace before the raster
    const bool color = magic == "P6";
    if (!color && magic != "P5") throw std::runtime_error("not a binary PNM: " + path.string());
    const int bps = maxval > 255 ? 2 : 1;
    const int channels = color ? 3 : 1;
    const std::size_t need = static_cast<std::size_t>(img.width) * img.height * channels * bps;
    if (bytes.size() < pos + need) throw std::runtime_error("short PNM: " + path.string());
    img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
    for (std::size_t i = 0; i < img.rgb.size(); ++i) {
        std::uint32_t c[3];
        for (int k = 0; k < channels; ++k) {
            unsigned v = bytes[pos++];
            if (bps == 2) v = (v << 8) | bytes[pos++];
            if (maxval != 255) v = (v * 255 + maxval / 2) / maxval;
            c[k] = v;
        }
        if (!color) c[1] = c[2] = c[0];
        img.rgb[i] = (c[0] << 16) | (c[1] << 8) | c[2];
    }
    return img;
}

int MaxChannelDiff(const core::Bitmap& picture, const RefImage& ref) {
    if (picture.width() != ref.width || picture.height() != ref.height) return -1;
    int worst = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const std::uint32_t a = picture.rgb(x, y);
            const std::uint32_t b = ref.rgb[static_cast<std::size_t>(y) * ref.width + x];
            for (int s = 0; s < 24; s += 8) {
                const int d = std::abs(static_cast<int>((a >> s) & 255) - static_cast<int>((b >> s) & 255));
                if (d > worst) worst = d;
            }
        }
    return worst;
}

int Run(const std::string& command) {
    const int rc = std::system(command.c_str());
    return rc == -1 ? -1 : WEXITSTATUS(rc);
}

std::filesystem::path TempDir(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() /
               ("vistrel-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace testsupport

namespace testsupport {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    oldSoft_ = r.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    r.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &r);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = oldSoft_;
    setrlimit(RLIMIT_FSIZE, &r);
    std::signal(SIGXFSZ, oldHandler_);
}

} // namespace testsupport
