// The encoding of the Japanese texts: UTF-8 for a terminal that shows UTF-8, UTF-16 for a Windows
// console, Shift_JIS for everything else, decided from facts about standard output that are read
// once at start-up.
#pragma once

namespace console {

// utf16 is for a Windows console only: the texts are kept as UTF-8 and handed to the console as
// UTF-16 characters (WideConsole.h), which it shows whatever its code page.
enum class Encoding { shiftJis, utf8, utf16 };

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

// What Windows says about standard output.
struct WindowsConsole {
    bool isConsole; // GetConsoleMode succeeds on the standard output handle
};

// Returns utf16 for a console, whatever its code page; shiftJis for redirected output (a pipe,
// a file or another device), which keeps the bytes it always had.
Encoding chooseEncoding(const WindowsConsole& facts);

// Returns the encoding for this process's standard output; never fails (shiftJis when in doubt).
Encoding consoleEncoding();

} // namespace console
