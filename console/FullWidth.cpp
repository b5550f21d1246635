#include "console/FullWidth.h"

#include "io/Utf8.h"

#include <algorithm>

namespace console {
namespace {

using Traits = std::char_traits<char>;

struct Form {
    char32_t codePoint;
    unsigned shiftJis; // lead byte and trail byte
    char ascii;
};

// Code points from the Unicode charts, Shift_JIS codes from code page 932, which gives 817C to
// both minus forms.
constexpr Form forms[] = {
    {0xff10, 0x824f, '0'}, {0xff11, 0x8250, '1'}, {0xff12, 0x8251, '2'}, {0xff13, 0x8252, '3'},
    {0xff14, 0x8253, '4'}, {0xff15, 0x8254, '5'}, {0xff16, 0x8255, '6'}, {0xff17, 0x8256, '7'},
    {0xff18, 0x8257, '8'}, {0xff19, 0x8258, '9'}, {0xff0b, 0x817b, '+'}, {0xff0d, 0x817c, '-'},
    {0xff0e, 0x8144, '.'}, {0xff25, 0x8264, 'E'}, {0xff45, 0x8285, 'e'}, {0x2212, 0x817c, '-'},
    {0x3000, 0x8140, ' '},
};

// Every form above is three bytes long in UTF-8.
constexpr int formUtf8Length = 3;
constexpr int bitsPerByte = 8;
constexpr int bitsPerContinuation = 6;
constexpr unsigned char leadBitsOfThree = 0x0f;
constexpr unsigned char continuationBits = 0x3f;

char asciiForCodePoint(char32_t codePoint)
{
    for (const Form& form : forms) {
        if (form.codePoint == codePoint) {
            return form.ascii;
        }
    }
    return 0;
}

char asciiForShiftJis(unsigned code)
{
    for (const Form& form : forms) {
        if (form.shiftJis == code) {
            return form.ascii;
        }
    }
    return 0;
}

// Code page 932 writes a double-byte character as a lead byte 81-9F or E0-FC and a trail
// byte 40-7E or 80-FC.
bool isShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
}

bool isShiftJisTrail(int byte)
{
    return byte >= 0x40 && byte <= 0xfc && byte != 0x7f;
}

// The white space of the classic locale, which separates tokens.
bool isAsciiSpace(std::char_traits<char>::int_type c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isContinuation(int byte)
{
    return byte >= 0 && io::utf8::isContinuation(static_cast<unsigned char>(byte));
}

} // namespace

FullWidthInput::FullWidthInput(std::streambuf& from) : source(from)
{
    setg(block, block, block);
}

FullWidthInput::int_type FullWidthInput::sourceNext()
{
    if (ended) {
        return Traits::eof();
    }
    const int_type next = source.sgetc();
    ended = Traits::eq_int_type(next, Traits::eof());
    return next;
}

int FullWidthInput::peek()
{
    const int_type next = sourceNext();
    return Traits::eq_int_type(next, Traits::eof())
               ? -1
               : static_cast<unsigned char>(Traits::to_char_type(next));
}

char* FullWidthInput::takeCharacter(unsigned char lead, char* to)
{
    unsigned char bytes[longestCharacter] = {lead};
    int length = 1;
    char ascii = 0;
    // A whole UTF-8 character is taken as one, so that its continuation bytes are never read
    // as the start of a Shift_JIS form.
    const int utf8Length = io::utf8::sequenceLength(lead);
    while (length < utf8Length && isContinuation(peek())) {
        bytes[length++] = static_cast<unsigned char>(Traits::to_char_type(source.sbumpc()));
    }
    if (length == formUtf8Length && utf8Length == formUtf8Length) {
        const char32_t codePoint =
            static_cast<char32_t>(lead & leadBitsOfThree) << (2 * bitsPerContinuation) |
            static_cast<char32_t>(bytes[1] & continuationBits) << bitsPerContinuation |
            static_cast<char32_t>(bytes[2] & continuationBits);
        // In Shift_JIS text the same three bytes can be a character and a half, and then the
        // next byte may continue a UTF-8 character, which no whole one is followed by.
        if (!isContinuation(peek())) {
            ascii = asciiForCodePoint(codePoint);
        }
    } else if (length == 1 && isShiftJisLead(lead) && isShiftJisTrail(peek())) {
        bytes[length++] = static_cast<unsigned char>(Traits::to_char_type(source.sbumpc()));
        ascii = asciiForShiftJis(static_cast<unsigned>(lead) << bitsPerByte | bytes[1]);
    }
    if (ascii != 0) {
        *to++ = ascii;
        return to;
    }
    for (int i = 0; i < length; ++i) {
        *to++ = static_cast<char>(bytes[i]);
    }
    return to;
}

FullWidthInput::int_type FullWidthInput::underflow()
{
    if (gptr() < egptr()) {
        return Traits::to_int_type(*gptr());
    }
    int_type next = sourceNext();
    if (Traits::eq_int_type(next, Traits::eof()) || isAsciiSpace(next)) {
        // Left in the source until it is read, so that the source is never read beyond the
        // white space after a token.
        return next;
    }
    // The rest of the token, as far as the source holds it already: a read that waits for
    // input is made only for a character the dialogue asks for.
    char* end = block;
    std::streamsize held = std::max<std::streamsize>(source.in_avail(), 1);
    do {
        source.sbumpc();
        --held;
        const auto byte = static_cast<unsigned char>(Traits::to_char_type(next));
        if (byte < 0x80) {
            *end++ = static_cast<char>(byte);
        } else {
            end = takeCharacter(byte, end);
            if (end[-1] == ' ') {
                break;
            }
            held = source.in_avail();
        }
        if (held <= 0 || block + blockSize - end < longestCharacter) {
            break;
        }
        next = sourceNext();
    } while (!Traits::eq_int_type(next, Traits::eof()) && !isAsciiSpace(next));
    setg(block, block, end);
    return Traits::to_int_type(*gptr());
}

FullWidthInput::int_type FullWidthInput::uflow()
{
    const int_type next = underflow();
    if (gptr() < egptr()) {
        gbump(1);
    } else if (!Traits::eq_int_type(next, Traits::eof())) {
        source.sbumpc();
    }
    return next;
}

} // namespace console
