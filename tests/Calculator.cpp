#include "Calculator.h"
#include "ExpectedMenus.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace calculator {

const std::string menu = expected::shiftJisMenu;

std::string zToP(const std::string& p)
{
    return "\nz = p = " + p + "\n\n";
}

std::string pToZ(const std::string& z)
{
    return "\np = z = " + z + "\n\n";
}

Program tested()
{
    // NORMCALC_EMULATOR is a list of quoted words, each followed by a comma.
    Program program{NORMCALC_EXE, {NORMCALC_EMULATOR}, false};
#ifdef NORMCALC_WINDOWS_BUILD
    program.windows = true;
#endif
    return program;
}

std::string transcript(const Program& program, const std::string& written)
{
    if (!program.windows) {
        return written;
    }
    std::string text;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') {
            continue;
        }
        if (written[i] == '\n' && (i == 0 || written[i - 1] != '\r')) {
            text += "[a line end without \\r]";
        }
        text += written[i];
    }
    return text;
}

std::string screenText(const std::string& written)
{
    std::string text;
    std::size_t i = 0;
    while (i < written.size()) {
        const char c = written[i++];
        if (c != '\x1b') {
            text += c == '\r' ? "" : std::string(1, c);
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

namespace {

// How often the run looks at the program's streams, its state and its end.
constexpr std::chrono::milliseconds pollStep{10};
// The first prompt, which a terminal's input waits for.
constexpr const char* firstPrompt = "No. = ";

bool isLocaleVariable(const std::string& setting)
{
    return setting.rfind("LANG=", 0) == 0 || setting.rfind("LC_", 0) == 0;
}

// Reads what fd has now into text; false once it is closed (a terminal reports its closed
// other side as EIO).
bool readSome(int fd, std::string& text)
{
    char buffer[65536];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return got > 0 || (got < 0 && (errno == EINTR || errno == EAGAIN));
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

std::string temporaryFile(const char* name)
{
    // The process id keeps apart test runs from several builds on one machine.
    return testing::TempDir() + "normcalc_" + std::to_string(getpid()) + name;
}

// The descriptors of one run, closed at its end.
struct Ends {
    int in = -1;        // the child's standard input, when not a terminal
    int out = -1;       // the child's standard output, when not a terminal
    int feed = -1;      // the runner's end of the input pipe, or the terminal
    int collect = -1;   // the runner's end of the output pipe, or the terminal
    int errPipe[2] = {-1, -1};
    int slave = -1;
    ~Ends()
    {
        for (int fd : {in, out, feed, collect, errPipe[0], errPipe[1], slave}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
};

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Starts the program with its streams on ends; returns its process id, -1 when it failed.
pid_t start(const Plumbing& plumbing, Ends& ends, bool onTerminal)
{
    std::vector<std::string> settings = plumbing.environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!isLocaleVariable(*variable)) {
            settings.emplace_back(*variable);
        }
    }
    std::vector<char*> envp;
    for (std::string& setting : settings) {
        envp.push_back(&setting[0]);
    }
    envp.push_back(nullptr);
    std::vector<std::string> words = plumbing.program.emulator;
    words.push_back(plumbing.program.executable);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    if (onTerminal) {
        login_tty(ends.slave);
    }
    if (ends.in >= 0) {
        dup2(ends.in, STDIN_FILENO);
    }
    if (ends.out >= 0) {
        dup2(ends.out, STDOUT_FILENO);
    }
    if (ends.errPipe[1] >= 0) {
        dup2(ends.errPipe[1], STDERR_FILENO);
    }
    if (plumbing.input == Input::closed) {
        close(STDIN_FILENO);
    }
    if (plumbing.output == Output::closed) {
        close(STDOUT_FILENO);
    }
    if (plumbing.fileSizeLimit > 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = plumbing.fileSizeLimit;
        const rlimit bytes{limit, limit};
        setrlimit(RLIMIT_FSIZE, &bytes);
    }
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

int openFile(const std::string& path, int flags)
{
    return open(path.c_str(), flags | O_CLOEXEC, 0600);
}

} // namespace

Run run(const std::string& input, const Plumbing& plumbing)
{
    return run(std::vector<Typed>{{input, 1, plumbing.input == Input::terminal ? firstPrompt : ""}},
               plumbing);
}

Run run(const std::vector<Typed>& input, const Plumbing& plumbing)
{
    const bool onTerminal = plumbing.input == Input::terminal || plumbing.output == Output::terminal;
    const std::string inFile = temporaryFile(".in");
    const std::string outFile = temporaryFile(".out");
    Ends ends;
    int master = -1;
    if (onTerminal) {
        termios raw{};
        cfmakeraw(&raw);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        // A new terminal's own settings are the cooked ones.
        winsize size{24, 80, 0, 0};
        if (openpty(&master, &ends.slave, nullptr,
                    plumbing.terminal == Terminal::raw ? &raw : nullptr, &size) != 0) {
            ADD_FAILURE() << "openpty: errno " << errno;
            return {};
        }
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(ends.slave, F_SETFD, FD_CLOEXEC);
    }
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    switch (plumbing.input) {
    case Input::file: {
        std::ofstream file(inFile, std::ios::binary);
        for (const Typed& piece : input) {
            for (std::size_t i = 0; i < piece.times; ++i) {
                file << piece.text;
            }
        }
        file.close();
        ends.in = openFile(inFile, O_RDONLY);
        break;
    }
    case Input::pipe:
    case Input::endless:
        if (pipe2(inPipe, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: errno " << errno;
            return {};
        }
        ends.in = inPipe[0];
        ends.feed = inPipe[1];
        fcntl(ends.feed, F_SETFL, O_NONBLOCK);
        break;
    case Input::terminal:
        ends.feed = fcntl(master, F_DUPFD_CLOEXEC, 0);
        break;
    case Input::directory:
        ends.in = openFile(testing::TempDir(), O_RDONLY | O_DIRECTORY);
        break;
    case Input::closed:
        break;
    case Input::none:
        ends.in = openFile("/dev/null", O_RDONLY);
        break;
    }
    switch (plumbing.output) {
    case Output::file:
        ends.out = openFile(outFile, O_WRONLY | O_CREAT | O_TRUNC);
        break;
    case Output::pipe:
        if (pipe2(outPipe, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: errno " << errno;
            return {};
        }
        ends.collect = outPipe[0];
        ends.out = outPipe[1];
        break;
    case Output::terminal:
        ends.collect = fcntl(master, F_DUPFD_CLOEXEC, 0);
        break;
    case Output::full:
        ends.out = openFile("/dev/full", O_WRONLY);
        break;
    case Output::closed:
        break;
    }
    if (plumbing.output != Output::terminal && pipe2(ends.errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: errno " << errno;
        return {};
    }
    closeFd(master);
    if (plumbing.stoppedOutput) {
        tcflow(ends.slave, TCOOFF);
    }
    // A program that stops reading leaves its input pipe to fail, not to end the tests.
    struct sigaction ignore {};
    struct sigaction before {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before);

    const pid_t child = start(plumbing, ends, onTerminal);
    closeFd(ends.out);
    closeFd(ends.errPipe[1]);
    if (plumbing.input != Input::file) {
        closeFd(ends.in);
    }
    if (!plumbing.stoppedOutput) {
        closeFd(ends.slave);
    }

    Run result;
    std::string written;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(plumbing.timeLimitSeconds);
    std::vector<Typed> script = input;
    if (plumbing.input == Input::endless) {
        script = {{"1 1.96\n", static_cast<std::size_t>(-1), ""}};
    }
    // The piece of the script being typed: none when the input is not typed.
    std::size_t next = ends.feed >= 0 ? 0 : script.size();
    std::size_t typed = 0;    // how many bytes of its current repetition have been typed
    std::size_t shownAt = 0;  // where the search for the next awaited text starts
    std::size_t typedAfter = 0; // where the awaited text of the current piece ended
    int raw = 0;
    rusage usage{};
    bool ended = child < 0;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        if (plumbing.stoppedOutput && result.readWhileStopped < 0) {
            const char state = processState(child);
            if (state == 'S') {
                result.readWhileStopped = lseek(ends.in, 0, SEEK_CUR);
            }
            if (state == 'S' || state == 'Z') {
                tcflow(ends.slave, TCOON);
                closeFd(ends.slave);
            }
        }
        bool ready = next < script.size();
        if (ready && !script[next].awaited.empty()) {
            const std::string shown = plumbing.output == Output::terminal
                                          ? screenText(written)
                                          : transcript(plumbing.program, written);
            const std::string::size_type at = shown.find(script[next].awaited, shownAt);
            ready = at != std::string::npos;
            typedAfter = ready ? at + script[next].awaited.size() : typedAfter;
        }
#ifdef NORMCALC_WINDOWS_BUILD
        // Keys typed before Wine's console takes the terminal out of line mode would be taken
        // by the terminal's own line editing.
        termios mode{};
        if (ready && plumbing.input == Input::terminal && tcgetattr(ends.feed, &mode) == 0 &&
            (mode.c_lflag & ICANON) != 0) {
            ready = false;
        }
#endif
        if (ready && ends.feed >= 0) {
            const Typed& piece = script[next];
            const ssize_t n = write(ends.feed, piece.text.data() + typed, piece.text.size() - typed);
            typed += n > 0 ? static_cast<std::size_t>(n) : 0;
            if (n < 0 && errno == EPIPE) {
                next = script.size();
            } else if (typed == piece.text.size()) {
                typed = 0;
                if (--script[next].times == 0) {
                    shownAt = typedAfter;
                    ++next;
                }
            }
        }
        if (next == script.size() && plumbing.input != Input::terminal) {
            closeFd(ends.feed);
        }
        pollfd fds[3] = {{ends.collect, POLLIN, 0},
                         {ends.errPipe[0], POLLIN, 0},
                         {ready ? ends.feed : -1, POLLOUT, 0}};
        poll(fds, 3, static_cast<int>(pollStep.count()));
        if (fds[0].revents != 0 && !readSome(ends.collect, written)) {
            closeFd(ends.collect);
        }
        if (fds[1].revents != 0 && !readSome(ends.errPipe[0], result.err)) {
            closeFd(ends.errPipe[0]);
        }
        ended = wait4(child, &raw, WNOHANG, &usage) == child;
    }
    if (ended && child > 0) {
        result.finished = true;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.peakKiB = usage.ru_maxrss;
        // What it wrote last: a terminal's rest comes after the program's end.
        for (int* fd : {&ends.collect, &ends.errPipe[0]}) {
            std::string& text = fd == &ends.collect ? written : result.err;
            pollfd more{*fd, POLLIN, 0};
            while (*fd >= 0 && poll(&more, 1, static_cast<int>(pollStep.count())) > 0 &&
                   readSome(*fd, text)) {
            }
        }
    } else if (child > 0) {
        kill(child, SIGKILL);
        while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
        }
    }
    sigaction(SIGPIPE, &before, nullptr);
    if (plumbing.output == Output::file) {
        std::ifstream in(outFile, std::ios::binary);
        written.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    result.out = plumbing.output == Output::terminal ? written : transcript(plumbing.program, written);
    result.err = transcript(plumbing.program, result.err);
    std::remove(inFile.c_str());
    std::remove(outFile.c_str());
    return result;
}

} // namespace calculator
