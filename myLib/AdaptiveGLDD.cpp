#include "myLib/AdaptiveGLDD.h"

#include <limits>

namespace myLib {
namespace {

constexpr int ruleOrder = 9;

// The 9-point Gauss-Legendre rule on [-1, 1], nodes and weights each to 106 bits (mpmath): the
// high parts are AdaptiveGL's doubles. Only the nonnegative nodes are stored, the rule being
// symmetric: node i and -node i share weight i.
constexpr DoubleDouble node[5] = {
    {0.0, 0.0},
    {0x1.4c0916e48aa66p-2, 0x1.e7df25936e254p-57},
    {0x1.3a0bd2077fd8cp-1, 0x1.6d37cd5453c82p-55},
    {0x1.ac0c44f0d0298p-1, 0x1.c8c0a64c271c7p-56},
    {0x1.efb2b2ebf2106p-1, 0x1.25db4dcedf2f8p-58},
};
constexpr DoubleDouble weight[5] = {
    {0x1.522a43f65486ap-2, -0x1.604db055bd075p-56},
    {0x1.3fd7e9838d512p-2, -0x1.a4cb51a644c3bp-56},
    {0x1.0add87c827506p-2, 0x1.c41bffe040987p-56},
    {0x1.71f7a9b222beap-3, 0x1.2c7d0e2f266c9p-57},
    {0x1.4ce65f803eef8p-4, -0x1.5a1749ac21d6dp-62},
};

constexpr double maxPieceWidth = 1.0;

} // namespace

DoubleDouble AdaptiveGLDD::integrate(DoubleDouble a, DoubleDouble b, DoubleDoubleFn f,
                                     double tolerance)
{
    func = f;
    tol = tolerance;
    refineCalls = 0;
    DoubleDouble total;
    refine(total, a, b, 0);
    return total;
}

DoubleDouble AdaptiveGLDD::gaussLegendre9(DoubleDouble a, DoubleDouble b) const
{
    const DoubleDouble halfWidth = (b - a) * 0.5;
    const DoubleDouble centre = (a + b) * 0.5;
    // The outer nodes first: the smaller terms of a kernel peaked at the centre.
    DoubleDouble sum;
    for (int i = ruleOrder / 2; i > 0; --i) {
        const DoubleDouble offset = halfWidth * node[i];
        sum = sum + (func(centre - offset) + func(centre + offset)) * weight[i];
    }
    sum = sum + func(centre) * weight[0];
    return halfWidth * sum;
}

void AdaptiveGLDD::refine(DoubleDouble& total, DoubleDouble a, DoubleDouble b, int depth)
{
    // As in AdaptiveGL: past the bound every piece is NaN, and so is every sum holding one.
    if (++refineCalls > maxRefineCalls || depth > maxDepth) {
        total = {std::numeric_limits<double>::quiet_NaN(), 0.0};
        return;
    }
    const DoubleDouble m = (a + b) * 0.5;
    DoubleDouble left = gaussLegendre9(a, m);
    DoubleDouble right = gaussLegendre9(m, b);
    const DoubleDouble sum = left + right;
    // Negated as in AdaptiveGL: a difference or width that is not a number accepts the piece.
    const bool good = !(magnitude(total - sum) >= tol);
    if (good && !(magnitude(b - a) >= maxPieceWidth)) {
        total = sum;
        return;
    }
    refine(left, a, m, depth + 1);
    refine(right, m, b, depth + 1);
    total = left + right;
}

} // namespace myLib
