#include "core/imagelib/atomic_file.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace core::imagelib {

namespace {

Error CannotWrite(const std::string& path, int error) {
    return Error{"Cannot write " + path + ": " + std::strerror(error)};
}

#ifdef _WIN32
std::FILE* StreamOn(int fd) {
    return ::_fdopen(fd, "wb");
}
void CloseDescriptor(int fd) {
    ::_close(fd);
}
#else
std::FILE* StreamOn(int fd) {
    return ::fdopen(fd, "wb");
}
void CloseDescriptor(int fd) {
    ::close(fd);
}
#endif

int CurrentProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// Our temporaries are named ".<target>.vistrel-save.<pid>.<n>.tmp": a user who
// finds one knows where it came from, and the next save into the folder knows
// which ones it may remove.
constexpr const char* kTempMark = ".vistrel-save.";
// Leaves room for the mark and the numbers within the 255 bytes of a name.
constexpr std::size_t kTargetPartBytes = 160;

std::string TargetPart(const std::string& fileName) {
    if (fileName.size() <= kTargetPartBytes) return fileName;
    std::size_t n = kTargetPartBytes;
    // Never cut a UTF-8 sequence in two.
    while (n > 0 && (static_cast<unsigned char>(fileName[n]) & 0xC0) == 0x80)
        --n;
    return fileName.substr(0, n);
}

bool ProcessAlive(long pid) {
#ifdef _WIN32
    (void)pid;
    return true; // stale ones are told by their age instead
#else
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#endif
}

// The pid in one of our temporaries' names, or -1 when the name is not one.
long TemporaryOwner(const std::string& name) {
    if (name.size() < 8 || name[0] != '.' || name.compare(name.size() - 4, 4, ".tmp") != 0)
        return -1;
    const std::size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos) return -1;
    const std::string rest = name.substr(mark + std::strlen(kTempMark));
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos) return -1;
    long pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) return -1;
        pid = pid * 10 + (rest[i] - '0');
    }
    return pid;
}

} // namespace

int RemoveStaleTemporaries(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    if (ec) return 0;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry& e : it) {
        const std::string name = e.path().filename().string();
        const long pid = TemporaryOwner(name);
        if (pid < 0 || !e.is_regular_file(ec)) continue;
        // A save in progress in another running window keeps its file; on
        // systems where we cannot ask, only day-old ones go.
        bool stale = !ProcessAlive(pid);
        if (!stale) {
            const auto written = e.last_write_time(ec);
            stale = !ec && now - written > std::chrono::hours(24);
        }
        if (stale && fs::remove(e.path(), ec)) ++removed;
    }
    return removed;
}

namespace {

// Creates a new, empty temporary file in the target's folder.
Result<std::FILE*> CreateTemporary(const std::filesystem::path& target, std::string* tmpName) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    RemoveStaleTemporaries(dir.string());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + TargetPart(target.filename().string()) + kTempMark +
                                 std::to_string(CurrentProcessId()) + "." +
                                 std::to_string(counter++) + ".tmp";
        *tmpName = (dir / name).string();
#ifdef _WIN32
        const int fd = ::_open(tmpName->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                               _S_IREAD | _S_IWRITE);
#else
        const int fd = ::open(tmpName->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return CannotWrite(target.string(), errno);
        }
#ifndef _WIN32
        // A replaced file keeps who may read it.
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            (void)::fchmod(fd, st.st_mode & 07777);
#endif
        std::FILE* f = StreamOn(fd);
        if (!f) {
            const int error = errno;
            CloseDescriptor(fd);
            std::remove(tmpName->c_str());
            return CannotWrite(target.string(), error);
        }
        return f;
    }
    return CannotWrite(target.string(), EEXIST);
}

bool SyncToDisk(std::FILE* f) {
#ifdef _WIN32
    return ::_commit(::_fileno(f)) == 0;
#else
    return ::fsync(::fileno(f)) == 0;
#endif
}

} // namespace

Status WriteFileAtomically(const std::string& path,
                           const std::function<Status(std::FILE*)>& writer) {
    std::string tmpName;
    auto created = CreateTemporary(std::filesystem::path(path), &tmpName);
    if (!created) return created.error();
    // Pictures are megabytes: write them in large blocks, not 4 KB ones. The
    // buffer outlives the stream (declared first, destroyed last).
    std::vector<char> buffer(std::size_t{1} << 20);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(created.value(), std::fclose);
    std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
    auto discard = [&](Error error) -> Status {
        file.reset();
        std::remove(tmpName.c_str());
        return error;
    };

    errno = 0;
    if (Status st = writer(file.get()); !st) {
        // A stream failure gets the target's name; the writer's own reasons
        // ("Stopped.") pass unchanged.
        if (std::ferror(file.get()))
            return discard(Error{"Cannot write " + path + ": " + st.message()});
        return discard(st.error());
    }
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        return discard(CannotWrite(path, errno ? errno : EIO));
    if (!SyncToDisk(file.get())) return discard(CannotWrite(path, errno));
    if (std::fclose(file.release()) != 0) {
        const int error = errno;
        std::remove(tmpName.c_str());
        return CannotWrite(path, error);
    }
    std::error_code ec;
    std::filesystem::rename(tmpName, path, ec);
    if (ec) {
        std::remove(tmpName.c_str());
        return Error{"Cannot write " + path + ": " + ec.message()};
    }
    return Ok();
}

} // namespace core::imagelib
