// The choice of the texts' encoding from what the system says about standard output.
#include "io/Platform.h"

#include <gtest/gtest.h>

namespace {

using io::Encoding;

struct PosixCase {
    const char* what;
    struct {
        bool isTerminal; // else a pipe
        io::PosixLocale locale;
    } facts;
    Encoding expected;
};

Encoding chosen(const PosixCase& row)
{
    return io::chooseEncoding(row.facts.isTerminal ? io::StreamKind::terminal
                                                   : io::StreamKind::other,
                              row.facts.locale);
}

// Codesets as nl_langinfo(CODESET) reports them: glibc says "UTF-8", "ANSI_X3.4-1968" for the C
// locale and "EUC-JP" for ja_JP.eucJP; a null codeset stands for a locale that did not open.
TEST(ChooseEncoding, PosixTerminalAndLocale)
{
    const PosixCase cases[] = {
        {"UTF-8 terminal", {true, "UTF-8", nullptr, nullptr, "C.UTF-8"}, Encoding::utf8},
        {"utf8 spelled short", {true, "utf8", nullptr, nullptr, nullptr}, Encoding::utf8},
        {"mixed case", {true, "Utf-8", nullptr, nullptr, nullptr}, Encoding::utf8},
        {"C locale", {true, "ANSI_X3.4-1968", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"EUC-JP terminal", {true, "EUC-JP", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"Shift_JIS terminal", {true, "SHIFT_JIS", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"UTF-16 is not UTF-8", {true, "UTF-16", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"a prefix of UTF-8", {true, "UTF-", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"UTF-8 and more", {true, "UTF-8x", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"empty codeset", {true, "", nullptr, nullptr, "C.UTF-8"}, Encoding::shiftJis},
        {"the opened locale beats the names", {true, "ANSI_X3.4-1968", "C.UTF-8", nullptr, nullptr},
         Encoding::shiftJis},
        {"a pipe under UTF-8", {false, "UTF-8", nullptr, nullptr, "C.UTF-8"}, Encoding::shiftJis},
        {"a pipe under C", {false, "ANSI_X3.4-1968", nullptr, nullptr, nullptr},
         Encoding::shiftJis},
    };
    for (const PosixCase& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(chosen(row), row.expected);
    }
}

// Locale names are language[_territory][.codeset][@modifier] (POSIX, and glibc's setlocale(3)).
TEST(ChooseEncoding, PosixLocaleNotInstalledFallsBackToItsName)
{
    const PosixCase cases[] = {
        {"LC_ALL UTF-8", {true, nullptr, "de_DE.UTF-8", nullptr, nullptr}, Encoding::utf8},
        {"LC_ALL utf8", {true, nullptr, "de_DE.utf8", nullptr, nullptr}, Encoding::utf8},
        {"LC_ALL UTF8", {true, nullptr, "de_DE.UTF8", nullptr, nullptr}, Encoding::utf8},
        {"with a modifier", {true, nullptr, nullptr, nullptr, "de_DE.UTF-8@euro"}, Encoding::utf8},
        {"a bare codeset", {true, nullptr, nullptr, "UTF-8", nullptr}, Encoding::utf8},
        {"LC_ALL wins over LANG", {true, nullptr, "ja_JP.eucJP", nullptr, "C.UTF-8"},
         Encoding::shiftJis},
        {"LC_ALL wins over LC_CTYPE", {true, nullptr, "de_DE.UTF-8", "ja_JP.SJIS", nullptr},
         Encoding::utf8},
        {"LC_CTYPE wins over LANG", {true, nullptr, nullptr, "de_DE.UTF-8", "C"}, Encoding::utf8},
        {"an empty LC_ALL is unset", {true, nullptr, "", "de_DE.UTF-8", "C"}, Encoding::utf8},
        {"empty LC_ALL and LC_CTYPE", {true, nullptr, "", "", "de_DE.utf8"}, Encoding::utf8},
        {"only LANG, no UTF-8", {true, nullptr, nullptr, nullptr, "ja_JP.eucJP"},
         Encoding::shiftJis},
        {"no codeset in the name", {true, nullptr, nullptr, nullptr, "de_DE"}, Encoding::shiftJis},
        {"a modifier is no codeset", {true, nullptr, nullptr, nullptr, "de_DE@UTF-8"},
         Encoding::shiftJis},
        {"UTF-8 in the territory", {true, nullptr, "UTF-8_XX.ISO-8859-1", nullptr, nullptr},
         Encoding::shiftJis},
        {"a trailing dot", {true, nullptr, "de_DE.", nullptr, nullptr}, Encoding::shiftJis},
        {"nothing set", {true, nullptr, nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"everything empty", {true, nullptr, "", "", ""}, Encoding::shiftJis},
        {"a pipe with a UTF-8 name", {false, nullptr, "de_DE.UTF-8", nullptr, nullptr},
         Encoding::shiftJis},
    };
    for (const PosixCase& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(chosen(row), row.expected);
    }
}

// A Windows console gets characters whatever its code page (932 Japanese, 1252 Western, 65001
// UTF-8); redirected output keeps the Shift_JIS bytes.
TEST(ChooseEncoding, WindowsConsoleGetsCharacters)
{
    const io::PosixLocale none{nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(io::chooseEncoding(io::StreamKind::windowsConsole, none), Encoding::utf16);
    EXPECT_EQ(io::chooseEncoding(io::StreamKind::file, none), Encoding::shiftJis);
    EXPECT_EQ(io::chooseEncoding(io::StreamKind::other, none), Encoding::shiftJis);
}

} // namespace
