// Newton's method, its bracketing fallback and the bisection, on functions other than Phi.
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double tol = 1e-12;

long evaluations = 0;

double identity(double x) { ++evaluations; return x; }
double cube(double x) { ++evaluations; return x * x * x; }
double cubeSlope(double x) { return 3.0 * x * x; }
double one(double) { return 1.0; }
double zero(double) { ++evaluations; return 0.0; }
double constantOne(double) { ++evaluations; return 1.0; }
double zeroSlope(double) { return 0.0; }
double fallingLine(double x) { ++evaluations; return 1.0 - x; }
// Increasing, and Newton's method maps every x to -x on it: it never converges.
double signedRoot(double x) { ++evaluations; return std::copysign(std::sqrt(std::fabs(x)), x); }
double signedRootSlope(double x) { return 0.5 / std::sqrt(std::fabs(x)); }
double shiftedSignedRoot(double x) { return signedRoot(x - 0.25); }
double shiftedSignedRootSlope(double x) { return signedRootSlope(x - 0.25); }
// Newton's method cycles between 1 and 2999 about the root 1500, beyond the walk's reach.
double farSignedRoot(double x) { return signedRoot(x - 1500.0); }
double farSignedRootSlope(double x) { return signedRootSlope(x - 1500.0); }

bool isBracketMessage(const char* message)
{
    return message == myLib::bracketMessage;
}

struct NewtonCase {
    const char* what;
    RealFn f, df;
    double start, target;
    double root;
    long evaluations; // of f
};

// Expected roots are exact; one evaluation of f per update, and a start on the root takes one.
const NewtonCase newtonCases[] = {
    {"start on a root, x != 0", cube, cubeSlope, 2.0, 8.0, 2.0, 1},
    {"start on a root, x == 0", identity, one, 0.0, 0.0, 0.0, 1},
    {"a line, one step", identity, one, 0.0, 3.5, 3.5, 2},
};

TEST(NewtonSolve, ConvergesWithoutFallback)
{
    for (const NewtonCase& row : newtonCases) {
        SCOPED_TRACE(row.what);
        double x = row.start;
        evaluations = 0;
        myLib::newtonSolve(x, row.target, row.f, row.df, tol);
        EXPECT_EQ(x, row.root);
        EXPECT_EQ(evaluations, row.evaluations);
    }
}

TEST(NewtonSolve, FallsBackToBisectionWhenNewtonCycles)
{
    double x = 1.0;
    evaluations = 0;
    myLib::newtonSolve(x, 0.0, signedRoot, signedRootSlope, tol);
    // The bisection stops once |hi| + |lo| < 1e-14 around the root 0.
    EXPECT_LT(std::fabs(x), 1e-14);
    // 20 updates, 2 steps down from 1 (to 0, where f is not below 0, then -1), 1 step up,
    // 2 for the bracket check, then at least 47 halvings to shrink [-1, 2] below 1e-14.
    EXPECT_GE(evaluations, 20 + 2 + 1 + 2 + 47);
}

TEST(NewtonSolve, FallbackMeetsTheRelativeTolerance)
{
    // Newton cycles between 1 and -0.5 about the root 0.25; the bisection of [0, 2] must still
    // meet the relative tolerance.
    double x = 1.0;
    myLib::newtonSolve(x, 0.0, shiftedSignedRoot, shiftedSignedRootSlope, tol);
    EXPECT_NEAR(x, 0.25, 0.25 * tol);
}

TEST(NewtonSolve, AStepThatIsNotANumberCountsAsConverged)
{
    // 0/0 on the first update.
    double x = 1.0;
    myLib::newtonSolve(x, 1.0, identity, zeroSlope, tol);
    EXPECT_TRUE(std::isnan(x));
}

struct WalkCase {
    const char* what;
    RealFn f, df;
    double start, target;
    long evaluations;
};

