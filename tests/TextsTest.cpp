// The UTF-8 texts, character for character the Shift_JIS ones (whose bytes every transcript
// checks), and the mapping of thrown messages onto them.
#include "CodePage932.h"
#include "console/Texts.h"
#include "distribution/Normal.h"
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

// The root finders' Shift_JIS message becomes the table's own text; the others pass unchanged.
TEST(Texts, LocalizeMapsOnlyTheBracketMessage)
{
    for (const console::Texts* texts : {&console::shiftJisTexts, &console::utf8Texts}) {
        EXPECT_EQ(texts->localize(myLib::bracketMessage), texts->bracketFailure);
        EXPECT_EQ(texts->localize(invalidPMessage), invalidPMessage);
        EXPECT_EQ(texts->localize(pTooCloseMessage), pTooCloseMessage);
    }
}

TEST(Utf8Texts, ConvertToTheShiftJisTexts)
{
    const struct {
        const char* utf8;
        const char* shiftJis;
    } pairs[] = {
        {console::utf8Texts.menuZToP, console::shiftJisTexts.menuZToP},
        {console::utf8Texts.menuPToZ, console::shiftJisTexts.menuPToZ},
        {console::utf8Texts.menuQuit, console::shiftJisTexts.menuQuit},
        {console::utf8Texts.bracketFailure, console::shiftJisTexts.bracketFailure},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.utf8);
        EXPECT_EQ(toCodePage932(pair.utf8), pair.shiftJis);
        // The conversion must have had something to do: each text holds Japanese characters.
        EXPECT_NE(std::string(pair.utf8), pair.shiftJis);
    }
}

} // namespace
