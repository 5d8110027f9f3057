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

// A part entered here counts its characters from the next one on.
bool reader_take(number_reader &r, int c) {
    const int l = std::tolower(c);
    switch (r.part) {
    case number_reader::mantissa:
        if (r.in_part == 0 && (c == '+' || c == '-')) {
            r.sign = true;
            r.negative = c == '-';
        } else if (r.hex ? std::isxdigit(c) : std::isdigit(c)) {
            add_digit(r, c);
        } else if (c == '.' && !r.point) {
            r.point = true;
        } else if (l == 'x' && r.in_part == r.sign + 1 && r.digits && r.kept == 0 && !r.hex) {
            r.hex = true; // "0x" is the start of a number, not a 0
            r.digits = false;
        } else if (l == (r.hex ? 'p' : 'e') && r.digits) {
            r.part = number_reader::exponent;
            r.in_part = -1;
            r.digits = false;
        } else if (r.in_part == r.sign && (l == 'i' || l == 'n')) {
            r.part = number_reader::word;
            r.in_part = -1;
            r.infinity = l == 'i';
        } else {
            return false;
        }
        break;
    case number_reader::exponent:
        if (r.in_part == 0 && (c == '+' || c == '-')) {
            r.exponent_negative = c == '-';
        } else if (std::isdigit(c)) {
            r.digits = true;
            r.exponent_value = std::min(r.exponent_value * 10 + (c - '0'), 1000000000LL);
        } else {
            return false;
        }
        break;
    case number_reader::word: { // infinity or inf; nan or nan(n-char-sequence)
        const char *rest = r.infinity ? "nfinity" : "an(";
        if (rest[r.in_part] == '\0' || l != rest[r.in_part])
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
    ++r.in_part;
    return true;
}

bool reader_complete(const number_reader &r) {
    if (r.part == number_reader::word)
        return r.in_part == 2 || r.in_part == 7; // inf or nan, infinity
    return r.part == number_reader::closed || (r.part != number_reader::payload && r.digits);
}

// The kept digits, a sticky one for the dropped, and the exponent with the scale in it: a text
// between the same two floats as the entry, made without printf, which costs more than a read.
float reader_value(const number_reader &r) {
    const float sign = r.negative ? -1.0f : 1.0f;
    if (r.part == number_reader::word || r.part == number_reader::closed)
        return std::copysign(std::strtof(r.infinity ? "inf" : "nan", nullptr), sign);
    char text[kept_digits + 32] = "0x0";
    char *at = std::copy(r.kept_digit, r.kept_digit + r.kept, text + 3);
    if (r.sticky)
        *at++ = '1';
    *at++ = r.hex ? 'p' : 'e';
    const long long power = (r.exponent_negative ? -r.exponent_value : r.exponent_value) +
                            (r.scale - r.sticky) * (r.hex ? 4 : 1);
    *std::to_chars(at, text + sizeof text - 1, power).ptr = '\0';
    // MinGW's strtof rounds a hexadecimal number below the normal range wrongly: its
    // nine digits at most, exact in a double, are rounded once to a float here.
    const float value =
        r.hex ? static_cast<float>(std::strtod(text, nullptr)) : std::strtof(text + 2, nullptr);
    return std::copysign(value, sign);
}
