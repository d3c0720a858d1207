// Painting the macro diagram through the recording canvas: the calls of one box, culling and the
// draw list, fold markers, and the colour rules.
#include "draw/recording_canvas.h"
#include "macro/macro_diagram.h"
#include "macro/macro_style.h"
#include "macro/macro_view_paint.h"
#include "macro_test_support.h"

#include <gtest/gtest.h>

namespace qm::macro {
namespace {

using namespace testing;
using draw::RecordingCanvas;

Theme flatTheme()
{
    Theme theme;
    theme.colors.shadingType = 0;
    return theme;
}

// Builds, measures with 6 x `lineHeight` extents and lays out `table`, every box unfolded when
// asked.
void prepare(MacroDiagram& diagram, const model::SymbolEntry& root, bool unfold, int lineHeight = 12)
{
    diagram.buildBoxes(root);
    diagram.measureBoxes(draw::FixedTextMetrics(6, lineHeight), ThemeFonts{});
    diagram.setExpandedAll(unfold);
    MacroLayoutOptions options;
    options.availableWidth = 1024;
    options.fixedSize = false;
    diagram.layout(options);
}

TEST(MacroPaint, AnUnfoldedClassDrawsBodyShadowTitleHollowMarkerSeparatorThenItsMember)
{
    EntryTree table;
    auto& k = table.add("K", NodeKind::Class);
    table.define(k, NodeKind::Class);
    table.declare(table.add(k, "a", NodeKind::ShortDeclare), NodeKind::ShortDeclare, Access::Private);
    MacroDiagram diagram;
    prepare(diagram, table.root, true);

    RecordingCanvas canvas;
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, diagram.boxes(), flatTheme(), drawList);
    EXPECT_EQ(canvas.text(),
              // class colours: fill, then the border because it differs
              "rect 13,13 24x51 pen=solid:1:RGB(204,255,102) brush=RGB(204,255,102)\n"
              "rect 13,13 24x51 pen=solid:1:RGB(150,150,150) brush=null\n"
              // the member list's shadow in the border colour halved
              "line 13,64 37,64 pen=solid:1:RGB(75,75,75)\n"
              "line 37,14 37,65 pen=solid:1:RGB(75,75,75)\n"
              "text 27,15 \"K\" font=Arial:10pt:bold color=RGB(0,0,0) bg=transparent\n"
              // marker in the average of text and fill colours, hollow while expanded
              "roundrect 17,17 8x8 corner=4x4 pen=solid:1:RGB(102,127,51) brush=null\n"
              "line 13,30 37,30 pen=solid:1:RGB(150,150,150)\n"
              // a private variable: text in the private colour, no border (same as the fill)
              "rect 18,40 12x18 pen=solid:1:RGB(255,250,243) brush=RGB(255,250,243)\n"
              "text 20,42 \"a\" font=Arial:10pt color=RGB(200,0,0) bg=transparent\n");
    ASSERT_EQ(drawList.size(), 2u);
    EXPECT_EQ(drawList[0]->entry->name, "a");  // highest sequence first

    // A template's border is dotted; folded, the marker gets its dot and separators go.
    k.isTemplate = 1;
    diagram.setExpandedAll(false);
    canvas.clear();
    paintBoxes(canvas, diagram.boxes(), flatTheme(), drawList);
    const auto lines = canvas.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "rect 13,13 24x16 pen=dot:1:RGB(150,150,150) brush=null");
    EXPECT_EQ(lines[5], "roundrect 17,17 8x8 corner=4x4 pen=solid:1:RGB(102,127,51) brush=null");
    EXPECT_EQ(lines[6], "ellipse 19,19 4x4 pen=solid:1:RGB(102,127,51) brush=RGB(102,127,51)");
    EXPECT_EQ(drawList.size(), 1u);  // children of a folded box are not collected
}

TEST(MacroPaint, MarkersNeedATitleOfThirteenPixels)
{
    EntryTree table;
    table.add(table.add("N", NodeKind::Namespace), "x", NodeKind::Variable);
    for (const auto& [lineHeight, drawn] : {std::pair{9, true}, std::pair{8, false}}) {
        MacroDiagram diagram;
        prepare(diagram, table.root, false, lineHeight);
        RecordingCanvas canvas;
        std::vector<MacroBox*> drawList;
        paintBoxes(canvas, diagram.boxes(), flatTheme(), drawList);
        EXPECT_EQ(canvas.recordsOf(draw::Record::Op::RoundRect).size(), drawn ? 1u : 0u) << lineHeight;
        EXPECT_EQ(diagram.boxes()[0].markerSize, lineHeight + 4 - 4);
    }
}

