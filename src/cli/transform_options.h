// The transform and colour-depth options of `vistrel-cli convert`: flips,
// rotation, resize, resample, promote, reduce and gray shades, each with the
// value its menu command's dialog would return, run in the order given.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdio>
#include <vector>

namespace cli {

struct TransformStep {
    enum Kind { FlipH, FlipV, Rotate, Resize, Resample, Promote, Reduce, Gray } kind = FlipH;
    int a = 0, b = 0, c = -1;
};

enum class TransformParse { NotTransform, Taken, Bad };

// Looks at argv[i]; takes it (and its value, advancing i) when it is a
// transform option. A bad or out-of-range value prints a message and gives Bad.
TransformParse ParseTransformOption(int argc, char** argv, int& i,
                                    std::vector<TransformStep>& steps);

// Applies one step to the picture; the picture is unchanged on failure.
core::Status ApplyTransform(core::Bitmap& picture, const TransformStep& step);

void PrintTransformUsage(std::FILE* to);

} // namespace cli
