// Sixteen byte positions at a time through GCC/Clang vector extensions, so
// the filter loops are vectorised at the project's -O2 as well. Sums are kept
// in 16-bit lanes (SSE2 multiplies those natively; 32-bit multiplies need
// SSE4.1) and only widened for the division.
#pragma once

#include <cstdint>
#include <cstring>

// The helpers are inline and never cross a library boundary, so the note
// that wide vector returns change the ABI does not apply. Files that use
// them switch the note off too.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace core::editing::simd {

inline constexpr int kWidth = 16;
typedef std::uint8_t U8 __attribute__((vector_size(16)));
typedef std::int16_t I16 __attribute__((vector_size(32)));
typedef std::uint16_t U16 __attribute__((vector_size(32)));
typedef std::int32_t I32 __attribute__((vector_size(64)));
typedef float F32 __attribute__((vector_size(64)));

template <class V> inline V Load(const std::uint8_t* p) {
    U8 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, V);
}

// floor(x / d) for 0 ≤ x ≤ 256·d, exactly: (x + ½) / d lies at least ½d away
// from the next integer, far more than the float product's error at these
// sizes. The result, capped at 255, is stored as bytes.
template <class V> inline void StoreQuotient(std::uint8_t* p, V x, float inverse) {
    const F32 f = (__builtin_convertvector(x, F32) + 0.5f) * inverse;
    I32 q = __builtin_convertvector(f, I32);
    q = q > 255 ? I32{} + 255 : q;
    const U8 b = __builtin_convertvector(q, U8);
    std::memcpy(p, &b, sizeof b);
}

} // namespace core::editing::simd

#pragma GCC diagnostic pop
