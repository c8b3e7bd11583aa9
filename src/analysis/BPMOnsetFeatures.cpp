// The front half of BPMAnalyzer: sections of the decoded audio and their five onset envelopes.
#include "AnalysisError.h"
#include "BPMAnalyzer.h"
#include "RealFFT.h"
#include "audiofiles/OperationCancelled.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace brivello {

namespace {

constexpr std::array<double, 8> kSectionPositions = {
    0.05, 0.18, 0.31, 0.44, 0.57, 0.70, 0.83, 0.95};
constexpr int kMelBands = 24;
constexpr size_t kMinimumFrames = 100; // a section needs more than this in every envelope

int bin(double frequency, double sampleRate, int fftSize)
{
    return int(std::round(fftSize * frequency / sampleRate));
}

double mel(double frequency)
{
    return 2595.0 * std::log10(1.0 + frequency / 700.0);
}

float logOnePlus(float value)
{
    return float(std::log1p(double(value)));
}

// The spectral features of consecutive frames; per-bin state carried from frame to frame
// starts at zero.
class SpectralFlux
{
public:
    SpectralFlux(double sampleRate, int fftSize)
        : m_fftSize(fftSize)
        , m_ranges(BPMAnalyzer::binRanges(sampleRate, fftSize))
        , m_bandOfBin(size_t(fftSize / 2), -1)
        , m_logMagnitude(size_t(fftSize / 2))
        , m_magnitude(size_t(fftSize / 2))
        , m_phase(size_t(fftSize / 2))
        , m_phaseBefore(size_t(fftSize / 2))
    {
        const int half = fftSize / 2;
        const std::vector<int> edges = BPMAnalyzer::melEdges(sampleRate, fftSize);
        // A bin on a shared edge ends up in the upper band.
        for (int b = 0; b < kMelBands; ++b) {
            for (int k = std::max(edges[size_t(b)], 0);
                 k <= std::min(edges[size_t(b) + 1], half - 1);
                 ++k)
                m_bandOfBin[size_t(k)] = b;
        }
    }

    // Appends the melFlux, lowBand, highFlux and complexFlux values of one frame's spectrum.
    void add(const std::complex<float> *spectrum, BPMAnalyzer::OnsetSection &section)
    {
        std::array<float, kMelBands> bandSums{};
        float lowSum = 0, highSum = 0, complexSum = 0;
        int lowCount = 0, highCount = 0;
        for (int k = m_ranges.lowStart; k <= m_ranges.topBin; ++k) {
            const auto i = size_t(k);
            const float power = std::norm(spectrum[k]);
            const float m = power > 0 ? std::sqrt(power) / float(m_fftSize) : 0.0f;
            const float g = logOnePlus(32.0f * m);
            const float d = std::max(g - m_logMagnitude[i], 0.0f);
            m_logMagnitude[i] = g;
            const float phi = std::atan2(spectrum[k].imag(), spectrum[k].real());
            const float psi = 2.0f * m_phase[i] - m_phaseBefore[i];
            const float previous = m_magnitude[i];
            const float deviation = std::hypot(m * std::cos(phi) - previous * std::cos(psi),
                                               m * std::sin(phi) - previous * std::sin(psi));
            m_phaseBefore[i] = m_phase[i];
            m_phase[i] = phi;
            m_magnitude[i] = m;
            if (m_bandOfBin[i] >= 0)
                bandSums[size_t(m_bandOfBin[i])] += m;
            if (k <= m_ranges.lowEnd) {
                lowSum += d;
                ++lowCount;
            } else if (k > m_ranges.highStart) {
                highSum += d;
                ++highCount;
            }
            complexSum += logOnePlus(48.0f * deviation);
        }
        section.features[1].push_back(lowSum / float(std::max(lowCount, 1)));
        section.features[3].push_back(highSum / float(std::max(highCount, 1)));
        section.features[4].push_back(complexSum /
                                      float(std::max(m_ranges.topBin - m_ranges.lowStart + 1, 1)));
        section.features[0].push_back(melFlux(bandSums));
    }

private:
    float melFlux(const std::array<float, kMelBands> &bandSums)
    {
        float total = 0;
        for (size_t b = 0; b < size_t(kMelBands); ++b) {
            const float e = logOnePlus(24.0f * bandSums[b]);
            total += std::max(e - m_bandEnergy[b], 0.0f);
            m_bandEnergy[b] = e;
        }
        return total / float(kMelBands);
    }

    int m_fftSize;
    BPMAnalyzer::BinRanges m_ranges;
    std::vector<int> m_bandOfBin;
    std::vector<float> m_logMagnitude;
    std::vector<float> m_magnitude;
    std::vector<float> m_phase;
    std::vector<float> m_phaseBefore;
    std::array<float, kMelBands> m_bandEnergy{};
};
} // namespace

size_t BPMAnalyzer::OnsetSection::frameCount() const
{
    size_t frames = features[0].size();
    for (const std::vector<float> &feature : features)
        frames = std::min(frames, feature.size());
    return frames;
}

BPMAnalyzer::BinRanges BPMAnalyzer::binRanges(double sampleRate, int fftSize)
{
    BinRanges ranges;
    ranges.lowStart = std::max(bin(35.0, sampleRate, fftSize), 1);
    ranges.topBin = std::min(fftSize / 2 - 1, bin(8000.0, sampleRate, fftSize));
    ranges.lowEnd =
        std::min(std::max(bin(220.0, sampleRate, fftSize), ranges.lowStart + 1), ranges.topBin);
    ranges.highStart =
        std::min(std::max(bin(2000.0, sampleRate, fftSize), ranges.lowEnd + 1), ranges.topBin);
    return ranges;
}

