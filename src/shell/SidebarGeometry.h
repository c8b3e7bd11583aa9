#pragma once

namespace brivello {

// The sidebar's measures for the expanded and the collapsed state, and the selection marker's
// place. Pure values.
struct SidebarGeometry
{
    static constexpr double kMarkerWidth = 7;
    static constexpr double kMarkerHeight = 30;

    double width = 220;
    double rowHeight = 52;
    double rowSpacing = 10;
    double innerWidth = 188;
    double horizontalPadding = 14;
    double verticalPadding = 18;
    double markerX = -14;
    double buttonPadding = 12;
    double iconSpacing = 10;
    double collapseButtonWidth = 44;
    double collapseButtonHeight = 44;

    static SidebarGeometry forState(bool collapsed);
    // Marker top, measured from the top of the section list.
    double markerY(int index) const;
};

} // namespace brivello
