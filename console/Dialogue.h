// The calculator's dialogue: the menu loop and its two commands, on any pair of streams.
#pragma once

#include "console/Texts.h"

#include <iosfwd>

namespace console {

// Where a dialogue reads, where it writes, and the texts it writes there.
struct Console {
    std::istream& in;
    std::ostream& out;
    const Texts& texts;
};

// How a command ended: done (the menu follows), or cut off by the end of input.
enum class CommandEnd { done, inputEnded };

// Exit status after the user's choice 9, or the end of input at the choice prompt.
constexpr int exitChosen = 0;
// Exit status when the input ends at a command's prompt, cutting the request off.
constexpr int exitInputCutOff = 1;

// Runs the menu until choice 9 or the end of input and returns the exit status; never throws.
int runMenu(Console& console);

// Reads z and writes p = Phi(z); inputEnded when the input ends at its prompt.
CommandEnd commandZToP(Console& console);

// Reads p and writes z with Phi(z) = p, or the reason it has none; inputEnded when the input
// ends at its prompt. Lets no exception escape.
CommandEnd commandPToZ(Console& console);

} // namespace console
