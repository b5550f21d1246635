// The real executable on a pseudo-terminal: the Japanese texts arrive as UTF-8 when the
// terminal's locale is UTF-8, as Shift_JIS otherwise, and always as Shift_JIS through a pipe;
// and a terminal gets every line at once, even when the input is a file.
#include "Calculator.h"
#include "Expected.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using calculator::Input;
using calculator::Output;
using calculator::Plumbing;

using expected::shiftJisMenu;
using expected::utf8Menu;

// A whole session, 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits, and "0,5",
// which is no number whatever the user's locale; the input is typed after the first prompt, as
// a user would, and ends with a line end: a terminal gives no end of input, so the final 9
// needs a character after it to be complete.
const std::string input = "1 1.96 2 0.975 1 0,5 9\n";
std::string transcript(const std::string& menu)
{
    return menu + "\nz = p = 0.975002\n\n" + menu + "\np = z = 1.95996\n\n" + menu +
           "\nz = Invalid value for z.\n" + menu;
}

void expectFinished(const calculator::Run& run, const std::string& out)
{
    ASSERT_TRUE(run.finished) << "no end within the time limit; got: " << run.out;
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.status, 0);
}

struct Case {
    const char* what;
    std::vector<std::string> environment;
    Output output;
    std::string expected;
};

// C.UTF-8 and C are always installed with glibc; de_DE.UTF-8 and ja_JP.EUC-JP may or may not
// be, and the outcome is the same either way: the codeset in the name decides. A name without
// a codeset is read for it: glibc reads locales from LOCPATH, where "plain" is C.UTF-8. The
// terminal is raw: no echo, no translation of "\n", the bytes exactly as the program writes them.
TEST(Terminal, MenuEncodingFollowsTheLocale)
{
    const Output terminal = Output::terminal;
    const std::string locales = testing::TempDir() + "normcalc_locales_" + std::to_string(getpid());
    mkdir(locales.c_str(), 0700);
    symlink("/usr/lib/locale/C.utf8", (locales + "/plain").c_str());
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string sanitizerOptions = asan != nullptr ? asan : "";
    const Case cases[] = {
        {"LANG=C.UTF-8", {"LANG=C.UTF-8"}, terminal, transcript(utf8Menu)},
        {"LC_CTYPE beats LANG", {"LC_CTYPE=C.UTF-8", "LANG=C"}, terminal, transcript(utf8Menu)},
        {"an empty LC_ALL is unset", {"LC_ALL=", "LANG=C.UTF-8"}, terminal,
         transcript(utf8Menu)},
        {"German, installed or not", {"LANG=de_DE.UTF-8"}, terminal, transcript(utf8Menu)},
        {"a UTF-8 locale not installed", {"LANG=xx_XX.UTF-8"}, terminal, transcript(utf8Menu)},
        // glibc's newlocale keeps the LOCPATH list it parsed: a leak of the C library's own.
        {"a UTF-8 locale named without a codeset",
         {"LOCPATH=" + locales, "LANG=plain",
          "ASAN_OPTIONS=" + sanitizerOptions + ":detect_leaks=0"},
         terminal, transcript(utf8Menu)},
        {"LANG=C", {"LANG=C"}, terminal, transcript(shiftJisMenu)},
        {"LC_ALL=C beats LANG", {"LC_ALL=C", "LANG=C.UTF-8"}, terminal,
         transcript(shiftJisMenu)},
        {"no locale at all", {}, terminal, transcript(shiftJisMenu)},
        {"EUC-JP, installed or not", {"LANG=ja_JP.EUC-JP"}, terminal, transcript(shiftJisMenu)},
        {"output piped under LANG=C.UTF-8", {"LANG=C.UTF-8"}, Output::pipe,
         transcript(shiftJisMenu)},
        {"output piped under LC_ALL=de_DE.UTF-8", {"LC_ALL=de_DE.UTF-8"}, Output::pipe,
         transcript(shiftJisMenu)},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        Plumbing plumbing;
        plumbing.input = Input::terminal;
        plumbing.output = row.output;
        plumbing.environment = row.environment;
        expectFinished(calculator::run(input, plumbing), row.expected);
    }
    unlink((locales + "/plain").c_str());
    rmdir(locales.c_str());
}

