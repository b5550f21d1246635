// normcalc: converts between a standard score z and the probability p = Phi(z) of the
// standard normal distribution, through a menu on the console.
#include "console/Dialogue.h"
#include "console/Encoding.h"
#include "console/Streams.h"
#include "console/Texts.h"
#include "console/WideConsole.h"

#include <iostream>
#include <ostream>

int main()
{
    // Decided once, before the first text is written, so that a session never mixes encodings.
    const console::Encoding encoding = console::consoleEncoding();
    const console::Texts& texts = console::textsFor(encoding);
    // On a Windows console std::cout writes characters from here on; elsewhere nothing changes.
    // Blocks are for output nobody watches, and sync_with_stdio(false) would replace the buffer.
    const console::WideConsoleOutput wideConsole(encoding, std::cout);
    if (encoding == console::Encoding::utf16 || !console::standardInputIsRegularFile()) {
        // A person or a program may be waiting at each prompt: every line is flushed.
        console::Console dialogue{std::cin, std::cout, texts};
        return console::runMenu(dialogue);
    }
    // Reading a file of queries: the same bytes, written in blocks. Nobody shares the C
    // streams with us, so the C++ ones may buffer on their own.
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
    console::BlockBuffer buffer(*std::cout.rdbuf());
    std::ostream out(&buffer);
    console::Console dialogue{std::cin, out, texts};
    const int status = console::runMenu(dialogue);
    buffer.finish();
    return status;
}
