#include "RealFFT.h"

#include <cmath>
#include <fftw3.h>
#include <map>
#include <mutex>
#include <numbers>

namespace brivello {

namespace {

std::mutex &plannerLock()
{
    static std::mutex lock;
    return lock;
}

// Plans live for the whole process; new-array execution makes them usable with any buffers
// from fftwf_malloc (same alignment, out of place).
fftwf_plan sharedPlan(int size, float *input, fftwf_complex *output)
{
    // Never destroyed: a plan may be executing on another thread while the process exits.
    static auto *plans = new std::map<int, fftwf_plan>;
    std::lock_guard guard(plannerLock());
    const auto found = plans->find(size);
    if (found != plans->end())
        return found->second;
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(size, input, output, FFTW_ESTIMATE);
    if (plan)
        plans->emplace(size, plan);
    return plan;
}

} // namespace

RealFFT::RealFFT(int size)
    : m_size(size)
{
    if (size < 2)
        return;
    m_input = static_cast<float *>(fftwf_malloc(sizeof(float) * size_t(size)));
    auto *output =
        static_cast<fftwf_complex *>(fftwf_malloc(sizeof(fftwf_complex) * size_t(size / 2 + 1)));
    m_output = reinterpret_cast<std::complex<float> *>(output);
    if (!m_input || !output)
        return;
    m_plan = sharedPlan(size, m_input, output);
}

RealFFT::~RealFFT()
{
    fftwf_free(m_input);
    fftwf_free(m_output);
}

void RealFFT::execute()
{
    fftwf_execute_dft_r2c(
        static_cast<fftwf_plan>(m_plan), m_input, reinterpret_cast<fftwf_complex *>(m_output));
}

void RealFFT::fillNormalizedHann(float *window, int size)
{
    for (int n = 0; n < size; ++n)
        window[n] = float(0.8165 * (1.0 - std::cos(2.0 * std::numbers::pi * n / size)));
}

} // namespace brivello
