// ShapePainter through the recording canvas: shading steps, flat fallbacks, culling, outlines,
// arrow heads and fold markers.
#include "draw/recording_canvas.h"
#include "draw/shape_painter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm::draw {
namespace {

// The step colour of every row (or column) of `box`, read back from the recorded bands; fails
// the test when the bands do not tile the box exactly once.
std::vector<Rgb> colourPerLine(const RecordingCanvas& canvas, const Rect& box, bool rows)
{
    const int length = rows ? box.height : box.width;
    std::vector<Rgb> colours(static_cast<std::size_t>(length));
    std::vector<int> covered(static_cast<std::size_t>(length), 0);
    for (const Record& band : canvas.recordsOf(Record::Op::Fill)) {
        if (rows) {
            EXPECT_EQ(band.box.left, box.left);
            EXPECT_EQ(band.box.width, box.width);
        } else {
            EXPECT_EQ(band.box.top, box.top);
            EXPECT_EQ(band.box.height, box.height);
        }
        const int first = rows ? band.box.top - box.top : band.box.left - box.left;
        const int count = rows ? band.box.height : band.box.width;
        for (int i = first; i < first + count; ++i) {
            EXPECT_GE(i, 0);
            EXPECT_LT(i, length);
            if (i < 0 || i >= length) continue;
            colours[static_cast<std::size_t>(i)] = band.color;
            ++covered[static_cast<std::size_t>(i)];
        }
    }
    for (int i = 0; i < length; ++i) {
        EXPECT_EQ(covered[static_cast<std::size_t>(i)], 1) << "line " << i;
    }
    return colours;
}

TEST(ShapePainterTest, DownDarkenOverSixtyRowsUsesEachStepTwiceDarkestAtTheBottom)
{
    RecordingCanvas canvas;
    ShapePainter painter(canvas, 1);
    const Rect box{10, 20, 40, 60};
    painter.shadedRect(box, rgb(200, 200, 230));

    const std::vector<Record> bands = canvas.recordsOf(Record::Op::Fill);
    ASSERT_EQ(bands.size(), 30u);
    EXPECT_EQ(canvas.records().size(), 30u) << "a shaded rectangle has no outline";
    for (int k = 0; k < 30; ++k) {
        EXPECT_EQ(bands[k].box, (Rect{10, 20 + 2 * k, 40, 2}));
        EXPECT_EQ(bands[k].color, rgb(199 - k, 199 - k, 229 - k));
    }
    EXPECT_EQ(bands.front().str(), "fill 10,20 40x2 RGB(199,199,229)");
    EXPECT_EQ(bands.back().color, rgb(170, 170, 200));
}

TEST(ShapePainterTest, StepsTileTheBoxForEveryModeAndSize)
{
    const Rgb colour = rgb(120, 0, 250);
    for (const int mode : {1, 2, 3, 4}) {
        for (const int length : {1, 7, 29, 30, 31, 45, 100, 613}) {
            RecordingCanvas canvas;
            ShapePainter painter(canvas, mode);
            const bool rows = mode % 2 == 1;
            const Rect box = rows ? Rect{3, 5, 11, length} : Rect{3, 5, length, 11};
            painter.shadedRect(box, colour);

            const std::vector<Rgb> steps = ShapePainter::stepColors(colour, mode);
            const std::vector<Rgb> perLine = colourPerLine(canvas, box, rows);
            for (int i = 0; i < length; ++i) {
                const auto expected = steps[static_cast<std::size_t>(i * static_cast<int>(steps.size()) / length)];
                ASSERT_EQ(perLine[static_cast<std::size_t>(i)], expected)
                    << "mode " << mode << " length " << length << " line " << i;
            }
        }
    }
}

TEST(ShapePainterTest, StepColoursStopAtTheEndsOfEachChannel)
{
    const std::vector<Rgb> darker = ShapePainter::stepColors(rgb(0, 10, 255), 2);
    ASSERT_EQ(darker.size(), 30u);
    EXPECT_EQ(darker[0], rgb(0, 9, 254));
    EXPECT_EQ(darker[9], rgb(0, 0, 245));
    EXPECT_EQ(darker[29], rgb(0, 0, 225));

    const std::vector<Rgb> lighter = ShapePainter::stepColors(rgb(255, 240, 0), 3);
    ASSERT_EQ(lighter.size(), 20u);
    EXPECT_EQ(lighter[0], rgb(255, 241, 1));
    EXPECT_EQ(lighter[14], rgb(255, 255, 15));
    EXPECT_EQ(lighter[19], rgb(255, 255, 20));
}

TEST(ShapePainterTest, ShallowDevicesAndModeZeroDrawFlatShapes)
{
    struct Case {
        int mode;
        int depth;
        int expectedDepth;
    };
    for (const Case c : {Case{0, 32, 0}, Case{-1, 32, 0}, Case{1, 8, 8}, Case{3, 15, 15}}) {
        RecordingCanvas canvas(RecordingCanvas::kUnbounded, c.depth);
        canvas.setPen(Pen::solid(rgb(0, 0, 128)));
        canvas.setBrush(Brush::solid(rgb(1, 2, 3)));
        ShapePainter painter(canvas, c.mode);
        EXPECT_EQ(painter.colourDepth(), c.expectedDepth);
        EXPECT_FALSE(painter.isShaded());

        painter.shadedRect(Rect{0, 0, 50, 20}, rgb(200, 230, 200));
        painter.ellipseShape(Rect{0, 0, 50, 20}, rgb(240, 200, 200));
        painter.roundBox(Rect{0, 0, 50, 20}, rgb(200, 230, 230));
        painter.hexagon(Rect{0, 0, 8, 4}, rgb(230, 230, 200));
        EXPECT_EQ(canvas.lines(), (std::vector<std::string>{
            "rect 0,0 50x20 pen=solid:1:RGB(200,230,200) brush=RGB(200,230,200)",
            "ellipse 0,0 50x20 pen=solid:1:RGB(0,0,128) brush=RGB(240,200,200)",
            "roundrect 0,0 50x20 corner=17x17 pen=solid:1:RGB(0,0,128) brush=RGB(200,230,230)",
            "polygon 0,2 2,0 6,0 8,2 6,4 2,4 pen=solid:1:RGB(0,0,128) brush=RGB(230,230,200)",
        })) << "mode " << c.mode << " depth " << c.depth;
        // The caller's pen and brush are still selected afterwards.
        EXPECT_EQ(canvas.pen(), Pen::solid(rgb(0, 0, 128)));
        EXPECT_EQ(canvas.brush(), Brush::solid(rgb(1, 2, 3)));
    }
}

TEST(ShapePainterTest, ShadedShapesFillTheirOutlineWithDownwardDarkeningSteps)
{
    RecordingCanvas canvas;
    canvas.setPen(Pen::solid(kBlack));
    ShapePainter painter(canvas, 4);  // the painter's own mode does not apply to these shapes

    painter.hexagon(Rect{0, 0, 10, 7}, rgb(230, 230, 200));
    std::vector<std::string> lines = canvas.lines();
    ASSERT_EQ(lines.size(), 10u);  // clip, 8 bands over 8 rows, unclip
    EXPECT_EQ(lines.front(), "clip polygon 0,3 2,0 7,0 10,3 7,7 2,7");
    EXPECT_EQ(lines[1], "fill 0,0 11x1 RGB(229,229,199)");
    EXPECT_EQ(lines[8], "fill 0,7 11x1 RGB(203,203,173)");  // row 7 of 8: step 7 * 30 / 8 = 26
    EXPECT_EQ(lines.back(), "unclip");

    canvas.clear();
    painter.ellipseShape(Rect{5, 5, 30, 15}, rgb(240, 200, 200));
    painter.roundBox(Rect{5, 5, 30, 15}, rgb(200, 230, 230));
    lines = canvas.lines();
    ASSERT_EQ(lines.size(), 2u * (1 + 15 + 1));
    EXPECT_EQ(lines[0], "clip ellipse 5,5 30x15");
    EXPECT_EQ(lines[1], "fill 5,5 30x1 RGB(239,199,199)");
    EXPECT_EQ(lines[16], "unclip");
    EXPECT_EQ(lines[17], "clip roundrect 5,5 30x15 corner=17x17");
    EXPECT_TRUE(canvas.recordsOf(Record::Op::Ellipse).empty());
}

TEST(ShapePainterTest, OnlyShapesTouchingTheClipBoxAreDrawn)
{
    const Rect clip{100, 100, 200, 200};  // right and bottom at 300
    struct Case {
        Rect shape;
        bool visible;
    };
    const Case cases[] = {
        {{89, 150, 10, 10}, false},   // one pixel left of the clip box
        {{90, 150, 10, 10}, true},    // right edge touches its left edge
        {{300, 150, 10, 10}, true},   // starts on its right edge
        {{301, 150, 10, 10}, false},
        {{150, 89, 10, 10}, false},
        {{150, 90, 10, 10}, true},
        {{150, 300, 10, 10}, true},
        {{150, 301, 10, 10}, false},
        {{0, 0, 1000, 1000}, true},   // covers it
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas(clip);
        ShapePainter painter(canvas, 1);
        EXPECT_EQ(painter.clipBox(), clip);
        EXPECT_EQ(painter.isVisible(c.shape), c.visible);
        painter.shadedRect(c.shape, rgb(9, 9, 9));
        painter.outlineRect(c.shape, kBlack, 2);
        painter.shadedRectWithBorder(c.shape, rgb(9, 9, 9), kBlack, false);
        painter.ellipseShape(c.shape, rgb(9, 9, 9));
        painter.roundBox(c.shape, rgb(9, 9, 9));
        painter.hexagon(c.shape, rgb(9, 9, 9));
        painter.foldMarker(c.shape, kBlack, true, kBlack);
        EXPECT_EQ(canvas.records().empty(), !c.visible) << c.shape.left << ',' << c.shape.top;
    }

    // Lines and arrow heads belong to connectors and are never culled.
    RecordingCanvas canvas(clip);
    ShapePainter painter(canvas, 1);
    painter.line(Point{0, 0}, Point{10, 0});
    painter.arrowHead(Point{0, 0}, 4, ArrowDirection::Down, true);
    EXPECT_EQ(canvas.records().size(), 2u);
}

TEST(ShapePainterTest, OutlinesUseTheirOwnPenAndLeaveTheInsideUnfilled)
{
    RecordingCanvas canvas;
    ShapePainter painter(canvas, 1);
    painter.outlineRect(Rect{1, 2, 30, 40}, rgb(150, 150, 150), 3);
    painter.shadedRectWithBorder(Rect{0, 0, 10, 30}, rgb(50, 60, 70), rgb(50, 60, 70), true);
    const std::size_t sameColourCount = canvas.records().size();
    painter.shadedRectWithBorder(Rect{0, 0, 10, 30}, rgb(50, 60, 70), rgb(255, 0, 0), true);
    painter.shadedRectWithBorder(Rect{0, 0, 10, 30}, rgb(50, 60, 70), rgb(255, 0, 0), false);

    const std::vector<Record> rects = canvas.recordsOf(Record::Op::Rect);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].str(), "rect 1,2 30x40 pen=solid:3:RGB(150,150,150) brush=null");
    EXPECT_EQ(sameColourCount, 1u + 30u) << "a border in the fill colour is not drawn";
    EXPECT_EQ(rects[1].str(), "rect 0,0 10x30 pen=dot:1:RGB(255,0,0) brush=null");
    EXPECT_EQ(rects[2].str(), "rect 0,0 10x30 pen=solid:1:RGB(255,0,0) brush=null");
    EXPECT_EQ(canvas.records().back().op, Record::Op::Rect) << "the border goes over the fill";
}

