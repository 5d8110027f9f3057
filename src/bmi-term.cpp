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
constexpr int cannot_start = 127;

// A terminal opened from the menu closes when the launcher ends: there, the
// message waits for Enter.
[[noreturn]] void stop(const char *why, const char *japanese) {
    if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
        std::printf("bmi-term: %s\n%s\n\nPress Enter to close. / %s\n", why, japanese,
                    u8"Enter キーを押すと閉じます。");
        std::fflush(stdout);
        int c;
        do
            c = std::getchar();
        while (c != EOF && c != '\n');
    } else {
        std::fprintf(stderr, "bmi-term: %s\n", why);
    }
    std::exit(cannot_start);
}

[[noreturn]] void cannot_run(const char *bmi, int error) {
    char why[PATH_MAX + 100];
    if (error == ENOENT) {
        std::snprintf(why, sizeof why, "there is no bmi beside it, at %s", bmi);
        stop(why, u8"bmi-term と同じ場所に bmi がありません。");
    }
    std::snprintf(why, sizeof why, "cannot start %s: %s", bmi, std::strerror(error));
    stop(why, u8"bmi を起動できません。");
}

// bmi lies beside the launcher's own file, not beside a link to it.
void locate_bmi(const char *argv0, char *bmi) {
    char self[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
    if (size > 0)
        self[size] = '\0';
    else if (!realpath(argv0, self))
        std::snprintf(self, sizeof self, "%s", argv0);
    const char *slash = std::strrchr(self, '/');
    const int folder = slash ? static_cast<int>(slash - self) : 1;
    std::snprintf(bmi, PATH_MAX, "%.*s/bmi", folder, slash ? self : ".");
}

ssize_t read_some(int fd, char *buffer, std::size_t size) {
    ssize_t got;
    do
        got = read(fd, buffer, size);
    while (got < 0 && errno == EINTR);
    return got;
}

bool write_all(const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

int wait_for(pid_t child) {
    int status;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return cannot_start;
    }
    // As a shell reports it.
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// bmi with its output on a pipe, which it may not keep open past the
// launcher: not even SIGKILL leaves it running alone. Its exec failure comes
// back on a pipe that a successful exec closes.
pid_t start(const char *bmi, int output[2]) {
    int failure[2];
    if (pipe(output) != 0 || pipe(failure) != 0 || fcntl(failure[1], F_SETFD, FD_CLOEXEC) != 0)
        cannot_run(bmi, errno);
    const pid_t launcher = getpid();
    const pid_t child = fork();
    if (child < 0)
        cannot_run(bmi, errno);
    if (child == 0) {
#ifdef __linux__
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != launcher)
            _exit(cannot_start);
#endif
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        close(failure[0]);
        char *const args[] = {const_cast<char *>(bmi), nullptr};
        execv(bmi, args);
        const int error = errno;
        (void)!write(failure[1], &error, sizeof error);
        _exit(cannot_start);
    }
    close(output[1]);
    close(failure[1]);
    int error;
    if (read_some(failure[0], reinterpret_cast<char *>(&error), sizeof error) == sizeof error) {
        wait_for(child);
        cannot_run(bmi, error);
    }
    close(failure[0]);
    return child;
}
} // namespace

int main(int argc, char **argv) {
    char bmi[PATH_MAX];
    locate_bmi(argc > 0 ? argv[0] : "", bmi);
    char *const args[] = {bmi, nullptr};
    // A pipe or a file gets bmi's own bytes and exit status.
    if (!isatty(STDOUT_FILENO)) {
        execv(bmi, args);
        cannot_run(bmi, errno);
    }
    std::setlocale(LC_CTYPE, "");
    const char *charset = terminal_charset(nl_langinfo(CODESET));
    if (!charset) {
        execv(bmi, args);
        cannot_run(bmi, errno);
    }
    transcoder t;
    if (!open_transcoder(&t, charset)) {
        char why[200];
        std::snprintf(why, sizeof why,
                      "the C library cannot convert Shift_JIS to %s here\n"
                      "(on Fedora and RHEL, install glibc-gconv-extra).",
                      charset);
        stop(why, u8"Shift_JIS を変換できません (Fedora と RHEL では glibc-gconv-extra "
                  u8"をインストールしてください)。");
    }
    int output[2];
    const pid_t child = start(bmi, output);
    char in[512];
    char out[transcoded_room(sizeof in)];
    for (;;) {
        const ssize_t got = read_some(output[0], in, sizeof in);
        const std::size_t size = got > 0 ? static_cast<std::size_t>(got) : 0;
        if (!write_all(out, transcode(&t, in, size, out))) {
            // The terminal is gone: so is the consultation.
            kill(child, SIGKILL);
            wait_for(child);
            return 1;
        }
        if (size == 0)
            break;
    }
    close_transcoder(&t);
    return wait_for(child);
}
