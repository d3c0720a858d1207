// The two canvases that make whole pictures: BoundsCanvas finds how far a drawing reaches,
// TranslatedCanvas moves it so that its top left corner lands at the picture's.
#include "draw/bounds_canvas.h"
#include "draw/recording_canvas.h"
#include "draw/shape_painter.h"
#include "draw/translated_canvas.h"

#include <gtest/gtest.h>

namespace qm::draw {
namespace {

TEST(BoundsCanvasTest, CoversEveryPrimitiveCutToTheClipInForce)
{
    const FixedTextMetrics metrics(7, 12);
    BoundsCanvas canvas(metrics);
    EXPECT_FALSE(canvas.bounds().has_value());
    canvas.drawLine({5, 5}, {5, 5});  // a line of no length draws nothing
    EXPECT_FALSE(canvas.bounds().has_value());

    canvas.drawRect(Rect{10, 20, 30, 40});
    EXPECT_EQ(canvas.bounds(), (Rect{10, 20, 30, 40}));
    // A line covers its start up to its end; a text its measured extent.
    canvas.drawLine({-15, 30}, {10, 30});
    canvas.drawText({0, 70}, "abcdefgh");  // 56 x 12
    EXPECT_EQ(canvas.bounds(), (Rect::fromEdges(-15, 20, 56, 82)));
    // A clipped text counts only where it shows; so does anything inside a pushed outline.
    canvas.drawTextClipped({0, 90}, std::string(100, 'x'), Rect{0, 90, 70, 12});
    canvas.pushClip(Outline::ellipse(Rect{-40, 0, 10, 10}));
    canvas.fillRect(Rect{-100, -100, 1000, 1000}, kBlack);
    canvas.popClip();
    EXPECT_EQ(canvas.bounds(), (Rect::fromEdges(-40, 0, 70, 102)));
    // A shape that falls wholly outside the clip leaves the bounds alone.
    canvas.pushClip(Outline::rectangle(Rect{0, 0, 5, 5}));
    canvas.drawEllipse(Rect{500, 500, 10, 10});
    canvas.popClip();
    EXPECT_EQ(canvas.bounds(), (Rect::fromEdges(-40, 0, 70, 102)));
}

TEST(TranslatedCanvasTest, MovesEveryCoordinateAndReportsTheClipInTheDrawingsOwn)
{
    RecordingCanvas target(Rect{0, 0, 200, 100});
    TranslatedCanvas moved(target, Point{30, -10});
    EXPECT_EQ(moved.clipBox(), (Rect{-30, 10, 200, 100}));
    ShapePainter painter(moved, 0);
    painter.hexagon(Rect{-30, 10, 40, 20}, rgb(1, 2, 3));
    moved.drawTextClipped({-28, 12}, "ab", Rect{-28, 12, 5, 16});
    moved.pushClip(Outline::roundRect(Rect{-30, 10, 40, 20}, Size{8, 8}));
    EXPECT_EQ(moved.clipBox(), (Rect{-30, 10, 40, 20}));
    moved.popClip();
    EXPECT_EQ(target.text(),
              "polygon 0,10 10,0 30,0 40,10 30,20 10,20 pen=solid:1:RGB(0,0,0) brush=RGB(1,2,3)\n"
              "text 2,2 \"ab\" clip=2,2 5x16 font=Arial:13cell color=RGB(0,0,0) bg=opaque:RGB(255,255,255)\n"
              "clip roundrect 0,0 40x20 corner=8x8\n"
              "unclip\n");
}

}  // namespace
}  // namespace qm::draw
