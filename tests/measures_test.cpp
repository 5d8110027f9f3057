#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "measures.hpp"

namespace {

// The digits a report line shows for a value.
std::string shown(float value) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
    return digits;
}

struct measures_case {
    float weight, height;
    const char *ideal_weight, *height_cm, *bmi_value;
    body_type type;
};

// Single-precision results as users see them. 72.25 kg at 1.7 m is a BMI of 25
// in decimal but just below it here, and must stay standard. The last two BMIs
// sit so close to a midpoint between floats that intermediates of double
// precision (or an x87 unit set to 53 bits) give 33.311607 and 18.252956.
// Degenerate heights, which the dialogue accepts, give a result and no trap:
// a negative one mirrors its absolute value but for the centimetres.
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
    {70, -1.75f, "67.375000", "-175.000000", "22.857143", standard},
    {70, 0, "0.000000", "0.000000", "inf", unclassified},
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

// At 2 m the BMI is exactly a quarter of the weight, so each bound can be hit
// exactly: a BMI on a bound belongs to the band above it, and the top band is
// closed at 1000.
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

// Zero divided by zero: a BMI that compares false with every bound.
TEST(ClassifyBmi, GivesNoVerdictForNotANumber) {
    const body_measures m = compute_measures(0, 0);
    EXPECT_TRUE(std::isnan(m.bmi_value));
    EXPECT_EQ(classify_bmi(m.bmi_value), unclassified);
}

} // namespace
