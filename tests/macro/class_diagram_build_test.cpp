// Building the class diagram's tree: base order, access and virtual flags, where base names are
// looked up, placeholders, inheritance cycles, and the members of a box.
#include "class_test_support.h"

#include <gtest/gtest.h>

namespace qm::macro {
namespace {

using model::Access;
using model::NodeKind;
using model::SymbolEntry;
using testing::ClassTable;
using testing::ParsedClasses;

std::vector<std::string> baseNames(const ClassNode& node)
{
    std::vector<std::string> names;
    for (const ClassNode& base : node.bases) names.push_back(base.box.entry->name);
    return names;
}

TEST(ClassDiagramBuild, BasesComePublicThenProtectedThenPrivateWithTheirFlags)
{
    const ParsedClasses parsed("class B {}; class C {}; class E {}; class F {};\n"
                               "class D : private E, public B, protected virtual C, public virtual F {};\n");
    ClassDiagram diagram;
    diagram.setSelection(&parsed.at({"D"}), &parsed.root);
    diagram.rebuild();
    const ClassNode& root = *diagram.root();
    EXPECT_EQ(root.box.entry, &parsed.at({"D"}));
    EXPECT_EQ(baseNames(root), (std::vector<std::string>{"B", "F", "C", "E"}));
    EXPECT_EQ(root.baseAccess,
              (std::vector<Access>{Access::Public, Access::Public, Access::Protected, Access::Private}));
    EXPECT_EQ(root.baseVirtual, (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(root.bases[0].box.entry, &parsed.at({"B"}));
    EXPECT_TRUE(diagram.placeholders().empty());
}

TEST(ClassDiagramBuild, BaseNamesAreLookedUpBesideTheClassThenFromTheRoot)
{
    const ParsedClasses parsed("class Base { int top; };\n"
                               "namespace N {\n"
                               "  class Base { int inner; };\n"
                               "  class Near : public Base {};\n"
                               "  class Qualified : public N::Base {};\n"
                               "}\n"
                               "namespace M { class Far : public N::Base {}; }\n"
                               "namespace M { struct Lost : public Gone::Base, private Base {}; }\n");
    const SymbolEntry& innerBase = parsed.at({"N", "Base"});
    ClassDiagram diagram;
    const auto firstBase = [&](std::initializer_list<std::string_view> path) -> const SymbolEntry* {
        diagram.setSelection(&parsed.at(path), &parsed.root);
        diagram.rebuild();
        return diagram.root()->bases.empty() ? nullptr : diagram.root()->bases.front().box.entry;
    };
    // The enclosing namespace's Base hides the global one; a qualified name is walked from the
    // enclosing entry first (N has no N inside) and then from the root.
    EXPECT_EQ(firstBase({"N", "Near"}), &innerBase);
    EXPECT_EQ(firstBase({"N", "Qualified"}), &innerBase);
    EXPECT_EQ(firstBase({"M", "Far"}), &innerBase);

    // Unresolved names become placeholders: last name component, the derived class's kind, no
    // nodes; a plain name falls back to the root's table.
    const SymbolEntry* lost = firstBase({"M", "Lost"});
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->name, "Base");
    EXPECT_EQ(lost->kind, NodeKind::Struct);
    EXPECT_TRUE(lost->declarations.empty() && lost->definitions.empty() && !lost->children);
    ASSERT_EQ(diagram.placeholders().size(), 1u);
    EXPECT_EQ(&diagram.placeholders().front(), lost);
    EXPECT_EQ(diagram.root()->bases[1].box.entry, &parsed.at({"Base"}));
    EXPECT_TRUE(diagram.root()->bases[0].bases.empty());
    EXPECT_TRUE(diagram.root()->bases[0].box.attributes.empty());

    // A rebuild forgets the old placeholders.
    firstBase({"N", "Near"});
    EXPECT_TRUE(diagram.placeholders().empty());
}

TEST(ClassDiagramBuild, ClassesAlreadyOnThePathAreShownWithoutTheirBases)
{
    const ParsedClasses parsed("class Self : public Self { int s; };\n"
                               "class X : public Y {}; class Y : public Z {}; class Z : public X {};\n"
                               "class W {}; class V : public W {};\n"
                               "class L : public V {}; class R : public V {}; class J : public L, public R {};\n");
    ClassDiagram diagram;
    const auto tree = [&](std::string_view name) {
        testing::buildAndLayout(diagram, parsed.at({name}), parsed.root);
        return testing::describeTree(*diagram.root());
    };
    // A class naming itself: the base box is the class again, with its members, without bases.
    EXPECT_EQ(tree("Self"), "Self @4,92 102x56\n"
                            "  public Self @4,4 102x56\n");
    EXPECT_EQ(diagram.root()->bases[0].box.attributes.size(), 1u);
    EXPECT_EQ(tree("X"), "X @4,166 14x22\n"
                         "  public Y @4,112 14x22\n"
                         "    public Z @4,58 14x22\n"
                         "      public X @4,4 14x22\n");
    // Not a cycle: V is reached twice on different paths and shown with its base both times.
    EXPECT_EQ(tree("J"), "J @15,166 14x22\n"
                         "  public L @4,112 14x22\n"
                         "    public V @4,58 14x22\n"
                         "      public W @4,4 14x22\n"
                         "  public R @26,112 14x22\n"
                         "    public V @26,58 14x22\n"
                         "      public W @26,4 14x22\n");
}

TEST(ClassDiagramBuild, OnlyClassesAndStructsWithADefinitionShowBases)
{
    ClassTable table;
    table.addClass(table.root, "Base");
    SymbolEntry& asUnion = table.addClass(table.root, "U", {"Base"}, NodeKind::Union);
    SymbolEntry& asStruct = table.addClass(table.root, "S", {"Base"}, NodeKind::Struct);
    SymbolEntry& declaredOnly = table.add(table.root, "Fwd", NodeKind::Class);
    ClassDiagram diagram;
    for (const SymbolEntry* entry : {&asUnion, &declaredOnly}) {
        diagram.setSelection(entry, &table.root);
        diagram.rebuild();
        EXPECT_TRUE(diagram.root()->bases.empty()) << entry->name;
    }
    diagram.setSelection(&asStruct, &table.root);
    diagram.rebuild();
    EXPECT_EQ(baseNames(*diagram.root()), std::vector<std::string>{"Base"});

    // Nothing selected: no tree, and the other steps do nothing.
    diagram.setSelection(nullptr, &table.root);
    diagram.rebuild();
    EXPECT_EQ(diagram.root(), nullptr);
    EXPECT_EQ(diagram.layout({4, 4}), (draw::Point{4, 4}));
    EXPECT_FALSE(diagram.click({10, 10}, ClickKind::Single).handled);
}

TEST(ClassDiagramBuild, MembersBecomeAttributeLinesMethodLinesAndNestedBoxes)
{
    const ParsedClasses parsed("class D {\n"
                               "public:\n"
                               "    int x;\n"
                               "    void f(int a, char *b);\n"
                               "    D();\n"
                               "    bool operator==(const D& o) const;\n"
                               "    virtual constexpr int size() const = 0;\n"
                               "    explicit operator bool() const;\n"
                               "protected:\n"
                               "    static const char* name(void);\n"
                               "    int count;\n"
                               "private:\n"
                               "    struct Inner { int q; struct Deep { long z; }; };\n"
                               "    enum E { A, B };\n"
                               "    double ratio;\n"
                               "};\n"
                               "void D::f(int first, char *second) {}\n");
    ClassDiagram diagram;
    diagram.setSelection(&parsed.at({"D"}), &parsed.root);
    diagram.rebuild();
    const ClassBox& box = diagram.root()->box;

    std::vector<std::string> attributes;
    for (const MemberLine& line : box.attributes) attributes.push_back(line.text);
    EXPECT_EQ(attributes, (std::vector<std::string>{"# count", "- ratio", "+ x"}));

    // Parameters and return type come from the declaration, not the later definition; the
    // return type leaves out the specifiers, and `(void)` declares no parameter.
    std::vector<std::string> methods;
    for (const MethodLine& line : box.methods) methods.push_back(line.nameText + "|" + line.parameterText + "|" + line.returnText);
    EXPECT_EQ(methods, (std::vector<std::string>{"+ ==| (const D & o)|", "+ D| ()|", "+ f| (int a, char * b)| : void",
                                                 "# name| ()| : const char *", "+ operator bool| ()|",
                                                 "+ size| ()| : int"}));

    ASSERT_EQ(box.nested.size(), 2u);
    EXPECT_EQ(box.nested[0].entry->name, "E");
    EXPECT_TRUE(box.nested[0].attributes.empty() && box.nested[0].nested.empty());
    const ClassBox& inner = box.nested[1];
    EXPECT_EQ(inner.entry->name, "Inner");
    ASSERT_EQ(inner.attributes.size(), 1u);
    EXPECT_EQ(inner.attributes[0].text, "+ q");  // struct members keep no access
    ASSERT_EQ(inner.nested.size(), 1u);
    EXPECT_EQ(inner.nested[0].entry->name, "Deep");
    EXPECT_EQ(inner.nested[0].attributes[0].text, "+ z");
    // Boxes: D, E, Inner, Deep; lines: 3 + 6 + 1 + 1.
    EXPECT_EQ(diagram.elementCount(), 15u);
}

TEST(ClassDiagramBuild, MethodsWithoutNodesOrWithOperatorDetails)
{
    ClassTable table;
    SymbolEntry& owner = table.addClass(table.root, "Owner");
    table.add(owner, "bare", NodeKind::Function, 2);
    ClassBox box;
    EXPECT_EQ(fillBox(box, owner), 2u);
    ASSERT_EQ(box.methods.size(), 1u);
    EXPECT_EQ(box.methods[0].nameText, "+ bare");
    EXPECT_EQ(box.methods[0].parameterText, " ()");
    EXPECT_EQ(box.methods[0].returnText, "");
    EXPECT_EQ(accessPrefix(Access::None), "+ ");
    EXPECT_EQ(accessPrefix(Access::Public), "+ ");
    EXPECT_EQ(accessPrefix(Access::Protected), "# ");
    EXPECT_EQ(accessPrefix(Access::Private), "- ");

    // An operator with leading tokens kept (the symbol is the fourth token or later).
    const ParsedClasses parsed("class V { public: const V & operator+=(const V& o); V operator-() const; };\n");
    ClassBox parsedBox;
    fillBox(parsedBox, parsed.at({"V"}));
    ASSERT_EQ(parsedBox.methods.size(), 2u);
    EXPECT_EQ(parsedBox.methods[0].nameText, "+ +=");
    EXPECT_EQ(parsedBox.methods[0].parameterText, " (const V & o)");
    EXPECT_EQ(parsedBox.methods[0].returnText, " : const V &");
    EXPECT_EQ(parsedBox.methods[1].nameText, "+ -");
    EXPECT_EQ(parsedBox.methods[1].parameterText, " ()");
}

}  // namespace
}  // namespace qm::macro
