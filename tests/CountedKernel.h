// The Gaussian kernel and its scaled form, counting their calls, for tests of what an
// integration costs.
#pragma once

#include "distribution/NormalDetail.h"

namespace counted {

// The calls of the counted functions since it was last set to 0.
inline long evaluations = 0;

inline double countedKernel(double x)
{
    ++evaluations;
    return gaussKernel(x);
}

inline double countedScaledKernel(double x)
{
    ++evaluations;
    return detail::scaledGaussKernel(x);
}

} // namespace counted
