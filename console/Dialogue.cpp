#include "console/Dialogue.h"

#include "console/FullWidth.h"
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

// What Windows Notepad and other editors put at the start of a UTF-8 file.
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t byteOrderMarkLength = sizeof byteOrderMark - 1;

using Traits = std::char_traits<char>;

enum class ReadResult { value, invalid, ended, failed };

// Flushes what the dialogue has written, so that its prompt is seen before the read; false
// when the output has failed, now or before: then nothing more is read or computed.
bool outputHolds(Console& console)
{
    return static_cast<bool>(console.out.flush());
}

// Reads up to white space or the end of the input, keeping at most capacity characters in
// kept; returns the token's whole length. The buffer is read directly so that a token of any
// length passes in constant memory; an exception from it (a failed read) sets badbit, as in
// the stream's own input functions, and the end of the input sets eofbit. Reads nothing once
// the stream has ended or failed: a terminal would wait for a second end of input.
std::size_t readToken(std::istream& in, char* kept, std::size_t capacity)
{
    if (!in.good()) {
        return 0;
    }
    const std::ctype<char>& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    std::streambuf* buffer = in.rdbuf();
    std::size_t length = 0;
    try {
        for (int c = buffer->sgetc();; c = buffer->snextc()) {
            if (Traits::eq_int_type(c, Traits::eof())) {
                in.setstate(std::ios_base::eofbit);
                break;
            }
            const char character = Traits::to_char_type(c);
            if (ctype.is(std::ctype_base::space, character)) {
                break;
            }
            if (length < capacity) {
                kept[length] = character;
            }
            ++length;
        }
    } catch (...) {
        in.setstate(std::ios_base::badbit);
    }
    return length;
}

// Skips white space; ended when no token follows, failed when the input cannot be read,
// value when a token is next.
ReadResult skipToToken(std::istream& in)
{
    in >> std::ws;
    if (in.bad()) {
        return ReadResult::failed;
    }
    return in.good() ? ReadResult::value : ReadResult::ended;
}

// Skips a byte order mark at the very start of the input. A start that is only the beginning
// of one is a bad token: the rest of it is skipped and invalid returned, just as the choice
// prompt treats any token that starts with such a byte.
ReadResult skipByteOrderMark(std::istream& in)
{
    std::streambuf* buffer = in.rdbuf();
    std::size_t matched = 0;
    try {
        while (matched < byteOrderMarkLength) {
            const int c = buffer->sgetc();
            if (Traits::eq_int_type(c, Traits::eof())) {
                in.setstate(std::ios_base::eofbit);
                break;
            }
            if (Traits::to_char_type(c) != byteOrderMark[matched]) {
                break;
            }
            buffer->sbumpc();
            ++matched;
        }
    } catch (...) {
        in.setstate(std::ios_base::badbit);
        return ReadResult::failed;
    }
    if (matched == 0 || matched == byteOrderMarkLength) {
        return ReadResult::value;
    }
    readToken(in, nullptr, 0);
    return in.bad() ? ReadResult::failed : ReadResult::invalid;
}

// Reads the menu choice with the stream's own int extraction, which ends the token at the
// first character that cannot belong to an int (1.5 is the choice 1, and .5 is left). A token
// that is not an int, or out of range, is discarded up to the next white space.
ReadResult readChoice(Console& console, int& ck, bool atStart)
{
    if (!outputHolds(console)) {
        return ReadResult::failed;
    }
    std::istream& in = console.in;
    if (atStart) {
        const ReadResult mark = skipByteOrderMark(in);
        if (mark != ReadResult::value) {
            return mark;
        }
    }
    const ReadResult next = skipToToken(in);
    if (next != ReadResult::value) {
        return next;
    }
    if (in >> ck) {
        return ReadResult::value;
    }
    if (in.bad()) {
        return ReadResult::failed;
    }
    in.clear(in.rdstate() & ~std::ios_base::failbit);
    readToken(in, nullptr, 0);
    return in.bad() ? ReadResult::failed : ReadResult::invalid;
}

// The stream's formatted extraction of a double, applied to a token in memory.
struct TokenConverter : std::num_get<char, const char*> {};

// Converts a whole token as the stream's own extraction of a double would, with its flags and
// locale (the classic one: the program sets none); false unless that succeeds and consumes
// every character (1.96x, 1,96 and 0x1p-3 are no numbers here, not 1.96, 1 and 0).
bool convertWhole(std::istream& in, const char* token, std::size_t length, double& value)
{
    const TokenConverter converter;
    std::ios_base::iostate state = std::ios_base::goodbit;
    double converted = 0.0;
    const char* end = converter.get(token, token + length, in, state, converted);
    if ((state & std::ios_base::failbit) != 0 || end != token + length) {
        return false;
    }
    value = converted;
    return true;
}

// Reads z or p as a whole white-space-delimited token; a token that is not wholly a number,
// or longer than maxTokenLength, is invalid and none of it is used.
ReadResult readNumber(Console& console, double& value)
{
    if (!outputHolds(console)) {
        return ReadResult::failed;
    }
    std::istream& in = console.in;
    const ReadResult next = skipToToken(in);
    if (next != ReadResult::value) {
        return next;
    }
    char token[maxTokenLength];
    const std::size_t length = readToken(in, token, maxTokenLength);
    if (in.bad()) {
        return ReadResult::failed;
    }
    if (length > maxTokenLength || !convertWhole(in, token, length, value)) {
        return ReadResult::invalid;
    }
    return ReadResult::value;
}

// Writes a command's prompt and reads its number. Returns nothing once the number is read;
// otherwise writes what ends the open line (the rejection of a bad token, or just the line end
// when the input has ended or failed) and returns how the command ends.
std::optional<CommandEnd> askNumber(Console& console, const char* prompt,
                                    const char* invalidMessage, double& value)
{
    console.out << prompt;
    switch (readNumber(console, value)) {
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
        switch (readChoice(console, ck, atStart)) {
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
