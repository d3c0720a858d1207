// The detail view without a window: what it shows for a pick, its scroll range and the centre it
// keeps, the shape under the mouse and its detail box, the wheel, and class diagram clicks.
#include "session/detail_view.h"

#include "draw/recording_canvas.h"
#include "draw/text_metrics.h"

#include "../macro/macro_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::session {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Records what the view asks of its window; the scroll position and client size are the test's.
class FakeHost final : public DetailViewHost {
public:
    void setScrollSize(draw::Size size) override
    {
        calls.push_back("range " + std::to_string(size.width) + "x" + std::to_string(size.height));
    }
    draw::Point scrollPosition() const override { return scroll; }
    void scrollTo(draw::Point position) override
    {
        scroll = position;
        calls.push_back("scroll " + std::to_string(position.x) + "," + std::to_string(position.y));
    }
    draw::Size clientSize() const override { return client; }
    void redrawNow() override { calls.push_back("redraw"); }
    void invalidate() override { calls.push_back("invalidate"); }
    void selectCodeLines(int first, int last) override
    {
        calls.push_back("lines " + std::to_string(first) + "-" + std::to_string(last));
    }
    std::vector<std::string> take() { return std::exchange(calls, {}); }

    draw::Point scroll;
    draw::Size client{400, 300};
    std::vector<std::string> calls;
};

const char* const kSource = "int clamp(int v)\n"
                            "{\n"
                            "    if (v < 0)\n"
                            "        return 0;\n"
                            "    v = v * 2;\n"
                            "    return v;\n"
                            "}\n"
                            "void nothing() {}\n"
                            "struct Base { int b; };\n"
                            "struct Shape : Base { int area() const; int w; };\n";

class DetailViewTest : public ::testing::Test {
protected:
    DetailViewTest() : table(kSource), view(host, selection) {}

    // Picks the entry called `name` as the macro view does.
    void pick(const std::string& name, macro::DetailMode mode)
    {
        const model::SymbolEntry* entry = nullptr;
        for (const auto& [key, child] : table.root.childTable()) {
            if (child.name == name) entry = &child;
        }
        ASSERT_NE(entry, nullptr) << name;
        selection.entry = entry;
        selection.definition = entry->definitions.front();
        selection.classRoot = mode == macro::DetailMode::ClassDiagram ? &table.root : nullptr;
        selection.detailMode = mode;
        selection.changed = true;
    }
    bool prepare() { return view.prepareDraw(metrics, theme); }
    std::string paint()
    {
        draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 32, &metrics);
        view.paint(canvas, theme);
        return canvas.text();
    }

    macro::testing::AnalysedText table;
    macro::DetailSelection selection;
    FakeHost host;
    DetailView view;
    draw::FixedTextMetrics metrics{7, 14};
    macro::Theme theme;
};

TEST_F(DetailViewTest, APickedFunctionIsBuiltOnceScrolledToTheOriginAndSized)
{
    EXPECT_FALSE(prepare());  // nothing picked: a blank view
    EXPECT_TRUE(host.take().empty());

    host.scroll = {30, 40};
    pick("clamp", macro::DetailMode::Flowchart);
    ASSERT_TRUE(prepare());
    ASSERT_NE(view.flowchart(), nullptr);
    const detail::Flowchart& chart = *view.flowchart();
    const int width = (chart.gridWidth() + 1) * 100;
    const int height = (chart.gridHeight() + 2) * 80;
    EXPECT_THAT(host.take(), ElementsAre("scroll 0,0", "range " + std::to_string(width) + "x" + std::to_string(height)));
    EXPECT_EQ(view.preferredWidth(), width);
    EXPECT_FALSE(selection.changed);

    // Later paints only draw.
    const detail::Flowchart* built = view.flowchart();
    ASSERT_TRUE(prepare());
    EXPECT_EQ(view.flowchart(), built);
    EXPECT_TRUE(host.take().empty());
    EXPECT_THAT(paint(), HasSubstr("Start"));

    // An empty body: Start, End and one arrow, two rows high.
    pick("nothing", macro::DetailMode::Flowchart);
    ASSERT_TRUE(prepare());
    EXPECT_EQ(view.totalSize(), (draw::Size{100, 160}));
}

TEST_F(DetailViewTest, ChangingTheScaleKeepsTheCentreOfAScrolledView)
{
    pick("clamp", macro::DetailMode::Flowchart);
    ASSERT_TRUE(prepare());
    const draw::Size small = view.totalSize();
    host.take();

    // At the origin the view stays there.
    view.setScale(16);
    ASSERT_TRUE(prepare());
    const draw::Size large = view.totalSize();
    EXPECT_GT(large.width, small.width);
    EXPECT_THAT(host.take(), ElementsAre("invalidate", "range " + std::to_string(large.width) + "x" + std::to_string(large.height)));

    // Scrolled, the point at the centre stays at the centre.
    host.scroll = {100, 60};
    view.setScale(4);
    ASSERT_TRUE(prepare());
    const int x = std::max(0, (100 + 200) * small.width / large.width - 200);
    const int y = std::max(0, (60 + 150) * small.height / large.height - 150);
    EXPECT_EQ(host.take().back(), "scroll " + std::to_string(x) + "," + std::to_string(y));

    view.setScale(5);  // not a scale: nothing changes
    EXPECT_EQ(view.scale(), 4);
}

