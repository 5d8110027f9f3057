// Prints a negative NaN as the C library's %f does: -nan, or nan where the
// library drops the sign. What the transcripts expect of bmi follows from it.
#include <cmath>
#include <cstdio>
#include <limits>

int main() {
    std::printf("%f", std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0));
}
