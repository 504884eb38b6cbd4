#include "core/common/paths.h"

#include <cctype>

namespace core {

namespace {
bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}
std::size_t LastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1])) return i - 1;
    return std::string::npos;
}
} // namespace

std::string UpperExtension(const std::string& path) {
    const std::string name = FileNamePart(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

std::string FileNamePart(const std::string& path) {
    const auto sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FolderPart(const std::string& path) {
    const auto sep = LastSeparator(path);
    return sep == std::string::npos ? std::string{} : path.substr(0, sep + 1);
}

std::string LongPathName(const std::string& path) { return path; }
std::string LongFileName(const std::string& path) { return FileNamePart(path); }

std::string WithBackslash(const std::string& folder) {
    if (folder.empty()) return folder;
    if (IsSeparator(folder.back())) return folder;
#ifdef _WIN32
    return folder + "\\";
#else
    return folder + "/";
#endif
}

} // namespace core
