// The macro view's logic without a window: when it rebuilds, measures and lays out, picking and
// selecting, folding, sorting once and moving boxes, and what it asks of its window.
#include "draw/recording_canvas.h"
#include "macro/macro_view.h"
#include "macro_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace qm::macro {
namespace {

using namespace testing;
using draw::Point;
using draw::RecordingCanvas;

// Fixed extents that count how often they are asked: a measure asks once per box.
class CountingMetrics final : public draw::TextMetrics {
public:
    draw::Size textSize(const draw::FontSpec& font, std::string_view text) const override
    {
        ++calls;
        return m_fixed.textSize(font, text);
    }
    draw::FontInfo fontInfo(const draw::FontSpec& font) const override { return m_fixed.fontInfo(font); }
    mutable int calls = 0;

private:
    draw::FixedTextMetrics m_fixed{6, 12};
};

// Records what the view asks for, one short line per call; redraws at once when asked to.
class FakeHost final : public MacroViewHost {
public:
    bool isRunActive() const override { return runActive; }
    void setScrollSize(draw::Size size) override
    {
        calls.push_back("scroll " + std::to_string(size.width) + "x" + std::to_string(size.height));
        if (drawInsideScroll) nestedDrawResult = view->drawDiagram(canvas, metrics, width);
    }
    void resetScrollPosition() override { calls.push_back("scroll to origin"); }
    void redrawNow() override
    {
        calls.push_back("redraw");
        if (view) view->drawDiagram(canvas, metrics, width);
    }
    void invalidate() override { calls.push_back("invalidate"); }
    void redrawDetailNow() override { calls.push_back("detail"); }
    void clearDetailHover() override { calls.push_back("hover"); }
    void openCodeFile(const std::string& path) override { calls.push_back("open " + path); }
    void markCodeLines(int first, int last) override
    {
        calls.push_back("mark " + std::to_string(first) + "-" + std::to_string(last));
    }
    void resetCodeWindow() override { calls.push_back("reset code"); }
    void log(std::string_view line) override { calls.push_back("log " + std::string(line)); }

    std::vector<std::string> take() { return std::exchange(calls, {}); }

    bool runActive = false;
    bool drawInsideScroll = false;
    bool nestedDrawResult = true;
    MacroView* view = nullptr;
    RecordingCanvas canvas;
    CountingMetrics metrics;
    int width = 1024;
    std::vector<std::string> calls;
};

// namespace N { class C { int m; void k(); }; enum E; int v; void f() {...} void g(int); }
// S::D (class, with member x) and S::h() {...} under a scope placeholder S; int top;
struct ViewTable : EntryTree {
    ViewTable()
    {
        auto& n = add("N", NodeKind::Namespace);
        define(n, NodeKind::Namespace, "n.cpp", 1, 40);
        auto& c = add(n, "C", NodeKind::Class);
        cDefinition = &define(c, NodeKind::Class, "c.h", 10, 20);
        declare(add(c, "m", NodeKind::ShortDeclare), NodeKind::ShortDeclare, Access::Private);
        declare(add(c, "k", NodeKind::Function), NodeKind::Function, Access::Public);
        define(add(n, "E", NodeKind::Enum), NodeKind::Enum);
        declare(add(n, "v", NodeKind::Variable), NodeKind::Variable);
        auto& f = add(n, "f", NodeKind::Function);
        declare(f, NodeKind::Function);
        fDefinition = &define(f, NodeKind::Function, "n.cpp", 3, 7);
        declare(add(n, "g", NodeKind::Function, 1), NodeKind::Function);
        auto& s = add("S", NodeKind::ScopePlaceholder);
        auto& d = add(s, "D", NodeKind::Class);
        define(d, NodeKind::Class, "d.h", 1, 5);
        declare(add(d, "x", NodeKind::Variable), NodeKind::Variable);
        define(add(s, "h", NodeKind::Function), NodeKind::Function, "s.cpp", 2, 4);
        declare(add("top", NodeKind::Variable), NodeKind::Variable);
    }
    const model::AnalysisNode* cDefinition = nullptr;
    const model::AnalysisNode* fDefinition = nullptr;
};

class MacroViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.view = &view;
        view.settings().fixedSize = false;
        view.runFinished(&table.root);
        draw();
        host.take();
    }

    bool draw()
    {
        host.canvas.clear();
        return view.drawDiagram(host.canvas, host.metrics, host.width);
    }
    MacroBox& box(std::string_view name)
    {
        MacroBox* found = findBox(view.diagram().boxes(), name);
        if (!found) throw std::runtime_error("no box " + std::string(name));
        return *found;
    }
    // A point in the box's title, right of its marker corner.
    static Point titlePoint(const MacroBox& b) { return {b.x + b.markerSize + 1, b.y + 2}; }
    void unfoldAll()
    {
        view.unfoldAll();
        host.take();
    }

    ViewTable table;
    FakeHost host;
    DetailSelection selection;
    MacroView view{host, selection};
};

