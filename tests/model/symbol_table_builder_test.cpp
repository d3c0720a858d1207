#include "model/symbol_table_builder.h"

#include "tree_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::model {
namespace {

using namespace test_trees;
using ::testing::ElementsAre;

class SymbolTableBuild : public ::testing::Test {
protected:
    // Every table a test builds must have its parent links right.
    void TearDown() override
    {
        std::vector<const SymbolEntry*> pending{&root};
        while (!pending.empty()) {
            const SymbolEntry* owner = pending.back();
            pending.pop_back();
            if (!owner->children) {
                continue;
            }
            for (const auto& [key, child] : *owner->children) {
                EXPECT_EQ(child.parent, owner) << child.name;
                pending.push_back(&child);
            }
        }
    }

    SourceUnit& add(std::unique_ptr<SourceUnit> unit) { return *units.emplace_back(std::move(unit)); }

    void build()
    {
        std::vector<SourceUnit*> raw;
        for (auto& unit : units) {
            raw.push_back(unit.get());
        }
        buildSymbolTable(raw, root, counters);
    }

    // The entry reached from the root through `path`, or null.
    const SymbolEntry* at(std::initializer_list<SymbolKey> path) const
    {
        const SymbolEntry* entry = &root;
        for (const SymbolKey& key : path) {
            if (!entry || !entry->children) {
                return nullptr;
            }
            entry = entry->children->find(key.name, key.parameterCount);
        }
        return entry;
    }

    // "name/count" of the children of the entry at `path`, in table order.
    std::vector<std::string> keys(std::initializer_list<SymbolKey> path = {}) const
    {
        std::vector<std::string> out;
        if (const SymbolEntry* entry = at(path); entry && entry->children) {
            for (const auto& [key, child] : *entry->children) {
                out.push_back(std::string(key.name) + "/" + std::to_string(key.parameterCount));
            }
        }
        return out;
    }

    TokenPool pool;
    std::vector<std::unique_ptr<SourceUnit>> units;
    SymbolEntry root;
    NamelessCounters counters;
};

TEST_F(SymbolTableBuild, KeysSortByNameBytesThenCountAndIgnoreTheKind)
{
    add(makeUnit("a.cpp", variableNode("a"), functionNode("f", 2), classNode("B"), functionNode("f", 1),
                 detailNode<ShortDeclareDetail>(NodeKind::ShortDeclare, false, [](auto& d) { d.name = "_u"; }),
                 detailNode<ClassDeclareDetail>(NodeKind::StructDeclare, false, [](auto& d) { d.name.name = "Z"; }),
                 variableNode("\xC3\xA9"),  // bytes above 0x7F sort last
                 variableNode("s", {"A"}),  // `int A::s = 0;` goes below its scope A
                 variableNode("x"), classNode("x"), functionNode("x", 1),
                 with(textNode(NodeKind::Namespace, "n"), classNode("y"), variableNode("y"))));
    build();

    EXPECT_THAT(keys(), ElementsAre("A/0", "B/0", "Z/0", "_u/0", "a/0", "f/1", "f/2", "n/0", "x/0", "x/1",
                                    "\xC3\xA9/0"));
    EXPECT_THAT(keys({{"A", 0}}), ElementsAre("s/0"));
    EXPECT_EQ(at({{"Z", 0}})->kind, NodeKind::StructDeclare);
    EXPECT_EQ(at({{"_u", 0}})->kind, NodeKind::ShortDeclare);
    EXPECT_EQ(at({{"x", 1}})->kind, NodeKind::Function);
    // A variable and a class of one name share an entry that takes the class kind whichever
    // comes first; both nodes are recorded.
    for (const SymbolEntry* shared : {at({{"x", 0}}), at({{"n", 0}, {"y", 0}})}) {
        ASSERT_NE(shared, nullptr);
        EXPECT_EQ(shared->kind, NodeKind::Class);
        EXPECT_EQ(shared->declarations.size(), 1u);
        EXPECT_EQ(shared->definitions.size(), 1u);
    }
}

// A table keeps each name once, in its entry: the strings it was given can go, and a table that
// grew and rebalanced around its entries still finds every one and lists them in byte order.
TEST(SymbolTable, KeysOutliveTheNamesTheyWereMadeFrom)
{
    SymbolTable table;
    for (int i = 999; i >= 0; --i) {
        std::string name = "a_rather_long_name_that_is_kept_on_the_heap_" + std::to_string(i);
        table.findOrInsert(name, i % 3, NodeKind::Function);
        name.assign(name.size(), 'x');  // what the key was made from is overwritten
    }
    ASSERT_EQ(table.size(), 1000u);
    std::string previous;
    for (const auto& [key, entry] : table) {
        EXPECT_EQ(key.name, entry.name);
        EXPECT_EQ(key.name.data(), entry.name.data());
        EXPECT_LT(previous, entry.name);
        previous = entry.name;
    }
    const std::string wanted = "a_rather_long_name_that_is_kept_on_the_heap_500";
    const SymbolEntry* found = table.find(wanted, 500 % 3);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, wanted);
    EXPECT_EQ(&table.findOrInsert(wanted, 500 % 3, NodeKind::Variable), found);
}

