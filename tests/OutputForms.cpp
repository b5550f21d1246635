#include "tests/OutputForms.h"

#include "console/Dialogue.h"
#include "tests/Expected.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace fuzz {
namespace {

const std::string choicePrompt = "No. = ";
const std::string zPrompt = "z = ";
const std::string pPrompt = "p = ";
const std::string echoLabel = "Your value for ck = ";

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

using expected::printed;

bool isPrintedInt(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    // A number is exactly what an ostream in its default state prints for some value: the
    // text is parsed, printed again, and must come back unchanged.
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    return printed(static_cast<int>(value)) == text;
}

// A choice the menu acts on is never echoed.
bool isEchoedChoice(const std::string& text)
{
    return isPrintedInt(text) && text != "1" && text != "2" && text != "9";
}

// Only finite values: "inf" and "nan" are what an ostream prints too, but never a result.
bool isPrintedDouble(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("-+.0123456789e") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && printed(value) == text;
}

bool isAfterChoicePrompt(const std::string& tail)
{
    return tail.empty() || tail == "Invalid value for ck." ||
           (startsWith(tail, echoLabel) && isEchoedChoice(tail.substr(echoLabel.size())));
}

bool isAfterZPrompt(const std::string& tail)
{
    return tail.empty() || tail == "Invalid value for z." ||
           (startsWith(tail, pPrompt) && isPrintedDouble(tail.substr(pPrompt.size())));
}

bool isAfterPPrompt(const std::string& tail, const console::Texts& texts)
{
    return tail.empty() || tail == "Invalid value for p." ||
           tail == "Value for p is too close to 0." || tail == texts.bracketFailure ||
           tail == "Bye." ||
           (startsWith(tail, zPrompt) && isPrintedDouble(tail.substr(zPrompt.size())));
}

bool isDialogueLine(const std::string& line, const console::Texts& texts)
{
    if (line.empty() || line == texts.menuZToP || line == texts.menuPToZ ||
        line == texts.menuQuit) {
        return true;
    }
    if (startsWith(line, choicePrompt)) {
        return isAfterChoicePrompt(line.substr(choicePrompt.size()));
    }
    if (startsWith(line, zPrompt)) {
        return isAfterZPrompt(line.substr(zPrompt.size()));
    }
    if (startsWith(line, pPrompt)) {
        return isAfterPPrompt(line.substr(pPrompt.size()), texts);
    }
    return false;
}

// The line each kind of line must follow: the menu comes whole, the choice prompt after it,
// and a command's prompt only after a choice prompt that the answer left empty.
std::string orderViolation(const std::string& line, const std::string* previous,
                           const console::Texts& texts)
{
    const auto after = [&](const std::string& required) {
        return previous != nullptr && *previous == required;
    };
    if (line == texts.menuPToZ && !after(texts.menuZToP)) {
        return "menu line 2 not after menu line 1";
    }
    if (line == texts.menuQuit && !after(texts.menuPToZ)) {
        return "menu line 3 not after menu line 2";
    }
    if (startsWith(line, choicePrompt) && !after(texts.menuQuit)) {
        return "choice prompt not after the menu";
    }
    if ((startsWith(line, zPrompt) || startsWith(line, pPrompt)) && !after(choicePrompt)) {
        return "command prompt not after an answered choice prompt";
    }
    if (previous != nullptr && *previous == texts.menuZToP && line != texts.menuPToZ) {
        return "menu line 1 not followed by menu line 2";
    }
    return "";
}

// An answered choice prompt ends its line only to open a command's prompt, or at the end.
bool isAllowedAfterEmptyChoice(const std::string& line, bool last)
{
    return startsWith(line, zPrompt) || startsWith(line, pPrompt) || (last && line.empty());
}

std::vector<std::string> splitLines(const std::string& out)
{
    std::vector<std::string> lines;
    std::string::size_type begin = 0;
    for (;;) {
        const std::string::size_type end = out.find('\n', begin);
        if (end == std::string::npos) {
            lines.push_back(out.substr(begin));
            return lines;
        }
        lines.push_back(out.substr(begin, end - begin));
        begin = end + 1;
    }
}

} // namespace

std::string findFormViolation(const std::string& out, int status, const console::Texts& texts)
{
    const std::vector<std::string> lines = splitLines(out);
    if (lines.front() != texts.menuZToP) {
        return "output does not start with the menu";
    }
    // The last piece is the open line after the final newline: empty, or the choice prompt
    // left open by choice 9.
    const std::string& open = lines.back();
    if (!open.empty() && open != choicePrompt) {
        return "output ends in an unfinished line other than the choice prompt";
    }
    for (std::vector<std::string>::size_type i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!isDialogueLine(line, texts)) {
            return "line " + std::to_string(i + 1) + " is no form of the dialogue";
        }
        const std::string order = orderViolation(line, i > 0 ? &lines[i - 1] : nullptr, texts);
        if (!order.empty()) {
            return "line " + std::to_string(i + 1) + ": " + order;
        }
        if (i > 0 && lines[i - 1] == choicePrompt &&
            !isAllowedAfterEmptyChoice(line, i + 1 == lines.size())) {
            return "line " + std::to_string(i + 1) + ": no command after an answered choice";
        }
        // A command prompt left empty means the input ended there; nothing may follow it.
        const bool cutOff = line == zPrompt || line == pPrompt;
        if (cutOff && i + 2 != lines.size()) {
            return "line " + std::to_string(i + 1) + ": output goes on after a cut-off prompt";
        }
    }
    const bool endsAtChoice = endsWith(out, choicePrompt) || endsWith(out, choicePrompt + "\n");
    const bool endsCutOff = endsWith(out, "\n" + zPrompt + "\n") ||
                            endsWith(out, "\n" + pPrompt + "\n");
    if (status == console::exitChosen && !endsAtChoice) {
        return "exit status 0 but the output does not end at the choice prompt";
    }
    if (status == console::exitInputCutOff && !endsCutOff) {
        return "exit status 1 but the output does not end in a cut-off prompt";
    }
    if (status != console::exitChosen && status != console::exitInputCutOff) {
        return "exit status " + std::to_string(status) + " is neither 0 nor 1";
    }
    return "";
}

} // namespace fuzz
