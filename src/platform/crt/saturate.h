#pragma once
// Narrowing that saturates where a plain cast would wrap or be undefined.
#include <cmath>
#include <cstdint>
#include <limits>

namespace crt {

// The 32-bit integer nearest to value; NaN gives 0. Truncates toward zero like a cast.
inline int32_t Saturate32(double value) {
    if (std::isnan(value)) return 0;
    if (value <= double(INT32_MIN)) return INT32_MIN;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(value);
}

inline int32_t Saturate32(int64_t value) {
    if (value < INT32_MIN) return INT32_MIN;
    if (value > INT32_MAX) return INT32_MAX;
    return int32_t(value);
}

// to - from when it and its negation fit in 32 bits; a wider span lies on no surface.
inline bool Extent32(int32_t from, int32_t to, int32_t* extent) {
    const int64_t e = int64_t{to} - from;
    if (e <= INT32_MIN || e > INT32_MAX) return false;
    *extent = int32_t(e);
    return true;
}

}  // namespace crt
