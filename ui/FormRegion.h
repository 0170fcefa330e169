#pragma once
// The outline of a shaped tool window: the caption band is cut away except
// a 65-pixel tab at its right end, the top, left and right frames are cut,
// and the body's top-left and bottom-right corners are rounded.
#include <QRect>
#include <QRegion>

// Pixels of the ellipse with bounding box `box` (right and bottom exclusive):
// those whose centre lies inside it, one span per row.
QRegion ellipticRegion(const QRect& box);

// Builds the outline of a window whose outer rectangle is w x h pixels, with
// caption bar height `cap` and dialog frames fy (top, bottom) and fx (left,
// right) thick. Window coordinates, (0, 0) at the outer top-left corner.
QRegion buildFormRegion(int w, int h, int cap, int fy, int fx);
