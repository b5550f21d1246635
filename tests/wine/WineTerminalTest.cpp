// The Windows executable on a pseudo-terminal under Wine, whose console shows what the program
// writes to it on the terminal: in a UTF-8 locale the menu must arrive as Japanese text.
#include "../Calculator.h"
#include "../ExpectedMenus.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using calculator::screenText;
using expected::utf8Menu;

// Wine draws trailing blanks as "erase to the end of the line, then move right" (ESC [ K,
// ESC [ n C) and hides the cursor while it draws (ESC [ ? 25 l, ESC [ ? 25 h).
TEST(WineTerminal, ScreenTextDrawsWineBlanksAsSpaces)
{
    // As Wine wrote a prompt: the trailing blank drawn by erasing and moving right.
    EXPECT_EQ(screenText("\x1b[?25lNo. =\x1b[K\x1b[1C\x1b[?25h"), "No. = ");
    EXPECT_EQ(screenText("a\x1b[3Cb\r\r\n"), "a   b\n");
    EXPECT_EQ(screenText("\x1b" "7x\x1b[1;1H"), "x");
}

// Enter is "\r" on a terminal out of line mode. Each line is echoed by Wine's console when the
// program reads it. 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits. The
// terminal starts cooked, as a user's does, and Wine's console takes it out of line mode.
TEST(WineTerminal, Utf8LocaleShowsTheJapaneseMenu)
{
    calculator::Plumbing plumbing;
    plumbing.input = calculator::Input::terminal;
    plumbing.output = calculator::Output::terminal;
    plumbing.terminal = calculator::Terminal::cooked;
    plumbing.environment = {"LANG=C.UTF-8"};
    const calculator::Run run = calculator::run("1 1.96\r2 0.975\r9\r", plumbing);
    ASSERT_TRUE(run.finished) << "no end within the time limit; got: " << run.out;
    EXPECT_EQ(screenText(run.out), utf8Menu + "1 1.96\n\nz = p = 0.975002\n\n" + utf8Menu +
                                       "2 0.975\n\np = z = 1.95996\n\n" + utf8Menu + "9\n");
    EXPECT_EQ(run.status, 0);
}

} // namespace
