// The hardest inputs of every band through the real executable, this build's or another's
// (under Wine, qemu, or without FMA): each prints the correctly rounded six digits.
#include "../Calculator.h"
#include "../HardestInputs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Written with 17 significant digits, which read back as the same double.
std::string exactly(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// How many wrong answers are listed in full.
constexpr std::size_t listedWrong = 40;

TEST(LongSession, HardestInputs)
{
    struct Query {
        std::string typed;
        std::string expected;
        const char* value;
    };
    std::vector<Query> queries;
    for (const hardest::HardestRow& row : hardest::cdf) {
        queries.push_back({"1 " + exactly(row.x), std::string("z = p = ") + row.digits, row.value});
    }
    for (const hardest::HardestRow& row : hardest::cdfInverse) {
        queries.push_back({"2 " + exactly(row.x), std::string("p = z = ") + row.digits, row.value});
    }
    std::string input;
    for (const Query& query : queries) {
        input += query.typed + "\n";
    }
    input += "9\n";
    calculator::Plumbing plumbing;
    // Hundreds of decisions: a second here, a minute or two under an emulator.
    plumbing.timeLimitSeconds = 240;
    const calculator::Run run = calculator::run(input, plumbing);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // The answer follows its prompt on the line, the input being read from a file unechoed.
    std::vector<std::string> answers;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);) {
        if (line.rfind("z = ", 0) == 0 || line.rfind("p = ", 0) == 0) {
            answers.push_back(line);
        }
    }
    ASSERT_EQ(answers.size(), queries.size());
    std::size_t wrong = 0;
    std::ostringstream listing;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        if (answers[i] != queries[i].expected && ++wrong <= listedWrong) {
            listing << queries[i].typed << ": \"" << answers[i] << "\", true "
                    << queries[i].value << "\n";
        }
    }
    EXPECT_EQ(wrong, 0U) << "of " << queries.size() << " answers; the first ones:\n"
                         << listing.str();
}

} // namespace
