#include "AudioQualityAnalyzer.h"

#include "AnalysisError.h"
#include "AnalysisSettingsKeys.h"
#include "AudioFloatReader.h"
#include "HighFrequencyCutoff.h"
#include "RealFFT.h"
#include "platform/LocalFile.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace brivello {

namespace {

// Power of bins 0 … N/2 − 1 of the Hann-windowed frame, unscaled; zeros when FFTW failed.
class PowerSpectrum
{
public:
    explicit PowerSpectrum(int size)
        : m_fft(size)
        , m_window(size_t(size))
        , m_power(size_t(size / 2))
    {
        RealFFT::fillNormalizedHann(m_window.data(), size);
    }

    // `frame` holds size samples.
    const std::vector<float> &compute(const float *frame)
    {
        if (!m_fft.isValid()) {
            std::fill(m_power.begin(), m_power.end(), 0.0f);
            return m_power;
        }
        float *input = m_fft.input();
        for (size_t n = 0; n < m_window.size(); ++n)
            input[n] = frame[n] * m_window[n];
        m_fft.execute();
        const std::complex<float> *bins = m_fft.output();
        for (size_t k = 0; k < m_power.size(); ++k)
            m_power[k] = std::norm(bins[k]);
        return m_power;
    }

private:
    RealFFT m_fft;
    std::vector<float> m_window;
    std::vector<float> m_power;
};

const QStringList kLosslessExtensions = {QStringLiteral("wav"),
                                         QStringLiteral("aiff"),
                                         QStringLiteral("aif"),
                                         QStringLiteral("flac"),
                                         QStringLiteral("alac")};
const QStringList kLossyExtensions = {
    QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("aac"), QStringLiteral("ogg")};

} // namespace

QString AudioQualityAnalyzer::failureReason(const QString &path, const AnalysisError &error)
{
    const QUrl url = LocalFile::fromPath(path);
    if (!LocalFile::exists(url))
        return QStringLiteral("Файл не найден.");
    if (LocalFile::fileSize(url) == 0)
        return QStringLiteral("Файл пуст.");
    if (!error.localizedDescription().isEmpty() && error.domain() != QStringLiteral("FFmpeg"))
        return error.localizedDescription();
    return QStringLiteral("Файл не читается как аудио.");
}

int AudioQualityAnalyzer::clampedWindowSize(qint64 stored)
{
    return stored == 2048 || stored == 4096 || stored == 8192 ? int(stored)
                                                              : kDefaultAnalysisDFTWindow;
}

float AudioQualityAnalyzer::clampedDensityRange(double stored)
{
    const auto range = float(stored);
    return std::isfinite(range) && range > 0 ? range : kDefaultAnalysisDensityRange;
}

std::vector<qint64> AudioQualityAnalyzer::windowPositions(qint64 length, int windowSize)
{
    const qint64 span = std::max<qint64>(length - windowSize, 0);
    std::vector<qint64> positions(kColumns);
    for (int i = 0; i < kColumns; ++i)
        positions[size_t(i)] = qint64(double(span) * i / (kColumns - 1));
    return positions;
}

std::vector<float> AudioQualityAnalyzer::compactSpectrum(const std::vector<float> &values, int bins)
{
    std::vector<float> result;
    const auto n = qint64(values.size());
    if (bins <= 0 || n == 0)
        return std::vector<float>(size_t(std::max(bins, 0)), 0.0f);
    result.reserve(size_t(bins));
    for (qint64 b = 0; b < bins; ++b) {
        const qint64 start = std::min(b * n / bins, n - 1);
        const qint64 end = std::min(std::max(start + 1, (b + 1) * n / bins), n);
        float sum = 0;
        for (qint64 i = start; i < end; ++i)
            sum += values[size_t(i)];
        result.push_back(sum / float(end - start));
    }
    return result;
}

