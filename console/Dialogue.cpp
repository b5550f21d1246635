#include "console/Dialogue.h"

#include "distribution/Normal.h"

#include <istream>
#include <locale>
#include <optional>
#include <ostream>
#include <string>

namespace console {
namespace {

constexpr int choiceZToP = 1;
constexpr int choicePToZ = 2;
constexpr int choiceQuit = 9;

enum class ReadResult { value, invalid, ended };

// Reads one value with the stream's formatted extraction. A token that is not a value of T
// (not a number, or out of range) is discarded up to the next white space and reported as
// invalid, so that a failed stream never makes the loop spin; ended when no token is left.
template <typename T>
ReadResult readValue(std::istream& in, T& value)
{
    // Skipping white space first tells a missing token (the end of input) from a bad one.
    in >> std::ws;
    if (!in.good()) {
        return ReadResult::ended;
    }
    if (in >> value) {
        return ReadResult::value;
    }
    in.clear();
    std::streambuf* buffer = in.rdbuf();
    const std::ctype<char>& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    for (int c = buffer->sgetc(); c != std::char_traits<char>::eof(); c = buffer->snextc()) {
        if (ctype.is(std::ctype_base::space, std::char_traits<char>::to_char_type(c))) {
            break;
        }
    }
    return ReadResult::invalid;
}

// Writes a command's prompt and reads its number. Returns nothing once the number is read;
// otherwise writes what ends the open line (the rejection of a bad token, or just the line end
// when the input has ended) and returns how the command ends.
std::optional<CommandEnd> askNumber(Console& console, const char* prompt,
                                    const char* invalidMessage, double& value)
{
    console.out << prompt;
    switch (readValue(console.in, value)) {
    case ReadResult::value:
        return std::nullopt;
    case ReadResult::invalid:
        console.out << invalidMessage << std::endl;
        return CommandEnd::done;
    case ReadResult::ended:
        break;
    }
    console.out << std::endl;
    return CommandEnd::inputEnded;
}

void writeMenu(Console& console)
{
    console.out << console.texts.menuZToP << std::endl;
    console.out << console.texts.menuPToZ << std::endl;
    console.out << console.texts.menuQuit << std::endl;
    console.out << "No. = ";
}

} // namespace

CommandEnd commandZToP(Console& console)
{
    double z = 0.0;
    if (const auto end = askNumber(console, "\nz = ", "Invalid value for z.", z)) {
        return *end;
    }
    const double p = normalCdf(z);
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
        const double z = normalCdfInverse(p);
        console.out << "z = " << z << std::endl << std::endl;
    } catch (const char* message) {
        console.out << console.texts.localize(message) << std::endl;
    } catch (...) {
        console.out << "Bye." << std::endl;
    }
    return CommandEnd::done;
}

int runMenu(Console& console)
{
    for (;;) {
        writeMenu(console);
        int ck = 0;
        const ReadResult read = readValue(console.in, ck);
        if (read == ReadResult::ended) {
            console.out << std::endl;
            return exitChosen;
        }
        if (read == ReadResult::invalid) {
            console.out << "Invalid value for ck." << std::endl;
            continue;
        }
        CommandEnd end = CommandEnd::done;
        if (ck == choiceQuit) {
            return exitChosen;
        } else if (ck == choiceZToP) {
            end = commandZToP(console);
        } else if (ck == choicePToZ) {
            end = commandPToZ(console);
        } else {
            console.out << "Your value for ck = " << ck << std::endl;
        }
        if (end == CommandEnd::inputEnded) {
            return exitInputCutOff;
        }
    }
}

} // namespace console
