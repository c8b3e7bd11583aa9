#include "SidebarGeometry.h"

namespace brivello {

SidebarGeometry SidebarGeometry::forState(bool collapsed)
{
    SidebarGeometry g;
    if (!collapsed)
        return g;
    g.width = 104;
    g.rowHeight = 48;
    g.rowSpacing = 8;
    g.innerWidth = 80;
    g.horizontalPadding = 12;
    g.verticalPadding = 12;
    g.markerX = -12;
    g.buttonPadding = 8;
    g.iconSpacing = 0;
    g.collapseButtonWidth = g.innerWidth;
    g.collapseButtonHeight = 52;
    return g;
}

SidebarGeometry SidebarGeometry::between(double expansion)
{
    const SidebarGeometry closed = forState(true);
    const SidebarGeometry open = forState(false);
    const auto mix = [expansion](double a, double b) { return a + (b - a) * expansion; };
    SidebarGeometry g;
    g.width = mix(closed.width, open.width);
    g.rowHeight = mix(closed.rowHeight, open.rowHeight);
    g.rowSpacing = mix(closed.rowSpacing, open.rowSpacing);
    g.innerWidth = mix(closed.innerWidth, open.innerWidth);
    g.horizontalPadding = mix(closed.horizontalPadding, open.horizontalPadding);
    g.verticalPadding = mix(closed.verticalPadding, open.verticalPadding);
    g.markerX = mix(closed.markerX, open.markerX);
    g.buttonPadding = mix(closed.buttonPadding, open.buttonPadding);
    g.iconSpacing = mix(closed.iconSpacing, open.iconSpacing);
    g.collapseButtonWidth = mix(closed.collapseButtonWidth, open.collapseButtonWidth);
    g.collapseButtonHeight = mix(closed.collapseButtonHeight, open.collapseButtonHeight);
    return g;
}

double SidebarGeometry::markerY(double index) const
{
    return (rowHeight - kMarkerHeight) / 2 + (rowHeight + rowSpacing) * index;
}

} // namespace brivello
