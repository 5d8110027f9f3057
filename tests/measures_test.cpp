#include "measures.hpp"
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <utility>
namespace {
// The digits a report line shows; a NaN with its sign, which not every printf shows.
std::string shown(float value) {
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    char digits[64];
    std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
    return digits;
}
struct measures_case {
    float weight, height;
    const char *ideal_weight, *height_cm, *bmi_value;
    body_type type;
};

// 72.25 kg at 1.7 m is a BMI just below 25 here, and standard. From 75.9197083
// kg on, the BMIs sit so close to a midpoint between floats that double
// intermediates give another last digit, and from 87.2335892 kg on so close
// that 113-bit ones do: only a 64-bit significand gives these. 0 / 0 is the
// x87 unit's negative NaN on every processor.
const measures_case measures_cases[] = {
    {70, 1.75f, "67.375000", "175.000000", "22.857143", standard},
    {60, 1.7f, "63.580002", "170.000000", "20.761244", standard},
    {72.25f, 1.7f, "63.580002", "170.000000", "24.999998", standard},
    {50, 1.65f, "59.894997", "165.000000", "18.365473", thin},
    {80, 1.6f, "56.320004", "160.000000", "31.250000", excessively_obese},
    {100, 1.6f, "56.320004", "160.000000", "39.062500", severely_obese},
    {0.5f, 0.02f, "0.008800", "2.000000", "1250.000000", unclassified},
    {90, 2.99f, "196.682205", "299.000000", "10.067001", thin},
    {75.9197083f, 1.50966108f, "50.139683", "150.966110", "33.311611", excessively_obese},
    {34.4664001f, 1.37414122f, "41.541809", "137.414124", "18.252954", thin},
    {45.6399117f, 1.40030539f, "43.138813", "140.030533", "23.275515", standard},
    {72.8534164f, 1.13115799f, "28.149405", "113.115799", "56.938152", severely_obese},
    {87.2335892f, 1.72679389f, "65.599976", "172.679382", "29.255177", obese},
    {52.203392f, 1.86566818f, "76.575790", "186.566818", "14.997881", thin},
    {70, -1.75f, "67.375000", "-175.000000", "22.857143", standard},
    {70, 0, "0.000000", "0.000000", "inf", unclassified},
    {0, 0, "0.000000", "0.000000", "-nan", unclassified},
};

TEST(ComputeMeasures, GivesTheDigitsOfExtendedIntermediatesRoundedOnce) {
    for (const measures_case &c : measures_cases) {
        SCOPED_TRACE(shown(c.weight) + " kg at " + shown(c.height) + " m");
        const body_measures m = compute_measures(c.weight, c.height);
        EXPECT_EQ(shown(m.ideal_weight), c.ideal_weight);
        EXPECT_EQ(shown(m.height_cm), c.height_cm);
        EXPECT_EQ(shown(m.bmi_value), c.bmi_value);
        EXPECT_EQ(classify_bmi(m.bmi_value), c.type);
    }
}

// At 2 m the BMI is a quarter of the weight, so each bound is hit exactly.
TEST(ClassifyBmi, PutsEachBoundInTheBandAboveIt) {
    const struct {
        float weight;
        float bmi_value;
        body_type type;
    } bounds[] = {
        {73.99f, 18.4975f, thin},   {74, 18.5f, standard},
        {100, 25, obese},           {120, 30, excessively_obese},
        {140, 35, severely_obese},  {3999.99f, 999.9975f, severely_obese},
        {4000, 1000, unclassified}, {0, 0, thin},
        {-10, -2.5f, thin},
    };
    for (const auto &b : bounds) {
        SCOPED_TRACE(shown(b.weight) + " kg at 2 m");
        const body_measures m = compute_measures(b.weight, 2);
        EXPECT_EQ(m.bmi_value, b.bmi_value);
        EXPECT_EQ(classify_bmi(m.bmi_value), b.type);
    }
}
#if LDBL_MANT_DIG == 64
std::uint32_t bits_of(float x) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}
// Bit for bit, but where any NaN will do.
bool same(float got, float want, bool any_nan) {
    return any_nan ? std::isnan(got) && std::isnan(want) : bits_of(got) == bits_of(want);
}
// With a NaN height any NaN will do: the dialogue never computes one.
bool matches_x87(float weight, float height) {
    const long double w = weight;
    const long double h = height;
    const body_measures want = {static_cast<float>(h * 100), static_cast<float>(h * h * 22),
                                static_cast<float>(w / h / h)};
    const body_measures got = compute_measures(weight, height);
    const bool nan_height = std::isnan(height);
    return same(got.height_cm, want.height_cm, nan_height) &&
           same(got.ideal_weight, want.ideal_weight, nan_height) &&
           same(got.bmi_value, want.bmi_value, nan_height && std::isnan(weight));
}
float from_bits(std::uint32_t bits) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Significands whose BMI lies within about 2^-60 of a midpoint between floats,
// which random pairs almost never reach. For an odd height significand H, a
// weight W with W * 2^k = q * H^2 + r, r small and q odd with 25 bits, is one;
// such W are among the multipliers Euclid's algorithm on H^2 and 2^k meets.
template <typename Found>
void construct_midpoints(std::mt19937 &rng, int wanted, Found found) {
    while (wanted > 0) {
        const std::int64_t h = (rng() & 0x7fffff) | 0x800001;
        const std::int64_t modulus = h * h;
        int k = 1;
        while (modulus >> (k - 1))
            ++k;
        std::int64_t power = 1; // 2^k mod H^2
        for (int i = 0; i < k; ++i)
            power = 2 * power % modulus;
        // Each remainder r is W * 2^k (mod H^2), up to its sign, for W = |t|.
        std::int64_t r0 = modulus, t0 = 0, r1 = power, t1 = 1;
        while (r1 != 0 && std::abs(t1) <= 0xffffff && wanted > 0) {
            const std::int64_t w = std::abs(t1);
            const long double q = std::round(std::ldexp(static_cast<long double>(w), k) /
                                             static_cast<long double>(modulus));
            if (w >= 0x800000 && r1 <= 1024 && q >= 0x1p24L && q < 0x1p25L &&
                std::fmod(q, 2.0L) == 1) {
                found(static_cast<float>(w), static_cast<float>(h));
                --wanted;
            }
            const std::int64_t quotient = r0 / r1;
            r0 = std::exchange(r1, r0 - quotient * r1);
            t0 = std::exchange(t1, t0 - quotient * t1);
        }
    }
}
#endif

