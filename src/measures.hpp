// Body measures from a weight and a height, and the body type they show.
#ifndef BMI_MEASURES_HPP
#define BMI_MEASURES_HPP
#include "texts.hpp"
struct body_measures {
    float height_cm;
    float ideal_weight;
    float bmi_value;
};
enum body_type { thin, standard, obese, excessively_obese, severely_obese, unclassified };
struct bmi_band {
    float upper_bound; // the band holds every BMI below this and not below the band above
    body_type type;
    text_id verdict;
};
inline constexpr float centimetres_per_metre = 100.0f;
inline constexpr float ideal_bmi = 22.0f;
inline constexpr float height_limit = 3.0f;

// Searched from the top; in body_type order, so bmi_bands[type] is the band of a type.
// The last band is closed: a BMI of 1000 or more has no verdict.
inline constexpr bmi_band bmi_bands[] = {
    {18.5f, thin, verdict_thin},
    {25.0f, standard, verdict_standard},
    {30.0f, obese, verdict_obese},
    {35.0f, excessively_obese, verdict_excessively_obese},
    {1000.0f, severely_obese, verdict_severely_obese},
};

constexpr bool bands_follow_types() {
    int i = 0;
    for (const bmi_band &band : bmi_bands) {
        if (band.type != i++)
            return false;
    }
    return i == unclassified;
}
static_assert(bands_follow_types(), "one band for every type, in body_type order");

// Bit for bit on every processor: 64-bit intermediates, each measure rounded once.
body_measures compute_measures(float weight, float height);
body_type classify_bmi(float bmi_value);
#endif