TEST_F(SymbolTableBuild, UnitsMergeInOrderWithIncludesDepthFirstAndNumberNamelessOnes)
{
    // Each unit holds one anonymous class whose member names the unit.
    auto tagged = [](const std::string& file) { return makeUnit(file, with(classNode(""), variableNode(file))); };
    SourceUnit& a = add(tagged("a"));
    a.includedUnits.push_back(tagged("b"));
    a.includedUnits.back()->includedUnits.push_back(tagged("d"));
    a.includedUnits.push_back(tagged("c"));
    add(makeUnit("e", with(classNode(""), variableNode("e")), classNode("", NodeKind::Struct),
                 textNode(NodeKind::Union, ""), textNode(NodeKind::Namespace, ""), textNode(NodeKind::Enum, ""),
                 textNode(NodeKind::Enum, "")));
    build();

    EXPECT_THAT(keys(), ElementsAre("Nameless Class1/0", "Nameless Class2/0", "Nameless Class3/0",
                                    "Nameless Class4/0", "Nameless Class5/0", "Nameless Enum1/0", "Nameless Enum2/0",
                                    "Nameless Namespace1/0", "Nameless Struct1/0", "Nameless Union1/0"));
    const std::vector<std::string> order{"a", "b", "d", "c", "e"};
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_THAT(keys({{"Nameless Class" + std::to_string(i + 1), 0}}), ElementsAre(order[i] + "/0"));
    }
    EXPECT_EQ(at({{"Nameless Union1", 0}})->kind, NodeKind::Union);
    EXPECT_EQ(at({{"Nameless Enum2", 0}})->kind, NodeKind::Enum);
    EXPECT_EQ(counters.classes, 5);

    // A new build empties the table and counts from 1 again.
    units.erase(units.begin());
    build();
    EXPECT_THAT(keys({{"Nameless Class1", 0}}), ElementsAre("e/0"));
    EXPECT_EQ(at({{"Nameless Class2", 0}}), nullptr);
    EXPECT_EQ(counters.classes, 1);
}

TEST_F(SymbolTableBuild, DeclarationsAndDefinitionsFromSeveralUnitsShareOneEntry)
{
    SourceUnit& header = add(makeUnit(
        "a.h", functionNode("f", 1), functionNode("f", 2),
        detailNode<ClassDeclareDetail>(NodeKind::ClassDeclare, false, [](auto& d) { d.name.name = "A"; })));
    SourceUnit& source = add(makeUnit("a.cpp", functionNode("f", 1, true), classNode("A")));
    add(makeUnit("b.cpp", classNode("A")));
    build();

    const SymbolEntry* f1 = at({{"f", 1}});
    EXPECT_THAT(f1->declarations, ElementsAre(&header.nodes[0]));
    EXPECT_THAT(f1->definitions, ElementsAre(&source.nodes[0]));
    EXPECT_THAT(f1->definitionFiles, ElementsAre("a.cpp"));
    EXPECT_THAT(at({{"f", 2}})->declarations, ElementsAre(&header.nodes[1]));
    EXPECT_TRUE(at({{"f", 2}})->definitions.empty());
    EXPECT_EQ(at({{"A", 0}})->kind, NodeKind::Class);  // was inserted by the forward declaration
    EXPECT_THAT(at({{"A", 0}})->declarations, ElementsAre(&header.nodes[2]));
    EXPECT_THAT(at({{"A", 0}})->definitionFiles, ElementsAre("a.cpp", "b.cpp"));
}

