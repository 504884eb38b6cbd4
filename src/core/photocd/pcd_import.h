// Photo CD import for the open pipeline: the probe that chooses the resolution,
// the import into a picture and the pack's description for the Info box.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"
#include "core/photocd/image_pac.h"

#include <cstdint>
#include <string>
#include <utility>

namespace core::photocd {

inline constexpr int kProbeFailed = 9999;
inline constexpr int kStartStep = 3; // the resolution asked for at start-up
inline constexpr int kSlideshowIndex = 3;

struct PcdProbe {
    int index = kProbeFailed; // the resolution in use
    int rotation = 0;         // the pack's quarter turns
    int height = 0;
    int width = 0;
};

// The resolutions a pack lets us read: all it holds, or with encrypted ones
// 1 + the bits needed to write the mask of the plain ones.
int AllowedCount(int count, unsigned mask, unsigned encrypted);
// The index used for a wanted one: at most count - 1 and allowed - 1; -1 when
// the pack holds none.
int ClampResolution(int wanted, int count, int allowed);
// "    64x96" .. "4096x6144" for indices 0..6.
std::string ResolutionLabel(int index);
// "Landscape" or "Portrait".
std::string OrientationText(int width, int height);

// The rights file a pack names: a plain name in a PHOTO_CD/RIGHTS folder
// (any case) above the pack. Empty when there is none or the name is not plain.
std::string FindRightsFile(const std::string& packFile, const std::string& name);

class pcd_c {
  public:
    pcd_c() = default;
    ~pcd_c();
    pcd_c(const pcd_c&) = delete;
    pcd_c& operator=(const pcd_c&) = delete;
    pcd_c(pcd_c&& other) noexcept { *this = std::move(other); }
    pcd_c& operator=(pcd_c&& other) noexcept;

    // Reads the pack's facts at the resolution nearest to `step` (0..6). The
    // pack stays open for the import of the same file that follows.
    PcdProbe Probe(const std::string& file, int step);

    // Imports `file` at the probe's resolution (3 during a slideshow). 0 on
    // success; otherwise error() says why and the target is left empty.
    int ImportPCD(const std::string& file, Bitmap& target, bool slideshow,
                  const ProgressFn& progress, int screenBits = 24, bool autoReduce = true);

    int resolution() const { return resolution_; }
    void setResolution(int index) { resolution_ = index; }
    int rotation() const { return rotation_; }
    const std::string& description() const { return description_; }
    const std::string& rightsFile() const { return rightsFile_; }
    const std::string& error() const { return error_; }

  private:
    // The pack the probe opened, or a new open of `file`; 0 on failure.
    PCDhandle Open(const std::string& file);
    void CloseProbed();

    PCDhandle probed_ = 0;
    std::string probedFile_;
    int resolution_ = kStartStep;
    int rotation_ = 0;
    std::string description_;
    std::string rightsFile_;
    std::string error_;
};

} // namespace core::photocd
