// normcalc: converts between a standard score z and the probability p = Phi(z) of the
// standard normal distribution, through a menu on the console.
#include "console/Dialogue.h"
#include "console/Texts.h"

#include <iostream>

int main()
{
    console::Console dialogue{std::cin, std::cout, console::shiftJisTexts};
    return console::runMenu(dialogue);
}
