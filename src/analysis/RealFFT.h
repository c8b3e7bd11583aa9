#pragma once

#include <complex>

namespace brivello {

// An unscaled forward FFT of a real frame (FFTW, single precision). FFTW's planner is not
// thread-safe, so plans are made once per size under one process-wide lock and then shared;
// each instance owns its aligned buffers, so instances run on different threads at once.
class RealFFT
{
public:
    explicit RealFFT(int size);
    ~RealFFT();
    RealFFT(const RealFFT &) = delete;
    RealFFT &operator=(const RealFFT &) = delete;

    // False when the size is not at least 2 or FFTW could not plan or allocate.
    bool isValid() const { return m_plan != nullptr; }
    int size() const { return m_size; }

    // size() samples to fill before execute().
    float *input() { return m_input; }
    void execute();
    // size() / 2 + 1 bins; bin k equals bin k of the full complex transform.
    const std::complex<float> *output() const { return m_output; }

    // Periodic Hann window scaled to a mean square of about 1: 0.8165 · (1 − cos(2πn/N)).
    static void fillNormalizedHann(float *window, int size);

private:
    int m_size;
    void *m_plan = nullptr;
    float *m_input = nullptr;
    std::complex<float> *m_output = nullptr;
};

} // namespace brivello
