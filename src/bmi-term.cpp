// bmi-term: bmi on a terminal, its Shift_JIS converted to the terminal's
// character set as it arrives. Input goes to bmi untouched: all it reads is
// ASCII, the same bytes in either.
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include "transcode.hpp"

namespace {
// Set for bmi: "relay" where the launcher shows bmi's output, "direct" where
// bmi has taken its place. A bmi-term that finds it set is running as bmi.
const char launcher_variable[] = "BMI_TERM";

// Its Japanese messages in Shift_JIS, as bmi's texts, so that they are shown
// through the same conversion.
// bmi-term と同じ場所に bmi がありません。
const char no_bmi_ja[] = "bmi-term \x82\xc6\x93\xaf\x82\xb6\x8f\xea\x8f\x8a\x82\xc9 bmi "
                         "\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";
// bmi を起動できません。
const char cannot_start_ja[] =
    "bmi \x82\xf0\x8b\x4e\x93\xae\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42";
// bmi-term 自身の場所がわからないため、bmi を探せません。
const char no_own_file_ja[] =
    "bmi-term \x8e\xa9\x90\x67\x82\xcc\x8f\xea\x8f\x8a\x82\xaa\x82\xed\x82\xa9\x82"
    "\xe7\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81\x41"
    "bmi \x82\xf0\x92\x54\x82\xb9\x82\xdc\x82\xb9\x82\xf1\x81\x42";
// bmi の場所にあるのは bmi-term 自身です。
const char itself_ja[] =
    "bmi \x82\xcc\x8f\xea\x8f\x8a\x82\xc9\x82\xa0\x82\xe9\x82\xcc\x82\xcd bmi-term "
    "\x8e\xa9\x90\x67\x82\xc5\x82\xb7\x81\x42";
// Enter キーを押すと閉じます。
const char press_enter_ja[] =
    "Enter \x83\x4c\x81\x5b\x82\xf0\x89\x9f\x82\xb7\x82\xc6\x95\xc2\x82\xb6\x82"
    "\xdc\x82\xb7\x81\x42";

// A terminal without Japanese gets what the conversion gives; none where
// the C library cannot convert.
void put_japanese(const char *text, const char *charset) {
    transcoder t;
    if (!charset) {
        std::fputs(text, stdout);
    } else if (open_transcoder(&t, charset)) {
        char out[transcoded_room(128)];
        std::fwrite(out, 1, transcode(&t, text, std::strlen(text), out), stdout);
        close_transcoder(&t);
    }
}

// A terminal opened from the menu closes when the launcher ends: there, the
// message waits for Enter.
[[noreturn]] void stop(const char *japanese, const char *why, const char *what,
                       const char *detail = "") {
    const char *parent = std::getenv(launcher_variable);
    const bool relayed = parent && std::strcmp(parent, "relay") == 0;
    const bool on_terminal = isatty(STDIN_FILENO) && (relayed || isatty(STDOUT_FILENO));
    FILE *to = on_terminal ? stdout : stderr;
    std::fputs("bmi-term: ", to);
    std::fprintf(to, why, what, detail);
    std::fputc('\n', to);
    if (on_terminal) {
        // Relayed, it is Shift_JIS to the launcher above.
        const char *charset = relayed ? nullptr : terminal_charset(nl_langinfo(CODESET));
        put_japanese(japanese, charset);
        std::fputs("\n\nPress Enter to close. / ", stdout);
        put_japanese(press_enter_ja, charset);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        int c;
        do
            c = std::getchar();
        while (c != EOF && c != '\n');
    }
    std::exit(127);
}

[[noreturn]] void cannot_run(const char *bmi, int error) {
    struct stat file;
    if (error == ENOENT && lstat(bmi, &file) != 0)
        stop(no_bmi_ja, "there is no bmi beside it, at %s", bmi);
    // It is there: a link to nothing, or a program whose interpreter is missing.
    const char *why = error != ENOENT    ? std::strerror(error)
                      : stat(bmi, &file) ? "it is a link to nothing"
                                         : "its interpreter is missing";
    stop(cannot_start_ja, "cannot start %s: %s", bmi, why);
}

// Its own file, where there is no /proc: as a shell finds it, never relative.
bool find_own_file(const char *argv0, char (&path)[PATH_MAX]) {
    if (std::strchr(argv0, '/'))
        return realpath(argv0, path);
    for (const char *directory = std::getenv("PATH"); directory && *directory;) {
        const int length = static_cast<int>(std::strcspn(directory, ":"));
        char candidate[PATH_MAX];
        // An empty entry is the current folder.
        std::snprintf(candidate, sizeof candidate, "%.*s/%s", length ? length : 1,
                      length ? directory : ".", argv0);
        if (access(candidate, X_OK) == 0 && realpath(candidate, path))
            return true;
        directory += length + (directory[length] == ':');
    }
    return false;
}

// bmi lies beside the launcher's own file, not beside a link to it.
void locate_bmi(const char *argv0, char (&path)[PATH_MAX]) {
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    if (size > 0)
        path[size] = '\0';
    else if (!find_own_file(argv0, path))
        stop(no_own_file_ja, "cannot find its own file (%s), so it cannot find the bmi beside it",
             argv0);
    char *name = std::strrchr(path, '/') + 1;
    std::snprintf(name, sizeof path - static_cast<std::size_t>(name - path), "bmi");
}

// Started with its output on a pipe; on Linux, it dies with the launcher,
// even by SIGKILL. A failure to start is told on the terminal.
pid_t start(char *const args[], int output[2]) {
    const pid_t launcher = getpid();
    const pid_t child = pipe(output) == 0 ? fork() : -1;
    if (child < 0)
        cannot_run(args[0], errno);
    if (child == 0) {
#ifdef __linux__
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != launcher)
            _exit(127);
#endif
        const int terminal = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        setenv(launcher_variable, "relay", 1);
        execv(args[0], args);
        const int error = errno;
        dup2(terminal, STDOUT_FILENO);
        unsetenv(launcher_variable);
        cannot_run(args[0], error);
    }
    close(output[1]);
    return child;
}

