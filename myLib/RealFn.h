// The one way a real function of one real variable is handed to the numerical methods.
#pragma once

// A plain function taking and returning a double.
using RealFn = double (*)(double);
