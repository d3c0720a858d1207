// The parts of the Canvas vocabulary that are not interface: building outlines.
#include "draw/canvas.h"

#include <algorithm>

namespace qm::draw {

Outline Outline::polygon(std::vector<Point> points)
{
    Rect bounds;
    if (!points.empty()) {
        const auto [minX, maxX] = std::minmax_element(points.begin(), points.end(),
                                                      [](Point a, Point b) { return a.x < b.x; });
        const auto [minY, maxY] = std::minmax_element(points.begin(), points.end(),
                                                      [](Point a, Point b) { return a.y < b.y; });
        bounds = Rect::fromEdges(minX->x, minY->y, maxX->x + 1, maxY->y + 1);
    }
    return Outline{Kind::Polygon, bounds, {}, std::move(points)};
}

}  // namespace qm::draw
