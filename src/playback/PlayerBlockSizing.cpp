#include "PlayerBlockSizing.h"

#include <algorithm>
#include <cmath>

namespace brivello {

PlayerBlockSizing PlayerBlockSizing::compute(double width, double height, double waveformHeight)
{
    PlayerBlockSizing s;
    s.compact = width < 1400;
    s.minimumHeight = std::max(waveformHeight + 94 + 38, 174.0);
    s.gap = s.compact ? 14 : 10;
    const double cap =
        s.compact ? s.minimumHeight + std::max(waveformHeight * 0.5, 44.0) : 2 * s.minimumHeight;
    const double room =
        height - kContentPadding - kToolbarHeight - 2 * s.gap - kMinimumContentHeight;
    s.maximumHeight = std::min(std::max(room, s.minimumHeight), cap);
    return s;
}

double PlayerBlockSizing::effectiveHeight(std::optional<double> preview,
                                          double storedHeight,
                                          double minimumHeight,
                                          double maximumHeight)
{
    double h = preview ? *preview : (storedHeight > 0 ? storedHeight : minimumHeight);
    h = std::max(h, minimumHeight);
    return std::min(h, maximumHeight);
}

double PlayerBlockSizing::dragHeight(double startHeight,
                                     double translationY,
                                     bool playerOnTop,
                                     double minimumHeight,
                                     double maximumHeight)
{
    const double translation = playerOnTop ? translationY : -translationY;
    const double h = std::round(startHeight + translation);
    return std::min(std::max(h, minimumHeight), maximumHeight);
}

} // namespace brivello
