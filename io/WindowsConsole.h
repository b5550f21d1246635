// A Windows console read and written as UTF-16 characters (ReadConsoleW, WriteConsoleW), which
// need no code page: the dialogue reads and writes UTF-8 bytes, converted here. Windows only.
#pragma once

#ifdef _WIN32

#include "io/Buffers.h"

#include <cstddef>

namespace io {

// Converts UTF-8 to UTF-16 in out, which must have room for 2 * length units, writing every
// "\n" as "\r\n"; returns the number of units written. Malformed bytes become U+FFFD.
std::size_t toConsoleUtf16(const char* text, std::size_t length, wchar_t* out);

// The console of standard output, written in pieces of whole characters; a failed write
// gives EIO (Windows' own error codes are no errno values).
class WindowsConsoleSink : public Sink {
public:
    int write(const char* bytes, std::size_t length) override;
    bool takesWholeCharacters() const override { return true; }

private:
    // The most bytes converted at once.
    static constexpr std::size_t pieceSize = 1024;
    wchar_t units[2 * pieceSize];
};

// Reads the console of standard input as characters and hands them on as UTF-8. A Ctrl-Z
// ends the input, as in the C runtime's text mode; a failed read gives EIO.
class WindowsConsoleInput : public InputBuffer {
public:
    WindowsConsoleInput();
    WindowsConsoleInput(const WindowsConsoleInput&) = delete;
    WindowsConsoleInput& operator=(const WindowsConsoleInput&) = delete;

protected:
    int_type underflow() override;

private:
    // Far more than a line a person types.
    static constexpr int capacity = 4096;
    // A UTF-16 unit becomes at most three bytes of UTF-8 (a pair of them, four).
    static constexpr int bytesPerUnit = 3;
    bool ended = false;
    wchar_t units[capacity];
    char bytes[bytesPerUnit * capacity];
};

} // namespace io

#endif