TEST_F(MacroViewTest, DrawsRebuildAfterARunMeasureAfterAThemeChangeAndLayOutWhenAsked)
{
    // SetUp's draw built, measured (one text per box) and laid out.
    EXPECT_EQ(view.diagram().nextSequence(), 16);
    EXPECT_EQ(host.metrics.calls, 16);
    EXPECT_EQ(view.classRoot(), &table.root);

    // Nothing pending: only paint.
    EXPECT_TRUE(draw());
    EXPECT_TRUE(host.take().empty());
    EXPECT_EQ(host.metrics.calls, 16);
    EXPECT_FALSE(host.canvas.records().empty());
    EXPECT_EQ(view.drawList().size(), view.diagram().boxes().size());

    view.setRelayoutPending();
    draw();
    EXPECT_EQ(host.take(), (std::vector<std::string>{"scroll 178x99"}));
    EXPECT_EQ(host.metrics.calls, 16);
    EXPECT_FALSE(view.relayoutPending());

    Theme wider;
    wider.colors.unitSpace = 8;
    view.takeTheme(wider.fonts, wider.colors);
    EXPECT_TRUE(view.themeChanged());
    draw();
    EXPECT_EQ(host.metrics.calls, 32);
    EXPECT_EQ(host.take().size(), 1u);
    EXPECT_FALSE(view.themeChanged());
    EXPECT_EQ(view.theme().colors.unitSpace, 8);

    // While a run is active nothing is painted, though a pending layout still runs.
    host.runActive = true;
    view.setRelayoutPending();
    draw();
    EXPECT_TRUE(host.canvas.records().empty());
    EXPECT_FALSE(view.relayoutPending());
    host.runActive = false;

    // A draw asked for from inside a draw returns at once.
    host.drawInsideScroll = true;
    view.setRelayoutPending();
    EXPECT_TRUE(draw());
    EXPECT_FALSE(host.nestedDrawResult);

    // After clearAll there is nothing to draw and the scroll range starts over.
    host.drawInsideScroll = false;
    host.take();
    host.canvas.clear();
    view.clearAll();
    EXPECT_EQ(host.take(), (std::vector<std::string>{"scroll 320x240", "scroll to origin", "redraw"}));
    EXPECT_TRUE(view.diagram().boxes().empty());
    EXPECT_EQ(view.result(), nullptr);
    EXPECT_TRUE(host.canvas.records().empty());
}

TEST_F(MacroViewTest, PickingAFunctionSelectsItOnceAndInvertsItsBox)
{
    unfoldAll();
    MacroBox& f = box("f");
    view.pick(titlePoint(f), {0, 0});
    EXPECT_EQ(host.take(), (std::vector<std::string>{"open n.cpp", "mark 3-7", "hover", "log f is selected.", "detail",
                                                     "invalidate"}));
    EXPECT_EQ(selection.detailMode, DetailMode::Flowchart);
    EXPECT_EQ(selection.definition, table.fDefinition);
    EXPECT_EQ(selection.entry, f.entry);
    EXPECT_EQ(selection.classRoot, nullptr);
    EXPECT_TRUE(selection.changed);
    EXPECT_EQ(view.selectedBox(), &f);
    EXPECT_EQ(f.sequence, 16);  // drawn last, hit first
    EXPECT_EQ(view.diagram().nextSequence(), 17);

    // The same click again writes no second log line.
    selection.changed = false;
    view.pick(titlePoint(f), {0, 0});
    EXPECT_EQ(host.take(), (std::vector<std::string>{"detail", "invalidate"}));
    EXPECT_FALSE(selection.changed);

    // The picked box is shown inverted, after everything else.
    draw();
    EXPECT_EQ(host.canvas.lines().back(), "invert " + std::to_string(f.x) + "," + std::to_string(f.y) + " 12x18");

    // Points are client points plus the scroll position.
    MacroBox& c = box("C");
    view.pick({titlePoint(c).x - 5, titlePoint(c).y - 100}, {5, 100});
    EXPECT_EQ(selection.detailMode, DetailMode::ClassDiagram);
    EXPECT_EQ(selection.classRoot, &table.root);
    EXPECT_EQ(selection.definition, table.cDefinition);
    EXPECT_EQ(host.take().at(3), "log C is selected.");
    EXPECT_EQ(view.lastMousePoint(), titlePoint(c));
}

