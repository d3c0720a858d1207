// Symbol tables for the class diagram tests: made by the real parser from source text, or built
// entry by entry for inputs too large to write as text. Plus a compact description of a class
// tree: one line per class, `name @x,y wxh` with its bases indented below it.
#pragma once

#include "draw/text_metrics.h"
#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"
#include "macro/class_diagram.h"
#include "model/symbol_table_builder.h"
#include "parser/parse_unit.h"

#include <atomic>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::macro::testing {

using model::Access;
using model::NodeKind;
using model::SymbolEntry;

// The merged symbol table of one source text.
class ParsedClasses {
public:
    explicit ParsedClasses(std::string_view text)
    {
        m_unit.fileName = "input.cpp";
        frontend::tokenizeText(text, m_unit.tokens, [](std::string_view) {});
        frontend::LogSink log;
        std::atomic<bool> stop{false};
        parser::parseUnit(m_unit, stop, log);
        model::SourceUnit* units[] = {&m_unit};
        model::NamelessCounters counters;
        model::buildSymbolTable(units, root, counters);
    }

    // The entry at `path` of names, each with parameter count 0.
    const SymbolEntry& at(std::initializer_list<std::string_view> path) const
    {
        const SymbolEntry* entry = &root;
        for (std::string_view step : path) {
            entry = entry->children ? static_cast<const model::SymbolTable&>(*entry->children).find(std::string(step), 0)
                                    : nullptr;
            if (!entry) throw std::runtime_error("no entry " + std::string(step));
        }
        return *entry;
    }

    SymbolEntry root;

private:
    model::SourceUnit m_unit;
};

// A symbol table built entry by entry: classes with public base lists, and members.
class ClassTable {
public:
    SymbolEntry& addClass(SymbolEntry& parent, const std::string& name, const std::vector<std::string>& publicBases = {},
                          NodeKind kind = NodeKind::Class)
    {
        auto detail = std::make_unique<model::ClassDetail>();
        detail->name.name = name;
        for (const std::string& base : publicBases) {
            detail->publicBases.push_back({model::QualifiedName{base, {}, {}}, 0});
        }
        model::AnalysisNode& node = m_nodes.emplace_back();
        node.kind = kind;
        node.classified = true;
        node.hasBody = true;
        node.detail = std::move(detail);
        SymbolEntry& entry = add(parent, name, kind);
        entry.definitions.push_back(&node);
        entry.definitionFiles.push_back("input.cpp");
        return entry;
    }

    // A member without nodes (prefix "+ ").
    SymbolEntry& add(SymbolEntry& parent, const std::string& name, NodeKind kind, int count = 0)
    {
        SymbolEntry& entry = parent.childTable().findOrInsert(name, count, kind);
        entry.parent = &parent;
        return entry;
    }

    SymbolEntry root;

private:
    std::deque<model::AnalysisNode> m_nodes;
};

// `D @4,58 102x56` with each base on its own line below, indented by two blanks, and the
// access and virtual flag of the base in front: `  public virtual B @...`.
inline std::string describeTree(const ClassNode& root)
{
    std::string out;
    struct Item {
        const ClassNode* node;
        int depth;
        std::string prefix;
    };
    std::vector<Item> stack{{&root, 0, ""}};
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        const ClassBox& box = item.node->box;
        out += std::string(static_cast<std::size_t>(item.depth) * 2, ' ') + item.prefix + box.entry->name + " @" +
               std::to_string(box.x) + "," + std::to_string(box.y) + " " + std::to_string(box.width) + "x" +
               std::to_string(box.height) + "\n";
        for (std::size_t i = item.node->bases.size(); i-- > 0;) {
            static const char* const names[] = {"", "public ", "protected ", "private "};
            std::string prefix = names[static_cast<int>(item.node->baseAccess[i])];
            if (item.node->baseVirtual[i]) prefix += "virtual ";
            stack.push_back({&item.node->bases[i], item.depth + 1, prefix});
        }
    }
    return out;
}

// Builds, measures and lays out the class diagram of `entry` with 8 x 16 fixed text extents.
inline void buildAndLayout(ClassDiagram& diagram, const SymbolEntry& entry, const SymbolEntry& classRoot,
                           const ThemeFonts& fonts = ThemeFonts{})
{
    diagram.setSelection(&entry, &classRoot);
    diagram.rebuild();
    const draw::FixedTextMetrics metrics(8, 16);
    diagram.measureAndLayout(metrics, fonts);
}

// The depth of the deepest base below `root`.
inline int baseDepth(const ClassNode& root)
{
    int deepest = 0;
    std::vector<std::pair<const ClassNode*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        for (const ClassNode& base : node->bases) stack.emplace_back(&base, depth + 1);
    }
    return deepest;
}

}  // namespace qm::macro::testing
