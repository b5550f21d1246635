// The Japanese texts, byte for byte in both encodings, and the mapping of thrown messages onto
// them.
#include "CodePage932.h"
#include "console/Texts.h"
#include "distribution/Normal.h"
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

std::string bytes(std::initializer_list<unsigned char> list)
{
    return std::string(list.begin(), list.end());
}

struct Text {
    const char* stored;
    std::string expected;
};

TEST(ShiftJisTexts, AreTheCodePage932Bytes)
{
    // Each character's code page 932 code, from the code page table: e.g. 0x81 0x42 for "。".
    const Text texts[] = {
        {console::shiftJisTexts.menuZToP,
         bytes({'1', ':', ' ', 'z', 0x82, 0xa9, 0x82, 0xe7, 0x8a, 0x6d, 0x97, 0xa6, 'p', 0x82,
                0xf0, 0x8b, 0x81, 0x82, 0xdf, 0x82, 0xe9, 0x81, 0x42})},
        {console::shiftJisTexts.menuPToZ,
         bytes({'2', ':', ' ', 0x8a, 0x6d, 0x97, 0xa6, 'p', 0x82, 0xa9, 0x82, 0xe7, 'z', 0x82,
                0xf0, 0x8b, 0x81, 0x82, 0xdf, 0x82, 0xe9, 0x81, 0x42})},
        {console::shiftJisTexts.menuQuit, bytes({'9', ':', ' ', 0x8f, 0x49, 0x97, 0xb9, 0x81, 0x42})},
        {console::shiftJisTexts.bracketFailure,
         bytes({0x8f, 0xe3, 0x8c, 0xc0, 0x82, 0xc6, 0x89, 0xba, 0x8c, 0xc0, 0x82, 0xcc, 0x91,
                0x67, 0x82, 0xdd, 0x8d, 0x87, 0x82, 0xed, 0x82, 0xb9, 0x82, 0xaa, 0x95, 0x73,
                0x93, 0x4b, 0x90, 0xd8, 0x82, 0xc5, 0x82, 0xb7, 0x81, 0x42})},
    };
    for (const Text& text : texts) {
        EXPECT_EQ(std::string(text.stored), text.expected);
    }
}

TEST(ShiftJisTexts, LocalizeMapsOnlyTheBracketMessage)
{
    const console::Texts& texts = console::shiftJisTexts;
    EXPECT_EQ(texts.localize(myLib::bracketMessage), texts.bracketFailure);
    EXPECT_EQ(texts.localize(invalidPMessage), invalidPMessage);
    EXPECT_EQ(texts.localize(pTooCloseMessage), pTooCloseMessage);
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

TEST(Utf8Texts, LocalizeMapsTheBracketMessageOntoTheUtf8Text)
{
    const console::Texts& texts = console::utf8Texts;
    EXPECT_EQ(texts.localize(myLib::bracketMessage), texts.bracketFailure);
    EXPECT_EQ(texts.localize(invalidPMessage), invalidPMessage);
    EXPECT_EQ(texts.localize(pTooCloseMessage), pTooCloseMessage);
}

} // namespace
