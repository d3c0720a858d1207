// Texts of flowcharts: fitting one text into a box, stacking lines in a statement box, the
// captions beside branches, loops and cases, and the fonts of each scale.
#include "detail/flow_painter.h"

#include "flow_draw_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm::detail {
namespace {

using namespace test_draw;

// A painter at scale 4 (boxes 80 x 40 in cells 100 x 80) over a canvas whose characters are 6
// pixels wide and 13 high, so ".." is 12 wide.
struct TextBench {
    ParsedFunction function{"void f() { a(); }"};
    draw::FixedTextMetrics metrics{6, 13};
    draw::RecordingCanvas canvas{draw::RecordingCanvas::kUnbounded, 32, &metrics};
    std::optional<FlowPainter> painter;

    explicit TextBench(FlowScale scale = 4)
    {
        function.chart.setScale(scale);
        painter.emplace(canvas, function.chart);
        canvas.clear();
    }
    std::vector<std::string> texts() const { return linesStartingWith(canvas, "text"); }
};

std::string at(int x, int y, const std::string& text)
{
    return "text " + std::to_string(x) + "," + std::to_string(y) + " \"" + text + "\"";
}

// The texts' records without their font and colour.
std::vector<std::string> placed(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) out.push_back(line.substr(0, line.find(" font=")));
    return out;
}

TEST(FlowFitText, CentresShortTextsAndCutsLongOnesWithDots)
{
    TextBench bench;
    FlowPainter& p = *bench.painter;
    EXPECT_EQ(p.dotsWidth(), 12);
    p.fitText({1, 2}, "x > 1", false);   // 30 wide: centred
    p.fitText({1, 2}, "0123456789ab", false);  // 72 wide: 72 < 80 - 4, still centred
    p.fitText({1, 2}, "0123456789abc", false);  // 78 wide: cut at 180 - 12 - 2
    // In a hexagon the margin is (80 / 4) / (40 / 2) * (13 / 2) = 6: 72 >= 80 - 12 is cut.
    p.fitText({1, 2}, "0123456789ab", true);
    EXPECT_EQ(placed(bench.texts()), (std::vector<std::string>{
                                         at(125, 173, "x > 1"),
                                         at(104, 173, "0123456789ab"),
                                         at(102, 173, "0123456789abc") + " clip=102,173 64x13",
                                         at(166, 173, ".."),
                                         at(106, 173, "0123456789ab") + " clip=106,173 56x13",
                                         at(162, 173, ".."),
                                     }));
    // At scale 16 (boxes 180 x 80) the hexagon margin of a 13-high text is (45 / 40) * 6 = 6.
    TextBench large(16);
    large.painter->fitText({0, 0}, std::string(28, 'w'), true);  // 168 >= 180 - 12
    EXPECT_EQ(placed(large.texts()).front(), at(6, 33, std::string(28, 'w')) + " clip=6,33 156x13");
}

TEST(FlowDrawLines, CentredBlockCutLinesAndAnOverfullBox)
{
    TextBench bench;
    FlowPainter& p = *bench.painter;
    // Two lines, 13 + 13 high and at most 42 wide: x offset (80 - 42 - 4) / 2 = 17, y offset
    // (40 - 26 - 4) / 2 = 5.
    const std::string two[] = {"x = 1 ;", "y ( ) ;"};
    p.drawLines({1, 1}, two);
    EXPECT_EQ(placed(bench.texts()), (std::vector<std::string>{at(119, 85, "x = 1 ;"), at(119, 98, "y ( ) ;")}));
    EXPECT_TRUE(linesStartingWith(bench.canvas, "line").empty());

    // Four lines are 52 high: no offsets, the box is overfull. Two lines fit (26 + 13 < 40 but
    // 39 + 13 does not): the third is drawn, the fourth left out, and the third ends in ".." to
    // say so. A line wider than 76 is cut at the box's right side and followed by "..", and the
    // tick marks the box's bottom centre.
    bench.canvas.clear();
    const std::string four[] = {"a ;", std::string(14, 'w'), "c ;", "d ;"};
    p.drawLines({1, 1}, four);
    EXPECT_EQ(placed(bench.texts()), (std::vector<std::string>{
                                         at(102, 80, "a ;"),
                                         at(102, 93, std::string(14, 'w')) + " clip=102,93 64x13",
                                         at(166, 93, ".."),
                                         at(102, 106, "c ;"),
                                         at(126, 106, ".."),  // a blank after the line
                                     }));
    EXPECT_EQ(linesStartingWith(bench.canvas, "line"),
              (std::vector<std::string>{"line 140,116 140,118 pen=solid:1:RGB(0,0,0)"}));
    for (const std::string& line : bench.texts()) EXPECT_NE(line.find("color=RGB(0,0,0)"), std::string::npos);

    // When the last line shown has no room for the dots behind it, it is cut where they begin
    // (the block is 72 wide: x offset 2, dots at 180 - 2 - 12).
    bench.canvas.clear();
    const std::string wide[] = {"a ;", "b ;", std::string(12, 'w'), "d ;"};
    p.drawLines({1, 1}, wide);
    EXPECT_EQ(placed(bench.texts()), (std::vector<std::string>{
                                         at(104, 80, "a ;"),
                                         at(104, 93, "b ;"),
                                         at(104, 106, std::string(12, 'w')) + " clip=104,106 62x13",
                                         at(166, 106, ".."),
                                     }));
    // Three lines fill the box (overfull: a tick) but all of them show: no dots.
    bench.canvas.clear();
    const std::string three[] = {"a ;", "b ;", "c ;"};
    p.drawLines({1, 1}, three);
    EXPECT_EQ(placed(bench.texts()),
              (std::vector<std::string>{at(131, 80, "a ;"), at(131, 93, "b ;"), at(131, 106, "c ;")}));
    EXPECT_EQ(linesStartingWith(bench.canvas, "line").size(), 1u);
}

