// The real executable on a pseudo-terminal: the Japanese texts arrive as UTF-8 when the
// terminal's locale is UTF-8, as Shift_JIS otherwise, and always as Shift_JIS through a pipe;
// and a terminal gets every line at once, even when the input is a file.
#include "ExpectedMenus.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using expected::shiftJisMenu;
using expected::utf8Menu;

// A whole session, 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits; the input is
// typed after the first prompt, as a user would, and ends with a line end: a terminal gives no
// end of input, so the final 9 needs a character after it to be complete.
const std::string input = "1 1.96 2 0.975 9\n";
std::string transcript(const std::string& menu)
{
    return menu + "\nz = p = 0.975002\n\n" + menu + "\np = z = 1.95996\n\n" + menu;
}

// Long enough for a loaded machine, short enough that a hang fails the test quickly; a session
// takes a few milliseconds.
constexpr std::chrono::seconds runLimit{20};

enum class Line {
    raw,    // no echo, no translation of "\n": the bytes exactly as the program writes them
    cooked, // a terminal as a user has it: input echoed, "\n" written as "\r\n"
    piped,  // standard input on a raw terminal, standard output on a pipe
};

struct Outcome {
    std::string out;
    int status;
    bool finished;
};

// Reads from fd into out until the end, until out ends with stop (when stop is not empty), or
// until deadline; false when the deadline passed first.
bool readUntil(int fd, std::string& out, const std::string& stop,
               std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (!stop.empty() && out.size() >= stop.size() &&
            out.compare(out.size() - stop.size(), stop.size(), stop) == 0) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return polled == 0 ? false : stop.empty();
        }
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // A terminal's master side reports the closed slave as EIO, a pipe as end of file.
        if (got <= 0) {
            return stop.empty();
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

// Runs the calculator with only the environment variables given, waits for its first prompt,
// types keys, and collects what it writes until it ends.
Outcome runOnTerminal(const std::vector<std::string>& environment, Line line,
                      const std::string& keys)
{
    std::vector<char*> envp;
    for (const std::string& variable : environment) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);
    char program[] = NORMCALC_EXE;
    char* argv[] = {program, nullptr};

    termios mode{};
    termios* modePointer = nullptr;
    if (line != Line::cooked) {
        cfmakeraw(&mode);
        mode.c_cc[VMIN] = 1;
        mode.c_cc[VTIME] = 0;
        modePointer = &mode;
    }
    // A new terminal's own settings are the cooked ones (echo, canonical input, "\r\n").
    winsize size{24, 80, 0, 0};
    int pipeEnds[2] = {-1, -1};
    if (line == Line::piped && pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "pipe: errno " << errno;
        return {"", -1, false};
    }

    int master = -1;
    const pid_t child = forkpty(&master, nullptr, modePointer, &size);
    if (child < 0) {
        ADD_FAILURE() << "forkpty: errno " << errno;
        if (line == Line::piped) {
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        return {"", -1, false};
    }
    if (child == 0) {
        if (line == Line::piped) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        execve(program, argv, envp.data());
        _exit(127);
    }

    int outFd = master;
    if (line == Line::piped) {
        close(pipeEnds[1]);
        outFd = pipeEnds[0];
    }
    const auto deadline = std::chrono::steady_clock::now() + runLimit;
    Outcome outcome{"", -1, false};
    if (readUntil(outFd, outcome.out, "No. = ", deadline)) {
        const ssize_t written = write(master, keys.data(), keys.size());
        EXPECT_EQ(written, static_cast<ssize_t>(keys.size()));
        outcome.finished = readUntil(outFd, outcome.out, "", deadline);
    }
    if (!outcome.finished) {
        kill(child, SIGKILL);
    }
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    close(master);
    if (line == Line::piped) {
        close(pipeEnds[0]);
    }
    return outcome;
}

struct Case {
    const char* what;
    std::vector<std::string> environment;
    Line line;
    std::string expected;
};

// C.UTF-8 and C are always installed with glibc; de_DE.UTF-8 and ja_JP.EUC-JP may or may not
// be, and the outcome is the same either way: the codeset in the name decides.
TEST(Terminal, MenuEncodingFollowsTheLocale)
{
    const Case cases[] = {
        {"LANG=C.UTF-8", {"LANG=C.UTF-8"}, Line::raw, transcript(utf8Menu)},
        {"LC_ALL=C.UTF-8", {"LC_ALL=C.UTF-8"}, Line::raw, transcript(utf8Menu)},
        {"LC_CTYPE beats LANG", {"LC_CTYPE=C.UTF-8", "LANG=C"}, Line::raw, transcript(utf8Menu)},
        {"an empty LC_ALL is unset", {"LC_ALL=", "LANG=C.UTF-8"}, Line::raw,
         transcript(utf8Menu)},
        {"German, installed or not", {"LANG=de_DE.UTF-8"}, Line::raw, transcript(utf8Menu)},
        {"LANG=C", {"LANG=C"}, Line::raw, transcript(shiftJisMenu)},
        {"LC_ALL=C beats LANG", {"LC_ALL=C", "LANG=C.UTF-8"}, Line::raw,
         transcript(shiftJisMenu)},
        {"no locale at all", {}, Line::raw, transcript(shiftJisMenu)},
        {"EUC-JP, installed or not", {"LANG=ja_JP.EUC-JP"}, Line::raw, transcript(shiftJisMenu)},
        {"output piped under LANG=C.UTF-8", {"LANG=C.UTF-8"}, Line::piped,
         transcript(shiftJisMenu)},
        {"output piped under LC_ALL=C.UTF-8", {"LC_ALL=C.UTF-8"}, Line::piped,
         transcript(shiftJisMenu)},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const Outcome outcome = runOnTerminal(row.environment, row.line, input);
        ASSERT_TRUE(outcome.finished) << "no end within the time limit; got: " << outcome.out;
        EXPECT_EQ(outcome.out, row.expected);
        EXPECT_EQ(outcome.status, 0);
    }
}

// The terminal itself echoes the typed line and turns every "\n" into "\r\n".
TEST(Terminal, CookedTerminalShowsTheUtf8MenuAndTheEcho)
{
    std::string menu;
    for (const char c : utf8Menu) {
        menu += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const Outcome outcome = runOnTerminal({"LANG=C.UTF-8"}, Line::cooked, "9\n");
    ASSERT_TRUE(outcome.finished) << "no end within the time limit; got: " << outcome.out;
    EXPECT_EQ(outcome.out, menu + "9\r\n");
    EXPECT_EQ(outcome.status, 0);
}

// The state letter of a process in /proc/<pid>/stat: R running, S waiting, Z ended, ...
char processState(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // "pid (name) S ...": the name may hold anything, so the state follows the last ')'.
    const std::string::size_type close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : '?';
}

// A file of queries read by the calculator while its output goes to a terminal whose output
// is stopped (as by Ctrl-S): the first write waits until output is started again. What the
// calculator has read of its file by then shows whether it holds lines back: the parent
// shares the file's offset with it.
TEST(Terminal, FileInputOnATerminalIsWrittenLineByLine)
{
    const std::string path =
        testing::TempDir() + "normcalc_terminal_queries_" + std::to_string(getpid()) + ".in";
    std::ofstream(path, std::ios::binary) << input;
    const int file = open(path.c_str(), O_RDONLY);
    ASSERT_GE(file, 0);

    termios raw{};
    cfmakeraw(&raw);
    winsize size{24, 80, 0, 0};
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, &raw, &size), 0) << "openpty: errno " << errno;
    ASSERT_EQ(tcflow(slave, TCOOFF), 0);

    char program[] = NORMCALC_EXE;
    char* argv[] = {program, nullptr};
    char locale[] = "LANG=C";
    char* envp[] = {locale, nullptr};
    const pid_t child = fork();
    if (child == 0) {
        dup2(file, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        execve(program, argv, envp);
        _exit(127);
    }
    ASSERT_GT(child, 0);

    // The calculator waits once it is stopped by the terminal: it reads a regular file, which
    // never makes it wait, and it writes nothing elsewhere.
    const auto deadline = std::chrono::steady_clock::now() + runLimit;
    char state = processState(child);
    while (state != 'S' && state != 'Z' && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state = processState(child);
    }
    const off_t readWhileStopped = lseek(file, 0, SEEK_CUR);
    tcflow(slave, TCOON);
    close(slave);

    std::string out;
    const bool finished = readUntil(master, out, "", deadline);
    if (!finished) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    close(master);
    close(file);
    std::remove(path.c_str());

    EXPECT_EQ(state, 'S') << "the calculator did not wait for the stopped terminal";
    // Its first line was on its way to the terminal before it had read any of its input.
    EXPECT_EQ(readWhileStopped, 0);
    ASSERT_TRUE(finished) << "no end within the time limit; got: " << out;
    EXPECT_EQ(out, transcript(shiftJisMenu));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
