// A small Photo CD pack writer for the tests: encodes a picture into the plain
// Base/16, Base/4 and Base planes and, when asked, the Huffman-coded 4Base and
// 16Base residuals, and works out what a correct reader must give back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pcdgen {

// The picture as stored (landscape): colour 0x00RRGGBB at (x, y) of a w x h level.
using Source = std::function<std::uint32_t(int x, int y, int w, int h)>;

struct PackSpec {
    int highest = 0;  // 0 Base, 1 4Base, 2 16Base
    int rotation = 0; // quarter turns anticlockwise
    int version = 1;
    std::string product = "PHOTO CD", vendor = "TESTLAB", scanner = "SCAN 2000";
    std::string finisher = "CORNER SHOP"; // empty: marked absent
    int rightsFlag = 0;
    std::string rightsName;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb; // row-major, 0x00RRGGBB
    std::uint32_t at(int x, int y) const { return rgb[std::size_t(y) * width + x]; }
};

struct Pack {
    std::vector<std::uint8_t> bytes;
    std::vector<Picture> expected; // per resolution index the pack holds
    std::size_t end4Base = 0, end16Base = 0; // byte offsets where those levels end
};

Pack MakePack(const Source& source, const PackSpec& spec = {});

} // namespace pcdgen
