#include "detail/flow_picture.h"

#include "detail/flow_geometry.h"
#include "detail/flow_painter.h"
#include "draw/bounds_canvas.h"
#include "draw/translated_canvas.h"

namespace qm::detail {

draw::Rect flowPictureArea(const Flowchart& chart, const draw::TextMetrics& metrics, int margin)
{
    draw::BoundsCanvas measuring(metrics);
    FlowPainter(measuring, chart).drawChart();
    const draw::Rect drawn = measuring.bounds().value_or(
        draw::Rect{0, 0, toPixel(chart.totalWidth()), toPixel(chart.totalHeight())});
    return draw::Rect{drawn.left - margin, drawn.top - margin, drawn.width + 2 * margin, drawn.height + 2 * margin};
}

void paintFlowPicture(draw::Canvas& canvas, const Flowchart& chart, const draw::Rect& area)
{
    draw::TranslatedCanvas moved(canvas, draw::Point{-area.left, -area.top});
    FlowPainter(moved, chart).drawChart();
}

}  // namespace qm::detail
