// The desktop's trash (the freedesktop.org layout): a trashed file moves to
// Trash/files/ and a .trashinfo beside it in Trash/info/ records where it came
// from and when, so file managers can restore it.
#pragma once

#include "core/common/result.h"

#include <string>

namespace core {

// The user's trash: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
// Empty when neither variable gives an absolute folder.
std::string HomeTrashDir();

// Moves `path` into `homeTrash` (created when missing), or into
// <mount point>/.Trash-<uid> when the file lives on another file system.
// Returns the file's new path; on failure the file stays where it was.
Result<std::string> MoveToTrash(const std::string& path, const std::string& homeTrash);

} // namespace core
