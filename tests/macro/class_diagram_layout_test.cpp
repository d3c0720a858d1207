// Measuring and laying out class diagrams with fixed 8 x 16 text extents, so that every number
// is exact. Header labels then measure "Attributes" 82 x 18, "Methods" 58 x 18, "Etc." 34 x 18.
#include "class_test_support.h"

#include <gtest/gtest.h>

namespace qm::macro {
namespace {

using model::Access;
using model::NodeKind;
using model::SymbolEntry;
using testing::buildAndLayout;
using testing::ClassTable;
using testing::describeTree;
using testing::ParsedClasses;

TEST(ClassDiagramLayout, OneClassWithAttributesAndMethods)
{
    const ParsedClasses parsed("class A { public: int x; void f(int a); };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"A"}), parsed.root);
    const ClassBox& box = diagram.root()->box;

    // "+ x" 24 wide; "+ f" 24, " (int a)" 64 + 1, " : void" 56: a method line of 146.
    EXPECT_EQ(box.attributes[0].width, 24);
    EXPECT_EQ(box.attributes[0].height, 16);
    EXPECT_EQ(box.methods[0].nameWidth, 24);
    EXPECT_EQ(box.methods[0].parameterWidth, 65);
    EXPECT_EQ(box.methods[0].returnWidth, 56);
    // Attributes header: 82 + 16; methods header: 58 + 4 x 16, line candidate 18 + 146 - 1.
    const Compartment& a = box.attributesPart;
    const Compartment& m = box.methodsPart;
    EXPECT_EQ((std::vector<int>{a.markerSize, a.headerWidth, a.headerHeight, a.widestLine, a.totalLineHeight}),
              (std::vector<int>{16, 98, 18, 24, 16}));
    EXPECT_EQ((std::vector<int>{m.markerSize, m.headerWidth, m.headerHeight, m.widestLine, m.totalLineHeight}),
              (std::vector<int>{16, 122, 18, 146, 16}));
    EXPECT_EQ(box.etcPart.headerHeight, 0);
    // Title "A": 10 x 18 plus the marker of 16.
    EXPECT_EQ((std::vector<int>{box.titleX, box.titleY, box.titleWidth, box.titleHeight, box.titleMarker}),
              (std::vector<int>{6, 6, 26, 18, 16}));
    EXPECT_EQ(box.innerWidth, 163);
    EXPECT_EQ(box.compartmentsHeight, 68);
    EXPECT_EQ(box.rect(), (draw::Rect{4, 4, 167, 90}));
    EXPECT_EQ((std::vector<int>{a.headerX, a.headerY, m.headerX, m.headerY}), (std::vector<int>{6, 24, 6, 58}));
    EXPECT_EQ(diagram.diagramSize(), (draw::Size{183, 106}));

    // Hidden parameters and return types measure as " (..)" and " : ..".
    diagram.root()->box.showParameters = false;
    diagram.root()->box.showReturnTypes = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    EXPECT_EQ(box.methods[0].parameterWidth, 41);
    EXPECT_EQ(box.methods[0].returnWidth, 40);
    EXPECT_EQ(box.methodsPart.widestLine, 24 + 41 + 1 + 40);
    EXPECT_EQ(box.innerWidth, 18 + 106 - 1);

    // Folded compartments keep their headers; a folded box keeps only its title.
    diagram.root()->box.attributesPart.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    EXPECT_EQ(box.compartmentsHeight, 52);
    EXPECT_EQ(box.methodsPart.headerY, 42);
    diagram.root()->box.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    EXPECT_EQ(box.height, 22);
    EXPECT_EQ(box.width, 127);
}

TEST(ClassDiagramLayout, ASingleNarrowBaseIsCentredOverItsClass)
{
    const ParsedClasses parsed("class B {}; class D : public B { int value; };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"D"}), parsed.root);
    EXPECT_EQ(describeTree(*diagram.root()), "D @4,58 102x56\n"
                                             "  public B @48,4 14x22\n");
    EXPECT_EQ(diagram.diagramSize(), (draw::Size{118, 126}));
}

TEST(ClassDiagramLayout, ARowOfBasesWiderThanItsClass)
{
    const ParsedClasses parsed("class B1 { int a; }; class B2 {};\n"
                               "class D : public B1, protected virtual B2 {};\n"
                               "class Top : public D, private Unknown {};\n");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"D"}), parsed.root);
    // Row 102 + 8 + 22; the class is centred under it; its bottom sits under the lower base.
    EXPECT_EQ(describeTree(*diagram.root()), "D @63,92 14x22\n"
                                             "  public B1 @4,4 102x56\n"
                                             "  protected virtual B2 @114,4 22x22\n");
    EXPECT_EQ(diagram.diagramSize(), (draw::Size{148, 126}));

