// The editing options of `vistrel-cli convert`: each takes the value the
// command's dialog would return and they run in the order given.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdio>
#include <vector>

namespace cli {

struct EditStep {
    int mode = 0; // an effect-dialog mode, or 0 for --negative
    int values[3] = {0, 0, 0};
};

enum class EditParse { NotEdit, Taken, Bad };

// Looks at argv[i]; takes it (and its value, advancing i) when it is an edit
// option. A bad or out-of-range value prints a message and gives Bad.
EditParse ParseEditOption(int argc, char** argv, int& i, std::vector<EditStep>& steps);

// Applies the steps as the menu commands do to the whole picture: filters and
// colour tables on the picture made 24-bit, Negative at the picture's depth.
core::Status ApplyEdits(core::Bitmap& picture, const std::vector<EditStep>& steps);

void PrintEditUsage(std::FILE* to);

} // namespace cli
