#include "Calculator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace calculator {

Program tested()
{
#ifdef NORMCALC_FOREIGN_RUNNER
    // Another build's executable, named when the tests run, so that one build of these tests
    // serves every foreign executable; its emulator's words are separated by spaces.
    const char* executable = std::getenv("NORMCALC_FOREIGN_EXE");
    const char* emulator = std::getenv("NORMCALC_FOREIGN_EMULATOR");
    Program program{executable != nullptr ? executable : "", {}, false};
    std::istringstream words(emulator != nullptr ? emulator : "");
    for (std::string word; words >> word;) {
        program.emulator.push_back(word);
    }
#else
    Program program{NORMCALC_EXE, {}, false};
#endif
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
// The first prompt, which input typed on a terminal waits for.
constexpr const char* firstPrompt = "No. = ";

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

int openFile(const std::string& path, int flags)
{
    return open(path.c_str(), flags | O_CLOEXEC, 0600);
}

// Returns the runner's end of a new pipe and puts the program's end in theirs.
int makePipe(bool runnerReads, int& theirs)
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0) << "pipe: errno " << errno;
    theirs = ends[runnerReads ? 1 : 0];
    return ends[runnerReads ? 0 : 1];
}

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
    }
    fd = -1;
}

// Starts the program with the descriptors streams[i] as its standard streams (-1 closed),
// on the terminal slave as its controlling one when given; returns its process id.
pid_t start(const Plumbing& plumbing, const int (&streams)[3], int slave)
{
    std::vector<std::string> settings = plumbing.environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string setting = *variable;
        if (setting.rfind("LANG=", 0) != 0 && setting.rfind("LC_", 0) != 0) {
            settings.push_back(setting);
        }
    }
    std::vector<std::string> words = plumbing.program.emulator;
    words.push_back(plumbing.program.executable);
    std::vector<char*> envp;
    std::vector<char*> argv;
    for (auto* list : {&settings, &words}) {
        std::vector<char*>& pointers = list == &words ? argv : envp;
        for (std::string& text : *list) {
            pointers.push_back(&text[0]);
        }
        pointers.push_back(nullptr);
    }
    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    if (slave >= 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
    }
    for (int i = 0; i < 3; ++i) {
        if (streams[i] >= 0) {
            dup2(streams[i], i);
        } else {
            close(i);
        }
    }
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

} // namespace

Run run(const std::string& input, const Plumbing& plumbing)
{
    return run({{input, 1, plumbing.input == Input::terminal ? firstPrompt : ""}}, plumbing);
}

