#include "myLib/RootFinding.h"

#include "myLib/Midpoint.h"

#include <cmath>

namespace myLib {
namespace {

// Newton's method gets this many updates before the bracketing fallback takes over.
constexpr int maxNewtonUpdates = 20;
// Both solvers call two iterates, or a bracket, converged once their magnitudes add up to
// less than this, where a relative test cannot succeed.
constexpr double absoluteFloor = 1e-14;
// The fallback brackets the root by whole-unit steps from Newton's last iterate.
constexpr double bracketStep = 1.0;
// A function that never crosses the target (a target below the smallest value it returns)
// would make the walk endless. 1,000 units is far beyond any root Newton's method leaves
// unreached; each step costs one evaluation of f.
constexpr int maxBracketSteps = 1000;
// From the widest bracket of doubles, about 2,100 halvings make its ends adjacent, after which
// the midpoint is one of them and nothing changes: a caller's tolerance of 0 (or below) would
// otherwise bisect for ever. The bracket is then as tight as doubles allow.
constexpr int maxBisections = 4096;
// newtonSolve hands its bracket to the bisection as an increasing function.
constexpr double increasing = 1.0;

// Steps from x by step until keepGoing(f(end)) is false and returns that end, taking at least
// one step; throws bracketMessage when maxBracketSteps steps have not got there.
template <typename KeepGoing>
double walkToBracketEnd(RealFn f, double x, double step, KeepGoing keepGoing)
{
    double end = x;
    for (int steps = 0;; ++steps) {
        if (steps == maxBracketSteps) {
            throw bracketMessage;
        }
        end = end + step;
        if (!keepGoing(f(end))) {
            return end;
        }
    }
}

} // namespace

void newtonSolve(double& x, double target, RealFn f, RealFn df, double tol)
{
    for (int i = 1; i <= maxNewtonUpdates; ++i) {
        const double xOld = x;
        const double fx = f(xOld); // f before df
        x = (target - fx) / df(xOld) + xOld;
        // Negated tests: a step that is not a number counts as converged and is returned.
        if (!(std::fabs(x - xOld) >= (std::fabs(x) + std::fabs(xOld)) * tol)) {
            return;
        }
        if (!(std::fabs(x) + std::fabs(xOld) >= absoluteFloor)) {
            return;
        }
    }
    // The downward walk stops at a value that is not a number; the upward one goes on past it.
    const double lo = walkToBracketEnd(f, x, -bracketStep, [target](double y) { return y >= target; });
    const double hi = walkToBracketEnd(f, x, bracketStep, [target](double y) { return !(y > target); });
    bisectSolve(f, increasing, target, lo, hi, x, tol);
}

void bisectSolve(RealFn f, double dir, double target, double lo, double hi, double& out,
                 double tol)
{
    const double flo = f(lo) - target;
    const double fhi = f(hi) - target;
    // A product of exactly 0 (one end on the target) is accepted.
    if (flo * fhi > 0) {
        throw bracketMessage;
    }
    for (int i = 0; i < maxBisections; ++i) {
        const double mid = midpoint(lo, hi);
        const double fm = f(mid);
        // A midpoint exactly on the target, or a decision value that is not a number, moves lo.
        if ((fm - target) * dir > 0) {
            hi = mid;
        } else {
            lo = mid;
        }
        // Unlike Newton's test this one is relative to |hi| alone; a width that is not a
        // number stops the bisection.
        if (!(std::fabs(hi - lo) >= std::fabs(hi) * tol)) {
            break;
        }
        if (!(std::fabs(hi) + std::fabs(lo) >= absoluteFloor)) {
            break;
        }
    }
    out = midpoint(lo, hi);
}

} // namespace myLib
