// Runs the real executable through the shell with its standard streams connected in one of
// several ways, and collects its standard output, standard error and exit status.
#pragma once

#include <string>

namespace calculator {

// The menu in Shift_JIS, as the calculator writes it to a pipe or file, and its prompt.
extern const std::string menu;

// What a z-to-p and a p-to-z request write after the choice prompt when answered.
std::string zToP(const std::string& p);
std::string pToZ(const std::string& z);

// Where standard input comes from: the given input as a regular file (output may be written
// in blocks) or through a pipe; a directory; a closed descriptor; or "1 1.96" lines without
// end (the given input is not used by the last three).
enum class Input { file, pipe, directory, closed, endless };

// Where standard output goes: a file, a pipe, the full device (/dev/full: every write fails
// with "No space left on device"), or a closed descriptor. Output is collected from a file or
// a pipe only.
enum class Output { file, pipe, full, closed };

struct Run {
    std::string out;
    std::string err;
    int status; // the exit status; -1 when it could not be had
};

struct Plumbing {
    Input input = Input::file;
    Output output = Output::file;
    // A prefix for the command line, such as "env LANG=C.UTF-8".
    std::string environment;
    // Shell commands run before the calculator in its subshell, such as limits.
    std::string setup;
};

// Runs the calculator on input connected as plumbing says; tag names its files, which lie in
// the test's temporary directory.
Run run(const std::string& tag, const std::string& input, const Plumbing& plumbing);

// Returns the contents of a file, empty when it does not exist.
std::string readFile(const std::string& path);

// Replaces this process by the calculator, started as run() starts it; returns only when that
// failed.
void exec();

// The one place where the Windows build's line ends are met: returns what the calculator
// wrote (on its standard output or error) with its "\r\n" as "\n", so that every expected
// transcript serves both builds; unchanged from any other build.
std::string transcript(const std::string& written);

} // namespace calculator
