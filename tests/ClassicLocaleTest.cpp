// The dialogue reads and writes numbers with a full stop whatever the program's global locale
// is: only the streams' own locale, classic since start-up, decides.
#include "console/Dialogue.h"
#include "console/Texts.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

// The German locale writes 0.5 as 0,5 and groups thousands with full stops; one of these
// names opens it wherever it is installed (glibc accepts both spellings of the codeset).
std::locale germanLocale(bool& found)
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
        try {
            found = true;
            return std::locale(name);
        } catch (const std::runtime_error&) {
        }
    }
    found = false;
    return std::locale::classic();
}

TEST(ClassicLocale, AGermanGlobalLocaleChangesNoNumber)
{
    bool found = false;
    const std::locale german = germanLocale(found);
    if (!found) {
        GTEST_SKIP() << "no German locale is installed (de_DE.UTF-8)";
    }
    // Made before the switch, as std::cin and std::cout are made before main runs.
    std::istringstream in("1 0.5 2 0.975 1 1234.5 1 0,5 9");
    std::ostringstream out;
    console::Console dialogue{in, out, console::shiftJisTexts};

    const std::locale previous = std::locale::global(german);
    std::ostringstream madeAfter;
    madeAfter << 0.5;
    const int status = console::runMenu(dialogue);
    std::locale::global(previous);

    // The switch took hold: a stream made under it writes the German decimal comma.
    ASSERT_EQ(madeAfter.str(), "0,5");
    const std::string menu = std::string(console::shiftJisTexts.menuZToP) + "\n" +
                             console::shiftJisTexts.menuPToZ + "\n" +
                             console::shiftJisTexts.menuQuit + "\nNo. = ";
    // Phi(0.5) = 0.691462, Phi^-1(0.975) = 1.95996 (to six digits); 1234.5 is read whole, not
    // as 1234 and a fraction, and gives 1; "0,5" is no number with a full stop as the decimal
    // point, so the whole token is rejected.
    EXPECT_EQ(out.str(), menu + "\nz = p = 0.691462\n\n" + menu + "\np = z = 1.95996\n\n" + menu +
                             "\nz = p = 1\n\n" + menu + "\nz = Invalid value for z.\n" + menu);
    EXPECT_EQ(status, console::exitChosen);
}

} // namespace
