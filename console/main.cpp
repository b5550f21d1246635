// normcalc: converts between a standard score z and the probability p = Phi(z) of the
// standard normal distribution, through a menu on the console.
#include "console/Dialogue.h"
#include "console/Encoding.h"
#include "console/Streams.h"
#include "console/Texts.h"
#include "console/WideConsole.h"
#include "io/LineEditor.h"
#include "io/OpenLine.h"

#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>

namespace {

// Standard output can no longer carry the news, so one line goes to standard error, in the
// form cat uses: "normcalc: read error: Is a directory".
void reportFailure(const char* what, int error)
{
    std::fprintf(stderr, "normcalc: %s error: %s\n", what, std::strerror(error));
}

} // namespace

int main()
{
    // Decided once, before the first text is written, so that a session never mixes encodings.
    const console::Encoding encoding = console::consoleEncoding();
    const console::Texts& texts = console::textsFor(encoding);
    // Reading a file of queries into a file or pipe, nobody waits at a prompt: the same bytes
    // are written in blocks. A person at a terminal sees every line at once, even then.
    const bool batch =
        console::standardInputIsRegularFile() && !console::standardOutputIsTerminal();
    // A Windows console is read and written characters, not bytes.
    console::StandardInput input;
    console::StandardOutput output(encoding, batch ? console::Flushing::inBlocks
                                                   : console::Flushing::atLineEnds);
    // A person at a terminal edits each line before it is read; the prompt the dialogue leaves
    // open is the editor's.
    io::OpenLine prompts(*output.buffer());
    io::LineEditor editor(prompts, encoding == console::Encoding::utf8);
    const bool editing = editor.start();
    std::istream in(editing ? &editor : input.buffer());
    std::ostream out(editing ? &prompts : output.buffer());
    console::Console dialogue{in, out, texts};
    int status = console::runMenu(dialogue);
    if (!prompts.finish() || !output.finish()) {
        status = console::exitStreamFailed;
    }
    const int readError = editing ? editor.error() : input.error();
    if (status == console::exitStreamFailed) {
        if (readError != 0) {
            reportFailure("read", readError);
        } else {
            reportFailure("write", output.error());
        }
    }
    return status;
}
