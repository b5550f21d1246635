// The fuzzer's oracle: it must pass every dialogue the calculator writes and catch each kind
// of line, order or exit status the calculator never writes.
#include "console/Texts.h"
#include "tests/OutputForms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const console::Texts& texts = console::shiftJisTexts;
const std::string menu = std::string(texts.menuZToP) + "\n" + texts.menuPToZ + "\n" +
                         texts.menuQuit + "\n" + "No. = ";

struct Output {
    const char* what;
    std::string out;
    int status;
};

// Outputs as the end-to-end tests see them from the real executable.
TEST(OutputForms, PassTheDialoguesOwnOutput)
{
    const Output outputs[] = {
        {"choice 9", menu, 0},
        {"end of input at the menu", menu + "\n", 0},
        {"echoed choices", menu + "Your value for ck = -1\n" + menu + "Your value for ck = 0\n" +
                               menu + "Your value for ck = 2147483647\n" + menu, 0},
        {"z to p", menu + "\nz = p = 0.975002\n\n" + menu, 0},
        {"a tail value and a rounded 1", menu + "\nz = p = 7.61985e-24\n\n" + menu +
                                             "\nz = p = 1\n\n" + menu, 0},
        {"p to z", menu + "\np = z = -6.36134\n\n" + menu + "\np = z = 0\n\n" + menu, 0},
        {"bad tokens", menu + "Invalid value for ck.\n" + menu + "\nz = Invalid value for z.\n" +
                           menu + "\np = Invalid value for p.\n" + menu, 0},
        {"p rejected", menu + "\np = Value for p is too close to 0.\n" + menu + "\np = " +
                           texts.bracketFailure + "\n" + menu + "\np = Bye.\n" + menu, 0},
        {"cut off at z", menu + "\nz = \n", 1},
        {"cut off at p", menu + "\nz = p = 0.5\n\n" + menu + "\np = \n", 1},
    };
    for (const Output& row : outputs) {
        EXPECT_EQ(fuzz::findFormViolation(row.out, row.status, texts), "") << row.what;
    }
}

TEST(OutputForms, CatchWhatTheDialogueNeverWrites)
{
    const Output outputs[] = {
        {"nothing at all", "", 0},
        {"a stray line", menu + "Your value for ck = 3\nhello\n" + menu, 0},
        {"seven digits", menu + "\nz = p = 0.9750021\n\n" + menu, 0},
        {"a trailing zero", menu + "\nz = p = 1.0\n\n" + menu, 0},
        {"no number", menu + "\nz = p = \n\n" + menu, 0},
        {"infinity", menu + "\np = z = inf\n\n" + menu, 0},
        {"not a number", menu + "\nz = p = nan\n\n" + menu, 0},
        {"a choice on the menu echoed", menu + "Your value for ck = 1\n" + menu, 0},
        {"a leading zero in the echo", menu + "Your value for ck = 03\n" + menu, 0},
        {"an echo beyond int", menu + "Your value for ck = 2147483648\n" + menu, 0},
        {"a message after the wrong prompt", menu + "\nz = Invalid value for p.\n" + menu, 0},
        {"a message no longer written", menu + "\np = Value for p is too close to 0 or 1.\n" +
                                            menu, 0},
        {"a result after the wrong prompt", menu + "\np = p = 0.5\n\n" + menu, 0},
        {"menu line 2 missing", std::string(texts.menuZToP) + "\n" + texts.menuQuit +
                                    "\nNo. = ", 0},
        {"a choice read, no command", menu + "\n" + menu, 0},
        {"a command without its choice", menu + "Invalid value for ck.\n\nz = p = 0.5\n\n" +
                                             menu, 0},
        {"output after a cut-off prompt", menu + "\nz = \n" + menu, 0},
        {"an open line other than the choice prompt", menu + "\nz = ", 1},
        {"status 1 at the choice prompt", menu, 1},
        {"status 0 at a cut-off prompt", menu + "\np = \n", 0},
        {"status 2", menu, 2},
    };
    for (const Output& row : outputs) {
        EXPECT_NE(fuzz::findFormViolation(row.out, row.status, texts), "") << row.what;
    }
}

} // namespace
