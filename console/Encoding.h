// The encoding of the Japanese texts: UTF-8 for a terminal that shows UTF-8, Shift_JIS for
// everything else, decided from facts about standard output that are read once at start-up.
#pragma once

namespace console {

enum class Encoding { shiftJis, utf8 };

// What a POSIX system says about standard output and the user's character-type locale.
struct PosixConsole {
    bool isTerminal;       // isatty on standard output
    const char* codeset;   // codeset of the user's LC_CTYPE locale; nullptr if it cannot be opened
    const char* lcAll;     // the environment variables, nullptr when unset
    const char* lcCtype;
    const char* lang;
};

// Returns utf8 for a terminal whose locale's codeset is UTF-8 (read from the locale, or from the
// name in LC_ALL, LC_CTYPE or LANG when the locale cannot be opened), else shiftJis.
Encoding chooseEncoding(const PosixConsole& facts);

// Windows' UTF-8 code page, as GetConsoleOutputCP reports it.
constexpr unsigned utf8CodePage = 65001;

// Returns utf8 for a console whose output code page is UTF-8, else shiftJis (code page 932
// shows it natively; redirected output keeps the bytes it always had).
Encoding chooseEncoding(bool isConsole, unsigned outputCodePage);

// Returns the encoding for this process's standard output; never fails (shiftJis when in doubt).
Encoding consoleEncoding();

} // namespace console
