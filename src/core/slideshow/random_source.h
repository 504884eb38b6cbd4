// The program's one source of random numbers. Its draws are our own
// arithmetic on std::mt19937_64 (the standard distributions differ between
// library versions), so a seed gives the same show everywhere. It is seeded
// from the clock at start, or from VISTREL_SEED when that is set.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace core::slideshow {

class RandomSource {
  public:
    explicit RandomSource(std::uint64_t seed) : engine_(seed) {}

    void Reseed(std::uint64_t seed) { engine_.seed(seed); }

    // 64 random bits.
    std::uint64_t Bits() { return engine_(); }

    // Trunc(k * u) for a fresh u uniform in [0, 1) of 53 bits, computed
    // exactly: 0 .. k - 1, and 0 for k <= 0.
    int Below(int k);

  private:
    std::mt19937_64 engine_;
};

// VISTREL_SEED as a decimal number, if set and valid.
std::optional<std::uint64_t> SeedFromEnvironment();
// VISTREL_SEED, else the clock.
std::uint64_t StartSeed();

// The program-wide source, seeded with StartSeed() on first use.
RandomSource& ProgramRandom();

} // namespace core::slideshow
