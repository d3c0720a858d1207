// The recording canvas's readable records and clip bookkeeping, and the value types and fixed
// text measurement that layout tests rely on.
#include "draw/recording_canvas.h"

#include <gtest/gtest.h>

namespace qm::draw {
namespace {

TEST(RecordingCanvasTest, RecordsCarryTheStateTheyWereDrawnWith)
{
    RecordingCanvas canvas;
    canvas.setFont(FontSpec::cellPixels("Arial", 20));
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.drawText(Point{4, 5}, "Start");
    canvas.setFont(FontSpec::points("Courier New", 10, true));
    canvas.setBackgroundMode(BackgroundMode::Opaque);
    canvas.setBackgroundColor(rgb(180, 180, 255));
    canvas.setTextColor(rgb(0, 0, 255));
    canvas.drawTextClipped(Point{1, 2}, "say \"hi\"\t\\\n\x01", Rect{1, 2, 30, 13});
    canvas.setPen(Pen{PenStyle::Dash, 2, rgb(1, 2, 3)});
    canvas.setBrush(Brush::none());
    const Point zigzag[] = {{0, 0}, {5, 5}, {10, 0}};
    canvas.drawPolyline(zigzag);
    canvas.drawRoundRect(Rect{0, 0, 8, 9}, Size{4, 3});
    canvas.invertRect(Rect{1, 1, 2, 2});

    EXPECT_EQ(canvas.text(),
              "text 4,5 \"Start\" font=Arial:20cell color=RGB(0,0,0) bg=transparent\n"
              "text 1,2 \"say \\\"hi\\\"\\t\\\\\\n\\x01\" clip=1,2 30x13 font=Courier New:10pt:bold "
              "color=RGB(0,0,255) bg=opaque:RGB(180,180,255)\n"
              "polyline 0,0 5,5 10,0 pen=dash:2:RGB(1,2,3)\n"
              "roundrect 0,0 8x9 corner=4x3 pen=dash:2:RGB(1,2,3) brush=null\n"
              "invert 1,1 2x2\n");
    const std::vector<Record> texts = canvas.recordsOf(Record::Op::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, "say \"hi\"\t\\\n\x01");
    EXPECT_EQ(texts[1].font.face, "Courier New");
}

TEST(RecordingCanvasTest, ClipBoxNarrowsWithEachPushAndComesBackOnPop)
{
    RecordingCanvas canvas(Rect{0, 0, 100, 80});
    EXPECT_EQ(canvas.clipBox(), (Rect{0, 0, 100, 80}));
    canvas.pushClip(Outline::ellipse(Rect{50, 40, 100, 100}));
    EXPECT_EQ(canvas.clipBox(), (Rect{50, 40, 50, 40}));
    canvas.pushClip(Outline::polygon({{60, 50}, {70, 45}, {65, 60}}));
    EXPECT_EQ(canvas.clipBox(), (Rect{60, 45, 11, 16}));
    canvas.pushClip(Outline::rectangle(Rect{0, 0, 10, 10}));  // outside: nothing left
    EXPECT_TRUE(canvas.clipBox().isEmpty());
    canvas.popClip();
    canvas.popClip();
    EXPECT_EQ(canvas.clipBox(), (Rect{50, 40, 50, 40}));
    canvas.popClip();
    EXPECT_EQ(canvas.clipBox(), (Rect{0, 0, 100, 80}));
    EXPECT_EQ(canvas.lines().at(1), "clip polygon 60,50 70,45 65,60");
    EXPECT_EQ(canvas.lines().back(), "unclip");
}

TEST(RecordingCanvasTest, MeasuresWithTheGivenMetricsInTheCurrentFont)
{
    RecordingCanvas byDefault;
    EXPECT_EQ(byDefault.textSize("abcd"), (Size{32, 16}));
    const FixedTextMetrics metrics(7, 13);
    RecordingCanvas canvas(RecordingCanvas::kUnbounded, 32, &metrics);
    EXPECT_EQ(canvas.textSize(".."), (Size{14, 13}));
}

TEST(DrawTypesTest, FixedMetricsCountBytesAndKeepTheLineHeightForEmptyText)
{
    const FixedTextMetrics metrics(6, 12);
    const FontSpec font = FontSpec::points("Arial", 10);
    EXPECT_EQ(metrics.textSize(font, ""), (Size{0, 12}));
    EXPECT_EQ(metrics.textSize(font, "int x;"), (Size{36, 12}));
    EXPECT_EQ(metrics.textSize(font, "\xC3\xA9"), (Size{12, 12}));  // two bytes of UTF-8
    const FontInfo info = metrics.fontInfo(font);
    EXPECT_EQ(info.height, 12);
    EXPECT_EQ(info.averageCharWidth, 6);
    EXPECT_EQ(info.maxCharWidth, 6);
}

TEST(DrawTypesTest, ColoursPackRedIntoTheLowByte)
{
    EXPECT_EQ(rgb(1, 2, 3).value(), 1u + 2u * 256u + 3u * 65536u);
    EXPECT_EQ(Rgb::fromValue(0xFF030201u), rgb(1, 2, 3));
    EXPECT_EQ(Rgb::fromValue(rgb(204, 255, 102).value()), rgb(204, 255, 102));
    EXPECT_EQ(rgb(256 + 7, -1, 0), rgb(7, 255, 0));
}

TEST(DrawTypesTest, FontSizesInPixels)
{
    EXPECT_EQ(FontSpec::points("Arial", 10).pixelSize(), 13);
    EXPECT_EQ(FontSpec::points("Arial", 6).pixelSize(), 8);
    EXPECT_EQ(FontSpec::points("Arial", 32).pixelSize(), 43);
    EXPECT_EQ(FontSpec::cellPixels("Arial", 18).pixelSize(), 18);
    EXPECT_EQ(FontSpec::charPixels("Arial", 0).pixelSize(), 1);
}

TEST(DrawTypesTest, RectanglesIntersect)
{
    const Rect a = Rect::fromEdges(0, 0, 10, 10);
    EXPECT_EQ(a, (Rect{0, 0, 10, 10}));
    EXPECT_EQ(a.intersected(Rect{5, -5, 10, 10}), (Rect{5, 0, 5, 5}));
    EXPECT_TRUE(a.intersected(Rect{10, 0, 5, 5}).isEmpty());
    EXPECT_EQ(Outline::polygon({}).bounds, (Rect{}));
}

}  // namespace
}  // namespace qm::draw