TEST(FlowCaptions, BranchLoopAndCaseCaptionsWhereTheyBelong)
{
    ParsedFunction f("int f(int n)\n{\n    if (n) return 0;\n    if (n > 1) a(); else b();\n"
                     "    while (n) { if (n == 2) {} n--; }\n"
                     "    switch (n) { case 1: one(); break; default: two(); }\n    return n;\n}\n");
    draw::FixedTextMetrics metrics(6, 13);
    draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 32, &metrics);
    paintFlowchart(canvas, f.chart, 4);
    std::vector<std::string> captions;
    for (const std::string& line : linesStartingWith(canvas, "text")) {
        if (line.find("Arial:17cell") != std::string::npos) captions.push_back(line);
    }
    // All shapes stand in column 1; the loop's back edge runs in column 0, the cases in
    // columns 0 and 2 of row 9.
    EXPECT_EQ(placed(captions), (std::vector<std::string>{
                                    // if (n) return: yes beside the jump, no below the shape
                                    at(180, 100, "Y"),
                                    at(142, 133, "N"),
                                    // if/else: yes up left, no above the edge to the else
                                    at(88, 167, "Y"),
                                    at(186, 167, "N"),
                                    // the loop caption left of the back edge (column 0), halfway down
                                    at(81, 453, "L"),
                                    // an if without a branch: yes below it
                                    at(134, 466, "Y"),
                                    at(142, 453, "N"),
                                    // case labels in the gap above their boxes
                                    at(37, 693, "1"),
                                    at(219, 693, "default"),
                                }));
    EXPECT_NE(captions[0].find("color=RGB(0,128,0)"), std::string::npos);
    EXPECT_NE(captions[1].find("color=RGB(128,0,0)"), std::string::npos);
    EXPECT_NE(captions[4].find("color=RGB(0,0,128)"), std::string::npos);
    EXPECT_NE(captions[7].find("color=RGB(0,128,128)"), std::string::npos);
}

TEST(FlowTexts, TryHandlersAndTheNoMatchCaptionOfASwitch)
{
    // try at (1,1) over its block at (0,2) and the handler at (2,2); the switch at (1,4) has
    // cases in columns 0 and 2 and takes columns up to 3.
    ParsedFunction f("void f(int n)\n{\n    try {\n        a();\n    } catch (...) {\n        b();\n    }\n"
                     "    switch (n) { case 1: x(); break; case 2: y(); }\n}\n");
    draw::FixedTextMetrics metrics(6, 13);
    draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 32, &metrics);
    paintFlowchart(canvas, f.chart, 4);
    const std::vector<std::string> texts = placed(linesStartingWith(canvas, "text"));
    auto has = [&](const std::string& line) { return std::find(texts.begin(), texts.end(), line) != texts.end(); };
    // "try" centred in the hexagon; the handler's head cut in its box (78 >= 80 - 4).
    EXPECT_TRUE(has(at(131, 93, "try")));
    EXPECT_TRUE(has(at(202, 173, "catch ( ... )") + " clip=202,173 64x13"));
    EXPECT_TRUE(has(at(266, 173, "..")));
    // "N" above the switch's "no case matched" edge, left of where it turns down at 391.
    EXPECT_TRUE(has(at(382, 327, "N")));
    EXPECT_NE(canvas.text().find("\"N\" font=Arial:17cell color=RGB(128,0,0)"), std::string::npos);
}

TEST(FlowTexts, ScaleOneIsSilentAndScaleSixteenWritesWords)
{
    const char* source = "int f(int n)\n{\n    while (n) { if (n == 2) n = 0; else n--; }\n    return n;\n}\n";
    ParsedFunction f(source);
    draw::RecordingCanvas small;
    paintFlowchart(small, f.chart, 1);
    EXPECT_TRUE(linesStartingWith(small, "text").empty());
    EXPECT_FALSE(linesStartingWith(small, "line").empty());

    draw::RecordingCanvas large;
    paintFlowchart(large, f.chart, 16);
    std::string all;
    for (const std::string& line : linesStartingWith(large, "text")) all += line + "\n";
    EXPECT_NE(all.find("\"Start\" font=Arial:30cell"), std::string::npos);
    EXPECT_NE(all.find("\"Loop\" font=Arial:24cell"), std::string::npos);
    EXPECT_NE(all.find("\"Yes\" font=Arial:24cell"), std::string::npos);
    EXPECT_NE(all.find("\"No\" font=Arial:24cell"), std::string::npos);
    EXPECT_NE(all.find("\"While End\" font=Arial:18cell"), std::string::npos);
    EXPECT_EQ(all.find("\"L\""), std::string::npos);
    // Back at scale 4 the short captions return.
    draw::RecordingCanvas again;
    paintFlowchart(again, f.chart, 4);
    EXPECT_NE(again.text().find("\"L\" font=Arial:17cell"), std::string::npos);
}

}  // namespace
}  // namespace qm::detail
