#include "core/imageman/document.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace core::imageman {

namespace {
Result<Bytes> ReadUpTo(const std::string& path, std::size_t limit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) return Fail("Cannot open %s: %s", path.c_str(), std::strerror(errno));
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return Fail("Cannot read %s.", path.c_str());
    const long size = std::ftell(f.get());
    if (size < 0) return Fail("Cannot read %s.", path.c_str());
    std::rewind(f.get());
    Bytes data(std::min(static_cast<std::size_t>(size), limit));
    if (size > 0 && std::fread(data.data(), 1, data.size(), f.get()) != data.size())
        return Fail("Cannot read %s.", path.c_str());
    return data;
}
} // namespace

Result<Bytes> ReadWholeFile(const std::string& path) { return ReadUpTo(path, SIZE_MAX); }

Result<Bytes> ReadFilePrefix(const std::string& path, std::size_t limit) {
    return ReadUpTo(path, limit);
}

} // namespace core::imageman
