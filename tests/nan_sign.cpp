// Shows a typed -nan and a negative NaN as bmi does: the first loses its sign
// where scanf drops it (musl), both where printf does (Windows). What the
// transcripts expect of bmi follows from it.
#include <cmath>
#include <cstdio>
#include <limits>
int main() {
    float typed = 0;
    std::sscanf("-nan", "%f", &typed);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::printf("%f %f", std::copysign(nan, std::signbit(typed) ? -1.0 : 1.0),
                std::copysign(nan, -1.0));
}
