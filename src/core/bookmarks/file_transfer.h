// Copying, moving and deleting the shown file, without any window: the
// checks that keep a file from being lost and the file-system steps.
#pragma once

#include "core/common/result.h"

#include <string>

namespace core {

// The target of a copy or move: the folder (a separator added when
// missing) and the source's file name.
std::string TransferTarget(const std::string& folder, const std::string& source);

// Why a copy or move of `source` into `folder` cannot run: the source is not
// an existing file, the folder does not exist, or it is the file's own
// folder (the file would be replaced by itself).
Status CheckTransfer(const std::string& source, const std::string& folder);

// Copies or moves source to target, replacing an existing target file. A copy
// is written beside the target first, so a failure never leaves half a file;
// a move across file systems copies and then removes the source. On failure
// the source is where it was.
Status TransferFile(const std::string& source, const std::string& target, bool move);

// Removes a file for good.
Status DeletePermanently(const std::string& path);

} // namespace core
