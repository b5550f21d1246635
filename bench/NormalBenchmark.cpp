// The cost of Phi and its inverse against two references measured in the same run: the exp
// floor (the very std::exp calls the computation makes, alone) and the closed form by erfc.
#include "distribution/NormalDetail.h"
#include "tests/HardestInputs.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace detail;

// What one computation hands to std::exp (all calls, in order), to Phi and to the density.
struct Recording {
    std::vector<double> expArguments;
    std::vector<double> cdfArguments;
    std::vector<double> densityExpArguments;
};

Recording* recording = nullptr;
// Set when a recorded computation did not give the very result of the real one: its floor
// would then be the floor of something else. The run reports it and fails.
bool recordingDiffers = false;

double recordingKernel(double x)
{
    const double exponent = (-0.5 * x) * x;
    // gaussKernel skips exp below this; only the exp calls really made are recorded.
    if (!(exponent < gaussKernelExpUnderflow)) {
        recording->expArguments.push_back(exponent);
    }
    return gaussKernel(x);
}

// scaledGaussKernel calls exp on the kernel's exponent shifted by gaussKernelScale.
double recordingScaledKernel(double x)
{
    recording->expArguments.push_back((-0.5 * x) * x + gaussKernelScale);
    return scaledGaussKernel(x);
}

// normalCdf on the recording kernels.
double recordingCdf(double z)
{
    recording->cdfArguments.push_back(z);
    return normalCdfWithKernels(recordingKernel, recordingScaledKernel, z);
}

// normalDensity calls exp on (-0.5 * x) * x without a skip.
double recordingDensity(double x)
{
    const double exponent = -0.5 * x * x;
    recording->expArguments.push_back(exponent);
    recording->densityExpArguments.push_back(exponent);
    return normalDensity(x);
}

// Inputs are read through a volatile and results handed to DoNotOptimize as constants: with
// GCC 12 and Google Benchmark 1.7.1 its read-write form on a local double turned every input
// into garbage here (compare the library's issue 903 on that form's constraint).

// The sum keeps every exp call live; DoNotOptimize's memory clobber makes each pass reread the
// arguments, so nothing is hoisted out of the timing loop.
void expFloor(benchmark::State& state, const std::vector<double>& arguments)
{
    for (auto _ : state) {
        double sum = 0.0;
        for (double a : arguments) {
            sum += std::exp(a);
        }
        const double total = sum;
        benchmark::DoNotOptimize(total);
    }
    state.counters["exp_calls"] = static_cast<double>(arguments.size());
}

