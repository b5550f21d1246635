// The calculator's dialogue: the menu loop and its two commands, on any pair of streams.
#pragma once

#include "console/Texts.h"

#include <iosfwd>

namespace console {

// Where a dialogue reads, where it writes, and the texts it writes there. Before every read
// the output is flushed, so that each prompt is seen before the dialogue waits; a failed
// output, or an input whose buffer throws (badbit), ends the dialogue.
struct Console {
    std::istream& in;
    std::ostream& out;
    const Texts& texts;
};

// How a command ended: done (the menu follows), cut off by the end of input, or stopped
// because the input could not be read or the output not written.
enum class CommandEnd { done, inputEnded, streamFailed };

// Exit status after the user's choice 9, or the end of input at the choice prompt.
constexpr int exitChosen = 0;
// Exit status when the input ends at a command's prompt, cutting the request off.
constexpr int exitInputCutOff = 1;
// Exit status when the output cannot be written or the input cannot be read.
constexpr int exitStreamFailed = 2;

// Runs the menu until choice 9, the end of input or a failed stream and returns the exit
// status; never throws. A UTF-8 byte order mark at the start of the input is skipped, and
// full-width digits, signs, points, exponent letters and ideographic spaces are read as their
// ASCII characters (FullWidth.h).
int runMenu(Console& console);

// Reads z and writes p = Phi(z); inputEnded when the input ends at its prompt, streamFailed
// when a stream fails.
CommandEnd commandZToP(Console& console);

// Reads p and writes z with Phi(z) = p, or the reason it has none; inputEnded when the input
// ends at its prompt, streamFailed when a stream fails. Lets no exception escape.
CommandEnd commandPToZ(Console& console);

} // namespace console
