// Runs the built program through pipes and compares every output byte and the
// exit status. The command line names the program, behind any command needed
// to start it (an emulator, say).
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "texts.hpp"

namespace {

std::vector<char *> program; // argv of the program under test, null-terminated

// Generous: an emulated program can take seconds to start.
constexpr auto time_limit = std::chrono::seconds(60);

struct child {
    pid_t pid = -1;
    int input = -1;
    int output[2] = {-1, -1}; // standard output and standard error
    bool ended = false;
    int status = -1; // exit status; -1 while running or when killed by a signal
};

// Starts the program with pipes on all three streams, or with standard output
// sent to `output_path` instead.
child start(const char *output_path = nullptr) {
    int in[2], out[2], err[2];
    child c;
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return c;
    c.pid = fork();
    if (c.pid == 0) {
        dup2(in[0], 0);
        if (output_path) {
            const int fd = open(output_path, O_WRONLY);
            dup2(fd, 1);
        } else {
            dup2(out[1], 1);
        }
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        execvp(program[0], program.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    c.input = in[1];
    c.output[0] = out[0];
    c.output[1] = err[0];
    return c;
}

// The program may have ended already, and not read what it is given.
void give(child &c, const std::string &input) {
    if (input.empty())
        return;
    const ssize_t n = write(c.input, input.data(), input.size());
    if (n != static_cast<ssize_t>(input.size()) && !(n < 0 && errno == EPIPE))
        ADD_FAILURE() << "could not give the input: " << std::strerror(errno);
}

void close_input(child &c) {
    close(c.input);
    c.input = -1;
}

void reap(child &c, int options) {
    int status = 0;
    if (waitpid(c.pid, &status, options) != c.pid)
        return;
    c.ended = true;
    if (WIFEXITED(status))
        c.status = WEXITSTATUS(status);
}

// Reads what the program writes until its standard output satisfies `enough`,
// or until it has ended and nothing more is waiting in the pipes; false when
// the time limit ran out first. The end is told by the process and not by the
// pipes, since helpers that an emulator starts may keep them open.
template <typename Pred>
bool collect(child &c, std::string &out, std::string &err, Pred enough) {
    const auto deadline = std::chrono::steady_clock::now() + time_limit;
    std::string *into[2] = {&out, &err};
    while (!enough(out)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (!c.ended)
            reap(c, WNOHANG);
        pollfd fds[2] = {{c.output[0], POLLIN, 0}, {c.output[1], POLLIN, 0}};
        const int ready = poll(fds, 2, c.ended ? 0 : 20);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready == 0 && c.ended)
            return true;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                into[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(c.output[i]);
                c.output[i] = -1;
            }
        }
    }
    return true;
}

struct outcome {
    std::string out, err;
    int status = -1; // exit status; -1 when it did not end by itself in time
};

// Waits for the program to end on its own and gathers what it wrote.
outcome finish(child &c) {
    outcome o;
    if (!collect(c, o.out, o.err, [](const std::string &) { return false; })) {
        kill(c.pid, SIGKILL);
        reap(c, 0);
        c.status = -1;
    }
    o.status = c.status;
    if (c.input >= 0)
        close_input(c);
    for (int &fd : c.output) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    return o;
}

std::string text(text_id id) {
    return message_texts[id];
}

// A report line with the digits that %f must give in place of its conversion.
std::string line(text_id id, const char *digits) {
    std::string s = text(id);
    return s.replace(s.find("%f"), 2, digits);
}

const std::string greeting = text(intro_text) + text(weight_prompt);
const std::string both_prompts = greeting + text(height_prompt);
const std::string refusal = both_prompts + text(height_error);

std::string report(const char *weight, const char *ideal, const char *cm, const char *bmi) {
    return line(weight_line, weight) + line(ideal_weight_line, ideal) + line(height_line, cm) +
           line(bmi_line, bmi);
}

const std::string standard_70_175 =
    report("70.000000", "67.375000", "175.000000", "22.857143") + text(verdict_standard);

struct dialogue_case {
    const char *behaviour;
    std::string input;
    bool input_ends; // whether standard input is closed after the input
    std::string output;
    int status;
};

// Where input_ends is false the pipe stays open, so the program must end on
// what it was given and not on the end of input.
const dialogue_case dialogue_cases[] = {
    {"a whole consultation", "70\n1.75\nx\n", false, both_prompts + standard_70_175, 0},
    // After the NaN the next weight comes from the same line, which an entry
    // that could not be converted would have thrown away.
    {"refusals at exactly 3 and at infinity, a height that is not a number, then 2.99; empty "
     "lines do not end the closing wait",
     "80\n3.0\n70 inf\n100\nnan 90\n2.99\n\n\n1\n", false,
     refusal + refusal + both_prompts + both_prompts +
         report("90.000000", "196.682205", "299.000000", "10.067001") + text(verdict_thin),
     0},
    {"both numbers on one line; a letter left on it ends the closing wait", "70 1.75m\n", false,
     both_prompts + standard_70_175, 0},
    {"lines ended by a carriage return as well, as a Windows console sends them",
     "70\r\nabc\r\n70\r\n1.75\r\nx\r\n", false, both_prompts + both_prompts + standard_70_175, 0},
    {"no verdict above the top band", "0.5\n0.02\n0\n", false,
     both_prompts + report("0.500000", "0.008800", "2.000000", "1250.000000"), 0},
    {"no verdict for the infinite BMI of a zero height", "70\n0\nx\n", false,
     both_prompts + report("70.000000", "0.000000", "0.000000", "inf"), 0},
    {"entries that cannot be converted start over without an error text; 70.1 is held in "
     "single precision",
     "abc\n70\nkg 1\n\x82\x56\x82\x4f\n70.1\n1.75\nx\n", false,
     greeting + both_prompts + greeting + both_prompts +
         report("70.099998", "67.375000", "175.000000", "22.889795") + text(verdict_standard),
     0},
    {"the BMI keeps the digit of extended intermediates; the end of input ends the closing wait",
     "75.9197083\n1.50966108\n", true,
     both_prompts + report("75.919708", "50.139683", "150.966110", "33.311611") +
         text(verdict_excessively_obese),
     0},
    {"no input at all", "", true, greeting, 1},
    {"input ends at the height", "70\n", true, both_prompts, 1},
    {"input ends after an entry that cannot be converted", "70\nabc", true, both_prompts + greeting,
     1},
};

TEST(Dialogue, WritesExactlyTheExpectedBytesAndStatus) {
    for (const dialogue_case &d : dialogue_cases) {
        SCOPED_TRACE(d.behaviour);
        child c = start();
        ASSERT_GT(c.pid, 0);
        give(c, d.input);
        if (d.input_ends)
            close_input(c);
        const outcome o = finish(c);
        EXPECT_EQ(o.out, d.output);
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(o.status, d.status);
    }
}

// A driver that waits for the prompt before it answers would hang for ever if
// the prompt sat in the buffer of a pipe.
TEST(Dialogue, PromptArrivesBeforeAnyInput) {
    child c = start();
    ASSERT_GT(c.pid, 0);
    std::string out, err;
    EXPECT_TRUE(collect(c, out, err, [](const std::string &o) { return o == greeting; }));
    EXPECT_EQ(out, greeting);
    close_input(c);
    const outcome o = finish(c);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.status, 1);
}

// A consultation whose output was lost must not report success.
TEST(Dialogue, OutputThatCannotBeWrittenFails) {
    child c = start("/dev/full");
    ASSERT_GT(c.pid, 0);
    give(c, "70\n1.75\nx\n");
    close_input(c);
    const outcome o = finish(c);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.status, 1);
}

} // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    for (int i = 1; i < argc; ++i)
        program.push_back(argv[i]);
    program.push_back(nullptr);
    if (program.size() < 2 && !testing::GTEST_FLAG(list_tests)) {
        std::fprintf(stderr, "usage: %s [command ...] bmi\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
