#include "reading.hpp"
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

// Leading zeros only move the scale and a digit beyond the kept ones only
// sticks, so that an entry of any length needs no more room than this.
static void add_digit(number_reader &r, int c) {
    r.digits = true;
    if (r.kept == 0 && c == '0') {
        r.scale -= r.point;
    } else if (r.kept < (r.hex ? 8 : kept_digits)) {
        r.kept_digit[r.kept++] = static_cast<char>(c);
        r.scale -= r.point;
    } else {
        r.sticky = r.sticky || c != '0';
        r.scale += !r.point;
    }
}

// The character that starts a part ("e", "p", "i" or "n") is its first.
static void start(number_reader &r, number_reader::stage part) {
    r.part = part;
    r.position = 0;
    r.digits = false;
}

bool reader_take(number_reader &r, int c) {
    const int lower = std::tolower(c);
    switch (r.part) {
    case number_reader::mantissa:
        if (r.position == 0 && (c == '+' || c == '-')) {
            r.sign = true;
            r.negative = c == '-';
        } else if (r.hex ? std::isxdigit(c) : std::isdigit(c)) {
            add_digit(r, c);
        } else if (c == '.' && !r.point) {
            r.point = true;
        } else if (lower == 'x' && r.position == r.sign + 1 && r.digits && r.kept == 0 && !r.hex) {
            r.hex = true; // "0x" is the start of a number, not a 0
            r.digits = false;
        } else if (lower == (r.hex ? 'p' : 'e') && r.digits) {
            start(r, number_reader::exponent);
        } else if (r.position == r.sign && (lower == 'i' || lower == 'n')) {
            start(r, number_reader::word);
            r.infinity = lower == 'i';
        } else {
            return false;
        }
        break;
    case number_reader::exponent:
        if (r.position == 1 && (c == '+' || c == '-')) {
            r.exponent_negative = c == '-';
        } else if (std::isdigit(c)) {
            // Past the digits' scale and a float's range, the value is 0 or infinity.
            const long long beyond = std::llabs(r.scale) * (r.hex ? 4 : 1) + 1000;
            r.digits = true;
            r.typed_exponent = std::min(r.typed_exponent * 10 + (c - '0'), beyond);
        } else {
            return false;
        }
        break;
    case number_reader::word: { // infinity or inf; nan or nan(n-char-sequence)
        const char *word = r.infinity ? "infinity" : "nan(";
        if (word[r.position] == '\0' || lower != word[r.position])
            return false;
        if (c == '(')
            r.part = number_reader::payload;
        break;
    }
    case number_reader::payload:
        if (c == ')')
            r.part = number_reader::closed;
        else if (!std::isalnum(c) && c != '_')
            return false;
        break;
    case number_reader::closed:
        return false;
    }
    r.position += r.position < 9;
    return true;
}

bool reader_complete(const number_reader &r) {
    if (r.part == number_reader::word)
        return r.position == 3 || r.position == 8; // inf or nan, infinity
    return r.part == number_reader::closed || (r.part != number_reader::payload && r.digits);
}

// The kept digits, a sticky one for the dropped, and the exponent with the scale in it: a text
// between the same two floats as the entry, made without printf, which costs more than a read.
float reader_value(const number_reader &r) {
    const float sign = r.negative ? -1.0f : 1.0f;
    if (r.part == number_reader::word || r.part == number_reader::closed)
        return std::copysign(r.infinity ? HUGE_VALF : std::nanf(""), sign);
    char text[kept_digits + 32] = "0x0";
    char *at = std::copy(r.kept_digit, r.kept_digit + r.kept, text + 3);
    if (r.sticky)
        *at++ = '1';
    *at++ = r.hex ? 'p' : 'e';
    const long long power = (r.exponent_negative ? -r.typed_exponent : r.typed_exponent) +
                            (r.scale - r.sticky) * (r.hex ? 4 : 1);
    at = std::to_chars(at, text + sizeof text - 1, power).ptr;
    *at = '\0';
    // MinGW's strtof rounds some hexadecimal numbers wrongly: nine digits at most, exact in
    // a double, are rounded once to a float here.
    if (r.hex)
        return std::copysign(static_cast<float>(std::strtod(text, nullptr)), sign);
    float value;
#if defined(_GLIBCXX_RELEASE) && _GLIBCXX_RELEASE >= 12
    // MinGW's strtof reads a tie beside the subnormals as FLT_MIN; GCC's own reading is
    // exact, and leaves only the range to tell.
    if (std::from_chars(text + 2, at, value).ec != std::errc())
        value = power + r.kept > 0 ? HUGE_VALF : 0;
#else // libc++ reads no floats (wasi-libc's strtof is exact), GCC 11 with glibc's
    value = std::strtof(text + 2, nullptr);
#endif
    return std::copysign(value, sign);
}