TEST_F(SymbolTableBuild, QualifiedNamesDescendThroughScopes)
{
    add(makeUnit("a.cpp", functionNode("g", 0, true, {"A"}),       // void A::g() {}
                 functionNode("f", 1, true, {"A", "B"}),           // void A::B::f(int) {}
                 functionNode("r", 0, true, {"P", "Q"}),           // scopes never declared
                 operatorNode({pool.add('+')}, 1, true, {"A"}),    // A::operator+(x) {}
                 with(classNode("A"), functionNode("h", 0), with(classNode("B"), functionNode("f", 1)),
                      operatorNode({pool.add(tok::EqualEqual)}, 1, false),
                      operatorNode({pool.add('('), pool.add(')')}, 2, false),
                      operatorNode({pool.add(tok::New), pool.add('['), pool.add(']')}, 1, false))));
    build();

    EXPECT_THAT(keys(), ElementsAre("A/0", "P/0"));
    EXPECT_THAT(keys({{"A", 0}}), ElementsAre("()/2", "+/1", "==/1", "B/0", "g/0", "h/0", "new[]/1"));
    // The placeholders became the classes; only the class nodes are recorded on them.
    EXPECT_EQ(at({{"A", 0}})->kind, NodeKind::Class);
    EXPECT_EQ(at({{"A", 0}})->definitions.size() + at({{"A", 0}})->declarations.size(), 1u);
    EXPECT_EQ(at({{"A", 0}, {"B", 0}})->kind, NodeKind::Class);
    EXPECT_EQ(at({{"A", 0}, {"+", 1}})->kind, NodeKind::OverloadFunctionMethod);
    EXPECT_EQ(at({{"A", 0}, {"==", 1}})->kind, NodeKind::OverloadMethod);
    EXPECT_EQ(at({{"A", 0}, {"B", 0}, {"f", 1}})->declarations.size(), 1u);
    EXPECT_EQ(at({{"A", 0}, {"B", 0}, {"f", 1}})->definitions.size(), 1u);

    EXPECT_EQ(at({{"P", 0}})->kind, NodeKind::ScopePlaceholder);
    EXPECT_EQ(at({{"P", 0}, {"Q", 0}})->kind, NodeKind::ScopePlaceholder);
    EXPECT_TRUE(at({{"P", 0}, {"Q", 0}})->definitions.empty());
    EXPECT_EQ(at({{"P", 0}, {"Q", 0}, {"r", 0}})->kind, NodeKind::Function);
}

TEST_F(SymbolTableBuild, ScopedClassesAndMemberDefinitionsJoinTheirScope)
{
    auto scopedClass = [](std::string name, std::vector<std::string> scope) {
        return detailNode<ClassDetail>(NodeKind::Class, true, [&](ClassDetail& d) { d.name = {name, scope, {}}; });
    };
    add(makeUnit("s.cpp", with(classNode("Shop"), variableNode("count")),
                 variableNode("count", {"Shop"}),              // int Shop::count = 0;
                 with(scopedClass("Inner", {"Outer"}), functionNode("in", 0)),  // class Outer::Inner { ... }
                 variableNode("global")));
    build();

    EXPECT_THAT(keys(), ElementsAre("Outer/0", "Shop/0", "global/0"));
    EXPECT_THAT(keys({{"Shop", 0}}), ElementsAre("count/0"));
    EXPECT_EQ(at({{"Shop", 0}, {"count", 0}})->declarations.size(), 2u);
    EXPECT_EQ(at({{"Outer", 0}})->kind, NodeKind::ScopePlaceholder);
    EXPECT_THAT(keys({{"Outer", 0}, {"Inner", 0}}), ElementsAre("in/0"));
}

