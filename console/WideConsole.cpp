#include "console/WideConsole.h"

#include "console/Utf8.h"

#ifdef _WIN32
#include "console/Win32.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace console {
namespace {

// Returns where the last whole character of [begin, end) ends: before a lead byte whose
// character the end cuts short, else end.
const char* wholeCharactersEnd(const char* begin, const char* end)
{
    constexpr int longestCut = 3;
    for (int back = 1; back <= longestCut && end - back >= begin; ++back) {
        const auto byte = static_cast<unsigned char>(end[-back]);
        if (!utf8::isContinuation(byte)) {
            return utf8::sequenceLength(byte) > back ? end - back : end;
        }
    }
    return end;
}

} // namespace

#ifdef _WIN32

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

bool StandardConsoleSink::write(const char* text, std::size_t length)
{
    if (length > consoleBlockSize) {
        return false;
    }
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    const wchar_t* next = units;
    std::size_t left = toConsoleUtf16(text, length, units);
    while (left > 0) {
        DWORD written = 0;
        if (WriteConsoleW(console, next, static_cast<DWORD>(left), &written, nullptr) == 0 ||
            written == 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

ConsoleInputBuffer::ConsoleInputBuffer()
{
    setg(bytes, bytes, bytes);
}

ConsoleInputBuffer::int_type ConsoleInputBuffer::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (ended) {
        return traits_type::eof();
    }
    DWORD got = 0;
    if (ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), units, capacity, &got, nullptr) == 0) {
        failure = EIO;
        throw std::system_error(failure, std::generic_category(), "read error");
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
        failure = EIO;
        throw std::system_error(failure, std::generic_category(), "read error");
    }
    setg(bytes, bytes, bytes + length);
    return traits_type::to_int_type(*gptr());
}

#else

bool StandardConsoleSink::write(const char*, std::size_t length)
{
    return length == 0;
}

#endif

WideConsoleBuffer::WideConsoleBuffer(ConsoleSink& target) : sink(target)
{
    setp(bytes, bytes + consoleBlockSize);
}

WideConsoleBuffer::~WideConsoleBuffer()
{
    finish();
}

bool WideConsoleBuffer::writeOut(bool final)
{
    if (failure != 0) {
        return false;
    }
    // Cut off for good, an incomplete character is written too: it shows as U+FFFD.
    const char* end = final ? pptr() : wholeCharactersEnd(pbase(), pptr());
    const auto length = static_cast<std::size_t>(end - pbase());
    const auto kept = static_cast<std::size_t>(pptr() - end);
    if (length > 0 && !sink.write(pbase(), length)) {
        failure = EIO;
        // Nothing more reaches the buffer: every later character goes to overflow.
        setp(nullptr, nullptr);
        return false;
    }
    std::memmove(bytes, end, kept);
    setp(bytes, bytes + consoleBlockSize);
    pbump(static_cast<int>(kept));
    return true;
}

bool WideConsoleBuffer::finish()
{
    return writeOut(true);
}

WideConsoleBuffer::int_type WideConsoleBuffer::overflow(int_type c)
{
    if (!writeOut(false)) {
        return traits_type::eof();
    }
    // At most three bytes of an incomplete character are kept, so there is room now.
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int WideConsoleBuffer::sync()
{
    return writeOut(false) ? 0 : -1;
}

StandardOutput::StandardOutput(Encoding encoding, Flushing flushing)
    : file(standardOutput, flushing)
{
    if (encoding == Encoding::utf16) {
        wide.emplace(console);
    }
}

std::streambuf* StandardOutput::buffer()
{
    if (wide) {
        return &*wide;
    }
    return &file;
}

bool StandardOutput::finish()
{
    return wide ? wide->finish() : file.finish();
}

int StandardOutput::error() const
{
    return wide ? wide->error() : file.error();
}

StandardInput::StandardInput() : file(standardInput)
{
#ifdef _WIN32
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0) {
        console.emplace();
    }
#endif
}

std::streambuf* StandardInput::buffer()
{
#ifdef _WIN32
    if (console) {
        return &*console;
    }
#endif
    return &file;
}

int StandardInput::error() const
{
#ifdef _WIN32
    if (console) {
        return console->error();
    }
#endif
    return file.error();
}

} // namespace console