// Where the x87 unit is at hand, it checks the routine that stands in for it.
TEST(ComputeMeasures, MatchesX87ExtendedArithmeticBitForBit) {
#if LDBL_MANT_DIG != 64
    GTEST_SKIP() << "no x87 extended arithmetic here to compare with";
#else
    int failures = 0;
    std::string first;
    const auto check = [&](float weight, float height) {
        if (!matches_x87(weight, height) && failures++ == 0)
            first = std::to_string(weight) + " kg at " + std::to_string(height) + " m, " +
                    std::to_string(bits_of(weight)) + " " + std::to_string(bits_of(height));
    };
    using limits = std::numeric_limits<float>;
    const float specials[] = {0,
                              limits::denorm_min(),
                              limits::min() - limits::denorm_min(),
                              limits::min(),
                              1,
                              limits::max(),
                              limits::infinity(),
                              limits::quiet_NaN(),
                              limits::signaling_NaN()};
    for (float w : specials)
        for (float h : specials)
            for (float sw : {1, -1})
                for (float sh : {1, -1})
                    check(sw * w, sh * h);
    std::mt19937 rng(20261208);
    const auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 1 << 20; ++i)
        check(from_bits(rng()), from_bits(rng()));
    // BMIs around the subnormal floats and the largest ones.
    for (int i = 0; i < 1 << 18; ++i) {
        const int height_scale = below(200) - 100;
        const int bmi_scale = i % 2 ? below(40) - 155 : 120 + below(10);
        const float w =
            std::ldexp(1 + static_cast<float>(rng() >> 9) * 0x1p-23f, bmi_scale + 2 * height_scale);
        check(w, std::ldexp(1 + static_cast<float>(rng() >> 9) * 0x1p-23f, height_scale));
    }
    for (int i = 0; i < 1 << 18; ++i) // up to 300 kg at up to 3 m
        check(static_cast<float>(below(30000)) * 0.01f, static_cast<float>(below(3000)) * 0.001f);
    construct_midpoints(rng, 64, [&](float w, float h) {
        check(std::ldexp(w, -17), std::ldexp(h, -23)); // 64 to 128 kg at 1 to 2 m
        check(std::ldexp(w, below(100) - 50), std::ldexp(h, -24 - below(8)));
    });
    EXPECT_EQ(failures, 0) << "first: " << first;
#endif
}
} // namespace
