// The real executable with standard input from a file and through a pipe: standard output
// byte for byte, nothing on standard error, and the exit status; and how it stops when a
// stream fails. The dialogue's own sessions run in memory (DialogueTest.cpp).
#include "Calculator.h"
#include "Expected.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using calculator::Input;
using calculator::Output;
using calculator::Plumbing;
using expected::menu;
using expected::pToZ;
using expected::zToP;

const Plumbing fromFile{Input::file, Output::file};
const Plumbing fromPipe{Input::pipe, Output::file};

// A session: its input, and the output, exit status and standard error expected in each of
// the ways; by default from a regular file (written in blocks) and through a pipe (flushed at
// every line), whose bytes must be the same.
struct Session {
    const char* what;
    std::string input;
    std::string output;
    int status;
    std::string err = "";
    std::vector<Plumbing> ways = {fromFile, fromPipe};
};

void expectSessions(const Session* begin, const Session* end)
{
    for (const Session* row = begin; row != end; ++row) {
        for (const Plumbing& way : row->ways) {
            SCOPED_TRACE(testing::Message() << row->what << " (input " << int(way.input)
                                            << ", output " << int(way.output) << ")");
            const calculator::Run run = calculator::run(row->input, way);
            EXPECT_EQ(run.out, row->output);
            EXPECT_EQ(run.err, row->err);
            EXPECT_EQ(run.status, row->status);
        }
    }
}

#define EXPECT_SESSIONS(table) expectSessions(std::begin(table), std::end(table))

// A session that writes the menu, written, and the menu again, and ends with status 0.
Session betweenMenus(const char* what, const std::string& input, const std::string& written)
{
    return {what, input, menu + written + menu, 0};
}

// What the dialogue's transcripts (DialogueTest.cpp) cannot show: the same bytes from a file,
// written in blocks, and through a pipe, flushed at every line; each exit status; and an empty
// standard error. 0.975002 = Phi(1.96), 1.95996 = Phi^-1(0.975) to six digits.
TEST(EndToEnd, FileAndPipeGiveTheDialoguesBytesAndStatus)
{
    const Session sessions[] = {
        betweenMenus("both commands, a bad token and an echo", "1 1.96 2 0.975 x 3 9\n",
                     zToP("0.975002") + menu + pToZ("1.95996") + menu + "Invalid value for ck.\n" +
                         menu + "Your value for ck = 3\n"),
        {"input ends at the p prompt", "2", menu + "\np = \n", 1},
    };
    EXPECT_SESSIONS(sessions);
}

// Output that cannot be written ends the calculator at once with status 2 and the system's
// reason on standard error (the texts are glibc's strerror). Nothing else goes there. With
// endless input it stops at its first write instead of reading for ever.
TEST(EndToEnd, FailedOutputEndsWithStatus2)
{
    const std::string query = "1 1.96\n9\n";
    const std::string full = "normcalc: write error: No space left on device\n";
    const std::string closed = "normcalc: write error: Bad file descriptor\n";
    const Session failures[] = {
        {"into the full device", query, "", 2, full,
         {{Input::file, Output::full}, {Input::pipe, Output::full},
          {Input::endless, Output::full}}},
        {"output closed", query, "", 2, closed,
         {{Input::file, Output::closed}, {Input::pipe, Output::closed},
          {Input::endless, Output::closed}}},
    };
    EXPECT_SESSIONS(failures);
}

// Input that cannot be read is no end of input: the open line is ended, and the calculator
// exits with status 2 and the system's reason.
TEST(EndToEnd, FailedInputEndsWithStatus2)
{
#ifdef NORMCALC_WINDOWS_BUILD
    // The Windows C runtime under Wine gives the same reason for both.
    const std::string directory = "normcalc: read error: Invalid argument\n";
    const std::string closed = directory;
#else
    const std::string directory = "normcalc: read error: Is a directory\n";
    const std::string closed = "normcalc: read error: Bad file descriptor\n";
#endif
    const Session failures[] = {
        {"a directory", "", menu + "\n", 2, directory,
         {{Input::directory, Output::file}, {Input::directory, Output::pipe}}},
        {"input closed", "", menu + "\n", 2, closed,
         {{Input::closed, Output::file}, {Input::closed, Output::pipe}}},
    };
    EXPECT_SESSIONS(failures);
}

// A token of 200 MB at the z prompt is rejected and skipped while the calculator stays small
// (4 MB, 20 MB under the sanitizers; it took 265 MB when the stream gathered the token), and
// the next query is answered. The p prompt reads its token the same way.
TEST(EndToEnd, A200MegabyteTokenTakesNoMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    // Every character costs checked calls in the instrumented Debug build (some 20 ns): half
    // the token keeps the test within seconds and still far beyond the memory limit, had the
    // token been gathered.
    constexpr std::size_t tokenLength = 100000000;
#else
    constexpr std::size_t tokenLength = 200000000;
#endif
    constexpr long memoryLimitKiB = 64 * 1024;
    // Written into a pipe piece by piece, so that the input is never whole anywhere.
    constexpr std::size_t piece = 100000;
    const calculator::Run run = calculator::run(
        {{"1 "}, {std::string(piece, '7'), tokenLength / piece}, {" 1 1.96 9"}}, fromPipe);
    EXPECT_EQ(run.out, menu + "\nz = Invalid value for z.\n" + menu + zToP("0.975002") + menu);
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(run.peakKiB, 0);
    EXPECT_LT(run.peakKiB, memoryLimitKiB);
}

// The calculator on two pipes, driven the way another program would drive it: each answer is
// written only once its prompt has arrived, so a prompt held back stops the run at its limit.
TEST(EndToEnd, ThroughAPipeEveryPromptArrivesBeforeItsAnswer)
{
    const std::string z = "p = 0.975002\n\n" + menu;
    const std::string p = "z = 1.95996\n\n" + menu;
    const calculator::Run run = calculator::run({{"1\n", 1, menu},
                                     {"1.96\n", 1, "\nz = "},
                                     {"2\n", 1, z},
                                     {"0.975\n", 1, "\np = "},
                                     {"9\n", 1, p}},
                                    {Input::pipe, Output::pipe});
    ASSERT_TRUE(run.finished) << "a prompt did not arrive; got: " << run.out;
    EXPECT_EQ(run.out, menu + "\nz = " + z + "\np = " + p);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

#ifdef NORMCALC_WINDOWS_BUILD
// The C runtime's text mode reads "\r\n" as "\n" and takes a Ctrl-Z byte (0x1A) for the end of
// the input, as Windows' own console tools do.
TEST(EndToEnd, WindowsTextModeInput)
{
    const Session sessions[] = {
        betweenMenus("lines ended by \\r\\n", "1\r\n1.96\r\n9\r\n", zToP("0.975002")),
        {"Ctrl-Z at the menu ends like the input", "1 1.96\n\x1a" "9\n",
         menu + zToP("0.975002") + menu + "\n", 0},
        {"Ctrl-Z at the z prompt cuts the request off", "1 \x1a" "0.5 9", menu + "\nz = \n", 1},
    };
    EXPECT_SESSIONS(sessions);
}
#endif

} // namespace
