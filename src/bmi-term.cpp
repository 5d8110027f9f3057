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
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include "transcode.hpp"

namespace {
// A terminal opened from the menu closes when the launcher ends: there, the
// message waits for Enter.
[[noreturn]] void stop(const char *japanese, const char *why, const char *what,
                       const char *detail = "") {
    const bool on_terminal = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    FILE *to = on_terminal ? stdout : stderr;
    std::fputs("bmi-term: ", to);
    std::fprintf(to, why, what, detail);
    if (on_terminal) {
        std::printf("\n%s\n\nPress Enter to close. / %s\n", japanese,
                    u8"Enter キーを押すと閉じます。");
        std::fflush(stdout);
        int c;
        do
            c = std::getchar();
        while (c != EOF && c != '\n');
    } else {
        std::fputc('\n', to);
    }
    std::exit(127);
}

[[noreturn]] void cannot_run(const char *bmi, int error) {
    if (error == ENOENT)
        stop(u8"bmi-term と同じ場所に bmi がありません。", "there is no bmi beside it, at %s", bmi);
    stop(u8"bmi を起動できません。", "cannot start %s: %s", bmi, std::strerror(error));
}

// bmi lies beside the launcher's own file, not beside a link to it.
void locate_bmi(const char *argv0, char (&path)[PATH_MAX]) {
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    if (size > 0)
        path[size] = '\0';
    else if (!realpath(argv0, path))
        std::snprintf(path, sizeof path, "./%s", argv0);
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
        execv(args[0], args);
        const int error = errno;
        dup2(terminal, STDOUT_FILENO);
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
    char bmi[PATH_MAX];
    locate_bmi(argc > 0 ? argv[0] : "bmi-term", bmi);
    char *const args[] = {bmi, nullptr};
    std::setlocale(LC_CTYPE, "");
    const char *charset = terminal_charset(nl_langinfo(CODESET));
    // A pipe, a file or a Shift_JIS terminal gets bmi's own bytes and status.
    if (!isatty(STDOUT_FILENO) || !charset) {
        execv(bmi, args);
        cannot_run(bmi, errno);
    }
    transcoder t;
    if (!open_transcoder(&t, charset))
        stop(
            u8"Shift_JIS を変換できません (Fedora と RHEL では glibc-gconv-extra をインストール)。",
            "the C library cannot convert Shift_JIS to %s here%s", charset,
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
