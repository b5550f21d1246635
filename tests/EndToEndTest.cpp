// The real executable with standard input from a file and through a pipe: standard output
// byte for byte, nothing on standard error, and the exit status; and how it stops when a
// stream fails.
#include "Calculator.h"
#include "CodePage932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using calculator::Input;
using calculator::menu;
using calculator::Output;
using calculator::Plumbing;
using calculator::pToZ;
using calculator::zToP;

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

// Printed results from the rules' own values: Phi(1.96) = 0.975002, Phi(0.5) = 0.691462, and so
// on (checked against a 40-digit reference); in the lower tail Phi(-10) = 7.61985e-24, and at
// z = -38 the nearest double to Phi, 2.88542835e-316 (true 2.885428360e-316).
TEST(EndToEnd, MenuAndZToP)
{
    const Session sessions[] = {
        {"9 ends at once", "9\n", menu, 0},
        betweenMenus("choices off the menu are echoed", "0\n3\n10\n-1\n9\n",
                     "Your value for ck = 0\n" + menu + "Your value for ck = 3\n" + menu +
                         "Your value for ck = 10\n" + menu + "Your value for ck = -1\n"),
        betweenMenus("+3 and 003 read as 3", "+3 003 9",
                     "Your value for ck = 3\n" + menu + "Your value for ck = 3\n"),
        betweenMenus("1.96 on the choice line", "1 1.96\n9\n", zToP("0.975002")),
        betweenMenus("z = 0", "1\n0\n9\n", zToP("0.5")),
        betweenMenus("z = -1.96", "1\n-1.96\n9\n", zToP("0.0249979")),
        betweenMenus("z = 10", "1\n10\n9\n", zToP("1")),
        betweenMenus("z = -10, far in the lower tail", "1\n-10\n9\n", zToP("7.61985e-24")),
        betweenMenus("z = -38, a subnormal p", "1 -38 9", zToP("2.88543e-316")),
        betweenMenus("1.5 is the choice 1, then z = .5", "1.5\n9\n", zToP("0.691462")),
        betweenMenus("z = 1e308", "1 1e308 9", zToP("1")),
        betweenMenus("z = -1e308", "1 -1e308 9", zToP("0")),
        betweenMenus("z = DBL_MAX", "1 1.7976931348623157e308 9", zToP("1")),
        betweenMenus("z = -DBL_MAX", "1 -1.7976931348623157e308 9", zToP("0")),
    };
    EXPECT_SESSIONS(sessions);
}

TEST(EndToEnd, BadTokensAndEndOfInput)
{
    const Session sessions[] = {
        betweenMenus("garbage choice, then the rest is read", "abc 1 1.96 9",
                     "Invalid value for ck.\n" + menu + zToP("0.975002")),
        betweenMenus("a sign with no digits", "-x 9", "Invalid value for ck.\n"),
        betweenMenus("a choice out of range for int", "99999999999 9", "Invalid value for ck.\n"),
        betweenMenus("z out of range for double", "1 1e999 9", "\nz = Invalid value for z.\n"),
        betweenMenus("z not a number", "1 abc\n9\n", "\nz = Invalid value for z.\n"),
        betweenMenus("nan is no number here", "1 nan 9", "\nz = Invalid value for z.\n"),
        {"empty input", "", menu + "\n", 0},
        {"only white space", " \n\t\n", menu + "\n", 0},
        {"input ends after a command", "1 1.96", menu + zToP("0.975002") + menu + "\n", 0},
        {"input ends at the z prompt", "1\n", menu + "\nz = \n", 1},
        {"input ends after a bad choice", "zzz", menu + "Invalid value for ck.\n" + menu + "\n",
         0},
    };
    EXPECT_SESSIONS(sessions);
}

// Quantiles printed from the rules' own values (1.95996 = Phi^-1(0.975) to six digits);
// -6.36134 comes through the bracketing fallback. The tails from the 40-digit reference:
// Phi^-1(1e-20) = -9.26234, Phi^-1(1 - 2^-53) = 8.20954 and, for the smallest normal double
// 2.2250738585072014e-308, -37.5194; below that double p is refused.
TEST(EndToEnd, PToZ)
{
    const std::string invalid = "\np = Invalid value for p.\n";
    const std::string tooClose = "\np = Value for p is too close to 0.\n";
    const Session sessions[] = {
        betweenMenus("p = 0.975", "2\n0.975\n9\n", pToZ("1.95996")),
        betweenMenus("p = 0.5", "2 0.5 9", pToZ("0")),
        betweenMenus("p = 0.025", "2 0.025 9", pToZ("-1.95996")),
        betweenMenus("p = 1e-10, by the fallback", "2 1e-10 9", pToZ("-6.36134")),
        betweenMenus("p = 0, 1, -0.3 and 1.5 are rejected", "2 0 2 1 2 -0.3 2 1.5 9",
                     invalid + menu + invalid + menu + invalid + menu + invalid),
        betweenMenus("a rejected p, then a good one", "2 1.5 2 0.975 9",
                     invalid + menu + pToZ("1.95996")),
        betweenMenus("p = 1e-20", "2 1e-20 9", pToZ("-9.26234")),
        betweenMenus("the largest p below 1", "2 0.9999999999999999 9", pToZ("8.20954")),
        betweenMenus("the smallest normal p", "2 2.2250738585072014e-308 9", pToZ("-37.5194")),
        betweenMenus("the largest subnormal p", "2 2.2250738585072009e-308 9", tooClose),
        betweenMenus("the smallest subnormal p", "2 4.9e-324 9", tooClose),
        betweenMenus("p not a number", "2 abc 9", invalid),
        betweenMenus("p out of range for double", "2 1e-999 9", invalid),
        {"input ends at the p prompt", "2", menu + "\np = \n", 1},
    };
    EXPECT_SESSIONS(sessions);
}