TEST(MacroPaint, OnlyBoxesTouchingTheClipAreDrawnAndOnlyChildrenOfVisibleSpansCollected)
{
    // Three namespaces in one column (a narrow view), each holding one variable.
    EntryTree table;
    for (const char* name : {"A", "B", "C"}) table.add(table.add(name, NodeKind::Namespace), "v", NodeKind::Variable);
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(draw::FixedTextMetrics(6, 12), ThemeFonts{});
    diagram.setExpandedAll(true);
    MacroLayoutOptions options;
    options.availableWidth = 0;
    diagram.layout(options);
    const MacroBox& a = diagram.boxes()[0];
    const MacroBox& b = diagram.boxes()[1];
    const MacroBox& c = diagram.boxes()[2];
    ASSERT_LT(a.y + a.height, b.y);
    ASSERT_LT(b.y + b.height, c.y);

    // The clip covers B only, from one pixel below A's bottom to one pixel above C's top.
    RecordingCanvas canvas(draw::Rect::fromEdges(0, a.y + a.height + 1, 2000, c.y - 1));
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, diagram.boxes(), flatTheme(), drawList);
    std::vector<std::string> collected;
    for (const MacroBox* box : drawList) collected.push_back(box->entry->name + "/" + std::to_string(box->sequence));
    // B with its children (group and variable); A and C lie wholly outside the clip.
    EXPECT_EQ(collected, (std::vector<std::string>{"v/5", "Global Variable(s)/4", "B/3"}));
    std::vector<std::string> texts;
    for (const auto& record : canvas.recordsOf(draw::Record::Op::Text)) texts.push_back(record.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"B", "Global Variable(s)", "v"}));

    // A box whose edge touches the clip box is drawn.
    RecordingCanvas touching(draw::Rect::fromEdges(0, a.y + a.height, 2000, a.y + a.height + 1));
    paintBoxes(touching, diagram.boxes(), flatTheme(), drawList);
    EXPECT_EQ(touching.recordsOf(draw::Record::Op::Text).front().text, "A");

    // Hit testing goes by the draw list: v (drawn last) is hit before B, points on an edge miss.
    const MacroBox& v = b.children[0].children[0];
    ASSERT_LT(a.y + a.height + 1, b.y);
    EXPECT_EQ(hitTest(drawList, {v.x + 1, v.y + 1}), nullptr);  // that paint did not reach B
    paintBoxes(canvas, diagram.boxes(), flatTheme(), drawList);
    EXPECT_EQ(hitTest(drawList, {v.x + 1, v.y + 1}), &v);
    EXPECT_EQ(hitTest(drawList, {v.x, v.y + 1}), &b.children[0]);
    EXPECT_EQ(hitTest(drawList, {b.x + 1, b.y + 1}), &b);
    EXPECT_EQ(hitTest(drawList, {b.x + b.width, b.y + 1}), nullptr);
}

TEST(MacroPaint, ColorResolverAppliesContentThenAccessThenCategoryColours)
{
    EntryTree table;
    auto& withBody = table.add("run", NodeKind::Function);
    table.declare(withBody, NodeKind::Function, Access::Protected);
    table.define(withBody, NodeKind::Function);
    auto& member = table.add("get", NodeKind::Function);
    table.declare(member, NodeKind::Function, Access::Public);
    auto& alias = table.add("T", NodeKind::Typedef);
    table.declare(alias, NodeKind::Typedef);
    auto& declared = table.add("D", NodeKind::ClassDeclare);
    table.declare(declared, NodeKind::ClassDeclare, Access::Private);  // kept, but not coloured by

    ThemeColors colors;
    colors.contentType = ColorTarget::Border;
    colors.protectedType = ColorTarget::Background;
    ColorResolver resolver(colors);
    const auto rgbOf = [](Rgb c) { return drawColor(c); };
    const ElementColors& function = colors.colorsOf(22);

    MacroBox box(&withBody);
    resolver.prepare(box);
    EXPECT_TRUE(resolver.withContent());
    EXPECT_EQ(resolver.access(), Access::Protected);
    EXPECT_EQ(resolver.border(), rgbOf(colors.contentColor));
    EXPECT_EQ(resolver.fill(), rgbOf(colors.protectedColor));
    EXPECT_EQ(resolver.text(), rgbOf(function.font));

    box = MacroBox(&member);
    resolver.prepare(box);
    EXPECT_FALSE(resolver.withContent());
    EXPECT_EQ(resolver.text(), rgbOf(colors.publicColor));
    EXPECT_EQ(resolver.border(), rgbOf(function.border));

    // Categories without colours of their own take the default colours.
    box = MacroBox(&alias);
    resolver.prepare(box);
    EXPECT_EQ(resolver.fill(), rgbOf(colors.defaultColors.background));
    EXPECT_EQ(resolver.text(), rgbOf(colors.defaultColors.font));

    box = MacroBox(&declared);
    resolver.prepare(box);
    EXPECT_EQ(resolver.access(), Access::None);
    EXPECT_EQ(resolver.fill(), rgbOf(colors.colorsOf(12).background));

    // The group boxes look like what they hold.
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    box = MacroBox(&diagram.variablesGroup());
    resolver.prepare(box);
    EXPECT_EQ(resolver.fill(), rgbOf(colors.colorsOf(12).background));
    box = MacroBox(&diagram.functionsGroup());
    resolver.prepare(box);
    EXPECT_EQ(resolver.fill(), rgbOf(function.background));
    EXPECT_EQ(resolver.border(), rgbOf(function.border));
}

}  // namespace
}  // namespace qm::macro