TEST_F(SymbolTableBuild, TemplateMarksOnlyTheNextRecordedEntry)
{
    add(makeUnit("t.h", makeNode(NodeKind::Template), classNode("X"), classNode("Y"),
                 with(makeNode(NodeKind::Template), functionNode("t", 1, true)),
                 with(classNode("C"), makeNode(NodeKind::Template), functionNode("m", 0), functionNode("n", 0))));
    build();

    EXPECT_EQ(at({{"X", 0}})->isTemplate, 1);
    EXPECT_EQ(at({{"Y", 0}})->isTemplate, 0);
    EXPECT_EQ(at({{"t", 1}})->isTemplate, 1);
    EXPECT_EQ(at({{"C", 0}})->isTemplate, 0);
    EXPECT_EQ(at({{"C", 0}, {"m", 0}})->isTemplate, 1);
    EXPECT_EQ(at({{"C", 0}, {"n", 0}})->isTemplate, 0);
}

TEST_F(SymbolTableBuild, OnlyDeclarationAndBodyContextsAreMerged)
{
    add(makeUnit("c.cpp",
                 with(functionNode("f", 0, true), variableNode("local"),
                      with(classNode("Local"), variableNode("member")),
                      with(makeNode(NodeKind::IfStatement), variableNode("inIf"))),
                 with(makeNode(NodeKind::ExpressionStatement), classNode("inExpression")),
                 with(makeNode(NodeKind::JustBrace), variableNode("braced")),
                 with(classNode("S", NodeKind::Struct), variableNode("s1"),
                      with(textNode(NodeKind::Union, ""), variableNode("u1"))),
                 makeNode(NodeKind::Typedef), makeNode(NodeKind::Using),
                 makeNode(NodeKind::Function, nullptr, true)));  // no detail: nothing to key it by
    build();

    // A class defined in a function body belongs to the function: it is merged into the
    // function's table, with its members below it. Other statements are not merged.
    EXPECT_THAT(keys(), ElementsAre("S/0", "f/0"));
    EXPECT_THAT(keys({{"f", 0}}), ElementsAre("Local/0"));
    EXPECT_THAT(keys({{"f", 0}, {"Local", 0}}), ElementsAre("member/0"));
    EXPECT_THAT(keys({{"S", 0}}), ElementsAre("Nameless Union1/0", "s1/0"));
    EXPECT_THAT(keys({{"S", 0}, {"Nameless Union1", 0}}), ElementsAre("u1/0"));
}

TEST_F(SymbolTableBuild, DeepNestingDoesNotExhaustTheStack)
{
    constexpr int kDepth = 100'000;
    AnalysisNode current = variableNode("leaf");
    for (int i = 0; i < kDepth; ++i) {
        current = with(textNode(NodeKind::Namespace, "n"), std::move(current));
    }
    add(makeUnit("deep.cpp", std::move(current)));
    build();
    build();  // rebuilding destroys the deep previous table

    const SymbolEntry* entry = &root;
    int depth = 0;
    int wrongParents = 0;
    for (const SymbolEntry* inner; entry->children && (inner = entry->children->find("n", 0)); ++depth) {
        wrongParents += inner->parent != entry;
        entry = inner;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(wrongParents, 0);
    EXPECT_NE(entry->children->find("leaf", 0), nullptr);

    // A table moved to another entry names that entry as the parent of its entries, and new
    // entries inserted after the move do too (the fixture checks every link at the end).
    SymbolEntry moved(std::move(root));
    EXPECT_EQ(moved.children->find("n", 0)->parent, &moved);
    root = std::move(moved);
    EXPECT_EQ(root.childTable().findOrInsert("added", 0, NodeKind::Variable).parent, &root);
    // The fixture destroys the deep tree and table: neither may recurse per level.
}

}  // namespace
}  // namespace qm::model
