#include "measures.hpp"
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
// The digits are those of x87 extended intermediates rounded once to float.
// Few processors have that format, so the BMI's divisions are done in integers.
static_assert(std::numeric_limits<float>::is_iec559, "float must be IEEE 754 binary32");
static_assert(std::numeric_limits<double>::is_iec559, "double must be IEEE 754 binary64");

namespace {
// A positive value significand * 2^exponent, with the top bit of the
// significand set, as an x87 register holds it.
struct extended {
    std::uint64_t significand;
    int exponent;
};

// A finite, non-zero float's magnitude as a 24-bit significand and its scale.
std::uint64_t float_significand(float x, int *exponent) {
    int e;
    const float fraction = std::frexp(std::fabs(x), &e);
    *exponent = e - 24;
    return static_cast<std::uint64_t>(std::ldexp(fraction, 24));
}

// n / d rounded to a 64-bit significand, to nearest. No exponent that the
// measures meet can leave the extended range.
extended divide(extended n, float d) {
    int d_exponent;
    const std::uint64_t divisor = float_significand(d, &d_exponent);
    // n / divisor lies in (2^39, 2^41): its integer part has 40 or 41 bits,
    // and one more long-division step gives the rest of the 64.
    const std::uint64_t whole = n.significand / divisor;
    const std::uint64_t rest = n.significand % divisor;
    const int shift = whole >> 40 ? 23 : 24;
    const std::uint64_t q = whole << shift | (rest << shift) / divisor;
    const std::uint64_t remainder = (rest << shift) % divisor;
    // A 24-bit divisor leaves no quotient exactly half-way between two 64-bit
    // ones, and none within 2^shift / divisor > 1/2 of 2^64: there is no tie
    // to break, and rounding up cannot carry out of the significand.
    return {q + (2 * remainder > divisor), n.exponent - d_exponent - shift};
}

// Rounds once to float, to nearest even: to 24 bits, or to fewer where the
// result is subnormal; too large a result becomes an infinity.
float to_float(extended x, bool negative) {
    constexpr int float_min_exponent = -149; // the scale of the smallest subnormal
    int exponent = x.exponent + 40;
    int shift = 40;
    if (exponent < float_min_exponent) {
        shift += float_min_exponent - exponent;
        exponent = float_min_exponent;
    }
    std::uint64_t kept = 0;
    if (shift <= 64) {
        kept = shift == 64 ? 0 : x.significand >> shift;
        const std::uint64_t rest =
            shift == 64 ? x.significand : x.significand & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (kept & 1)))
            ++kept;
    }
    const float magnitude = std::ldexp(static_cast<float>(kept), exponent);
    return negative ? -magnitude : magnitude;
}

// A NaN passes through the x87 unit quieted, with its sign and payload. (Older
// MIPS reads this bit as signalling; a NaN BMI is only compared and printed.)
float quieted(float nan) {
    std::uint32_t bits;
    std::memcpy(&bits, &nan, sizeof bits);
    bits |= 0x00400000;
    std::memcpy(&nan, &bits, sizeof bits);
    return nan;
}

// weight / height / height with x87 extended intermediates, rounded once.
float divide_twice(float weight, float height) {
    if (std::isnan(weight))
        return quieted(weight);
    if (std::isnan(height))
        return quieted(height);
    // The height's sign enters twice and cancels: the weight's is the result's.
    const bool zero_height = height == 0;
    const bool infinite_height = std::isinf(height);
    if ((weight == 0 && zero_height) || (std::isinf(weight) && infinite_height)) {
        // The x87 unit's default NaN is negative, where others give a positive one.
        return std::copysign(std::numeric_limits<float>::quiet_NaN(), -1.0f);
    }
    if (std::isinf(weight) || zero_height)
        return std::copysign(std::numeric_limits<float>::infinity(), weight);
    if (weight == 0 || infinite_height)
        return std::copysign(0.0f, weight);
    int w_exponent;
    const std::uint64_t w = float_significand(weight, &w_exponent);
    const extended once = divide({w << 40, w_exponent - 40}, height);
    return to_float(divide(once, height), std::signbit(weight));
}
} // namespace

body_measures compute_measures(float weight, float height) {
    // A float squared has 48 bits and 22 adds 5, 100 adds 7: both products
    // are exact in double, so rounding them to float is the one rounding.
    const double h = height;
    body_measures m;
    m.height_cm = static_cast<float>(h * centimetres_per_metre);
    m.ideal_weight = static_cast<float>(h * h * ideal_bmi);
    // Two divisions, not one by the square: that is what fixes the last digit.
    m.bmi_value = divide_twice(weight, height);
    return m;
}
body_type classify_bmi(float bmi_value) {
    // A NaN is below no bound, so it falls through to unclassified.
    for (const bmi_band &band : bmi_bands) {
        if (bmi_value < band.upper_bound)
            return band.type;
    }
    return unclassified;
}
