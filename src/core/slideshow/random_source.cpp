#include "core/slideshow/random_source.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace core::slideshow {

int RandomSource::Below(int k) {
    if (k <= 0) return 0;
    const unsigned __int128 u53 = engine_() >> 11;
    return static_cast<int>((u53 * static_cast<unsigned>(k)) >> 53);
}

std::optional<std::uint64_t> SeedFromEnvironment() {
    const char* text = std::getenv("VISTREL_SEED");
    if (!text || !*text || *text == '-' || *text == '+') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (*end || errno == ERANGE) return std::nullopt;
    return static_cast<std::uint64_t>(v);
}

std::uint64_t StartSeed() {
    if (const auto seed = SeedFromEnvironment()) return *seed;
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

RandomSource& ProgramRandom() {
    static RandomSource source(StartSeed());
    return source;
}

} // namespace core::slideshow