    // One level more: the row of D's subtree (132) and a placeholder box ("Unknown": default
    // font, 56 + 2 wide).
    buildAndLayout(diagram, parsed.at({"Top"}), parsed.root);
    EXPECT_EQ(describeTree(*diagram.root()), "Top @90,146 30x22\n"
                                             "  public D @63,92 14x22\n"
                                             "    public B1 @4,4 102x56\n"
                                             "    protected virtual B2 @114,4 22x22\n"
                                             "  private Unknown @144,4 62x22\n");
    EXPECT_EQ(diagram.diagramSize(), (draw::Size{218, 180}));
}

TEST(ClassDiagramLayout, NestedBoxesFollowTheEtcHeader)
{
    const ParsedClasses parsed("struct Outer { struct In { int q; }; enum Colour { red }; };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"Outer"}), parsed.root);
    const ClassBox& box = diagram.root()->box;
    ASSERT_EQ(box.nested.size(), 2u);
    const ClassBox& colour = box.nested[0];
    const ClassBox& in = box.nested[1];
    EXPECT_EQ(colour.rect(), (draw::Rect{6, 42, 54, 22}));
    EXPECT_EQ(in.rect(), (draw::Rect{6, 64, 102, 56}));
    EXPECT_EQ(in.attributesPart.headerY, 84);
    // Etc. header 34 + 16; nested candidate 18 + 102 - 1.
    EXPECT_EQ(box.etcPart.headerWidth, 50);
    EXPECT_EQ(box.etcPart.totalLineHeight, 78);
    EXPECT_EQ(box.innerWidth, 119);
    EXPECT_EQ(box.rect(), (draw::Rect{4, 4, 123, 22 + 18 + 78}));

    // A folded "Etc." keeps its header and leaves the nested boxes where they were.
    diagram.root()->box.etcPart.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    EXPECT_EQ(box.height, 40);
    EXPECT_EQ(in.y, 64);
}

TEST(ClassDiagramLayout, TitlesUseTheirCategoryFontAndLabelsTheirCompartmentFont)
{
    // Fonts only matter through the metrics: measure with extents that grow with the size.
    class SizedMetrics : public draw::TextMetrics {
    public:
        draw::Size textSize(const draw::FontSpec& font, std::string_view text) const override
        {
            return {static_cast<int>(text.size()) * font.size, font.size + (font.bold ? 1 : 0)};
        }
        draw::FontInfo fontInfo(const draw::FontSpec&) const override { return {}; }
    };
    ThemeFonts fonts;
    fonts.fontFor(4).size = 20;  // class titles
    fonts.fontFor(12).size = 3;  // attribute lines and the "Attributes" label
    fonts.defaultFont.size = 5;  // placeholders
    const ParsedClasses parsed("class K : public Nowhere { int v; };");
    ClassDiagram diagram;
    diagram.setSelection(&parsed.at({"K"}), &parsed.root);
    diagram.rebuild();
    diagram.measureAndLayout(SizedMetrics(), fonts);
    const ClassBox& box = diagram.root()->box;
    EXPECT_EQ(box.titleHeight, 20 + 1 + 2);             // bold class font
    EXPECT_EQ(box.titleWidth, 20 + 2 + 21);             // plus the marker
    EXPECT_EQ(box.attributesPart.headerHeight, 3 + 2);  // "Attributes" in the variable font
    EXPECT_EQ(box.attributes[0].width, 9);
    const ClassBox& placeholder = diagram.root()->bases[0].box;
    EXPECT_EQ(placeholder.titleWidth, 7 * 5 + 2);
    EXPECT_EQ(placeholder.titleHeight, 5 + 2);
}

}  // namespace
}  // namespace qm::macro
