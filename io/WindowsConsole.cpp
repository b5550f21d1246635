#include "io/WindowsConsole.h"

#include "io/Utf8.h"
#include "io/Win32.h"

#include <algorithm>
#include <cerrno>

namespace io {

std::size_t toConsoleUtf16(const char* text, std::size_t length, wchar_t* out)
{
    const char* end = text + length;
    std::size_t written = 0;
    while (text < end) {
        // No byte of a multi-byte character is "\n", so a line is whole characters.
        const char* lineEnd = std::find(text, end, '\n');
        if (lineEnd > text) {
            written += static_cast<std::size_t>(MultiByteToWideChar(
                CP_UTF8, 0, text, static_cast<int>(lineEnd - text), out + written,
                static_cast<int>(2 * length - written)));
        }
        if (lineEnd == end) {
            break;
        }
        // As the C runtime's text mode writes a line end: the console then returns to the
        // start of the next line whatever its output mode.
        out[written++] = L'\r';
        out[written++] = L'\n';
        text = lineEnd + 1;
    }
    return written;
}

int WindowsConsoleSink::write(const char* text, std::size_t length)
{
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    const char* const end = text + length;
    while (text < end) {
        // Pieces end between characters, so that each converts alone; the last takes the rest.
        const char* pieceEnd = end - text > static_cast<std::ptrdiff_t>(pieceSize)
                                   ? utf8::wholeCharactersEnd(text, text + pieceSize)
                                   : end;
        const wchar_t* next = units;
        std::size_t left = toConsoleUtf16(text, static_cast<std::size_t>(pieceEnd - text), units);
        while (left > 0) {
            DWORD written = 0;
            if (WriteConsoleW(console, next, static_cast<DWORD>(left), &written, nullptr) == 0 ||
                written == 0) {
                return EIO;
            }
            next += written;
            left -= written;
        }
        text = pieceEnd;
    }
    return 0;
}

WindowsConsoleInput::WindowsConsoleInput()
{
    setg(bytes, bytes, bytes);
}

WindowsConsoleInput::int_type WindowsConsoleInput::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (ended) {
        return traits_type::eof();
    }
    DWORD got = 0;
    if (ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), units, capacity, &got, nullptr) == 0) {
        fail(EIO);
    }
    // A pair of surrogates cut by the end of a read becomes two U+FFFD: never part of a number
    // or of white space, and so read just as the character would be.
    const wchar_t* end = std::find(units, units + got, L'\x1a');
    ended = got == 0 || end != units + got;
    if (end == units) {
        return traits_type::eof();
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(end - units),
                                           bytes, static_cast<int>(sizeof bytes), nullptr,
                                           nullptr);
    if (length <= 0) {
        fail(EIO);
    }
    setg(bytes, bytes, bytes + length);
    return traits_type::to_int_type(*gptr());
}

} // namespace io
