#include "core/bookmarks/file_transfer.h"

#include "core/common/paths.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace core {

namespace fs = std::filesystem;

std::string TransferTarget(const std::string& folder, const std::string& source) {
    return WithBackslash(folder) + FileNamePart(source);
}

Status CheckTransfer(const std::string& source, const std::string& folder) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) return Fail("%s was not found.", source.c_str());
    if (!fs::is_directory(folder, ec)) return Fail("The folder %s was not found.", folder.c_str());
    fs::path own = fs::path(source).parent_path();
    if (own.empty()) own = ".";
    if (fs::equivalent(own, folder, ec))
        return Fail("%s is already in the folder %s.", FileNamePart(source).c_str(),
                    folder.c_str());
    return Ok();
}

namespace {

// Copies to a hidden temporary name in the target's folder, then renames it
// over the target.
Status CopyReplacing(const fs::path& source, const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    fs::path tmp;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = target.parent_path() /
              ("." + target.filename().string() + "." + std::to_string(counter++) + ".part");
        if (!fs::exists(tmp, ec)) break;
    }
    if (!fs::copy_file(source, tmp, fs::copy_options::none, ec))
        return Fail("Cannot copy to %s: %s", target.c_str(), ec.message().c_str());
    fs::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        return Fail("Cannot copy to %s: %s", target.c_str(), ec.message().c_str());
    }
    return Ok();
}

} // namespace

Status TransferFile(const std::string& source, const std::string& target, bool move) {
    std::error_code ec;
    if (fs::equivalent(source, target, ec))
        return Fail("%s cannot replace itself.", source.c_str());
    if (fs::is_directory(target, ec)) return Fail("%s is a folder.", target.c_str());
    if (!move) return CopyReplacing(source, target);

    fs::rename(source, target, ec);
    if (!ec) return Ok();
    if (ec != std::errc::cross_device_link)
        return Fail("Cannot move %s to %s: %s", source.c_str(), target.c_str(),
                    ec.message().c_str());
    if (auto copied = CopyReplacing(source, target); !copied) return copied;
    if (!fs::remove(source, ec))
        return Fail("%s was copied to %s but cannot be removed: %s", source.c_str(), target.c_str(),
                    ec ? ec.message().c_str() : "not found");
    return Ok();
}

Status DeletePermanently(const std::string& path) {
    std::error_code ec;
    if (!fs::remove(path, ec))
        return Fail("Cannot delete %s: %s", path.c_str(), ec ? ec.message().c_str() : "not found");
    return Ok();
}

} // namespace core
