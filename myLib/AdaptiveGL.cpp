#include "myLib/AdaptiveGL.h"

#include "myLib/Midpoint.h"

#include <cmath>
#include <limits>

namespace myLib {
namespace {

constexpr int ruleOrder = 9;

// Nodes and weights of the 9-point Gauss-Legendre rule on [-1, 1], each correctly rounded to
// double; the tables are exactly symmetric (node[8 - i] == -node[i], weight[8 - i] == weight[i]).
constexpr double node[ruleOrder] = {
    -0.9681602395076261, -0.8360311073266358, -0.6133714327005904, -0.3242534234038089, 0.0,
    0.3242534234038089,  0.6133714327005904,  0.8360311073266358,  0.9681602395076261,
};
constexpr double weight[ruleOrder] = {
    0.08127438836157441, 0.1806481606948574, 0.26061069640293544, 0.31234707704000286,
    0.3302393550012598,  0.31234707704000286, 0.26061069640293544, 0.1806481606948574,
    0.08127438836157441,
};

// A piece is accepted when its halves agree with its estimate to this relative tolerance...
constexpr double relativeTolerance = 1e-14;
// ...or when the estimates are negligible in absolute terms...
constexpr double absoluteFloor = 1e-14;
// ...and, either way, only once it is narrower than this.
constexpr double maxPieceWidth = 1.0;

} // namespace

double AdaptiveGL::integrate(double a, double b, RealFn f)
{
    func = f;
    refineCalls = 0;
    double total = 0.0;
    refine(total, a, b, 0);
    return total;
}

double AdaptiveGL::gaussLegendre9(double a, double b) const
{
    const double h = b - a;
    const double c = midpoint(b, a);
    // Speed only, every operation and its order as written: the integrand is read once (through
    // the member it would be reloaded after each call) and the nine steps are unrolled.
    const RealFn f = func;
    double sum = 0.0;
#if defined(__GNUC__)
#pragma GCC unroll 9
#endif
    for (int i = 0; i < ruleOrder; ++i) {
        const double x = c + 0.5 * h * node[i];
        sum = f(x) * weight[i] + sum;
    }
    return 0.5 * h * sum;
}

void AdaptiveGL::refine(double& total, double a, double b, int depth)
{
    if (++refineCalls > maxRefineCalls || depth > maxDepth) {
        total = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double m = midpoint(a, b);
    double left = gaussLegendre9(a, m);
    double right = gaussLegendre9(m, b);
    const double sum = left + right;

    // Negated >= tests: a comparison with NaN is false, so an estimate or a width that is not
    // a number accepts the piece and ends the recursion instead of splitting it for ever.
    const bool good = !(std::fabs(total - left - right) >= std::fabs(sum) * relativeTolerance &&
                        std::fabs(total) + std::fabs(sum) >= absoluteFloor);
    if (good && !(std::fabs(b - a) >= maxPieceWidth)) {
        total = sum;
        return;
    }
    refine(left, a, m, depth + 1);
    refine(right, m, b, depth + 1);
    total = left + right;
}

} // namespace myLib
