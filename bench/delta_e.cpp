// vistrel_delta_e A B: the mean CIE76 colour difference between two pictures
// of the same size after a slight blur (3 × 3 binomial), so that dithering
// is judged by what the eye sees from a little distance.
#include "core/imageman/imageman.h"
#include "core/imageman/pixels.h"

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

std::vector<float> Load(const char* path, int* w, int* h) {
    using namespace core::imageman;
    const HIMAGE img = ImgOpenSolo(path);
    core::Bitmap pic;
    if (!img || !ImgPrintImage(img, &pic)) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, ImgErrorString().c_str());
        std::exit(1);
    }
    ImgClose(img);
    *w = pic.width();
    *h = pic.height();
    std::vector<float> rgb(3 * static_cast<std::size_t>(*w) * *h);
    std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(*w));
    for (int y = 0; y < *h; ++y) {
        core::imageman::ExpandRowBGR(pic, y, line.data());
        for (int x = 0; x < *w; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[3 * (static_cast<std::size_t>(y) * *w + x) + c] = line[3 * x + 2 - c];
    }
    return rgb;
}

void Blur(std::vector<float>& v, int w, int h) {
    std::vector<float> t(v.size());
    auto at = [&](const std::vector<float>& s, int x, int y, int c) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return s[3 * (static_cast<std::size_t>(y) * w + x) + c];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                t[3 * (static_cast<std::size_t>(y) * w + x) + c] =
                    (at(v, x - 1, y, c) + 2 * at(v, x, y, c) + at(v, x + 1, y, c)) / 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                v[3 * (static_cast<std::size_t>(y) * w + x) + c] =
                    (at(t, x, y - 1, c) + 2 * at(t, x, y, c) + at(t, x, y + 1, c)) / 4;
}

void Lab(const float* rgb, double* lab) {
    double lin[3];
    for (int c = 0; c < 3; ++c) {
        const double v = rgb[c] / 255.0;
        lin[c] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    const double X = (0.4124 * lin[0] + 0.3576 * lin[1] + 0.1805 * lin[2]) / 0.95047;
    const double Y = 0.2126 * lin[0] + 0.7152 * lin[1] + 0.0722 * lin[2];
    const double Z = (0.0193 * lin[0] + 0.1192 * lin[1] + 0.9505 * lin[2]) / 1.08883;
    auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    lab[0] = 116 * f(Y) - 16;
    lab[1] = 500 * (f(X) - f(Y));
    lab[2] = 200 * (f(Y) - f(Z));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vistrel_delta_e A B\n");
        return 2;
    }
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    auto a = Load(argv[1], &w1, &h1);
    auto b = Load(argv[2], &w2, &h2);
    if (w1 != w2 || h1 != h2) {
        std::fprintf(stderr, "sizes differ\n");
        return 1;
    }
    Blur(a, w1, h1);
    Blur(b, w1, h1);
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); i += 3) {
        double la[3], lb[3];
        Lab(&a[i], la);
        Lab(&b[i], lb);
        sum += std::sqrt((la[0] - lb[0]) * (la[0] - lb[0]) + (la[1] - lb[1]) * (la[1] - lb[1]) +
                         (la[2] - lb[2]) * (la[2] - lb[2]));
    }
    std::printf("%.4f\n", sum / (a.size() / 3));
    return 0;
}