Run run(const std::vector<Typed>& input, const Plumbing& plumbing)
{
    if (plumbing.program.executable.empty()) {
        ADD_FAILURE() << "no executable to run: NORMCALC_FOREIGN_EXE names it (the test presets "
                         "wine, aarch64-long-session and no-fma-long-session set it)";
        return {};
    }
    // The process id keeps apart test runs from several builds on one machine.
    const std::string base = testing::TempDir() + "normcalc_" + std::to_string(getpid());
    const std::string inFile = base + ".in";
    const std::string outFile = base + ".out";
    int master = -1;
    int slave = -1;
    if (plumbing.input == Input::terminal || plumbing.output == Output::terminal) {
        termios raw{};
        cfmakeraw(&raw);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        // A new terminal's own settings are the cooked ones.
        winsize size{24, 80, 0, 0};
        EXPECT_EQ(openpty(&master, &slave, nullptr,
                          plumbing.terminal == Terminal::raw ? &raw : nullptr, &size), 0);
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    int streams[3] = {-1, -1, -1};
    int feed = -1;    // the runner's end of the program's input: a pipe or the terminal
    int collect = -1; // and of its output
    int errors = -1;
    switch (plumbing.input) {
    case Input::file: {
        std::ofstream file(inFile, std::ios::binary);
        for (const Typed& piece : input) {
            for (std::size_t i = 0; i < piece.times; ++i) {
                file << piece.text;
            }
        }
        file.close();
        streams[0] = openFile(inFile, O_RDONLY);
        break;
    }
    case Input::pipe:
    case Input::endless:
        feed = makePipe(false, streams[0]);
        fcntl(feed, F_SETFL, O_NONBLOCK);
        break;
    case Input::terminal:
        feed = master;
        streams[0] = slave;
        break;
    case Input::directory:
        streams[0] = openFile(testing::TempDir(), O_RDONLY | O_DIRECTORY);
        break;
    case Input::closed:
        break;
    case Input::none:
        streams[0] = openFile("/dev/null", O_RDONLY);
        break;
    }
    switch (plumbing.output) {
    case Output::file:
        streams[1] = openFile(outFile, O_WRONLY | O_CREAT | O_TRUNC);
        break;
    case Output::pipe:
        collect = makePipe(true, streams[1]);
        break;
    case Output::terminal:
        collect = master;
        streams[1] = slave;
        break;
    case Output::full:
        streams[1] = openFile("/dev/full", O_WRONLY);
        break;
    case Output::closed:
        break;
    }
    if (plumbing.output == Output::terminal) {
        streams[2] = slave;
    } else {
        errors = makePipe(true, streams[2]);
    }
    if (plumbing.stoppedOutput) {
        tcflow(slave, TCOOFF);
    }
    // A program that stops reading leaves its input pipe to fail, not to end the tests.
    struct sigaction ignore {};
    struct sigaction before {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before);

    const pid_t child = start(plumbing, streams, slave);
    const int inputFile = plumbing.input == Input::file ? streams[0] : -1;
    for (int& fd : streams) {
        if (fd != slave && fd != inputFile) {
            closeFd(fd);
        }
    }
    if (!plumbing.stoppedOutput) {
        closeFd(slave);
    }

    Run result;
    std::string written;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(plumbing.timeLimitSeconds);
    std::vector<Typed> script = input;
    if (plumbing.input == Input::endless) {
        script = {{"1 1.96\n", static_cast<std::size_t>(-1)}};
    }
    // The piece of the script being typed (none when the input is not typed), how much of its
    // current repetition is typed, and where the output is searched for the awaited text.
    std::size_t next = feed >= 0 ? 0 : script.size();
    std::size_t typed = 0;
    std::size_t shownAt = 0;
    std::size_t awaitedEnd = 0;
    int raw = 0;
    rusage usage{};
    bool ended = child < 0;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        if (plumbing.stoppedOutput && slave >= 0) {
            const char state = processState(child);
            if (state == 'S') {
                result.readWhileStopped = lseek(inputFile, 0, SEEK_CUR);
            }
            if (state == 'S' || state == 'Z') {
                tcflow(slave, TCOON);
                closeFd(slave);
            }
        }
        bool ready = next < script.size();
        if (ready && !script[next].awaited.empty()) {
            const std::string shown = plumbing.output == Output::terminal
                                          ? screenText(written)
                                          : transcript(plumbing.program, written);
            const std::string::size_type at = shown.find(script[next].awaited, shownAt);
            ready = at != std::string::npos;
            awaitedEnd = ready ? at + script[next].awaited.size() : awaitedEnd;
        }
        // Keys typed before Wine's console takes the terminal out of line mode would be taken
        // by the terminal's own line editing.
        termios mode{};
        ready = ready && !(plumbing.program.windows && plumbing.input == Input::terminal &&
                           tcgetattr(feed, &mode) == 0 && (mode.c_lflag & ICANON) != 0);
        if (ready) {
            Typed& piece = script[next];
            const ssize_t n = write(feed, piece.text.data() + typed, piece.text.size() - typed);
            typed += n > 0 ? static_cast<std::size_t>(n) : 0;
            if (n < 0 && errno == EPIPE) {
                next = script.size();
            } else if (typed == piece.text.size()) {
                typed = 0;
                shownAt = awaitedEnd;
                next += --piece.times == 0 ? 1 : 0;
            }
            if (next == script.size() && feed != master) {
                closeFd(feed);
            }
        }
        pollfd fds[3] = {
            {collect, POLLIN, 0}, {errors, POLLIN, 0}, {ready ? feed : -1, POLLOUT, 0}};
        poll(fds, 3, static_cast<int>(pollStep.count()));
        if (fds[0].revents != 0 && !readSome(collect, written)) {
            collect = collect == master ? -1 : (closeFd(collect), -1);
        }
        if (fds[1].revents != 0 && !readSome(errors, result.err)) {
            closeFd(errors);
        }
        ended = wait4(child, &raw, WNOHANG, &usage) == child;
    }
    if (ended) {
        result.finished = true;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.peakKiB = usage.ru_maxrss;
        // What it wrote last: a terminal's rest comes after the program's end.
        for (const int fd : {collect, errors}) {
            pollfd more{fd, POLLIN, 0};
            while (fd >= 0 && poll(&more, 1, static_cast<int>(pollStep.count())) > 0 &&
                   readSome(fd, fd == collect ? written : result.err)) {
            }
        }
    } else if (child > 0) {
        kill(child, SIGKILL);
        while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
        }
    }
    sigaction(SIGPIPE, &before, nullptr);
    for (int fd : {inputFile, slave, master, feed == master ? -1 : feed,
                   collect == master ? -1 : collect, errors}) {
        closeFd(fd);
    }
    if (plumbing.output == Output::file) {
        std::ifstream in(outFile, std::ios::binary);
        written.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    result.out =
        plumbing.output == Output::terminal ? written : transcript(plumbing.program, written);
    result.err = transcript(plumbing.program, result.err);
    std::remove(inFile.c_str());
    std::remove(outFile.c_str());
    return result;
}

} // namespace calculator