TEST_F(MacroViewTest, MarkerCornersToggleNamespacesDoNothingAndEmptySpaceClears)
{
    unfoldAll();
    view.pick(titlePoint(box("f")), {0, 0});
    host.take();

    // A namespace box (outside its marker) changes nothing.
    MacroBox& n = box("N");
    view.pick(titlePoint(n), {0, 0});
    EXPECT_EQ(host.take(), (std::vector<std::string>{"detail", "invalidate"}));
    EXPECT_EQ(selection.definition, table.fDefinition);
    EXPECT_EQ(view.selectedBox()->entry->name, "f");

    // Its marker corner folds it and clears the selection without selecting it.
    view.pick({n.x + 2, n.y + 2}, {0, 0});
    EXPECT_FALSE(n.expanded);
    EXPECT_TRUE(view.relayoutPending());
    EXPECT_EQ(host.take(), (std::vector<std::string>{"reset code", "detail", "invalidate"}));
    EXPECT_EQ(view.selectedBox(), nullptr);
    EXPECT_EQ(selection.definition, nullptr);

    // The same corner of a box without children selects it.
    draw();
    MacroBox& h = box("h");
    view.pick({h.x + 2, h.y + 2}, {0, 0});
    EXPECT_EQ(view.selectedBox(), &h);

    // Empty space clears the selection and the code window.
    selection.changed = false;
    view.pick({5000, 5000}, {0, 0});
    EXPECT_EQ(host.take().back(), "invalidate");
    EXPECT_EQ(view.selectedBox(), nullptr);
    EXPECT_EQ(selection.definition, nullptr);
    EXPECT_TRUE(selection.changed);
}

TEST_F(MacroViewTest, DoubleClicksToggleBoxesWithChildrenAndFoldedChildrenAreNeverHit)
{
    unfoldAll();
    const Point inside = titlePoint(box("f"));
    MacroBox& n = box("N");
    view.doubleClick(titlePoint(n), {0, 0});
    EXPECT_EQ(host.take(), (std::vector<std::string>{"reset code", "detail", "redraw", "scroll 178x253"}));
    EXPECT_FALSE(n.expanded);
    // f keeps coordinates that contain the point, but is not drawn and so not hit.
    EXPECT_EQ(view.hitTest(inside), nullptr);

    // Double clicks on boxes without children, or during a run, do nothing.
    view.doubleClick(titlePoint(box("top")), {0, 0});
    EXPECT_TRUE(host.take().empty());
    host.runActive = true;
    view.doubleClick(titlePoint(box("N")), {0, 0});
    view.mouseDown(titlePoint(box("N")), {0, 0});
    EXPECT_TRUE(host.take().empty());
}

TEST_F(MacroViewTest, GroupAndScopeBoxesMoveWithTheirUnfoldedDescendantsOnlyWhenAutoSortIsOff)
{
    unfoldAll();
    MacroBox& group = box("Global Function(s)");
    view.pick(titlePoint(group), {0, 0});
    EXPECT_EQ(host.take().front(), "log Global Function(s) uncheck auto sort to move.");
    EXPECT_EQ(view.selectedBox(), &group);
    EXPECT_EQ(selection.detailMode, DetailMode::None);
    const int groupX = group.x;
    view.mouseMove({titlePoint(group).x + 10, titlePoint(group).y}, {0, 0});
    EXPECT_EQ(group.x, groupX);

    // Fold D, then move the scope S: S, D and h move; D's member stays.
    view.settings().autoSort = false;
    view.doubleClick(titlePoint(box("D")), {0, 0});
    MacroBox& s = box("S");
    const MacroBox& d = box("D");
    const MacroBox& h = box("h");
    const MacroBox& x = box("x");
    const std::vector<Point> before{{s.x, s.y}, {d.x, d.y}, {h.x, h.y}, {x.x, x.y}};
    host.take();
    const Point start = titlePoint(s);
    view.pick(start, {0, 0});
    EXPECT_EQ(host.take().front(), "log S ready to move.");
    view.mouseMove({start.x + 7, start.y - 3}, {0, 0});
    view.mouseMove({start.x + 10, start.y + 5}, {0, 0});
    EXPECT_EQ(host.take(), (std::vector<std::string>{"invalidate", "invalidate"}));
    EXPECT_EQ((Point{s.x, s.y}), (Point{before[0].x + 10, before[0].y + 5}));
    EXPECT_EQ((Point{d.x, d.y}), (Point{before[1].x + 10, before[1].y + 5}));
    EXPECT_EQ((Point{h.x, h.y}), (Point{before[2].x + 10, before[2].y + 5}));
    EXPECT_EQ((Point{x.x, x.y}), before[3]);

    // Later layouts keep the moved scope where it is.
    view.setRelayoutPending();
    draw();
    EXPECT_EQ(box("S").x, before[0].x + 10);

    // Sort places it by the rows once; the setting stays off.
    view.sortOnce();
    EXPECT_EQ(box("S").x, before[0].x);
    EXPECT_FALSE(view.settings().autoSort);

    // With a function selected (flowchart shown) dragging does nothing.
    MacroBox& f = box("f");
    view.pick(titlePoint(f), {0, 0});
    const Point fBefore{f.x, f.y};
    view.mouseMove({titlePoint(f).x + 20, titlePoint(f).y}, {0, 0});
    EXPECT_EQ((Point{f.x, f.y}), fBefore);
}

