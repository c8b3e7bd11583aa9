#pragma once

#include "AudioQualityAnalysis.h"

#include <QString>
#include <QUrl>
#include <stop_token>
#include <vector>

namespace brivello {

class AnalysisError;

// The spectral quality check: reads 192 windows spread over a file, accumulates their power
// spectra, finds the cut-off frequency, draws a 192 × 160 spectrogram and gives a verdict.
// Stateless; runs wholly on the calling (background) thread.
class AudioQualityAnalyzer
{
public:
    static constexpr int kColumns = 192;
    static constexpr int kRows = 160;
    static constexpr int kMinimumFrames = 129;
    static constexpr int kNoWindowCode = 1;

    // Throws AnalysisError ("Brivello.Quality" code 1 when no window could be used, the
    // reader's error when the file cannot be read) or OperationCancelled. The settings are
    // clamped first.
    static AudioQualityAnalysis
    analyze(const QUrl &url, int windowSize, float densityRangeDB, std::stop_token stop = {});

    // Why the file at `path` (LocalFile's text form) could not be analysed: missing, empty, not
    // audio, or the analyser's own description. The text's key, looked up when shown, so that it
    // follows a later change of the interface language. Safe off the main thread.
    static QString failureReason(const QString &path, const AnalysisError &error);

    // Stored settings made safe: the window one of 2048, 4096, 8192 (else 4096); the range
    // finite and above 0 (else 100).
    static int clampedWindowSize(qint64 stored);
    static float clampedDensityRange(double stored);

    // Window starts: 192 positions spread evenly from 0 to max(length − windowSize, 0).
    static std::vector<qint64> windowPositions(qint64 length, int windowSize);
    // `bins` means over consecutive runs of the input, each covering at least one value.
    static std::vector<float> compactSpectrum(const std::vector<float> &values, int bins);
    // Byte levels linear in dB: the loudest cell 255, `densityRangeDB` below it or less 0.
    static std::vector<uint8_t> spectrogramBytes(const std::vector<float> &cells,
                                                 float densityRangeDB);

    struct Finding
    {
        AudioQualityVerdict verdict;
        LocalizedText note;
    };
    // The verdict rules by lower-cased extension; `silent` spectra prove nothing.
    static Finding judge(const QString &extension, double cutoffHz, double sampleRate, bool silent);
};

} // namespace brivello
