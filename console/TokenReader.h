// The dialogue's answers read from a stream: the menu choice as an int, z and p as whole
// white-space-delimited tokens, in constant memory whatever the input.
#pragma once

#include <cstddef>
#include <iosfwd>

namespace console {

// What a read gave: a value, a token that is none (passed over), the end of the input, or a
// failed read (the stream's buffer threw: badbit).
enum class ReadResult { value, invalid, ended, failed };

// The longest token read as z or p; a longer one is invalid and is passed over without being
// kept. The exact decimal expansion of any double takes at most 1077 characters (-2^-1074 in
// fixed notation: sign, "0.", 1074 digits), so no number a person or a program writes comes
// near it, and memory stays the same whatever the input.
constexpr std::size_t maxTokenLength = 4096;

// Reads the menu choice with the stream's own int extraction, which ends the token at the
// first character that cannot belong to an int (1.5 is the choice 1, and .5 is left); a token
// that is not an int, or out of range, is invalid and discarded up to the next white space.
// atStart: a UTF-8 byte order mark at the very start of the input is skipped first.
ReadResult readChoice(std::istream& in, int& choice, bool atStart);

// Reads z or p as a whole token; one that is not wholly a number (1.96x, 1,96, 0x1p-3), or
// longer than maxTokenLength, is invalid and none of it is used. A number above the largest
// double reads as an infinity, one below the smallest subnormal but not 0 as that subnormal.
ReadResult readNumber(std::istream& in, double& value);

} // namespace console
