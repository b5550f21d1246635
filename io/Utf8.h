// The shape of a UTF-8 character's bytes, for the code that must not cut one in two.
#pragma once

namespace io::utf8 {

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

// Returns where the last whole character of [begin, end) ends: before a lead byte whose
// character the end cuts short, else end.
constexpr const char* wholeCharactersEnd(const char* begin, const char* end)
{
    constexpr int longestCut = 3;
    for (int back = 1; back <= longestCut && end - back >= begin; ++back) {
        const auto byte = static_cast<unsigned char>(end[-back]);
        if (!isContinuation(byte)) {
            return sequenceLength(byte) > back ? end - back : end;
        }
    }
    return end;
}

} // namespace io::utf8
