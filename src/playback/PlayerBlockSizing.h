#pragma once

#include <optional>

namespace brivello {

// The numbers the main window hands to the player block, computed from the window content's
// size on every layout pass, and the block's own height rules. Pure functions.
struct PlayerBlockSizing
{
    static constexpr double kToolbarHeight = 54;
    static constexpr double kContentPadding = 32;
    static constexpr double kMinimumContentHeight = 180;
    static constexpr double kLayoutControlsTopInset = 38;

    bool compact = false;
    double minimumHeight = 0;
    double maximumHeight = 0;
    double gap = 10;
    double layoutControlsTopInset = kLayoutControlsTopInset;

    static PlayerBlockSizing compute(double width, double height, double waveformHeight);

    // Preview, else the stored height when above 0, else the minimum; then clamped.
    static double effectiveHeight(std::optional<double> preview,
                                  double storedHeight,
                                  double minimumHeight,
                                  double maximumHeight);
    // The height during a drag: the block below the content grows when dragged up.
    static double dragHeight(double startHeight,
                             double translationY,
                             bool playerOnTop,
                             double minimumHeight,
                             double maximumHeight);
};

} // namespace brivello
