#pragma once
// Four floats side by side, in the compiler's portable vector extension: one SSE
// register on x86-64, one NEON register on ARM, plain floats elsewhere.

#include <cstring>

namespace vl::engine::dsp {

using Vec4 = float __attribute__((vector_size(16)));

inline Vec4 load4(const float* p) {
    Vec4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Vec4 v) {
    std::memcpy(p, &v, sizeof v);
}

// Rows become columns: a holds element 0 of every input afterwards, and so on.
inline void transpose4(Vec4& a, Vec4& b, Vec4& c, Vec4& d) {
    const Vec4 ab0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const Vec4 ab1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const Vec4 cd0 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    const Vec4 cd1 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    a = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
    b = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
    c = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
    d = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

} // namespace vl::engine::dsp
