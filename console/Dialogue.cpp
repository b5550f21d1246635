#include "console/Dialogue.h"

#include "console/FullWidth.h"
#include "console/TokenReader.h"
#include "distribution/Normal.h"

#include <istream>
#include <optional>
#include <ostream>

namespace console {
namespace {

constexpr int choiceZToP = 1;
constexpr int choicePToZ = 2;
constexpr int choiceQuit = 9;

// Flushes what the dialogue has written, so that its prompt is seen before the read; false
// when the output has failed, now or before: then nothing more is read or computed.
bool outputHolds(Console& console)
{
    return static_cast<bool>(console.out.flush());
}

// Writes a command's prompt and reads its number. Returns nothing once the number is read;
// otherwise writes what ends the open line (the rejection of a bad token, or just the line end
// when the input has ended or failed) and returns how the command ends.
std::optional<CommandEnd> askNumber(Console& console, const char* prompt,
                                    const char* invalidMessage, double& value)
{
    console.out << prompt;
    switch (outputHolds(console) ? readNumber(console.in, value) : ReadResult::failed) {
    case ReadResult::value:
        return std::nullopt;
    case ReadResult::invalid:
        console.out << invalidMessage << std::endl;
        return CommandEnd::done;
    case ReadResult::ended:
        console.out << std::endl;
        return CommandEnd::inputEnded;
    case ReadResult::failed:
        break;
    }
    console.out << std::endl;
    return CommandEnd::streamFailed;
}

void writeMenu(Console& console)
{
    console.out << console.texts.menuZToP << std::endl;
    console.out << console.texts.menuPToZ << std::endl;
    console.out << console.texts.menuQuit << std::endl;
    console.out << "No. = ";
}

// The status to exit with, unless the output failed on the way: the last line end included.
int exitStatus(Console& console, int status)
{
    return console.out ? status : exitStreamFailed;
}

} // namespace

CommandEnd commandZToP(Console& console)
{
    double z = 0.0;
    if (const auto end = askNumber(console, "\nz = ", "Invalid value for z.", z)) {
        return *end;
    }
    const double p = normalCdfToPrint(z);
    console.out << "p = " << p << std::endl << std::endl;
    return CommandEnd::done;
}

CommandEnd commandPToZ(Console& console)
{
    double p = 0.0;
    if (const auto end = askNumber(console, "\np = ", "Invalid value for p.", p)) {
        return *end;
    }
    try {
        const double z = normalCdfInverseToPrint(p);
        console.out << "z = " << z << std::endl << std::endl;
    } catch (const char* message) {
        console.out << console.texts.localize(message) << std::endl;
    } catch (...) {
        console.out << "Bye." << std::endl;
    }
    return CommandEnd::done;
}

namespace {

// The menu loop on a console whose input is read through FullWidthInput.
int menuLoop(Console& console)
{
    for (bool atStart = true;; atStart = false) {
        writeMenu(console);
        int ck = 0;
        switch (outputHolds(console) ? readChoice(console.in, ck, atStart) : ReadResult::failed) {
        case ReadResult::value:
            break;
        case ReadResult::invalid:
            console.out << "Invalid value for ck." << std::endl;
            continue;
        case ReadResult::ended:
            console.out << std::endl;
            return exitStatus(console, exitChosen);
        case ReadResult::failed:
            console.out << std::endl;
            return exitStreamFailed;
        }
        CommandEnd end = CommandEnd::done;
        if (ck == choiceQuit) {
            return exitStatus(console, exitChosen);
        } else if (ck == choiceZToP) {
            end = commandZToP(console);
        } else if (ck == choicePToZ) {
            end = commandPToZ(console);
        } else {
            console.out << "Your value for ck = " << ck << std::endl;
        }
        if (end == CommandEnd::inputEnded) {
            return exitStatus(console, exitInputCutOff);
        }
        if (end == CommandEnd::streamFailed) {
            return exitStreamFailed;
        }
    }
}

} // namespace

int runMenu(Console& console)
{
    // A stream of the dialogue's own over the filter, with the caller's formats, locale and
    // tie; the caller's stream gets the end and failure states back.
    FullWidthInput typed(*console.in.rdbuf());
    std::istream in(&typed);
    in.copyfmt(console.in);
    in.clear(console.in.rdstate());
    Console typedConsole{in, console.out, console.texts};
    const int status = menuLoop(typedConsole);
    console.in.setstate(in.rdstate());
    return status;
}

} // namespace console