TEST_F(MacroViewTest, TheSelectionFollowsItsDefinitionThroughLayoutsAndIsDroppedWhenItIsGone)
{
    unfoldAll();
    view.pick(titlePoint(box("f")), {0, 0});
    Theme wider;
    wider.colors.unitSpace = 9;
    view.takeTheme(wider.fonts, wider.colors);
    draw();
    ASSERT_NE(view.selectedBox(), nullptr);
    EXPECT_EQ(view.selectedBox()->entry->name, "f");
    EXPECT_EQ(view.selectedBox(), findBox(view.diagram().boxes(), "f"));

    // A rebuild keeps it while the definition is in the new result.
    view.runFinished(&table.root);
    draw();
    ASSERT_NE(view.selectedBox(), nullptr);
    EXPECT_FALSE(view.selectedBox()->expanded);

    ViewTable other;
    view.runFinished(&other.root);
    draw();
    EXPECT_EQ(view.selectedBox(), nullptr);

    // A run start forgets the definition and the class root.
    view.runStarting();
    EXPECT_EQ(selection.definition, nullptr);
    EXPECT_EQ(view.classRoot(), nullptr);
}

TEST_F(MacroViewTest, UnfoldRightAfterARunAppliesToTheNewBoxes)
{
    // The run's boxes are made at the next draw; an Unfold before it is kept for them.
    view.runFinished(&table.root);
    view.unfoldAll();
    draw();
    bool allOpen = true;
    visitBoxes(view.diagram().boxes(), [&](const MacroBox& b) { return allOpen = allOpen && (b.expanded || !b.hasChildren()); });
    EXPECT_TRUE(allOpen);
    // A run starting in between forgets it.
    view.runFinished(&table.root);
    view.unfoldAll();
    view.runStarting();
    view.runFinished(&table.root);
    draw();
    EXPECT_FALSE(box("N").expanded);
}

TEST_F(MacroViewTest, FoldAllUnfoldAllAndResizing)
{
    view.unfoldAll();
    EXPECT_EQ(host.take(), (std::vector<std::string>{"reset code", "redraw", "scroll 178x536"}));
    bool allOpen = true;
    visitBoxes(view.diagram().boxes(), [&](const MacroBox& b) { return allOpen = allOpen && b.expanded; });
    EXPECT_TRUE(allOpen);

    host.runActive = true;
    view.foldAll();
    EXPECT_TRUE(host.take().empty());
    EXPECT_TRUE(box("N").expanded);
    host.runActive = false;
    view.foldAll();
    EXPECT_FALSE(box("N").expanded);
    EXPECT_EQ(host.take().back(), "scroll 178x99");

    // Resizing lays out again only with auto resize on and a new width.
    view.settings().autoResize = false;
    view.resized(500);
    EXPECT_FALSE(view.relayoutPending());
    view.settings().autoResize = true;
    view.resized(500);
    EXPECT_TRUE(view.relayoutPending());
    draw();
    view.resized(500);
    EXPECT_FALSE(view.relayoutPending());
    host.runActive = true;
    view.resized(600);
    EXPECT_FALSE(view.relayoutPending());
    host.runActive = false;
    view.resized(600);
    EXPECT_FALSE(view.relayoutPending());
}

}  // namespace
}  // namespace qm::macro