std::vector<int> BPMAnalyzer::melEdges(double sampleRate, int fftSize)
{
    const int half = fftSize / 2;
    const double lowest = mel(35.0);
    const double highest = mel(std::min(sampleRate * 0.5, 5000.0));
    std::vector<int> edges;
    for (int k = 0; k <= kMelBands; ++k) {
        const double m = lowest + (highest - lowest) * k / kMelBands;
        const double f = (std::pow(10.0, m / 2595.0) - 1.0) * 700.0;
        edges.push_back(std::max(std::min(int(std::round(f * fftSize / sampleRate)), half - 1), 1));
    }
    return edges;
}

std::vector<size_t> BPMAnalyzer::sectionStarts(size_t count, double sampleRate, size_t *length)
{
    if (count > size_t(sampleRate * 36.0)) {
        *length = std::min(count, size_t(sampleRate * 12.0));
        const size_t span = count - *length;
        std::vector<size_t> starts;
        for (double position : kSectionPositions)
            starts.push_back(size_t(std::round(position * double(span))));
        return starts;
    }
    *length = count;
    return {0};
}

std::vector<BPMAnalyzer::OnsetSection>
BPMAnalyzer::analysisSections(const std::vector<float> &samples,
                              double sampleRate,
                              int fftSize,
                              int hopSize,
                              bool lowImpact,
                              std::stop_token stop)
{
    std::vector<OnsetSection> sections;
    size_t length = 0;
    const size_t n = samples.size();
    for (size_t start : sectionStarts(n, sampleRate, &length)) {
        if (stop.stop_requested())
            return sections;
        const size_t end = std::min(start + length, n);
        if (end <= start || end - start < size_t(8 * fftSize))
            continue;
        try {
            OnsetSection section = spectralFluxEnvelope(
                samples.data() + start, end - start, sampleRate, fftSize, hopSize, lowImpact, stop);
            if (section.frameCount() > kMinimumFrames)
                sections.push_back(std::move(section));
        } catch (const AnalysisError &) {
        } catch (const OperationCancelled &) {
        }
    }
    return sections;
}

BPMAnalyzer::OnsetSection BPMAnalyzer::spectralFluxEnvelope(const float *samples,
                                                            size_t count,
                                                            double sampleRate,
                                                            int fftSize,
                                                            int hopSize,
                                                            bool lowImpact,
                                                            std::stop_token stop)
{
    RealFFT fft(fftSize);
    if (!fft.isValid() || hopSize <= 0)
        throw AnalysisError(QStringLiteral("Brivello.BPM"),
                            fftSetupFailed,
                            QStringLiteral("Не удалось подготовить спектральный анализ."));
    std::vector<float> window(static_cast<size_t>(fftSize));
    RealFFT::fillNormalizedHann(window.data(), fftSize);
    SpectralFlux flux(sampleRate, fftSize);
    OnsetSection section;
    float previousLevel = 0;
    const auto frameSize = size_t(fftSize);
    for (size_t start = 0; count >= frameSize && start <= count - frameSize;
         start += size_t(hopSize)) {
        if (start % (16 * size_t(hopSize)) == 0) {
            if (stop.stop_requested())
                throw OperationCancelled();
            if (lowImpact)
                std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
        float *frame = fft.input();
        float squares = 0;
        for (size_t i = 0; i < frameSize; ++i) {
            frame[i] = samples[start + i] * window[i];
            squares += frame[i] * frame[i];
        }
        const float level = logOnePlus(48.0f * std::sqrt(squares / float(fftSize)));
        section.features[2].push_back(std::max(level - previousLevel, 0.0f));
        previousLevel = level;
        fft.execute();
        flux.add(fft.output(), section);
    }
    const double envelopeRate = sampleRate / hopSize;
    for (std::vector<float> &feature : section.features)
        feature = normalizedOnset(feature, envelopeRate);
    return section;
}

std::vector<float> BPMAnalyzer::normalizedOnset(const std::vector<float> &x, double envelopeRate)
{
    const size_t n = x.size();
    if (n < 5)
        return x;
    const auto radius = size_t(std::max(std::round(envelopeRate * 0.35), 3.0));
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + x[i];
    std::vector<float> d(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t low = i >= radius ? i - radius : 0;
        const size_t high = std::min(i + radius + 1, n);
        const double mean = (prefix[high] - prefix[low]) / double(high - low);
        d[i] = std::max(x[i] - 0.82f * float(mean), 0.0f);
    }
    std::vector<float> s(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t low = i >= 1 ? i - 1 : 0;
        const size_t high = std::min(i + 1, n - 1);
        float sum = 0;
        for (size_t j = low; j <= high; ++j)
            sum += d[j];
        s[i] = sum / float(high - low + 1);
    }
    std::vector<float> positive;
    std::copy_if(s.begin(), s.end(), std::back_inserter(positive), [](float v) { return v > 0; });
    if (positive.empty())
        return s;
    std::sort(positive.begin(), positive.end());
    const float reference = std::max(positive[size_t(double(positive.size() - 1) * 0.72)], 1e-6f);
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t low = i >= 2 ? i - 2 : 0;
        const size_t high = std::min(i + 2, n - 1);
        const float localMax =
            *std::max_element(s.begin() + qint64(low), s.begin() + qint64(high) + 1);
        out[i] = std::min(s[i] / reference, 8.0f);
        if (s[i] < localMax)
            out[i] *= 0.28f;
    }
    return out;
}

} // namespace brivello
