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

double SidebarGeometry::markerY(int index) const
{
    return (rowHeight - kMarkerHeight) / 2 + (rowHeight + rowSpacing) * index;
}

} // namespace brivello
