// normcalc: converts between a standard score z and the probability p = Phi(z) of the
// standard normal distribution, through a menu on the console.
#include "console/Dialogue.h"
#include "io/StandardStreams.h"

#include <cstdio>
#include <cstring>

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
    io::StandardStreams streams;
    console::Console dialogue{streams.in(), streams.out(), console::textsFor(streams.encoding())};
    int status = console::runMenu(dialogue);
    if (!streams.finish()) {
        status = console::exitStreamFailed;
    }
    if (status == console::exitStreamFailed) {
        if (streams.readError() != 0) {
            reportFailure("read", streams.readError());
        } else {
            reportFailure("write", streams.writeError());
        }
    }
    return status;
}
