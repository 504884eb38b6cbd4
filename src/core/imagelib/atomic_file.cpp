#include "core/imagelib/atomic_file.h"

#include <atomic>
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

// Creates a new, empty temporary file in the target's folder.
Result<std::FILE*> CreateTemporary(const std::filesystem::path& target, std::string* tmpName) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + target.filename().string() + "." +
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