std::vector<uint8_t> AudioQualityAnalyzer::spectrogramBytes(const std::vector<float> &cells,
                                                            float densityRangeDB)
{
    float peak = 1;
    if (!cells.empty())
        peak = std::max(*std::max_element(cells.begin(), cells.end()), 0.000001f);
    std::vector<uint8_t> bytes;
    bytes.reserve(cells.size());
    for (float v : cells) {
        const float ratio = std::max(v / peak, 1e-12f);
        const float level = (densityRangeDB + 10.0f * std::log10(ratio)) / densityRangeDB;
        if (!(level >= 0)) {
            bytes.push_back(0);
            continue;
        }
        bytes.push_back(uint8_t(std::lround(std::min(level, 1.0f) * 255.0f)));
    }
    return bytes;
}

AudioQualityAnalyzer::Finding AudioQualityAnalyzer::judge(const QString &extension,
                                                          double cutoffHz,
                                                          double sampleRate,
                                                          bool silent)
{
    const double limit = std::min(sampleRate * 0.5 * 0.76, 19000.0);
    const bool lossless = kLosslessExtensions.contains(extension);
    if (lossless && !silent && cutoffHz < limit) {
        const int hundreds = int(cutoffHz / 100) * 100;
        return {AudioQualityVerdict::suspicious,
                LocalizedText::format(
                    QStringLiteral("У lossless-контейнера заметный срез около %d Гц. Возможен "
                                   "источник lossy или апконвертация."),
                    hundreds)};
    }
    if (kLossyExtensions.contains(extension))
        return {AudioQualityVerdict::lossy,
                LocalizedText(QStringLiteral(
                    "Файл использует lossy-кодек; спектр показан для визуальной проверки."))};
    if (lossless && !silent)
        return {
            AudioQualityVerdict::lossless,
            LocalizedText(QStringLiteral("Выраженного раннего среза не найдено. Это не гарантирует "
                                         "качество исходного мастера."))};
    return {AudioQualityVerdict::inconclusive,
            LocalizedText(QStringLiteral("Недостаточно данных для уверенного вывода."))};
}

AudioQualityAnalysis AudioQualityAnalyzer::analyze(const QUrl &url,
                                                   int windowSize,
                                                   float densityRangeDB,
                                                   std::stop_token stop)
{
    windowSize = clampedWindowSize(windowSize);
    densityRangeDB = clampedDensityRange(densityRangeDB);
    const QString path = LocalFile::path(url);
    AudioFloatReader reader(path);

    PowerSpectrum spectrum(windowSize);
    std::vector<float> frame(static_cast<size_t>(windowSize));
    std::vector<double> accumulator(size_t(windowSize / 2), 0.0);
    std::vector<float> cells;
    cells.reserve(size_t(kColumns * kRows));
    int used = 0;
    reader.readSpreadWindows(
        [windowSize](qint64 length) { return windowPositions(length, windowSize); },
        windowSize,
        [&](int, const float *samples, int count) {
            if (count < kMinimumFrames)
                return;
            std::copy(samples, samples + count, frame.begin());
            std::fill(frame.begin() + count, frame.end(), 0.0f);
            const std::vector<float> &power = spectrum.compute(frame.data());
            for (size_t k = 0; k < power.size(); ++k)
                accumulator[k] += power[k];
            const std::vector<float> column = compactSpectrum(power, kRows);
            cells.insert(cells.end(), column.begin(), column.end());
            ++used;
        },
        stop);
    if (used == 0)
        throw AnalysisError(QStringLiteral("Brivello.Quality"),
                            kNoWindowCode,
                            QStringLiteral("Не удалось прочитать аудиодорожку."));

    std::vector<float> mean(accumulator.size());
    for (size_t k = 0; k < mean.size(); ++k)
        mean[k] = float(accumulator[k] / used);
    const HighFrequencyCutoff::Result cutoff =
        HighFrequencyCutoff::estimate(mean, reader.sampleRate(), windowSize);
    const Finding finding = judge(
        QFileInfo(path).suffix().toLower(), cutoff.cutoffHz, reader.sampleRate(), cutoff.silent);

    AudioQualityAnalysis result;
    result.verdict = finding.verdict;
    result.sampleRate = reader.sampleRate();
    result.channelCount = reader.channelCount();
    result.dftWindowSize = windowSize;
    result.densityRangeDB = densityRangeDB;
    result.cutoffHz = cutoff.cutoffHz;
    result.spectrogram = spectrogramBytes(cells, densityRangeDB);
    result.note = finding.note;
    return result;
}

} // namespace brivello
