// Numbers as a Japanese input method types them: the full-width forms of the characters a
// number is made of, and the ideographic space, read as their ASCII characters.
#pragma once

#include <streambuf>

namespace console {

// A stream buffer that hands on the bytes of another one, except the UTF-8 and the Shift_JIS
// (code page 932) forms of these characters, which it reads as one ASCII byte each:
//   U+FF10 to U+FF19 (full-width 0 to 9), U+FF0B (+), U+FF0D (-), U+FF0E (.), U+FF25 (E),
//   U+FF45 (e), U+2212 (the minus sign, what JIS's own table makes of Shift_JIS 817C) as "-",
//   and U+3000 (the ideographic space) as a space.
// Both encodings are read at once: no form begins with an ASCII byte or with a byte that
// begins a form of the other encoding, and every other byte, the UTF-8 byte order mark
// included, passes unchanged, so ASCII input means what it always did. An exception from the
// source (a failed read) passes through. The source is read a token at a time, never beyond
// the white space after it, and only as far as it holds input already once the token's first
// byte is asked for.
class FullWidthInput : public std::streambuf {
public:
    explicit FullWidthInput(std::streambuf& source);
    FullWidthInput(const FullWidthInput&) = delete;
    FullWidthInput& operator=(const FullWidthInput&) = delete;

protected:
    int_type underflow() override;
    int_type uflow() override;

private:
    // Takes the rest of the character that begins with lead from the source and writes what
    // it reads as to to; returns the end of what it wrote.
    char* takeCharacter(unsigned char lead, char* to);
    // The source's next byte, not taken, or -1 at the end of the input.
    int peek();
    // The source's next character, not taken, or eof once the source has ended.
    int_type sourceNext();

    // The longest character taken at once: four bytes of UTF-8.
    static constexpr int longestCharacter = 4;
    // A long token passes in pieces of this size, so that memory stays the same.
    static constexpr int blockSize = 4096;
    std::streambuf& source;
    // The source is asked no more once it has ended: the end may be met while looking past a
    // character already handed on, and a terminal asked again would wait for another Ctrl-D.
    bool ended = false;
    char block[blockSize];
};

} // namespace console
