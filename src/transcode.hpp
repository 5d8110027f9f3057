// bmi's Shift_JIS converted, piece by piece as it arrives, to a terminal's character set.
#ifndef BMI_TRANSCODE_HPP
#define BMI_TRANSCODE_HPP
#include <cstddef>
#include <iconv.h>

// What a terminal with this locale codeset is written in: UTF-8 where no
// locale is set, as nearly every terminal shows; none (nullptr) for Shift_JIS.
const char *terminal_charset(const char *codeset);

struct transcoder {
    iconv_t from_shift_jis;
    char replacement[8]; // U+FFFD, or '?' where the character set has none
    std::size_t replacement_size;
    char lead; // a character's first byte, whose second is still to come
    bool has_lead;
};
// False where the C library cannot convert Shift_JIS to the character set.
bool open_transcoder(transcoder *t, const char *charset);
void close_transcoder(transcoder *t);

// No terminal's character set spends more than four bytes on a character,
// nor does a byte of Shift_JIS become more than one.
constexpr std::size_t transcoded_room(std::size_t size) {
    return 4 * (size + 1);
}
// Converts in[0, size) into out, of transcoded_room(size) bytes, and returns
// the number written. A character cut between two pieces is written with the
// second; size 0 ends the stream. What does not convert becomes one replacement.
std::size_t transcode(transcoder *t, const char *in, std::size_t size, char *out);
#endif
