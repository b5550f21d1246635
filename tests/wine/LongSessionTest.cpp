// One long session, run by this machine's build and by another (the Windows build under Wine,
// say): thousands of z over [-38.5, 9] and of p over both tails, down to 1e-300 and up to
// 1 - 2^-53. Both must print the same transcript, line ends apart. And the hardest inputs of
// every band through the tested executable, this build's or another's: each prints the
// correctly rounded six digits.
#include "../Calculator.h"
#include "../HardestInputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Query {
    char command; // '1': z to p, '2': p to z
    std::string value;
};

// Written with 17 significant digits, which read back as the same double.
std::string exactly(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The answer lines of a transcript, one a query: those after a "z = " or "p = " prompt.
std::vector<std::string> answers(const std::string& transcript)
{
    std::vector<std::string> lines;
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("z = ", 0) == 0 || line.rfind("p = ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

// How many differing answers are listed in full.
constexpr std::size_t listedDifferences = 60;

// The tests of this build's own executable have no second build to compare with.
#ifdef NORMCALC_NATIVE_EXE

// z from -38.5 to 9 in steps of 0.01, written as a user types them.
constexpr int zFirstHundredths = -3850;
constexpr int zLastHundredths = 900;
// p = m * 10^-e for m = 1..9 and e up to 300; 1 - m * 10^-e for e up to 16, the last decade
// with a double below 1 in it.
constexpr int lowerTailDecades = 300;
constexpr int upperTailDecades = 16;
// 1 - 2^-n for every n to 53, and 1 - k * 2^-53 for the top doubles below 1.
constexpr int halvings = 53;
constexpr int topDoubles = 100;

std::string hundredths(int k)
{
    const int whole = std::abs(k) / 100;
    const int part = std::abs(k) % 100;
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%02d", k < 0 ? "-" : "", whole, part);
    return text;
}

std::vector<Query> longSession()
{
    std::vector<Query> queries;
    for (int k = zFirstHundredths; k <= zLastHundredths; ++k) {
        queries.push_back({'1', hundredths(k)});
    }
    for (int e = 1; e <= lowerTailDecades; ++e) {
        for (int m = 1; m <= 9; ++m) {
            queries.push_back({'2', std::to_string(m) + "e-" + std::to_string(e)});
        }
    }
    for (int e = 1; e <= upperTailDecades; ++e) {
        for (int m = 1; m <= 9; ++m) {
            // 1 - m * 10^-e = 0.99...9(10 - m), with e - 1 nines.
            queries.push_back({'2', "0." + std::string(static_cast<std::size_t>(e - 1), '9') +
                                        std::to_string(10 - m)});
        }
    }
    for (int n = 1; n <= halvings; ++n) {
        queries.push_back({'2', exactly(1.0 - std::ldexp(1.0, -n))});
    }
    for (int k = 1; k <= topDoubles; ++k) {
        queries.push_back({'2', exactly(1.0 - k * std::ldexp(1.0, -halvings))});
    }
    return queries;
}

TEST(LongSession, BothBuildsPrintTheSameResults)
{
    const std::vector<Query> queries = longSession();
    std::string input;
    for (const Query& query : queries) {
        input += std::string(1, query.command) + " " + query.value + "\n";
    }
    input += "9\n";
    calculator::Plumbing native;
    // Thousands of queries: seconds on this machine, a minute or two under an emulator.
    native.timeLimitSeconds = 240;
    calculator::Plumbing foreign = native;
    native.program = {NORMCALC_NATIVE_EXE, {}, false};
    const calculator::Run here = calculator::run(input, native);
    const calculator::Run there = calculator::run(input, foreign);

    ASSERT_EQ(here.status, 0);
    ASSERT_EQ(there.status, 0);
    EXPECT_EQ(here.err, "");
    EXPECT_EQ(there.err, "");
    const std::vector<std::string> hereAnswers = answers(here.out);
    const std::vector<std::string> thereAnswers = answers(there.out);
    ASSERT_EQ(hereAnswers.size(), queries.size());
    ASSERT_EQ(thereAnswers.size(), queries.size());
    std::size_t differing = 0;
    std::ostringstream listing;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        if (hereAnswers[i] != thereAnswers[i] && ++differing <= listedDifferences) {
            listing << (queries[i].command == '1' ? "z = " : "p = ") << queries[i].value
                    << ": here \"" << hereAnswers[i] << "\", there \"" << thereAnswers[i]
                    << "\"\n";
        }
    }
    EXPECT_EQ(differing, 0U) << "of " << queries.size() << " answers; the first ones:\n"
                             << listing.str();
    if (differing == 0) {
        // Then the menus and prompts around them as well: the whole transcript.
        EXPECT_TRUE(there.out == here.out) << "the transcripts differ outside the answers";
    }
}
#endif

// Expected digits: tests/HardestInputs.h (tools/reference.py --hardest, mpmath).
TEST(LongSession, HardestInputs)
{
    std::vector<Query> queries;
    std::vector<std::string> expected;
    std::vector<const char*> trueValues;
    const auto add = [&](char command, const char* label, const hardest::HardestRow& row) {
        queries.push_back({command, exactly(row.x)});
        expected.push_back(std::string(label) + row.digits);
        trueValues.push_back(row.value);
    };
    for (const hardest::HardestRow& row : hardest::cdf) {
        add('1', "z = p = ", row);
    }
    for (const hardest::HardestRow& row : hardest::cdfInverse) {
        add('2', "p = z = ", row);
    }
    std::string input;
    for (const Query& query : queries) {
        input += std::string(1, query.command) + " " + query.value + "\n";
    }
    input += "9\n";
    calculator::Plumbing plumbing;
    // Hundreds of decisions: a second here, a minute or two under an emulator.
    plumbing.timeLimitSeconds = 240;
    const calculator::Run run = calculator::run(input, plumbing);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> got = answers(run.out);
    ASSERT_EQ(got.size(), queries.size());
    std::size_t wrong = 0;
    std::ostringstream listing;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        if (got[i] != expected[i] && ++wrong <= listedDifferences) {
            listing << queries[i].command << " " << queries[i].value << ": \"" << got[i]
                    << "\", true " << trueValues[i] << "\n";
        }
    }
    EXPECT_EQ(wrong, 0U) << "of " << queries.size() << " answers; the first ones:\n"
                         << listing.str();
}

} // namespace
