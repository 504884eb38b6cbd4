#include "core/bookmarks/trash.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace fs = std::filesystem;

std::string HomeTrashDir() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/Trash";
    return {};
}

namespace {

Error CannotTrash(const std::string& path, const std::string& why) {
    return Error{"Cannot move " + path + " to the trash: " + why};
}

// Trash/files and Trash/info, made private to the user when created.
bool MakeTrashFolders(const std::string& trash, std::string* why) {
    // The data folder itself may not exist yet on a fresh account.
    std::error_code ec;
    fs::create_directories(fs::path(trash).parent_path(), ec);
    for (const std::string& dir : {trash, trash + "/files", trash + "/info"}) {
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            *why = dir + ": " + std::strerror(errno);
            return false;
        }
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            *why = dir + ": not a folder";
            return false;
        }
    }
    return true;
}

// The folder where the file system holding `path` is mounted.
std::string MountPoint(const fs::path& path) {
    struct stat st {};
    if (::stat(path.parent_path().c_str(), &st) != 0) return {};
    fs::path dir = path.parent_path();
    while (dir.has_relative_path()) {
        struct stat up {};
        const fs::path parent = dir.parent_path();
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev) break;
        dir = parent;
    }
    return dir.string();
}

std::string PercentEncoded(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string DeletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

// Reserves a name in info/ by creating its .trashinfo exclusively.
bool WriteInfo(const std::string& trash, const std::string& original, std::string* name,
               std::string* why) {
    const fs::path base = fs::path(original).filename();
    const std::string stem = base.stem().string(), ext = base.extension().string();
    const std::string content = "[Trash Info]\nPath=" + PercentEncoded(original) +
                                "\nDeletionDate=" + DeletionDate() + "\n";
    for (int n = 1; n < 10000; ++n) {
        *name = n == 1 ? base.string() : stem + "." + std::to_string(n) + ext;
        const std::string info = trash + "/info/" + *name + ".trashinfo";
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            *why = info + ": " + std::strerror(errno);
            return false;
        }
        // A name taken in files/ without its info (a crashed trasher) is skipped too.
        struct stat st {};
        if (::lstat((trash + "/files/" + *name).c_str(), &st) == 0) {
            ::close(fd);
            ::unlink(info.c_str());
            continue;
        }
        const bool written =
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        const int error = errno;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(info.c_str());
            *why = info + ": " + std::strerror(written ? errno : error);
            return false;
        }
        return true;
    }
    *why = "no free name";
    return false;
}

} // namespace

Result<std::string> MoveToTrash(const std::string& path, const std::string& homeTrash) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    struct stat src {};
    if (ec || ::lstat(absolute.c_str(), &src) != 0)
        return CannotTrash(path, std::strerror(errno ? errno : ENOENT));
    if (homeTrash.empty()) return CannotTrash(path, "no home folder");

    std::string why;
    std::string trash = homeTrash;
    if (!MakeTrashFolders(trash, &why)) return CannotTrash(path, why);
    struct stat home {};
    if (::stat(trash.c_str(), &home) != 0) return CannotTrash(path, std::strerror(errno));
    if (home.st_dev != src.st_dev) {
        // Another file system: its own trash at the top of it, so nothing is copied.
        const std::string top = MountPoint(absolute);
        if (top.empty()) return CannotTrash(path, "the file system's top folder is not known");
        trash = (top == "/" ? std::string() : top) + "/.Trash-" + std::to_string(::getuid());
        if (!MakeTrashFolders(trash, &why)) return CannotTrash(path, why);
    }

    std::string name;
    if (!WriteInfo(trash, absolute.string(), &name, &why)) return CannotTrash(path, why);
    const std::string target = trash + "/files/" + name;
    if (::rename(absolute.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink((trash + "/info/" + name + ".trashinfo").c_str());
        return CannotTrash(path, std::strerror(error));
    }
    // Trust only what is on disk: the file is in the trash and gone from its folder.
    struct stat moved {};
    if (::lstat(target.c_str(), &moved) != 0 || ::lstat(absolute.c_str(), &src) == 0)
        return CannotTrash(path, "the file did not arrive in the trash");
    return target;
}

} // namespace core
