#include "measures.hpp"

#include <limits>

// The reported digits are those of x87 extended intermediates rounded once to
// float; double intermediates give another last digit for some entries, so a
// build without a 64-bit significand must not compile at all.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 extended format");
static_assert(std::numeric_limits<float>::is_iec559, "float must be IEEE 754 binary32");

void set_floating_point_mode() {
#if defined(__i386__) || defined(__x86_64__)
    // Windows may start a program with the x87 unit rounding to 53 bits,
    // which would give the digits of double intermediates.
    constexpr unsigned short exception_masks = 0x003f;
    constexpr unsigned short precision_64_bits = 0x0300;
    constexpr unsigned short rounding_control = 0x0c00; // zero: to nearest
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~rounding_control) | exception_masks |
                                          precision_64_bits);
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}

body_measures compute_measures(float weight, float height) {
    const long double w = weight;
    const long double h = height;
    body_measures m;
    m.height_cm = static_cast<float>(h * centimetres_per_metre);
    m.ideal_weight = static_cast<float>(h * h * ideal_bmi);
    // Two divisions, not one by the square: that is what fixes the last digit.
    m.bmi_value = static_cast<float>(w / h / h);
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
