// Solvers for f(x) = target in one real variable: Newton's method with a unit-step bracketing
// and bisection fallback for an increasing f, and the bisection itself for either direction.
#pragma once

#include "myLib/RealFn.h"

namespace myLib {

// Thrown (as a bare string) when a bracket does not enclose the target or cannot be formed:
// "The combination of upper and lower bound is unsuitable.", in Shift_JIS.
inline constexpr char bracketMessage[] =
    "\217\343\214\300\202\306\211\272\214\300\202\314\221g\202\335\215\207\202\355\202\271\202"
    "\252\225s\223K\220\330\202\305\202\267\201B";

// Sets x, the starting value on entry, to a root of f(x) = target for an increasing f with
// derivative df, to relative tolerance tol; throws bracketMessage when Newton's method fails
// and the fallback finds no bracket within 1,000 unit steps either way.
void newtonSolve(double& x, double target, RealFn f, RealFn df, double tol);

// Sets out to the root of f(x) = target between lo and hi by bisection to relative tolerance
// tol, where dir is +1.0 for an increasing f and -1.0 for a decreasing one; throws
// bracketMessage, leaving out untouched, when f(lo) and f(hi) lie on the same side of target.
void bisectSolve(RealFn f, double dir, double target, double lo, double hi, double& out,
                 double tol);

} // namespace myLib
