// The choice of the texts' encoding from what the system says about standard output.
#include "io/Platform.h"

#include <gtest/gtest.h>

namespace {

using io::Encoding;

// A terminal, and standard output through a pipe.
constexpr io::StreamKind tty = io::StreamKind::terminal;
constexpr io::StreamKind piped = io::StreamKind::other;

struct PosixCase {
    const char* what;
    io::StreamKind output;
    io::PosixLocale locale;
    Encoding expected;
};

// Codesets as nl_langinfo(CODESET) reports them: glibc says "UTF-8", "ANSI_X3.4-1968" for the C
// locale and "EUC-JP" for ja_JP.eucJP; a null codeset stands for a locale that did not open.
TEST(ChooseEncoding, PosixTerminalAndLocale)
{
    const PosixCase cases[] = {
        {"UTF-8 terminal", tty, {"UTF-8", nullptr, nullptr, "C.UTF-8"}, Encoding::utf8},
        {"utf8 spelled short", tty, {"utf8", nullptr, nullptr, nullptr}, Encoding::utf8},
        {"mixed case", tty, {"Utf-8", nullptr, nullptr, nullptr}, Encoding::utf8},
        {"C locale", tty, {"ANSI_X3.4-1968", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"EUC-JP terminal", tty, {"EUC-JP", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"Shift_JIS terminal", tty, {"SHIFT_JIS", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"UTF-16 is not UTF-8", tty, {"UTF-16", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"a prefix of UTF-8", tty, {"UTF-", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"UTF-8 and more", tty, {"UTF-8x", nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"empty codeset", tty, {"", nullptr, nullptr, "C.UTF-8"}, Encoding::shiftJis},
        {"the opened locale beats the names", tty, {"ANSI_X3.4-1968", "C.UTF-8", nullptr, nullptr},
         Encoding::shiftJis},
        {"a pipe under UTF-8", piped, {"UTF-8", nullptr, nullptr, "C.UTF-8"}, Encoding::shiftJis},
        {"a pipe under C", piped, {"ANSI_X3.4-1968", nullptr, nullptr, nullptr},
         Encoding::shiftJis},
    };
    for (const PosixCase& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(io::chooseEncoding(row.output, row.locale), row.expected);
    }
}

// Locale names are language[_territory][.codeset][@modifier] (POSIX, and glibc's setlocale(3)).
TEST(ChooseEncoding, PosixLocaleNotInstalledFallsBackToItsName)
{
    const PosixCase cases[] = {
        {"LC_ALL UTF-8", tty, {nullptr, "de_DE.UTF-8", nullptr, nullptr}, Encoding::utf8},
        {"LC_ALL utf8", tty, {nullptr, "de_DE.utf8", nullptr, nullptr}, Encoding::utf8},
        {"LC_ALL UTF8", tty, {nullptr, "de_DE.UTF8", nullptr, nullptr}, Encoding::utf8},
        {"with a modifier", tty, {nullptr, nullptr, nullptr, "de_DE.UTF-8@euro"}, Encoding::utf8},
        {"a bare codeset", tty, {nullptr, nullptr, "UTF-8", nullptr}, Encoding::utf8},
        {"LC_ALL wins over LANG", tty, {nullptr, "ja_JP.eucJP", nullptr, "C.UTF-8"},
         Encoding::shiftJis},
        {"LC_ALL wins over LC_CTYPE", tty, {nullptr, "de_DE.UTF-8", "ja_JP.SJIS", nullptr},
         Encoding::utf8},
        {"LC_CTYPE wins over LANG", tty, {nullptr, nullptr, "de_DE.UTF-8", "C"}, Encoding::utf8},
        {"an empty LC_ALL is unset", tty, {nullptr, "", "de_DE.UTF-8", "C"}, Encoding::utf8},
        {"empty LC_ALL and LC_CTYPE", tty, {nullptr, "", "", "de_DE.utf8"}, Encoding::utf8},
        {"only LANG, no UTF-8", tty, {nullptr, nullptr, nullptr, "ja_JP.eucJP"},
         Encoding::shiftJis},
        {"no codeset in the name", tty, {nullptr, nullptr, nullptr, "de_DE"}, Encoding::shiftJis},
        {"a modifier is no codeset", tty, {nullptr, nullptr, nullptr, "de_DE@UTF-8"},
         Encoding::shiftJis},
        {"UTF-8 in the territory", tty, {nullptr, "UTF-8_XX.ISO-8859-1", nullptr, nullptr},
         Encoding::shiftJis},
        {"a trailing dot", tty, {nullptr, "de_DE.", nullptr, nullptr}, Encoding::shiftJis},
        {"nothing set", tty, {nullptr, nullptr, nullptr, nullptr}, Encoding::shiftJis},
        {"everything empty", tty, {nullptr, "", "", ""}, Encoding::shiftJis},
        {"a pipe with a UTF-8 name", piped, {nullptr, "de_DE.UTF-8", nullptr, nullptr},
         Encoding::shiftJis},
    };
    for (const PosixCase& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(io::chooseEncoding(row.output, row.locale), row.expected);
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