TEST_F(DetailViewTest, TheShapeUnderTheMouseGetsItsDetailBoxAndMarksItsLines)
{
    pick("clamp", macro::DetailMode::Flowchart);
    ASSERT_TRUE(prepare());
    host.take();
    const detail::FlowElement* decision = view.flowchart()->elementAt(view.flowchart()->startColumn(), 1);
    ASSERT_NE(decision, nullptr);
    const draw::Point onShape{decision->col * 100 + 10, decision->row * 80 + 10};

    view.mouseMove(onShape, HeldButtons::None);
    EXPECT_TRUE(view.hover().active);
    EXPECT_THAT(host.take(), ElementsAre("redraw"));
    view.mouseMove({onShape.x + 5, onShape.y}, HeldButtons::None);  // the same shape: no repaint
    EXPECT_TRUE(host.take().empty());
    EXPECT_THAT(paint(), HasSubstr("If Statement"));
    EXPECT_EQ(view.shownElement(), decision);
    EXPECT_THAT(host.take(), ElementsAre("lines 3-3"));

    // The gap between shapes, and cell (0, 0), show nothing.
    view.mouseMove({decision->col * 100 + 90, decision->row * 80 + 10}, HeldButtons::None);
    EXPECT_FALSE(view.hover().active);
    view.mouseMove({5, 5}, HeldButtons::None);
    paint();
    EXPECT_EQ(view.shownElement(), nullptr);

    // With "Always show detail diagram " off, only while a button is held.
    view.setAlwaysShowDetail(false);
    view.mouseMove(onShape, HeldButtons::None);
    EXPECT_FALSE(view.hover().active);
    view.mouseMove(onShape, HeldButtons::Left);
    EXPECT_TRUE(view.hover().active);

    // The right button anchors the box to the left of the shape until it is released.
    view.rightButtonDown(onShape);
    EXPECT_TRUE(view.hover().anchored);
    view.rightButtonUp();
    EXPECT_FALSE(view.hover().anchored);
}

TEST_F(DetailViewTest, TheWheelScrollsFiftyPixelsAndNotAboveTheTop)
{
    host.scroll = {10, 120};
    view.wheel(-120);
    EXPECT_EQ(host.scroll, (draw::Point{10, 170}));
    for (int i = 0; i < 4; ++i) view.wheel(120);
    EXPECT_EQ(host.scroll, (draw::Point{10, 0}));
}

TEST_F(DetailViewTest, AClassDiagramIsSizedAndItsClicksMeasureItAgain)
{
    pick("Shape", macro::DetailMode::ClassDiagram);
    ASSERT_TRUE(prepare());
    ASSERT_NE(view.classDiagram().root(), nullptr);
    EXPECT_EQ(view.classDiagram().root()->bases.size(), 1u);
    EXPECT_EQ(view.totalSize(), view.classDiagram().diagramSize());
    EXPECT_THAT(paint(), HasSubstr("Shape"));
    host.take();

    // A click on the class's fold marker folds it; the next paint measures again.
    const macro::ClassBox& box = view.classDiagram().root()->box;
    const draw::Size before = view.totalSize();
    view.leftButtonDown({box.titleX + 2, box.titleY + 2});
    EXPECT_THAT(host.take(), ElementsAre("invalidate"));
    ASSERT_TRUE(prepare());
    EXPECT_NE(view.totalSize(), before);
    host.take();

    // A click on empty space changes nothing.
    view.leftButtonDown({before.width + 500, before.height + 500});
    EXPECT_TRUE(host.take().empty());
}

TEST_F(DetailViewTest, ClearingDropsThePictureAndShowsAnEmptyRange)
{
    pick("clamp", macro::DetailMode::Flowchart);
    ASSERT_TRUE(prepare());
    host.take();
    host.scroll = {40, 40};
    view.clear();
    EXPECT_EQ(view.flowchart(), nullptr);
    EXPECT_EQ(view.preferredWidth(), 0);
    EXPECT_THAT(host.take(), ElementsAre("range 100x100", "scroll 0,0", "redraw"));
    // A run clears the selected definition before it starts: nothing is drawn from the old tree.
    selection.definition = nullptr;
    EXPECT_FALSE(prepare());
    EXPECT_EQ(paint(), "");
}

}  // namespace
}  // namespace qm::session
