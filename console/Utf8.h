// The shape of a UTF-8 character's bytes, for the console code that must not cut one in two.
#pragma once

namespace console::utf8 {

// Returns true for a byte that continues a character (10xxxxxx).
constexpr bool isContinuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

// Returns the byte length of a character that begins with lead: 1 for ASCII, 2 to 4 for the
// leads C2 to F4, 0 for a byte that begins none (a continuation byte, C0 and C1, which begin
// only overlong forms, and F5 to FF, which would lie beyond U+10FFFF).
constexpr int sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xc2) {
        return 0;
    }
    if (lead < 0xe0) {
        return 2;
    }
    if (lead < 0xf0) {
        return 3;
    }
    return lead < 0xf5 ? 4 : 0;
}

} // namespace console::utf8
