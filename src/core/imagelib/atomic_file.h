// Writing a file so that a failure never leaves it half-written: the data
// goes to a temporary file beside the target, which replaces the target only
// once everything is on disk.
#pragma once

#include "core/common/result.h"

#include <cstdio>
#include <functional>
#include <string>

namespace core::imagelib {

// Calls writer with a stream open on a temporary file in the target's folder,
// then flushes, syncs and renames it over path. When the writer fails (its
// message is passed on) or any step fails ("Cannot write <path>: <reason>"),
// the temporary file is removed and an existing target is left untouched.
// A replaced file keeps its permission bits.
Status WriteFileAtomically(const std::string& path,
                           const std::function<Status(std::FILE*)>& writer);

// Removes the temporaries a save killed mid-write left in folder (those of
// processes no longer running); returns how many went. Every save calls it.
int RemoveStaleTemporaries(const std::string& folder);

} // namespace core::imagelib
