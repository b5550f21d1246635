// The Windows executable on a pseudo-terminal under Wine, whose console shows what the program
// writes to it on the terminal: in a UTF-8 locale the menu must arrive as Japanese text.
#include "../Calculator.h"
#include "../Expected.h"

#include <gtest/gtest.h>

#include <locale.h>

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

// Types three answers, each ended by Enter ("\r" on a terminal out of line mode), on a cooked
// terminal under LANG=locale, as a user's is until Wine's console takes it out of line mode;
// each line is echoed by the console when the program reads it. 0.975002 = Phi(1.96) and
// 1.95996 = Phi^-1(0.975) to six digits.
void expectTypedSession(const char* locale, const std::string& z, const std::string& p,
                        const std::string& quit)
{
    calculator::Plumbing plumbing;
    plumbing.input = calculator::Input::terminal;
    plumbing.output = calculator::Output::terminal;
    plumbing.terminal = calculator::Terminal::cooked;
    plumbing.environment = {std::string("LANG=") + locale};
    const calculator::Run run = calculator::run(z + "\r" + p + "\r" + quit + "\r", plumbing);
    ASSERT_TRUE(run.finished) << "no end within the time limit; got: " << run.out;
    EXPECT_EQ(screenText(run.out), utf8Menu + z + "\n\nz = p = 0.975002\n\n" + utf8Menu + p +
                                       "\n\np = z = 1.95996\n\n" + utf8Menu + quit + "\n");
    EXPECT_EQ(run.status, 0);
}

TEST(WineTerminal, Utf8LocaleShowsTheJapaneseMenu)
{
    expectTypedSession("C.UTF-8", "1 1.96", "2 0.975", "9");
}

// Under a Japanese locale Wine's console has code page 932; full-width digits and the
// ideographic space, as the input method types them, are read as characters, not as its bytes.
TEST(WineTerminal, JapaneseLocaleReadsFullWidthDigits)
{
    const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", static_cast<locale_t>(0));
    if (japanese == static_cast<locale_t>(0)) {
        GTEST_SKIP() << "no Japanese locale is installed (.ci/run makes ja_JP.UTF-8)";
    }
    freelocale(japanese);
    expectTypedSession("ja_JP.UTF-8", u8"１　１．９６", u8"２　０．９７５", u8"９");
}

} // namespace
