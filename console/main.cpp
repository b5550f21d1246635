// normcalc: converts between a standard score z and the probability p = Phi(z) of the
// standard normal distribution, through a menu on the console.
#include "console/Dialogue.h"
#include "console/Encoding.h"
#include "console/Texts.h"

#include <iostream>

int main()
{
    // Decided once, before the first text is written, so that a session never mixes encodings.
    const console::Texts& texts = console::textsFor(console::consoleEncoding());
    console::Console dialogue{std::cin, std::cout, texts};
    return console::runMenu(dialogue);
}