// A token is a number only when the whole of it is one: what follows a number in the same
// token makes all of it invalid, and the next query is read normally. Each bad token is
// followed by another request, which a leftover would have answered (as the choice) instead;
// 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits.
TEST(EndToEnd, HalfNumbersAreNoNumbers)
{
    // A decimal comma, a trailing letter, C's hexadecimal form, a sum, an unfinished exponent,
    // a second sign, a second point, a NUL byte.
    const std::string tokens[] = {"1,96", "1.96x", "0x1p-3", "1+1", "1e", "--1", "1.9.6",
                                  std::string("1.9\0", 4), "0,975", "0.975x", "0.5+0.5"};
    Session atZ{"at the z prompt", "", menu, 0};
    Session atP{"at the p prompt", "", menu, 0};
    for (const std::string& token : tokens) {
        atZ.input += "1 " + token + "\n";
        atZ.output += "\nz = Invalid value for z.\n" + menu;
        atP.input += "2 " + token + "\n";
        atP.output += "\np = Invalid value for p.\n" + menu;
    }
    atZ.input += "1 1.96\n9\n";
    atZ.output += zToP("0.975002") + menu;
    atP.input += "2 0.975\n9\n";
    atP.output += pToZ("1.95996") + menu;
    const Session sessions[] = {atZ, atP};
    EXPECT_SESSIONS(sessions);
}

// Any spelling the extraction reads whole is a number: a sign, an exponent, no leading digit.
TEST(EndToEnd, WholeNumbersInEverySpelling)
{
    const Session sessions[] = {
        betweenMenus("+1.96", "1 +1.96 9", zToP("0.975002")),
        betweenMenus("196e-2", "1 196e-2 9", zToP("0.975002")),
        betweenMenus("1.96E+0", "1 1.96E+0 9", zToP("0.975002")),
        betweenMenus(".975", "2 .975 9", pToZ("1.95996")),
        betweenMenus("975e-3", "2 975e-3 9", pToZ("1.95996")),
        betweenMenus("-0 is 0", "1 -0 9", zToP("0.5")),
        betweenMenus("tab and carriage return end a token", "1\t1.96\r\n9\r\n", zToP("0.975002")),
    };
    EXPECT_SESSIONS(sessions);
}

// A UTF-8 byte order mark (EF BB BF) is skipped at the very start of the input and nowhere
// else; elsewhere, or cut short, it is a bad token like any other.
TEST(EndToEnd, ByteOrderMark)
{
    const std::string mark = "\xEF\xBB\xBF";
    const Session sessions[] = {
        betweenMenus("before the first query", mark + "1 1.96\n9\n", zToP("0.975002")),
        {"and nothing else", mark, menu + "\n", 0},
        {"a second mark is a bad choice", mark + mark + "9", menu + "Invalid value for ck.\n" +
                                                               menu + "\n", 0},
        {"after white space", " " + mark + "9", menu + "Invalid value for ck.\n" + menu + "\n", 0},
        betweenMenus("at the z prompt", "1 " + mark + "1.96 9", "\nz = Invalid value for z.\n"),
        betweenMenus("the first two bytes only", "\xEF\xBB" "1 9", "Invalid value for ck.\n"),
        {"the first byte only, at the end", "\xEF", menu + "Invalid value for ck.\n" + menu + "\n",
         0},
    };
    EXPECT_SESSIONS(sessions);
}

