// What the system says about the standard streams: what each one is connected to, and the
// encoding the Japanese texts need there. Asked once, at start-up (StandardStreams.h).
#pragma once

#include "io/Encoding.h"

namespace io {

// A terminal (or, on Windows, another character device), a Windows console, which is read and
// written as characters, a regular file, or anything else: a pipe, a device, a closed descriptor.
enum class StreamKind { terminal, windowsConsole, file, other };

// Returns what the descriptor fd is connected to; other when that cannot be told.
StreamKind streamKind(int fd);

// The user's character-type locale as a POSIX system reports it.
struct PosixLocale {
    const char* codeset; // of the LC_CTYPE locale; nullptr if it cannot be opened
    const char* lcAll;   // the environment variables, nullptr when unset
    const char* lcCtype;
    const char* lang;
};

// Returns utf16 for a Windows console, whatever its code page; for a terminal, utf8 when the
// locale's codeset is UTF-8 (read from the locale, or from the name in LC_ALL, LC_CTYPE or
// LANG when the locale cannot be opened); else shiftJis, the bytes a file or pipe always had.
Encoding chooseEncoding(StreamKind output, const PosixLocale& locale);

// Returns the encoding for output of the given kind, reading the user's locale for a POSIX
// terminal; never fails (shiftJis when in doubt).
Encoding encodingFor(StreamKind output);

} // namespace io
