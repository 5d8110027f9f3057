// bmi: a short consultation in Japanese that reports a person's BMI and body type.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#ifdef _WIN32
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif
#include "measures.hpp"
#include "reading.hpp"
#include "texts.hpp"

namespace {
#ifdef _WIN32
// A console outside Japan shows the Shift_JIS bytes as garbage, so it shows
// code page 932 for the run and gets its own back at the exit and on Ctrl-C,
// Ctrl-Break or a closed window, which the default handling then ends.
UINT own_code_page;

void give_code_page_back() {
    SetConsoleOutputCP(own_code_page);
}

BOOL WINAPI give_code_page_back_on(DWORD) {
    give_code_page_back();
    return FALSE;
}

void show_shift_jis_console() {
    DWORD mode;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
        return; // a pipe or a file gets the bytes and nothing else
    own_code_page = GetConsoleOutputCP();
    if (own_code_page == 0 || own_code_page == 932)
        return;
    // exit() runs this list before it flushes the streams: every way out must
    // have flushed already. Without both ways back, the console is left alone.
    if (std::atexit(give_code_page_back) != 0 ||
        !SetConsoleCtrlHandler(give_code_page_back_on, TRUE))
        return;
    SetConsoleOutputCP(932);
}
#endif

// A line ends in a line feed alone on Windows too. A console handed the two
// bytes of a Shift_JIS character in separate writes shows garbage, so output
// is fully buffered there: every read is preceded by a flush.
void set_up_output() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    static char buffer[BUFSIZ];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    show_shift_jis_console();
#endif
}

void say(text_id text) {
    std::fputs(message_texts[text], stdout);
}

// Widening a NaN gives RISC-V's and MIPS's own positive NaN, so its sign is
// carried over by hand: copysign is defined on a NaN and changes no other bit.
double widened(float value) {
    if (std::isnan(value))
        return std::copysign(std::numeric_limits<double>::quiet_NaN(),
                             std::signbit(value) ? -1.0 : 1.0);
    return value;
}

void report(text_id line, float value) {
    std::printf(message_texts[line], widened(value));
}

// Before every read: a driver on a pipe waits for the prompt.
bool flush_output() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void discard_line() {
    int c;
    do
        c = std::getchar();
    while (c != EOF && c != '\n');
}

enum entry { entry_number, entry_unconvertible, entry_ended, output_failed };

// As a %f conversion reads, with one character of look-ahead put back.
entry read_number(float *value) {
    int c = std::getchar();
    while (std::isspace(c))
        c = std::getchar();
    if (c == EOF)
        return entry_ended;
    number_reader reader{};
    while (c != EOF && reader_take(reader, c))
        c = std::getchar();
    std::ungetc(c, stdin); // none at the end of input
    if (!reader_complete(reader))
        return entry_unconvertible;
    *value = reader_value(reader);
    return entry_number;
}

// An entry that cannot be converted takes its line along, so the dialogue cannot spin.
entry ask(text_id prompt, float *value) {
    say(prompt);
    if (!flush_output())
        return output_failed;
    const entry got = read_number(value);
    if (got == entry_unconvertible)
        discard_line();
    return got;
}
} // namespace

int main() {
    set_up_output();

    float weight;
    float height;
    for (;;) {
        say(intro_text);
        entry got = ask(weight_prompt, &weight);
        if (got == entry_number)
            got = ask(height_prompt, &height);
        if (got == entry_ended || got == output_failed)
            return 1;
        if (got == entry_unconvertible)
            continue;

        // Two tests, not one: a height that is not a number passes neither and
        // is asked again without the error text.
        if (height >= height_limit)
            say(height_error);
        if (height < height_limit)
            break;
    }

    const body_measures m = compute_measures(weight, height);
    report(weight_line, weight);
    report(ideal_weight_line, m.ideal_weight);
    report(height_line, m.height_cm);
    report(bmi_line, m.bmi_value);
    const body_type type = classify_bmi(m.bmi_value);
    if (type != unclassified)
        say(bmi_bands[type].verdict);
    if (!flush_output())
        return 1;
    // A number, a word or the end of input: each ends the closing wait.
    float spare;
    read_number(&spare);
    // A report that never reached its reader is not a success.
    return std::fclose(stdout) == 0 ? 0 : 1;
}
