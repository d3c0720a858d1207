// Pictures of a flowchart hold its whole drawing: case labels wider than their boxes and
// connectors routed left of column 0 reach left of the view's origin, and the picture moves them
// in, with a margin.
#include "detail/flow_painter.h"
#include "detail/flow_picture.h"
#include "draw/bounds_canvas.h"
#include "draw/recording_canvas.h"

#include "flow_draw_support.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

TEST(FlowPicture, HoldsWhatReachesLeftOfTheFirstColumnWithAMargin)
{
    test_draw::ParsedFunction f("void advance(int s)\n"
                                "{\n"
                                "    while (s) {\n"
                                "        if (s == 2) continue;\n"
                                "        s--;\n"
                                "    }\n"
                                "    switch (s) {\n"
                                "    case ORDER_OPEN_AND_WAITING_FOR_PAYMENT: a(); break;\n"
                                "    default: b();\n"
                                "    }\n"
                                "}\n");
    const draw::FixedTextMetrics metrics(8, 13);
    for (const FlowScale scale : {1, 4, 16}) {
        f.chart.setScale(scale);
        // The view draws the case label and the loop's caption left of its origin (scale 1
        // writes no text).
        draw::BoundsCanvas view(metrics);
        paintFlowchart(view, f.chart, scale);
        ASSERT_TRUE(view.bounds());
        if (scale != 1) EXPECT_LT(view.bounds()->left, 0) << scale;

        const draw::Rect area = flowPictureArea(f.chart, metrics);
        EXPECT_EQ(area.left, view.bounds()->left - kPictureMargin) << scale;
        EXPECT_EQ(area.top, view.bounds()->top - kPictureMargin) << scale;
        EXPECT_EQ(area.width, view.bounds()->width + 2 * kPictureMargin) << scale;
        EXPECT_EQ(area.height, view.bounds()->height + 2 * kPictureMargin) << scale;

        // On the picture everything lies inside, the margin around it.
        draw::BoundsCanvas picture(metrics, draw::Rect{0, 0, area.width, area.height});
        paintFlowPicture(picture, f.chart, area);
        EXPECT_EQ(picture.bounds(), (draw::Rect{kPictureMargin, kPictureMargin, area.width - 2 * kPictureMargin,
                                                area.height - 2 * kPictureMargin}))
            << scale;
    }

    // The texts are those of the view, moved; no detail box is drawn.
    f.chart.setScale(4);
    const draw::Rect area = flowPictureArea(f.chart, metrics);
    draw::RecordingCanvas canvas(draw::Rect{0, 0, area.width, area.height}, 32, &metrics);
    paintFlowPicture(canvas, f.chart, area);
    bool sawLabel = false;
    for (const draw::Record& text : canvas.recordsOf(draw::Record::Op::Text)) {
        EXPECT_GE(text.points.front().x, kPictureMargin) << text.str();
        sawLabel = sawLabel || text.text == "ORDER_OPEN_AND_WAITING_FOR_PAYMENT";
    }
    EXPECT_TRUE(sawLabel);
}

}  // namespace
}  // namespace qm::detail
