// Pictures and paper copies of a flowchart: the whole drawing, whatever part of it reaches left
// of or above the flow view's origin (a connector routed left of the first column, a caption
// wider than its box), with a small margin around it.
#pragma once

#include "detail/flowchart.h"
#include "draw/canvas.h"
#include "draw/text_metrics.h"

namespace qm::detail {

// Pixels of background around the drawing in a picture.
inline constexpr int kPictureMargin = 4;

// The rectangle, in the flow view's coordinates, that a picture of `chart` at its current scale
// shows: everything its drawing covers (without a detail box), texts measured with `metrics`,
// and `margin` pixels on every side.
draw::Rect flowPictureArea(const Flowchart& chart, const draw::TextMetrics& metrics, int margin = kPictureMargin);

// Draws `chart` at its current scale, without a detail box, so that the top left corner of
// `area` (from flowPictureArea) lands at the canvas's origin.
void paintFlowPicture(draw::Canvas& canvas, const Flowchart& chart, const draw::Rect& area);

}  // namespace qm::detail
