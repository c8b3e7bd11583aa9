#pragma once

#include <QString>

namespace brivello {

// Settings of the spectral analysis and their defaults.
inline const QString kAnalysisDFTWindowKey = QStringLiteral("analysisDFTWindow");
inline const QString kAnalysisDensityRangeKey = QStringLiteral("analysisDensityRange");
constexpr int kDefaultAnalysisDFTWindow = 4096;
constexpr float kDefaultAnalysisDensityRange = 100.0f;

} // namespace brivello
