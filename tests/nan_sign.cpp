// Shows a negative NaN as bmi does: where printf drops its sign (Windows),
// the transcripts expect nan for -nan.
#include <cmath>
#include <cstdio>
#include <limits>
int main() {
    std::printf("%f", std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0));
}