TEST(ShapePainterTest, ArrowHeadsPointWhereAskedWithTheCurrentPenAndBrush)
{
    RecordingCanvas canvas;
    canvas.setPen(Pen::solid(rgb(0, 128, 0)));
    ShapePainter painter(canvas, 1);
    const Point apex{50, 40};
    painter.arrowHead(apex, 5, ArrowDirection::Up, true);
    painter.arrowHead(apex, 5, ArrowDirection::Down, true);
    painter.arrowHead(apex, 5, ArrowDirection::Left, true);
    painter.arrowHead(apex, 5, ArrowDirection::Right, true);
    painter.arrowHead(apex, 6, ArrowDirection::Right, false);
    EXPECT_EQ(canvas.lines(), (std::vector<std::string>{
        "polygon 45,45 50,40 55,45 pen=solid:1:RGB(0,128,0) brush=RGB(255,255,255)",
        "polygon 55,35 50,40 45,35 pen=solid:1:RGB(0,128,0) brush=RGB(255,255,255)",
        "polygon 55,35 50,40 55,45 pen=solid:1:RGB(0,128,0) brush=RGB(255,255,255)",
        "polygon 45,35 50,40 45,45 pen=solid:1:RGB(0,128,0) brush=RGB(255,255,255)",
        "polyline 44,34 50,40 44,46 50,40 pen=solid:1:RGB(0,128,0)",
    }));
}

TEST(ShapePainterTest, FoldMarkerIsARoundedOutlineWithAnOptionalDot)
{
    RecordingCanvas canvas;
    ShapePainter painter(canvas, 1);
    painter.foldMarker(Rect{4, 4, 10, 10}, rgb(100, 110, 120), false, rgb(1, 1, 1));
    painter.foldMarker(Rect{4, 4, 11, 9}, rgb(100, 110, 120), true, rgb(100, 110, 120));
    EXPECT_EQ(canvas.lines(), (std::vector<std::string>{
        "roundrect 4,4 10x10 corner=5x5 pen=solid:1:RGB(100,110,120) brush=null",
        "roundrect 4,4 11x9 corner=5x4 pen=solid:1:RGB(100,110,120) brush=null",
        "ellipse 6,6 7x5 pen=solid:1:RGB(100,110,120) brush=RGB(100,110,120)",
    }));
}

}  // namespace
}  // namespace qm::draw
