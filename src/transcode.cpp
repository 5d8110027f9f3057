#include "transcode.hpp"
#include <cstring>
#include <strings.h>

namespace {
const iconv_t no_converter = reinterpret_cast<iconv_t>(-1);
const std::size_t failed = static_cast<std::size_t>(-1);

bool is_lead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
}

// Whether the two bytes are shaped as one Shift_JIS character.
bool is_pair(const char *bytes) {
    const unsigned char trail = bytes[1];
    return is_lead(bytes[0]) && trail >= 0x40 && trail <= 0xfc && trail != 0x7f;
}

bool named(const char *codeset, const char *const *names) {
    for (; *names; ++names) {
        if (strcasecmp(codeset, *names) == 0)
            return true;
    }
    return false;
}

void replace(transcoder *t, char **out, std::size_t *room) {
    if (*room < t->replacement_size)
        return;
    std::memcpy(*out, t->replacement, t->replacement_size);
    *out += t->replacement_size;
    *room -= t->replacement_size;
}

// Converts what it can of in[0, size) and returns how much it took: all but
// a first byte at the very end, whose character is not complete yet.
std::size_t convert(transcoder *t, const char *in, std::size_t size, char **out,
                    std::size_t *room) {
    char *from = const_cast<char *>(in); // POSIX's iconv takes char **
    std::size_t left = size;
    while (left > 0 && iconv(t->from_shift_jis, &from, &left, out, room) == failed) {
        // glibc calls some first bytes alone at the end invalid, not incomplete.
        if (left == 1 && is_lead(*from))
            break;
        // An unknown or unshowable character is one replacement, whether
        // one byte or two; a lead byte before a line feed leaves the line feed.
        const std::size_t width = left >= 2 && is_pair(from) ? 2 : 1;
        replace(t, out, room);
        from += width;
        left -= width;
    }
    return size - left;
}
} // namespace

const char *terminal_charset(const char *codeset) {
    static const char *const shift_jis[] = {"SHIFT_JIS", "SHIFT-JIS",   "SJIS",
                                            "CP932",     "WINDOWS-31J", "MS_KANJI",
                                            "MS932",     "PCK",         nullptr};
    static const char *const ascii[] = {"", "ANSI_X3.4-1968", "ASCII", "US-ASCII", nullptr};
    if (named(codeset, shift_jis))
        return nullptr;
    return named(codeset, ascii) ? "UTF-8" : codeset;
}

bool open_transcoder(transcoder *t, const char *charset) {
    t->from_shift_jis = iconv_open(charset, "SHIFT_JIS");
    t->has_lead = false;
    // A C library that writes a character of its own for U+FFFD counts an
    // irreversible conversion.
    char fffd[] = "\xef\xbf\xbd";
    char *in = fffd;
    char *out = t->replacement;
    std::size_t left = 3;
    std::size_t room = sizeof t->replacement;
    const iconv_t from_utf8 = iconv_open(charset, "UTF-8");
    if (from_utf8 != no_converter && iconv(from_utf8, &in, &left, &out, &room) == 0) {
        t->replacement_size = sizeof t->replacement - room;
    } else {
        t->replacement[0] = '?';
        t->replacement_size = 1;
    }
    if (from_utf8 != no_converter)
        iconv_close(from_utf8);
    return t->from_shift_jis != no_converter;
}

void close_transcoder(transcoder *t) {
    iconv_close(t->from_shift_jis);
}

std::size_t transcode(transcoder *t, const char *in, std::size_t size, char *out) {
    char *const start = out;
    std::size_t room = transcoded_room(size);
    if (t->has_lead && size == 0) {
        replace(t, &out, &room);
    } else if (t->has_lead) {
        // The pair is one character, or a replacement and a byte of its own.
        const char pair[] = {t->lead, in[0]};
        if (convert(t, pair, 2, &out, &room) == 2) {
            ++in;
            --size;
        }
    }
    t->has_lead = false;
    const std::size_t taken = convert(t, in, size, &out, &room);
    if (taken < size) {
        t->lead = in[taken];
        t->has_lead = true;
    }
    return static_cast<std::size_t>(out - start);
}
