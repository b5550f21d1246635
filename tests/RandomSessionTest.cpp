// Random sessions through the real executable, with its real stream set-up: input from a
// regular file (output in blocks) and through a pipe (output line by line) must give the same
// bytes, every line one of the dialogue's own forms and a fitting exit status.
//
// The seed is drawn afresh for every run and shown with any failure; NORMCALC_SEED=<number>
// repeats a run.
#include "Calculator.h"

#include "console/Dialogue.h"
#include "console/Texts.h"
#include "console/TokenReader.h"
#include "tests/OutputForms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using calculator::Input;
using calculator::Output;

// Sessions per run: each is run twice, a process start apiece (some 20 ms, 150 ms under
// the sanitizers), so the test stays within seconds; long sessions make up for few of them.
constexpr int sessionsPerRun = 8;
constexpr int maxTokensPerSession = 80;

class SessionMaker {
public:
    explicit SessionMaker(std::uint64_t seed) : random(seed) {}

    std::string session()
    {
        std::string text;
        if (chance(1, 4)) {
            text += "\xEF\xBB\xBF";
        }
        const int tokens = below(maxTokensPerSession) + 1;
        for (int i = 0; i < tokens; ++i) {
            text += token();
            text += space();
        }
        // Most sessions end with choice 9; the rest end their input at a menu or a prompt.
        if (chance(3, 4)) {
            text += "9";
        }
        return text;
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int k, int n) { return below(n) < k; }
    double between(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(random);
    }

    template <std::size_t N>
    const char* pick(const char* const (&choices)[N])
    {
        return choices[below(static_cast<int>(N))];
    }

    std::string number(double low, double high)
    {
        static const char* const formats[] = {"%.3f", "%.17g", "%g", "%.2e", "%+.6f"};
        char text[64];
        std::snprintf(text, sizeof text, pick(formats), between(low, high));
        return text;
    }

    std::string space()
    {
        static const char* const spaces[] = {" ", "\n", "\t", "\r\n", "  \n\n", "\v", "\f"};
        return pick(spaces);
    }

    std::string token()
    {
        static const char* const choices[] = {"1", "2", "1", "2", "0", "3", "-1", "+3", "003",
                                              "2147483648", "1.5", "2.5", "10"};
        static const char* const junk[] = {"x", ",5", "+1", "e", ".", "-", "\xEF\xBB\xBF", "nan"};
        static const char* const odd[] = {"abc", "0x1p-3", "inf", "-nan", "1e999", "1e-999",
                                          "1e-20", "0.9999999999999999", "4.9e-324", "0", "1"};
        switch (below(10)) {
        case 0:
        case 1:
        case 2:
            return pick(choices);
        case 3:
        case 4:
            return number(-9.0, 9.0);
        case 5:
            return number(0.0, 1.0);
        case 6:
            return number(-9.0, 9.0) + pick(junk);
        case 7:
            return pick(odd);
        case 8:
            return bytes();
        default:
            return longToken();
        }
    }

    // Anything but white space, NUL and high bytes included.
    std::string bytes()
    {
        std::string text;
        const int length = below(12) + 1;
        while (static_cast<int>(text.size()) < length) {
            const char c = static_cast<char>(below(256));
            if (std::string(" \t\n\v\f\r").find(c) == std::string::npos) {
                text += c;
            }
        }
        return text;
    }

    // A number padded with leading zeros to about the length limit, on either side of it.
    std::string longToken()
    {
        const std::string digits = chance(1, 2) ? "1.96" : "0.975";
        const std::size_t length =
            console::maxTokenLength - 2 + static_cast<std::size_t>(below(5)) * (chance(1, 8) ? 1000 : 1);
        return std::string(length - digits.size(), '0') + digits;
    }

    std::mt19937_64 random;
};

std::uint64_t chooseSeed()
{
    if (const char* given = std::getenv("NORMCALC_SEED")) {
        return std::strtoull(given, nullptr, 10);
    }
    return std::random_device{}();
}

TEST(RandomSessions, SameBytesAndOwnFormsWhateverTheStreams)
{
    const std::uint64_t seed = chooseSeed();
    SCOPED_TRACE(testing::Message() << "NORMCALC_SEED=" << seed);
    SessionMaker maker(seed);
    for (int i = 0; i < sessionsPerRun; ++i) {
        const std::string input = maker.session();
        SCOPED_TRACE(testing::Message() << "session " << i);
        const calculator::Run inBlocks = calculator::run(input, {Input::file, Output::pipe});
        const calculator::Run byLine = calculator::run(input, {Input::pipe, Output::pipe});
        EXPECT_EQ(inBlocks.out, byLine.out);
        EXPECT_EQ(inBlocks.status, byLine.status);
        EXPECT_EQ(inBlocks.err, "");
        EXPECT_EQ(byLine.err, "");
        EXPECT_EQ(fuzz::findFormViolation(byLine.out, byLine.status, console::shiftJisTexts), "");
        if (HasFailure()) {
            break;
        }
    }
}

} // namespace
