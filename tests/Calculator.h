// The one way the tests start the calculator: its standard streams on files, pipes, a
// pseudo-terminal or nothing, its input typed as a script, and what it wrote and its status back.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace calculator {

// Where standard input comes from: the input as a regular file (output may then be written in
// blocks), through a pipe, or typed on a pseudo-terminal once the first prompt is shown; a
// directory; a closed descriptor; "1 1.96" lines without end; or /dev/null.
enum class Input { file, pipe, terminal, directory, closed, endless, none };

// Where standard output goes: a file, a pipe, a pseudo-terminal (which gets standard error
// too), the full device (every write fails with "No space left on device"), or a closed
// descriptor.
enum class Output { file, pipe, terminal, full, closed };

// A terminal's mode: raw passes the bytes as they are; cooked, as a user has it, echoes the
// input and shows "\n" as "\r\n".
enum class Terminal { raw, cooked };

// The program started: an executable and the command that runs it, such as Wine's loader or
// "qemu-aarch64 -L /usr/aarch64-linux-gnu"; windows when it writes "\r\n" line ends.
struct Program {
    std::string executable;
    std::vector<std::string> emulator;
    bool windows = false;
};

// The program the tests were built for; in a build for another build's executable, the one that
// NORMCALC_FOREIGN_EXE names when they run, through NORMCALC_FOREIGN_EMULATOR (empty if unset).
Program tested();

// A piece of input, repeated: written once the output so far shows awaited, when given.
struct Typed {
    std::string text;
    std::size_t times = 1;
    std::string awaited = "";
};

struct Run {
    std::string out; // as a terminal got it, or transcript() of a file's or pipe's bytes
    std::string err;
    int status = -1;       // the exit status; -1 when it could not be had
    bool finished = false; // false when it was stopped at the time limit
    long peakKiB = -1;     // the largest resident set, as the kernel counts it
    // With stoppedOutput: how many bytes of its input file it had read when it first waited.
    long readWhileStopped = -1;
};

struct Plumbing {
    Input input = Input::file;
    Output output = Output::file;
    // Locale settings such as "LANG=C.UTF-8", in place of every LANG and LC_ variable the tests
    // have; the rest of the environment is passed on.
    std::vector<std::string> environment = {};
    Terminal terminal = Terminal::raw;
    // The terminal's output stopped (as by Ctrl-S) until the calculator waits on it.
    bool stoppedOutput = false;
    // Long enough for a loaded machine, short enough that a hang fails quickly.
    int timeLimitSeconds = 30;
    Program program = tested();
};

// Runs the program on input connected as plumbing says.
Run run(const std::vector<Typed>& input, const Plumbing& plumbing);
// The same with the whole input typed at once (on a terminal: once the first prompt shows).
Run run(const std::string& input, const Plumbing& plumbing);

// The one place where the Windows build's line ends are met: returns what the program wrote
// with its "\r\n" as "\n" (a bare "\n" marked), so that every expected transcript serves both
// builds; unchanged from any other build.
std::string transcript(const Program& program, const std::string& written);

// What a terminal shows of written, as text: every "\r" and control sequence dropped, but for
// Wine's "move right" over trailing blanks, which becomes that many spaces.
std::string screenText(const std::string& written);

} // namespace calculator
