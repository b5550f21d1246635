#include "Calculator.h"
#include "ExpectedMenus.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#ifdef NORMCALC_WINDOWS_BUILD
#include "wine/WindowsLineEnds.h"
#endif

#ifndef NORMCALC_RUNNER
// What starts the calculator: nothing for a native build, Wine's loader for the Windows one.
#define NORMCALC_RUNNER ""
#endif

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

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void exec()
{
    if (std::string(NORMCALC_RUNNER).empty()) {
        execl(NORMCALC_EXE, NORMCALC_EXE, static_cast<char*>(nullptr));
    } else {
        execlp(NORMCALC_RUNNER, NORMCALC_RUNNER, NORMCALC_EXE, static_cast<char*>(nullptr));
    }
}

std::string transcript(const std::string& written)
{
#ifdef NORMCALC_WINDOWS_BUILD
    return withUnixLineEnds(written);
#else
    return written;
#endif
}

namespace {

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

// Far longer than the calculator needs to notice its failed output and stop; only a
// calculator that goes on reading endless input runs into it (and then exits with 124).
constexpr const char* endlessInputLimit = "timeout 20 ";

} // namespace

Run run(const std::string& tag, const std::string& input, const Plumbing& plumbing)
{
    const std::string dir = testing::TempDir();
    // The process id keeps apart test runs from several builds on one machine.
    const std::string base = dir + "normcalc_" + tag + "_" + std::to_string(getpid());
    const std::string in = base + ".in";
    const std::string out = base + ".out";
    const std::string err = base + ".err";
    const std::string status = base + ".status";
    std::ofstream(in, std::ios::binary) << input;
    std::remove(out.c_str());
    std::remove(status.c_str());

    std::string source;
    std::string redirection;
    switch (plumbing.input) {
    case Input::file:
        redirection = " < " + quoted(in);
        break;
    case Input::pipe:
        source = "cat " + quoted(in) + " | ";
        break;
    case Input::directory:
        redirection = " < " + quoted(dir);
        break;
    case Input::closed:
        redirection = " <&-";
        break;
    case Input::endless:
        source = "yes '1 1.96' | ";
        break;
    }
    const std::string limit = plumbing.input == Input::endless ? endlessInputLimit : "";
    // The calculator's own status is kept in a file: behind a pipe the shell reports cat's.
    const std::string calculator = "( " + plumbing.setup + " exec " + limit +
                                   plumbing.environment + " " NORMCALC_RUNNER " " +
                                   quoted(NORMCALC_EXE) + redirection + " 2> " + quoted(err) +
                                   " ); echo $? > " + quoted(status);
    std::string sink;
    switch (plumbing.output) {
    case Output::file:
        sink = " > " + quoted(out);
        break;
    case Output::pipe:
        sink = " | cat > " + quoted(out);
        break;
    case Output::full:
        sink = " > /dev/full";
        break;
    case Output::closed:
        sink = " >&-";
        break;
    }
    const std::string command = "{ " + source + calculator + "; }" + sink;
    const int raw = std::system(command.c_str());
    Run result{transcript(readFile(out)), transcript(readFile(err)), -1};
    const std::string statusText = readFile(status);
    if (raw != -1 && !statusText.empty()) {
        result.status = std::atoi(statusText.c_str());
    }
    for (const std::string& path : {in, out, err, status}) {
        std::remove(path.c_str());
    }
    return result;
}

} // namespace calculator
