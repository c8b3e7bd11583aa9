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
    // The measures part way through the collapse animation: 0 is collapsed, 1 expanded.
    static SidebarGeometry between(double expansion);
    // Marker top, measured from the top of the section list; a fractional index lies between
    // two rows while the marker moves.
    double markerY(double index) const;
};

} // namespace brivello
