#include "console/TokenReader.h"

#include <cmath>
#include <istream>
#include <limits>
#include <locale>
#include <string>

namespace console {
namespace {

// What Windows Notepad and other editors put at the start of a UTF-8 file.
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t byteOrderMarkLength = sizeof byteOrderMark - 1;

using Traits = std::char_traits<char>;

// Reads up to white space or the end of the input, keeping at most capacity characters in
// kept; returns the token's whole length. The buffer is read directly so that a token of any
// length passes in constant memory; an exception from it (a failed read) sets badbit, as in
// the stream's own input functions, and the end of the input sets eofbit. Reads nothing once
// the stream has ended or failed: a terminal would wait for a second end of input.
std::size_t readToken(std::istream& in, char* kept, std::size_t capacity)
{
    if (!in.good()) {
        return 0;
    }
    const std::ctype<char>& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    std::streambuf* buffer = in.rdbuf();
    std::size_t length = 0;
    try {
        for (int c = buffer->sgetc();; c = buffer->snextc()) {
            if (Traits::eq_int_type(c, Traits::eof())) {
                in.setstate(std::ios_base::eofbit);
                break;
            }
            const char character = Traits::to_char_type(c);
            if (ctype.is(std::ctype_base::space, character)) {
                break;
            }
            if (length < capacity) {
                kept[length] = character;
            }
            ++length;
        }
    } catch (...) {
        in.setstate(std::ios_base::badbit);
    }
    return length;
}

// Passes over the rest of a bad token.
ReadResult skipToken(std::istream& in)
{
    readToken(in, nullptr, 0);
    return in.bad() ? ReadResult::failed : ReadResult::invalid;
}

// Skips white space; ended when no token follows, failed when the input cannot be read,
// value when a token is next.
ReadResult skipToToken(std::istream& in)
{
    in >> std::ws;
    if (in.bad()) {
        return ReadResult::failed;
    }
    return in.good() ? ReadResult::value : ReadResult::ended;
}

// Skips a byte order mark at the very start of the input. A start that is only the beginning
// of one is a bad token: the rest of it is skipped and invalid returned, just as the choice
// prompt treats any token that starts with such a byte.
ReadResult skipByteOrderMark(std::istream& in)
{
    std::streambuf* buffer = in.rdbuf();
    std::size_t matched = 0;
    try {
        while (matched < byteOrderMarkLength) {
            const int c = buffer->sgetc();
            if (Traits::eq_int_type(c, Traits::eof())) {
                in.setstate(std::ios_base::eofbit);
                break;
            }
            if (Traits::to_char_type(c) != byteOrderMark[matched]) {
                break;
            }
            buffer->sbumpc();
            ++matched;
        }
    } catch (...) {
        in.setstate(std::ios_base::badbit);
        return ReadResult::failed;
    }
    if (matched == 0 || matched == byteOrderMarkLength) {
        return ReadResult::value;
    }
    return skipToken(in);
}

// The stream's formatted extraction of a double, applied to a token in memory.
struct TokenConverter : std::num_get<char, const char*> {};

// True when the token's digits before its exponent are not all zeros: a number that is not 0,
// however small.
bool hasNonzeroDigit(const char* token, std::size_t length)
{
    for (std::size_t i = 0; i < length && token[i] != 'e' && token[i] != 'E'; ++i) {
        if (token[i] >= '1' && token[i] <= '9') {
            return true;
        }
    }
    return false;
}

// Converts a whole token as the stream's own extraction of a double would, with its flags and
// locale (the classic one: the program sets none); false unless every character belongs to
// the number. A number beyond the double range still counts by its magnitude: one above the
// largest double reads as an infinity of its sign, past every finite value, and one that is
// not 0 but below the smallest subnormal as the smallest subnormal of its sign, not as 0.
bool convertWhole(std::istream& in, const char* token, std::size_t length, double& value)
{
    constexpr double largest = std::numeric_limits<double>::max();
    constexpr double smallest = std::numeric_limits<double>::denorm_min();
    const TokenConverter converter;
    std::ios_base::iostate state = std::ios_base::goodbit;
    double converted = 0.0;
    const char* end = converter.get(token, token + length, in, state, converted);
    if (end != token + length) {
        return false;
    }
    // The extraction fails a number that overflows and gives the largest double its sign.
    if ((state & std::ios_base::failbit) != 0) {
        if (std::fabs(converted) != largest) {
            return false;
        }
        converted = std::copysign(std::numeric_limits<double>::infinity(), converted);
    } else if (converted == 0.0 && hasNonzeroDigit(token, length)) {
        converted = std::copysign(smallest, converted);
    }
    value = converted;
    return true;
}

} // namespace

ReadResult readChoice(std::istream& in, int& choice, bool atStart)
{
    if (atStart) {
        const ReadResult mark = skipByteOrderMark(in);
        if (mark != ReadResult::value) {
            return mark;
        }
    }
    const ReadResult next = skipToToken(in);
    if (next != ReadResult::value) {
        return next;
    }
    if (in >> choice) {
        return ReadResult::value;
    }
    if (in.bad()) {
        return ReadResult::failed;
    }
    in.clear(in.rdstate() & ~std::ios_base::failbit);
    return skipToken(in);
}

ReadResult readNumber(std::istream& in, double& value)
{
    const ReadResult next = skipToToken(in);
    if (next != ReadResult::value) {
        return next;
    }
    char token[maxTokenLength];
    const std::size_t length = readToken(in, token, maxTokenLength);
    if (in.bad()) {
        return ReadResult::failed;
    }
    if (length > maxTokenLength || !convertWhole(in, token, length, value)) {
        return ReadResult::invalid;
    }
    return ReadResult::value;
}

} // namespace console