// The terminal itself echoes the typed line and turns every "\n" into "\r\n".
TEST(Terminal, CookedTerminalShowsTheUtf8MenuAndTheEcho)
{
    std::string menu;
    for (const char c : utf8Menu) {
        menu += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    Plumbing plumbing;
    plumbing.input = Input::terminal;
    plumbing.output = Output::terminal;
    plumbing.terminal = calculator::Terminal::cooked;
    plumbing.environment = {"LANG=C.UTF-8"};
    expectFinished(calculator::run("9\n", plumbing), menu + "9\r\n");
    // A full-width 9 on a line cut short by Ctrl-D (\x04), then a second Ctrl-D ends the input.
    expectFinished(calculator::run("\xef\xbc\x99\x04\x04", plumbing), menu + "\xef\xbc\x99");
}

// A file of queries read by the calculator while its output goes to a terminal whose output
// is stopped (as by Ctrl-S): the first write waits until output is started again. What the
// calculator has read of its file by then shows whether it holds lines back.
TEST(Terminal, FileInputOnATerminalIsWrittenLineByLine)
{
    Plumbing plumbing;
    plumbing.output = Output::terminal;
    plumbing.stoppedOutput = true;
    plumbing.environment = {"LANG=C"};
    const calculator::Run run = calculator::run(input, plumbing);
    // Its first line was on its way to the terminal before it had read any of its input; -1
    // when it never waited for the stopped terminal.
    EXPECT_EQ(run.readWhileStopped, 0);
    expectFinished(run, transcript(shiftJisMenu));
}

} // namespace

namespace {

// Keys as an xterm sends them; Home and End as tmux, screen and the Linux console do.
const std::string left = "\x1b[D";
const std::string right = "\x1b[C";
const std::string up = "\x1b[A";
const std::string home = "\x1b[1~";
const std::string end = "\x1b[4~";
const std::string deleteKey = "\x1b[3~";
const std::string endOfFile = "\x04";

// The screen after a menu whose prompt got no answer, as screen() gives it without the blank.
std::string unanswered(const std::string& menu)
{
    return menu.substr(0, menu.size() - 1) + "\n";
}

struct Keys {
    const char* what;
    const char* locale;
    std::vector<calculator::Typed> typed; // each piece once its prompt shows
    std::string screen;
    int status;
};

// A person at a cooked terminal edits each line before it is read; what the screen shows at the
// end, and the status, are what they would be had the edited line been typed straight. Results
// as in the session above; "\U+DC82" is how the editor shows a byte that is no character.
TEST(Terminal, TypedLinesAreEditedAndRecalled)
{
#ifndef NORMCALC_LINE_EDITING
    GTEST_SKIP() << "built without line editing";
#endif
    const std::string menu = utf8Menu;
    const std::string zToP = "\n\nz = p = 0.975002\n\n";
    const Keys table[] = {
        {"Left and Right", "LANG=C.UTF-8",
         {{"1\n", 1, "No. = "},
          {"1.6" + left + left + right + "9\n", 1, "z = "},
          {"9\n", 1, "No. = "}},
         menu + "1\n\nz = 1.96\np = 0.975002\n\n" + menu + "9\n", 0},
        {"Home, Delete and End", "LANG=C.UTF-8",
         {{"2\n", 1, "No. = "},
          {"x975" + home + deleteKey + "0." + end + "0\n", 1, "p = "},
          {"9\n", 1, "No. = "}},
         menu + "2\n\np = 0.9750\nz = 1.95996\n\n" + menu + "9\n", 0},
        {"two answers on one line, recalled by Up; Ctrl-D at the menu", "LANG=C.UTF-8",
         {{"1 1.96\n", 1, "No. = "}, {up + "\n", 1, "No. = "}, {endOfFile, 1, "No. = "}},
         menu + "1 1.96" + zToP + menu + "1 1.96" + zToP + unanswered(menu), 0},
        {"Ctrl-D at the z prompt", "LANG=C.UTF-8",
         {{"1\n", 1, "No. = "}, {endOfFile, 1, "z = "}}, menu + "1\n\nz =\n", 1},
        {"Ctrl-D at the p prompt", "LANG=C.UTF-8",
         {{"2\n", 1, "No. = "}, {endOfFile, 1, "p = "}}, menu + "2\n\np =\n", 1},
        {"full-width answers", "LANG=C.UTF-8",
         {{u8"１　１．９６\n", 1, "No. = "}, {"9\n", 1, "No. = "}},
         menu + u8"１　１．９６" + zToP + menu + "9\n", 0},
        {"C locale: ASCII edited, a Shift_JIS full-width 1 kept", "LANG=C",
         {{"\x82\x50 1.6" + left + "9\n", 1, "No. = "}, {"9\n", 1, "No. = "}},
         shiftJisMenu + "\\U+DC82P 1.96" + zToP + shiftJisMenu + "9\n", 0},
    };
    for (const Keys& row : table) {
        SCOPED_TRACE(row.what);
        Plumbing plumbing;
        plumbing.input = Input::terminal;
        plumbing.output = Output::terminal;
        plumbing.terminal = calculator::Terminal::cooked;
        plumbing.environment = {row.locale, "TERM=xterm"};
        const calculator::Run run = calculator::run(row.typed, plumbing);
        ASSERT_TRUE(run.finished) << "no end within the time limit; got: " << run.out;
        EXPECT_EQ(calculator::screen(run.out), row.screen);
        EXPECT_EQ(run.status, row.status);
    }
}

} // namespace
