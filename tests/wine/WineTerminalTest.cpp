// The Windows executable on a pseudo-terminal under Wine, whose console shows what the program
// writes to it on the terminal: in a UTF-8 locale the menu must arrive as Japanese text.
#include "../ExpectedMenus.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using expected::utf8Menu;

// Wine starts in about a second with its server running; a hang fails within this limit.
constexpr std::chrono::seconds runLimit{30};
// How often to look whether Wine's console has taken the terminal over.
constexpr std::chrono::milliseconds pollStep{10};

// What a terminal shows of Wine's console output, as text. Wine draws trailing blanks as "erase
// to the end of the line, then move right" (ESC [ K, ESC [ n C) and hides the cursor while it
// draws (ESC [ ? 25 l, ESC [ ? 25 h): a move right becomes that many spaces, every other control
// sequence and every "\r" is dropped.
std::string screenText(const std::string& written)
{
    std::string text;
    std::size_t i = 0;
    while (i < written.size()) {
        const char c = written[i++];
        if (c == '\r') {
            continue;
        }
        if (c != '\x1b') {
            text += c;
            continue;
        }
        if (i >= written.size() || written[i] != '[') {
            ++i; // a two-character escape
            continue;
        }
        // A control sequence: parameters and intermediates, then one final byte from @ to ~.
        std::string parameters;
        ++i;
        while (i < written.size() && (written[i] < '@' || written[i] > '~')) {
            parameters += written[i++];
        }
        if (i < written.size() && written[i] == 'C') {
            text.append(parameters.empty() ? 1 : std::stoul(parameters), ' ');
        }
        ++i;
    }
    return text;
}

struct Outcome {
    std::string written;
    int status;
    bool finished;
};

// Reads whatever master has within wait; returns the number of bytes read, 0 when none came,
// -1 once the terminal is closed.
ssize_t readSome(int master, std::string& written, std::chrono::milliseconds wait)
{
    pollfd ready{master, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(wait.count()));
    if (polled <= 0) {
        return polled == 0 || errno == EINTR ? 0 : -1;
    }
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
        return 0;
    }
    // The master side reports the closed terminal as EIO.
    if (got <= 0) {
        return -1;
    }
    written.append(buffer, static_cast<std::size_t>(got));
    return got;
}

// Runs the Windows executable under Wine on a new terminal with LANG=locale, types keys at its
// first prompt, and collects what reaches the terminal until the program ends.
Outcome runUnderWine(const char* locale, const std::string& keys)
{
    winsize size{24, 80, 0, 0};
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) {
        ADD_FAILURE() << "forkpty: errno " << errno;
        return {"", -1, false};
    }
    if (child == 0) {
        // Wine's prefix and settings come from the environment; only the locale is ours.
        unsetenv("LC_ALL");
        unsetenv("LC_CTYPE");
        setenv("LANG", locale, 1);
        execlp(NORMCALC_RUNNER, NORMCALC_RUNNER, NORMCALC_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }

    const auto deadline = std::chrono::steady_clock::now() + runLimit;
    const auto inTime = [&deadline] { return std::chrono::steady_clock::now() < deadline; };
    Outcome outcome{"", -1, false};
    bool open = true;
    while (open && screenText(outcome.written).find("No. = ") == std::string::npos && inTime()) {
        open = readSome(master, outcome.written, pollStep) >= 0;
    }
    // Keys typed before Wine's console switches the terminal out of line mode would be taken
    // by the terminal's own line editing, and Wine would read "\n" for Enter.
    termios mode{};
    while (open && tcgetattr(master, &mode) == 0 && (mode.c_lflag & ICANON) != 0 && inTime()) {
        std::this_thread::sleep_for(pollStep);
    }
    int raw = 0;
    if (open && inTime()) {
        EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        // The end of the program, not of the terminal: the desktop process Wine starts for a
        // console has the terminal as its standard error, and may outlive the program.
        while (!outcome.finished && inTime()) {
            open = readSome(master, outcome.written, pollStep) >= 0;
            outcome.finished = waitpid(child, &raw, open ? WNOHANG : 0) == child;
        }
        // The console has written everything by then but for its last cursor settings.
        while (outcome.finished && readSome(master, outcome.written, pollStep) > 0) {
        }
    }
    if (!outcome.finished) {
        kill(child, SIGKILL);
        while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
        }
    }
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    close(master);
    return outcome;
}

TEST(WineTerminal, ScreenTextDrawsWineBlanksAsSpaces)
{
    // As Wine wrote a prompt: the trailing blank drawn by erasing and moving right.
    EXPECT_EQ(screenText("\x1b[?25lNo. =\x1b[K\x1b[1C\x1b[?25h"), "No. = ");
    EXPECT_EQ(screenText("a\x1b[3Cb\r\r\n"), "a   b\n");
    EXPECT_EQ(screenText("\x1b" "7x\x1b[1;1H"), "x");
}

// Enter is "\r" on a terminal out of line mode. Each line is echoed by Wine's console when the
// program reads it. 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits.
TEST(WineTerminal, Utf8LocaleShowsTheJapaneseMenu)
{
    const Outcome outcome = runUnderWine("C.UTF-8", "1 1.96\r2 0.975\r9\r");
    ASSERT_TRUE(outcome.finished) << "no end within the time limit; got: " << outcome.written;
    EXPECT_EQ(screenText(outcome.written), utf8Menu + "1 1.96\n\nz = p = 0.975002\n\n" + utf8Menu +
                                               "2 0.975\n\np = z = 1.95996\n\n" + utf8Menu +
                                               "9\n");
    EXPECT_EQ(outcome.status, 0);
}

} // namespace
