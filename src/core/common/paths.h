// Path helpers: extensions, file name parts, and the long-name routines that
// turn 8.3 short names into long ones where the file system has them.
#pragma once

#include <string>

namespace core {

// Upper-case extension with its dot ("photo.JPG" → ".JPG"); empty when none.
std::string UpperExtension(const std::string& path);
// The part after the last separator.
std::string FileNamePart(const std::string& path);
// The folder part including the trailing separator ("" for a bare name).
std::string FolderPart(const std::string& path);

// Long forms of short (8.3) names. File systems here have no short names, so
// both return the path as given.
std::string LongPathName(const std::string& path);
std::string LongFileName(const std::string& path);
// A folder with a trailing separator; "/" alone stays the root.
std::string WithBackslash(const std::string& folder);

} // namespace core