// One walk cannot end its bracket within 1,000 unit steps: 20 updates, then the 1,000 steps
// of that walk (the other one ends after its first step).
const WalkCase walkCases[] = {
    {"upward walk: f stays below the target", zero, one, 0.0, 1.0, 20 + 1 + 1000},
    {"downward walk: f stays above the target", constantOne, one, 0.0, 0.0, 20 + 1000},
    {"the root 1,499 units above Newton's last iterate", farSignedRoot, farSignedRootSlope, 1.0,
     0.0, 20 + 1 + 1000},
};

TEST(NewtonSolve, BracketWalkIsBoundedAndReportsTheBracketMessage)
{
    for (const WalkCase& row : walkCases) {
        SCOPED_TRACE(row.what);
        double x = row.start;
        evaluations = 0;
        try {
            myLib::newtonSolve(x, row.target, row.f, row.df, tol);
            ADD_FAILURE() << "no exception";
        } catch (const char* message) {
            EXPECT_TRUE(isBracketMessage(message));
        }
        EXPECT_EQ(evaluations, row.evaluations);
    }
}

struct BisectCase {
    const char* what;
    RealFn f;
    double dir, target, lo, hi;
    double root;
};

// Roots exact; the bisection stops when hi - lo < |hi| * tol.
const BisectCase bisectCases[] = {
    {"increasing", cube, 1.0, 27.0, 0.0, 8.0, 3.0},
    {"decreasing, dir = -1", fallingLine, -1.0, 0.25, 0.0, 2.0, 0.75},
    {"lower end on the target", identity, 1.0, 1.0, 1.0, 3.0, 1.0},
    {"upper end on the target", identity, 1.0, 3.0, 1.0, 3.0, 3.0},
};

TEST(BisectSolve, FindsTheRootInsideTheBracket)
{
    for (const BisectCase& row : bisectCases) {
        SCOPED_TRACE(row.what);
        double out = std::numeric_limits<double>::quiet_NaN();
        myLib::bisectSolve(row.f, row.dir, row.target, row.lo, row.hi, out, tol);
        EXPECT_NEAR(out, row.root, std::fabs(row.root) * tol);
    }
}

TEST(BisectSolve, ABracketOnOneSideThrowsAndLeavesOutUntouched)
{
    const double brackets[][2] = {{2.0, 3.0}, {-3.0, -2.0}}; // both above 0.5, both below
    for (const auto& b : brackets) {
        double out = 42.0;
        try {
            myLib::bisectSolve(identity, 1.0, 0.5, b[0], b[1], out, tol);
            ADD_FAILURE() << "no exception for [" << b[0] << ", " << b[1] << "]";
        } catch (const char* message) {
            EXPECT_TRUE(isBracketMessage(message));
            // "上限と下限の組み合わせが不適切です。" in Shift_JIS.
            EXPECT_STREQ(message, "\x8f\xe3\x8c\xc0\x82\xc6\x89\xba\x8c\xc0\x82\xcc\x91" "g"
                                  "\x82\xdd\x8d\x87\x82\xed\x82\xb9\x82\xaa\x95s\x93K\x90\xd8"
                                  "\x82\xc5\x82\xb7\x81" "B");
        }
        EXPECT_EQ(out, 42.0);
    }
}

// With tol = 0 the bracket shrinks to two adjacent doubles and then cannot change, or about
// the root 0 until its ends add up to less than 1e-14: [0, 2e-14], [0, 1e-14] (not less),
// [0, 5e-15], whose midpoint is returned.
TEST(BisectSolve, EndsEvenWithoutAnyTolerance)
{
    const BisectCase cases[] = {
        {"the cube root of 2", cube, 1.0, 2.0, 0.0, 2.0, std::cbrt(2.0)},
        {"about the root 0", identity, 1.0, 0.0, 0.0, 2e-14, 2.5e-15},
    };
    for (const BisectCase& row : cases) {
        SCOPED_TRACE(row.what);
        double out = 0.0;
        myLib::bisectSolve(row.f, row.dir, row.target, row.lo, row.hi, out, 0.0);
        EXPECT_NEAR(out, row.root, 4e-16 * row.root);
    }
}

} // namespace
