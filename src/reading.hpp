// An entry read as the C standard reads a %f conversion, a character at a time: the longest start
// of a number is taken, the character after it is left, and only a whole number has a value. Each
// C library's scanf reads a little otherwise; glibc's takes the line feed after an "n" along.
#ifndef BMI_READING_HPP
#define BMI_READING_HPP
// Enough significant digits to put any entry between the same two floats as all its digits do
// (hexadecimal ones: 8).
inline constexpr int kept_digits = 200;

struct number_reader {
    enum stage { mantissa, exponent, word, payload, closed } part;
    int position; // of the next character in its part, counted up to 9: no test looks further
    bool sign, negative, hex, point, exponent_negative, infinity;
    bool digits; // the part has one
    bool sticky; // a dropped digit was not zero
    int kept;
    long long scale; // the kept digits are times the base to this power: one step a character
    long long typed_exponent; // as typed, up to where nothing that follows can matter
    char kept_digit[kept_digits];
};

// Whether c continues the number; where not, it is the caller's to leave.
bool reader_take(number_reader &reader, int c);
// Whether what was taken is a number, not only the start of one.
bool reader_complete(const number_reader &reader);
// The float nearest that number, ties to even; a NaN gets its sign too.
float reader_value(const number_reader &reader);
#endif