double closedFormCdf(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

// Times f(x); f is a template argument so that each timed function is called as directly as
// the calculator calls it.
template <double (*f)(double)>
void timed(benchmark::State& state, double x)
{
    const volatile double input = x;
    for (auto _ : state) {
        const double result = f(input);
        benchmark::DoNotOptimize(result);
    }
}

// The same search with every Phi by the closed form: one erfc per Phi evaluation the search
// made, and its density's exp calls.
void cdfInverseClosedForm(benchmark::State& state, const Recording& search)
{
    for (auto _ : state) {
        double sum = 0.0;
        for (double z : search.cdfArguments) {
            sum += closedFormCdf(z);
        }
        for (double a : search.densityExpArguments) {
            sum += std::exp(a);
        }
        const double total = sum;
        benchmark::DoNotOptimize(total);
    }
    state.counters["phi_evals"] = static_cast<double>(search.cdfArguments.size());
}

void skipWithError(benchmark::State& state, const char* message)
{
    state.SkipWithError(message);
    for (auto _ : state) {
    }
}

// On a shared machine a neighbour only ever adds time, so besides the median the fastest
// repetition is reported too.
double fastest(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

template <typename... Args>
void add(const std::string& name, Args&&... args)
{
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Args>(args)...)
        ->ComputeStatistics("min", fastest);
}

std::string label(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", x);
    return text;
}

void registerCdf(double z)
{
    Recording record;
    recording = &record;
    const double mirrored = recordingCdf(z);
    recording = nullptr;
    const std::string name = "Phi(" + label(z) + ")";
    add(name, timed<normalCdf>, z);
    if (!(mirrored == normalCdf(z))) {
        recordingDiffers = true;
        add(name + "/expFloor", skipWithError, "recorded computation differs from normalCdf");
    } else {
        add(name + "/expFloor", expFloor, record.expArguments);
    }
    add(name + "/erfc", timed<closedFormCdf>, z);
}

void registerCdfInverse(double p, const std::string& text)
{
    Recording record;
    recording = &record;
    const double mirrored = normalCdfInverseWith(recordingCdf, recordingDensity, p);
    recording = nullptr;

    const std::string name = "PhiInverse(" + text + ")";
    add(name, timed<normalCdfInverse>, p);
    if (!(mirrored == normalCdfInverse(p))) {
        recordingDiffers = true;
        add(name + "/expFloor", skipWithError,
            "recorded search differs from normalCdfInverse");
        return;
    }
    add(name + "/expFloor", expFloor, record.expArguments);
    add(name + "/erfcSearch", cdfInverseClosedForm, record);
}

// The batch of docs/performance.md: 30,000 z in [-8, 8] and 3,000 p in [0.001, 0.999].
std::vector<double> batchZ()
{
    std::vector<double> zs;
    for (int i = 0; i < 30000; ++i) {
        zs.push_back(-8.0 + 16.0 * i / 29999.0);
    }
    return zs;
}

std::vector<double> batchP()
{
    std::vector<double> ps;
    for (int i = 1; i <= 3000; ++i) {
        ps.push_back(0.001 + 0.998 * (i - 1) / 2999.0);
    }
    return ps;
}

// The batch's computations, through cdf and cdfInverse.
template <double (*cdf)(double), double (*cdfInverse)(double)>
void batch(benchmark::State& state)
{
    const std::vector<double> zs = batchZ();
    const std::vector<double> ps = batchP();
    for (auto _ : state) {
        double sum = 0.0;
        for (double z : zs) {
            sum += cdf(z);
        }
        for (double p : ps) {
            sum += cdfInverse(p);
        }
        const double total = sum;
        benchmark::DoNotOptimize(total);
    }
}

// The first hardest input of each band of the generated table (40 rows a band): each takes a
// decision by the accurate Phi.
void registerDecisions()
{
    constexpr std::size_t rowsPerBand = 40;
    for (std::size_t i = 0; i < std::size(hardest::cdf); i += rowsPerBand) {
        add("PhiToPrint(" + label(hardest::cdf[i].x) + ")", timed<normalCdfToPrint>,
            hardest::cdf[i].x);
    }
    for (std::size_t i = 0; i < std::size(hardest::cdfInverse); i += rowsPerBand) {
        add("PhiInverseToPrint(" + label(hardest::cdfInverse[i].x) + ")",
            timed<normalCdfInverseToPrint>, hardest::cdfInverse[i].x);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // -3.5 and -4.5: the lower tail where it costs most against the rules' form.
    for (double z : {0.5, 1.96, -3.5, -4.5, 5.0, -10.0, -20.0, 100.0}) {
        registerCdf(z);
    }
    // 1e-4 and 0.9999: roots near -3.72 and 3.72, by the lower tail's form.
    for (double p : {0.5, 0.975, 1e-4, 0.9999, 1e-10, 1e-15, 1e-300}) {
        registerCdfInverse(p, label(p));
    }
    // The largest double below 1, which %g would show as 1.
    registerCdfInverse(1.0 - 0x1p-53, "1-2^-53");
    registerDecisions();
    // The slowest inputs: Phi at the tail bound, and the search deepest in the tail.
    add("PhiToPrint(1e308)", timed<normalCdfToPrint>, 1e308);
    add("PhiInverseToPrint(2.3e-308)", timed<normalCdfInverseToPrint>, 2.3e-308);
    add("Batch/fast", batch<normalCdf, normalCdfInverse>);
    add("Batch/toPrint", batch<normalCdfToPrint, normalCdfInverseToPrint>);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return recordingDiffers ? 1 : 0;
}
