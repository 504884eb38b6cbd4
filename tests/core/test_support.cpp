#include "core/test_support.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <sys/resource.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
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
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> FixtureBytes(const std::string& name) {
    const auto path = Fixture(name);
    if (!std::filesystem::exists(path)) throw std::runtime_error("missing fixture " + name);
    return ReadBytes(path);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

testing::AssertionResult Exists(const std::filesystem::path& path) {
    if (std::filesystem::exists(path)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "missing fixture: " << path.string();
}

bool Missing(const std::filesystem::path& path) {
    const testing::AssertionResult there = Exists(path);
    EXPECT_TRUE(there);
    return !there;
}

testing::AssertionResult HaveTool(const std::string& tool) {
    if (Run("command -v " + tool + " >/dev/null 2>&1") == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "missing tool: " << tool;
}

void PutLE16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLE32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutBE32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> s));
}

void SetLE16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

core::Result<core::Bitmap> DecodePage(core::Result<core::imageman::DocumentPtr> doc, int page,
                                      const core::DecodeOptions& options) {
    if (!doc) return doc.error();
    return doc.value()->decode(page, options);
}

void ExpectOnePage(const core::Result<core::imageman::DocumentPtr>& doc, int width, int height,
                   int bits, int planes, const std::string& description) {
    ASSERT_TRUE(doc) << doc.message();
    ASSERT_EQ(doc.value()->pageCount(), 1);
    auto facts = doc.value()->facts(0);
    ASSERT_TRUE(facts) << facts.message();
    EXPECT_EQ(facts->width, width);
    EXPECT_EQ(facts->height, height);
    EXPECT_EQ(facts->bits, bits);
    EXPECT_EQ(facts->planes, planes);
    EXPECT_EQ(facts->description, description);
}

void ExpectChangesRefused(
    const std::vector<std::uint8_t>& good,
    const std::function<core::Result<core::Bitmap>(std::vector<std::uint8_t>)>& decode,
    std::initializer_list<std::pair<const char*, FileChange>> changes) {
    ASSERT_TRUE(decode(good));
    for (const auto& [what, change] : changes) {
        std::vector<std::uint8_t> b = good;
        change(b);
        auto result = decode(b);
        EXPECT_FALSE(result) << what;
        if (!result) {
            EXPECT_FALSE(result.message().empty()) << what;
        }
    }
}

core::Bitmap RandomPicture(int width, int height, int bits, unsigned seed) {
    core::Bitmap bm = core::Bitmap::Create(width, height, bits).value();
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < bm.stride(); ++i)
            bm.row(y)[i] = static_cast<std::uint8_t>(rng());
    for (auto& q : bm.palette())
        q = core::Rgbq{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                       static_cast<std::uint8_t>(rng()), 0};
    return bm;
}

bool SameColours(const core::Bitmap& a, const core::Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.rgb(x, y) != b.rgb(x, y)) return false;
    return true;
}

int MaxColourDiff(const core::Bitmap& a, const core::Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const std::uint32_t p = a.rgb(x, y), q = b.rgb(x, y);
            for (int s = 0; s < 24; s += 8)
                worst = std::max(worst, std::abs(static_cast<int>((p >> s) & 255) -
                                                 static_cast<int>((q >> s) & 255)));
        }
    return worst;
}

RefImage ReadPnm(const std::filesystem::path& path) {
    const auto bytes = ReadBytes(path);
    std::size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            const char c = static_cast<char>(bytes[pos]);
            if (c == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
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
                const int d =
                    std::abs(static_cast<int>((a >> s) & 255) - static_cast<int>((b >> s) & 255));
                if (d > worst) worst = d;
            }
        }
    return worst;
}

void ExpectLikeReference(const core::Bitmap& picture, const std::filesystem::path& reference,
                         int tolerance) {
    const int diff = MaxChannelDiff(picture, ReadPnm(reference));
    EXPECT_GE(diff, 0) << "size differs from " << reference.string();
    EXPECT_LE(diff, tolerance) << reference.string();
}

void ExpectDecodedAs(const core::Result<core::Bitmap>& picture, int bits,
                     const std::filesystem::path& reference, int tolerance) {
    ASSERT_TRUE(picture) << picture.message();
    EXPECT_EQ(picture->bits(), bits);
    if (bits <= 8) {
        EXPECT_EQ(picture->palette().size(), std::size_t{1} << bits);
    }
    ExpectLikeReference(picture.value(), reference, tolerance);
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
