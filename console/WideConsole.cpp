#include "console/WideConsole.h"

#ifdef _WIN32
#include "console/Win32.h"
#endif

#include <cerrno>
#include <cstring>

namespace console {
namespace {

constexpr char16_t replacementCharacter = 0xfffd;

// The byte length of a character from its first byte; 0 for a byte that begins none: a
// continuation byte, C0 and C1 (which begin only overlong forms), F5 to FF (beyond U+10FFFF).
int characterLength(unsigned char first)
{
    if (first < 0x80) {
        return 1;
    }
    if (first < 0xc2) {
        return 0;
    }
    if (first < 0xe0) {
        return 2;
    }
    if (first < 0xf0) {
        return 3;
    }
    return first < 0xf5 ? 4 : 0;
}

// Whether byte may follow the bytes before it in a character that begins with first. The
// second byte's narrower ranges rule out overlong forms, the surrogates D800-DFFF and values
// beyond U+10FFFF (the well-formed sequences of the Unicode standard, chapter 3).
bool continues(unsigned char first, int position, unsigned char byte)
{
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (position == 1) {
        if (first == 0xe0) {
            low = 0xa0;
        } else if (first == 0xed) {
            high = 0x9f;
        } else if (first == 0xf0) {
            low = 0x90;
        } else if (first == 0xf4) {
            high = 0x8f;
        }
    }
    return byte >= low && byte <= high;
}

// The payload bits of a first byte of each length (index 2 to 4), and of a continuation byte.
constexpr unsigned char firstBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
constexpr unsigned char continuationBits = 0x3f;
constexpr int bitsPerContinuation = 6;
constexpr char32_t firstSupplementary = 0x10000;
constexpr char16_t highSurrogateBase = 0xd800;
constexpr char16_t lowSurrogateBase = 0xdc00;
constexpr int bitsPerSurrogate = 10;
constexpr char32_t surrogateBits = 0x3ff;

} // namespace

std::size_t toConsoleUtf16(const char* begin, const char* end, char16_t* out, const char*& rest)
{
    const auto* next = reinterpret_cast<const unsigned char*>(begin);
    const auto* last = reinterpret_cast<const unsigned char*>(end);
    std::size_t written = 0;
    while (next < last) {
        const unsigned char first = *next;
        if (first == '\n') {
            // As the C runtime's text mode writes a line end: the console then returns to the
            // start of the next line whatever its output mode.
            out[written++] = u'\r';
            out[written++] = u'\n';
            ++next;
            continue;
        }
        const int length = characterLength(first);
        if (length <= 1) {
            out[written++] = length == 1 ? static_cast<char16_t>(first) : replacementCharacter;
            ++next;
            continue;
        }
        int wellFormed = 1;
        while (wellFormed < length && next + wellFormed < last &&
               continues(first, wellFormed, next[wellFormed])) {
            ++wellFormed;
        }
        if (wellFormed < length) {
            if (next + wellFormed == last) {
                rest = reinterpret_cast<const char*>(next);
                return written;
            }
            // The longest well-formed beginning becomes one replacement character, and the
            // byte that broke it is read afresh, as the Unicode standard recommends.
            out[written++] = replacementCharacter;
            next += wellFormed;
            continue;
        }
        char32_t value = first & firstBits[length];
        for (int i = 1; i < length; ++i) {
            value = (value << bitsPerContinuation) | (next[i] & continuationBits);
        }
        if (value < firstSupplementary) {
            out[written++] = static_cast<char16_t>(value);
        } else {
            value -= firstSupplementary;
            out[written++] = static_cast<char16_t>(highSurrogateBase + (value >> bitsPerSurrogate));
            out[written++] = static_cast<char16_t>(lowSurrogateBase + (value & surrogateBits));
        }
        next += length;
    }
    rest = end;
    return written;
}

#ifdef _WIN32

bool StandardConsoleSink::write(const char16_t* text, std::size_t length)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    while (length > 0) {
        DWORD written = 0;
        if (WriteConsoleW(console, reinterpret_cast<const wchar_t*>(text),
                          static_cast<DWORD>(length), &written, nullptr) == 0 ||
            written == 0) {
            return false;
        }
        text += written;
        length -= written;
    }
    return true;
}

#else

bool StandardConsoleSink::write(const char16_t*, std::size_t length)
{
    return length == 0;
}

#endif

WideConsoleBuffer::WideConsoleBuffer(WideSink& target) : sink(target)
{
    setp(bytes, bytes + bufferSize);
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
    const char* rest = pptr();
    std::size_t length = toConsoleUtf16(pbase(), pptr(), units, rest);
    if (final && rest != pptr()) {
        // Cut off for good: one replacement character for the incomplete one.
        units[length++] = replacementCharacter;
        rest = pptr();
    }
    const auto kept = static_cast<std::size_t>(pptr() - rest);
    std::memmove(bytes, rest, kept);
    setp(bytes, bytes + bufferSize);
    pbump(static_cast<int>(kept));
    if (length > 0 && !sink.write(units, length)) {
        failure = EIO;
        // Nothing more reaches the buffer: every later character goes to overflow.
        setp(nullptr, nullptr);
        return false;
    }
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

} // namespace console
