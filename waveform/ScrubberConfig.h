#pragma once

#include <QBrush>

namespace brivello {

// The tints a scrubber paints its played (active) and unplayed (inactive) parts with.
struct ScrubberConfig
{
    QBrush activeTint;
    QBrush inactiveTint;
};

} // namespace brivello
