// BPMAnalyzer's periodicity measures: autocorrelation, peak intervals, beat-grid fitness and
// the small helpers the tempo choice shares.
#include "BPMAnalyzer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <thread>

namespace brivello {

namespace {

constexpr size_t kPeakCap = 420;

void pause(std::chrono::microseconds duration)
{
    std::this_thread::sleep_for(duration);
}

// The value at Int((count − 1) × share) of the positive values sorted ascending; the count of
// positive values through `count` (0 when there are none).
float positiveQuantile(const std::vector<float> &values,
                       double share,
                       size_t *count,
                       float *largest)
{
    std::vector<float> positive;
    std::copy_if(
        values.begin(), values.end(), std::back_inserter(positive), [](float v) { return v > 0; });
    *count = positive.size();
    if (positive.empty())
        return 0;
    std::sort(positive.begin(), positive.end());
    *largest = positive.back();
    return positive[size_t(double(positive.size() - 1) * share)];
}

} // namespace

std::vector<float>
BPMAnalyzer::autocorrelationScores(const std::vector<float> &x, int through, bool lowImpact)
{
    std::vector<float> result(size_t(std::max(through, 0)) + 1, 0.0f);
    const auto n = qint64(x.size());
    if (through >= n)
        return result;
    for (qint64 lag = 1; lag <= through; ++lag) {
        if (lowImpact && lag % 8 == 0)
            pause(std::chrono::microseconds(1000));
        float num = 0, e0 = 0, e1 = 0;
        for (qint64 i = 0; i < n - lag; ++i) {
            num += x[size_t(i)] * x[size_t(i + lag)];
            e0 += x[size_t(i)] * x[size_t(i)];
            e1 += x[size_t(i + lag)] * x[size_t(i + lag)];
        }
        result[size_t(lag)] = num / std::sqrt(std::max(e0 * e1, 1e-6f));
    }
    return result;
}

std::vector<float> BPMAnalyzer::peakIntervalScores(const std::vector<float> &x,
                                                   int minimumLag,
                                                   int maximumLag,
                                                   bool lowImpact)
{
    std::vector<float> result(size_t(std::max(maximumLag, 0)) + 1, 0.0f);
    size_t positives = 0;
    float largest = 0;
    const float threshold = positiveQuantile(x, 0.58, &positives, &largest);
    if (positives == 0)
        return result;
    const size_t n = x.size();
    std::vector<size_t> peaks;
    for (size_t i = 0; i < n; ++i) {
        const size_t low = i >= 2 ? i - 2 : 0;
        const size_t high = std::min(i + 2, n - 1);
        if (x[i] >= threshold &&
            x[i] >= *std::max_element(x.begin() + qint64(low), x.begin() + qint64(high) + 1) &&
            (i == 0 || x[i - 1] < x[i]))
            peaks.push_back(i);
    }
    if (peaks.size() > kPeakCap) {
        std::stable_sort(
            peaks.begin(), peaks.end(), [&x](size_t a, size_t b) { return x[a] > x[b]; });
        peaks.resize(kPeakCap);
        std::sort(peaks.begin(), peaks.end());
    }
    for (size_t a = 0; a < peaks.size(); ++a) {
        if (lowImpact && a % 16 == 0)
            pause(std::chrono::microseconds(1000));
        for (size_t b = a + 1; b < peaks.size(); ++b) {
            const size_t distance = peaks[b] - peaks[a];
            if (distance > 4 * size_t(maximumLag))
                break;
            const float weight = std::sqrt(std::max(x[peaks[a]] * x[peaks[b]], 0.0f));
            for (int k = 1; k <= 4; ++k) {
                const double lag = double(distance) / k;
                if (lag < minimumLag || lag > maximumLag)
                    continue;
                const auto i = size_t(std::floor(lag));
                const auto fraction = float(lag - double(i));
                const float share = weight / std::sqrt(float(k));
                result[i] += share * (1 - fraction);
                if (i < size_t(maximumLag))
                    result[i + 1] += share * fraction;
            }
        }
    }
    const float top = *std::max_element(result.begin(), result.end());
    if (top > 0) {
        for (float &value : result)
            value /= top;
    }
    return result;
}

float BPMAnalyzer::median(std::vector<float> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

float BPMAnalyzer::neighborScore(int near, const std::vector<LagCandidate> &candidates)
{
    float best = 0;
    bool found = false;
    for (const LagCandidate &candidate : candidates) {
        if (std::abs(candidate.lag - near) <= 1 && (!found || candidate.periodicity > best)) {
            best = candidate.periodicity;
            found = true;
        }
    }
    return best;
}

float BPMAnalyzer::harmonicSupport(int lag, const std::vector<float> &a)
{
    const auto n = qint64(a.size());
    if (lag < 0 || lag >= n)
        return 0;
    float support = a[size_t(lag)];
    if (2 * qint64(lag) < n)
        support += 0.24f * a[size_t(2 * lag)];
    if (3 * qint64(lag) < n)
        support += 0.12f * a[size_t(3 * lag)];
    if (const int half = std::max(lag, 2) / 2; half < n)
        support += 0.12f * a[size_t(half)];
    return support;
}

float BPMAnalyzer::beatGridFitness(const std::vector<float> &e, double period, bool lowImpact)
{
    const size_t n = e.size();
    if (n < 17 || !(period >= 2))
        return 0;
    size_t positives = 0;
    float peak = 0;
    const float hitThreshold = positiveQuantile(e, 0.62, &positives, &peak);
    if (positives == 0 || !(peak > 0))
        return 0;
    const auto phases = qint64(std::max(std::round(period), 1.0));
    const auto tolerance = qint64(std::max(std::round(period * 0.1), 1.0));
    const float total = std::max(std::accumulate(e.begin(), e.end(), 0.0f), 1e-6f);
    std::vector<char> covered(n);
    std::vector<float> beats;
    float best = 0;
    for (qint64 phase = 0; phase < phases; ++phase) {
        if (lowImpact && phase % 8 == 0)
            pause(std::chrono::microseconds(500));
        std::fill(covered.begin(), covered.end(), 0);
        beats.clear();
        for (qint64 k = 0;; ++k) {
            const double t = double(phase) + double(k) * period;
            if (!(t < double(n)))
                break;
            const auto c = qint64(std::round(t));
            const auto low = size_t(std::max<qint64>(c - tolerance, 0));
            const auto high = size_t(std::min<qint64>(c + tolerance, qint64(n) - 1));
            float value = e[low];
            for (size_t i = low; i <= high; ++i) {
                value = std::max(value, e[i]);
                covered[i] = 1;
            }
            beats.push_back(value);
        }
        if (beats.size() < 6)
            continue;
        float sum = 0, coveredSum = 0;
        size_t hits = 0;
        for (float value : beats) {
            sum += value;
            hits += value >= hitThreshold;
        }
        for (size_t i = 0; i < n; ++i)
            coveredSum += covered[i] ? e[i] : 0.0f;
        const float mean = sum / float(beats.size());
        const float fitness = 0.22f * float(hits) / float(beats.size()) +
                              0.42f * std::min(mean / std::max(0.55f * peak, 1e-6f), 1.0f) +
                              0.36f * std::min(coveredSum / total, 1.0f);
        best = std::max(best, fitness);
    }
    return best;
}

double BPMAnalyzer::refinedPeakLag(int lag, const std::vector<LagCandidate> &candidates)
{
    auto periodicityAt = [&candidates](int wanted, float *value) {
        const auto found =
            std::find_if(candidates.begin(), candidates.end(), [wanted](const LagCandidate &c) {
                return c.lag == wanted;
            });
        if (found == candidates.end())
            return false;
        *value = found->periodicity;
        return true;
    };
    float y0 = 0, y1 = 0, y2 = 0;
    if (!periodicityAt(lag - 1, &y0) || !periodicityAt(lag, &y1) || !periodicityAt(lag + 1, &y2))
        return lag;
    const double denominator = double(y0) - 2.0 * double(y1) + double(y2);
    if (!(std::abs(denominator) > 1e-6))
        return lag;
    const double offset = std::clamp(0.5 * (double(y0) - double(y2)) / denominator, -0.5, 0.5);
    return lag + offset;
}

double BPMAnalyzer::fold(double tempo)
{
    if (!std::isfinite(tempo))
        return tempo;
    double folded = std::round(tempo);
    while (folded > kFoldCeiling)
        folded = std::round(folded / 2);
    return folded;
}

} // namespace brivello
