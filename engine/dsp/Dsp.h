#pragma once
// Shared constants and small helpers of the track effects. Everything here is
// safe on the audio thread.

#include "engine/dsp/SampleRate.h"
#include "engine/dsp/Vec4.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace vl::engine::dsp {

// Gains at or below this many dB are silence.
inline constexpr float kSilenceDb = -96.0f;

inline float dbToGain(float db) {
    return db <= kSilenceDb ? 0.0f : std::pow(10.0f, db / 20.0f);
}

inline int msToSamples(double ms, double rate) {
    return static_cast<int>(std::lround(ms * rate / 1000.0));
}

// Loops with a select in them are written with four-lane vectors, because the
// compiler keeps possibly trapping float operations out of conditional code and
// so leaves such loops scalar.
typedef int32_t Int4 __attribute__((vector_size(16)));
typedef uint32_t Uint4 __attribute__((vector_size(16)));

// The same operations on one float and on four, so a formula written once as a
// template serves a vector loop and its scalar tail with identical results.
namespace lanes {

inline float load(float, const float* p) {
    return *p;
}
inline Vec4 load(Vec4, const float* p) {
    return load4(p);
}
inline void store(float* p, float v) {
    *p = v;
}
inline void store(float* p, Vec4 v) {
    store4(p, v);
}
inline uint32_t bitsOf(float x) {
    return std::bit_cast<uint32_t>(x);
}
inline Uint4 bitsOf(Vec4 x) {
    return std::bit_cast<Uint4>(x);
}
inline float fromBits(uint32_t b) {
    return std::bit_cast<float>(b);
}
inline Vec4 fromBits(Uint4 b) {
    return std::bit_cast<Vec4>(b);
}
inline int32_t asSigned(uint32_t u) {
    return static_cast<int32_t>(u);
}
inline Int4 asSigned(Uint4 u) {
    return std::bit_cast<Int4>(u);
}
inline uint32_t asUnsigned(int32_t i) {
    return static_cast<uint32_t>(i);
}
inline Uint4 asUnsigned(Int4 i) {
    return std::bit_cast<Uint4>(i);
}
inline float toFloat(int32_t i) {
    return static_cast<float>(i);
}
inline Vec4 toFloat(Int4 i) {
    return __builtin_convertvector(i, Vec4);
}
// Floor by conversion: std::floor is a library call on plain x86-64.
inline int32_t floorToInt(float x) {
    const auto whole = static_cast<int32_t>(x);
    return static_cast<float>(whole) > x ? whole - 1 : whole;
}
inline Int4 floorToInt(Vec4 x) {
    const Int4 whole = __builtin_convertvector(x, Int4);
    return whole + (toFloat(whole) > x); // a true comparison is -1
}
inline float select(bool condition, float yes, float no) {
    return condition ? yes : no;
}
inline Vec4 select(Int4 condition, Vec4 yes, Vec4 no) {
    const Uint4 mask = asUnsigned(condition);
    return fromBits((mask & bitsOf(yes)) | (~mask & bitsOf(no)));
}
template <typename F> F abs(F x) {
    return fromBits(bitsOf(x) & 0x7fffffffu);
}
// As std::max: a unless b is greater.
template <typename F> F max(F a, F b) {
    return select(a < b, b, a);
}

template <typename F> F log2(F x) {
    const auto bits = bitsOf(x);
    const F exponent = toFloat(asSigned((bits >> 23) & 0xffu) - 127);
    const F m = fromBits((bits & 0x007fffffu) | 0x3f800000u); // 1 <= m < 2
    const F t = (m - 1.0f) / (m + 1.0f);
    const F t2 = t * t;
    return exponent + t * (2.8853901f + t2 * (0.9617967f + t2 * (0.5770780f + t2 * 0.4121985f)));
}

template <typename F> F exp2(F x) {
    const auto wholeInt = floorToInt(x);
    const F f = x - toFloat(wholeInt);
    const F p =
        1.0f + f * (0.6931472f + f * (0.2402265f + f * (0.0555041f + f * (0.0096181f + f * 0.0013333f))));
    return fromBits(bitsOf(p) + (asUnsigned(wholeInt) << 23));
}

} // namespace lanes

// log2 for positive normal x, within 1e-4: cheap enough for every sample.
inline float fastLog2(float x) {
    return lanes::log2(x);
}
inline Vec4 fastLog2(Vec4 x) {
    return lanes::log2(x);
}

// 2^x for x in -126..127, within 2e-4 relative.
inline float fastExp2(float x) {
    return lanes::exp2(x);
}
inline Vec4 fastExp2(Vec4 x) {
    return lanes::exp2(x);
}

} // namespace vl::engine::dsp