// Every piece is written as it comes; false where the terminal has gone.
bool relay(int from, transcoder *t) {
    char in[512];
    char out[transcoded_room(sizeof in)];
    for (;;) {
        ssize_t got = read(from, in, sizeof in);
        if (got < 0 && errno == EINTR)
            continue;
        got = got < 0 ? 0 : got;
        const std::size_t size = transcode(t, in, static_cast<std::size_t>(got), out);
        for (std::size_t done = 0; done < size;) {
            const ssize_t written = write(STDOUT_FILENO, out + done, size - done);
            if (written > 0)
                done += static_cast<std::size_t>(written);
            else if (errno != EINTR)
                return false;
        }
        if (got == 0)
            return true;
    }
}
} // namespace

int main(int argc, char **argv) {
    const char *name = argc > 0 ? argv[0] : "bmi-term";
    std::setlocale(LC_CTYPE, "");
    // A link or a copy in bmi's place would start itself without end.
    if (std::getenv(launcher_variable))
        stop(itself_ja, "the bmi beside it is bmi-term itself, at %s", name);
    // A parent that ignores it would leave bmi's status to nobody.
    std::signal(SIGCHLD, SIG_DFL);
    char bmi[PATH_MAX];
    locate_bmi(name, bmi);
    char *const args[] = {bmi, nullptr};
    const char *charset = terminal_charset(nl_langinfo(CODESET));
    // A pipe, a file or a Shift_JIS terminal gets bmi's own bytes and status.
    if (!isatty(STDOUT_FILENO) || !charset) {
        setenv(launcher_variable, "direct", 1);
        execv(bmi, args);
        cannot_run(bmi, errno);
    }
    transcoder t;
    if (!open_transcoder(&t, charset))
        stop("", "the C library cannot convert Shift_JIS to %s here%s", charset,
             " (Fedora and RHEL: install glibc-gconv-extra).");
    int output[2];
    const pid_t child = start(args, output);
    const bool shown = relay(output[0], &t);
    close_transcoder(&t);
    // The terminal is gone: so is the consultation.
    if (!shown)
        kill(child, SIGKILL);
    int status;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
    }
    // As a shell reports it.
    return !shown ? 1 : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}