// Numbers typed with a Japanese input method, in UTF-8 and in Shift_JIS (by iconv): read as
// their ASCII forms, while a token with anything else in it is refused as before.
// 0.975002 = Phi(1.96), 1.95996 = Phi^-1(0.975), 0.0249979 = Phi(-1.96), 0.500399 = Phi(0.001),
// 0.691462 = Phi(0.5) and 1 = Phi(10), to six digits.
TEST(EndToEnd, FullWidthForms)
{
    const std::string invalidZ = "\nz = Invalid value for z.\n";
    const Session typed[] = {
        betweenMenus("digits, point, ideographic space", u8"１　１．９６\n９\n", zToP("0.975002")),
        betweenMenus("p on the choice line", u8"２　０．９７５　９", pToZ("1.95996")),
        betweenMenus("full-width minus and the minus sign", u8"１ －１．９６ １ −１．９６ ９",
                     zToP("0.0249979") + menu + zToP("0.0249979")),
        betweenMenus("exponents", u8"１ １ｅ－３ １ １Ｅ＋１ ９", zToP("0.500399") + menu + zToP("1")),
        betweenMenus("＋３ is the choice 3", u8"＋３ ９", "Your value for ck = 3\n"),
        betweenMenus("１．５ is the choice 1, then z = .5", u8"１．５ ９", zToP("0.691462")),
        betweenMenus("a full-width letter", u8"１ １．９６ａ ９", invalidZ),
        betweenMenus("the prolonged sound mark is no minus", u8"１ ー１．９６ ９", invalidZ),
    };
    for (const Session& row : typed) {
        Session shiftJis = row;
        shiftJis.input = toCodePage932(row.input);
        expectSessions(&row, &row + 1);
        SCOPED_TRACE("in Shift_JIS");
        expectSessions(&shiftJis, &shiftJis + 1);
    }
}

// z and p tokens are read up to 4096 characters (the limit in console/Dialogue.h); a longer
// one is invalid however good a number it is, and the next token is read normally. The choice
// keeps the int extraction, which takes any number of leading zeros.
TEST(EndToEnd, LongTokens)
{
    constexpr std::size_t limit = 4096;
    const std::string z = std::string(limit - 4, '0') + "1.96";
    const std::string p = "0.975" + std::string(limit - 5, '0');
    const Session sessions[] = {
        betweenMenus("z of the longest length", "1 " + z + " 9", zToP("0.975002")),
        betweenMenus("z one character longer", "1 0" + z + " 1 1.96 9",
                     "\nz = Invalid value for z.\n" + menu + zToP("0.975002")),
        betweenMenus("p of the longest length", "2 " + p + " 9", pToZ("1.95996")),
        betweenMenus("p one character longer", "2 " + p + "0 2 0.975 9",
                     "\np = Invalid value for p.\n" + menu + pToZ("1.95996")),
        {"100,000 digits at the end of input", "1 " + std::string(100000, '7'),
         menu + "\nz = Invalid value for z.\n" + menu + "\n", 0},
        betweenMenus("100,000 digits for p", "2 0." + std::string(100000, '7') + " 2 0.975 9",
                     "\np = Invalid value for p.\n" + menu + pToZ("1.95996")),
        {"a choice of 100,000 zeros and a 9", std::string(100000, '0') + "9", menu, 0},
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

#ifndef NORMCALC_WINDOWS_BUILD
// A file size limit fails a write part of the way, as a full file system does: the output is
// the exact beginning of the whole, cut at the limit, whether it was written in blocks (input
// from a file) or line by line (through a pipe). Not for the Windows build: its cut falls among
// its "\r\n" bytes, and Wine gives the reason as an invalid argument.
TEST(EndToEnd, OutputCutByAFileSizeLimitEndsWithStatus2)
{
    // 200 blocks of 512 bytes.
    constexpr std::size_t limitBytes = 200 * 512;
    Plumbing inBlocks = fromFile;
    inBlocks.fileSizeLimit = limitBytes;
    Plumbing lineByLine = fromPipe;
    lineByLine.fileSizeLimit = limitBytes;
    std::string input;
    std::string whole = menu;
    // About 200 kB of answers: twice the limit, three blocks of output.
    for (int i = 0; i < 2000; ++i) {
        input += "1 1.96\n";
        whole += zToP("0.975002") + menu;
    }
    input += "9\n";
    ASSERT_GT(whole.size(), limitBytes);
    const Session failures[] = {{"cut at the limit", input, whole.substr(0, limitBytes), 2,
                                 "normcalc: write error: File too large\n",
                                 {inBlocks, lineByLine}}};
    EXPECT_SESSIONS(failures);
}
#endif

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

// Whatever the user's locale, a pipe gets the Shift_JIS transcript, and numbers keep the full
// stop: "0,5" is no number. de_DE.UTF-8 is taken whether or not it is
// installed; the program must not pick up its decimal comma either way.
TEST(EndToEnd, UserLocaleReachesNeitherTextsNorNumbers)
{
    Session session{"any locale", "1 0.5 1 -5 2 0.975 2 1e-10 1 0,5 9",
                    menu + zToP("0.691462") + menu + zToP("2.86652e-07") + menu +
                        pToZ("1.95996") + menu + pToZ("-6.36134") + menu +
                        "\nz = Invalid value for z.\n" + menu,
                    0};
    session.ways.clear();
    for (const std::vector<std::string>& locale : std::vector<std::vector<std::string>>{
             {"LANG=C.UTF-8"},
             {"LC_ALL=C.UTF-8", "LANG=C.UTF-8"},
             {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"},
             {"LANG=de_DE.UTF-8"},
             {"LC_ALL=C", "LANG=C"}}) {
        session.ways.push_back(fromPipe);
        session.ways.back().environment = locale;
    }
    expectSessions(&session, &session + 1);
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
