// Symbol tables for the macro diagram tests, made by the real parser from source text or built
// entry by entry, and compact text descriptions of box trees.
#pragma once

#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"
#include "macro/macro_box.h"
#include "macro/macro_diagram.h"
#include "model/analysis_node.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"
#include "model/symbol_table_builder.h"
#include "parser/parse_unit.h"

#include <atomic>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace qm::macro::testing {

using model::Access;
using model::NodeKind;

// The symbol table of one or more source texts, each a unit of its own, merged in order.
class AnalysedText {
public:
    AnalysedText() = default;
    explicit AnalysedText(std::string_view text) { add(text, "input.cpp"); }

    AnalysedText& add(std::string_view text, std::string fileName)
    {
        auto unit = std::make_unique<model::SourceUnit>();
        unit->fileName = std::move(fileName);
        frontend::tokenizeText(text, unit->tokens, [](std::string_view) {});
        frontend::LogSink log;
        std::atomic<bool> stop{false};
        parser::parseUnit(*unit, stop, log);
        m_units.push_back(std::move(unit));
        std::vector<model::SourceUnit*> raw;
        for (auto& each : m_units) raw.push_back(each.get());
        model::NamelessCounters counters;
        model::buildSymbolTable(raw, root, counters);
        return *this;
    }

    model::SymbolEntry root;

private:
    std::vector<std::unique_ptr<model::SourceUnit>> m_units;
};

// A symbol table built entry by entry, with nodes that carry access and line numbers.
class EntryTree {
public:
    model::SymbolEntry& add(model::SymbolEntry& parent, std::string name, NodeKind kind, int count = 0)
    {
        model::SymbolEntry& entry = parent.childTable().findOrInsert(name, count, kind);
        entry.parent = &parent;
        return entry;
    }
    model::SymbolEntry& add(std::string name, NodeKind kind, int count = 0) { return add(root, std::move(name), kind, count); }

    // A declaration node of `kind` with `access` (kept only by kinds whose detail has one).
    const model::AnalysisNode& declare(model::SymbolEntry& entry, NodeKind kind, Access access = Access::None)
    {
        const model::AnalysisNode& node = makeNode(kind, false, access, 0, 0);
        entry.declarations.push_back(&node);
        return node;
    }
    // A definition node of `kind` in `file`, its tokens on lines `first` to `last`.
    const model::AnalysisNode& define(model::SymbolEntry& entry, NodeKind kind, std::string file = "a.cpp",
                                      int first = 1, int last = 1, Access access = Access::None)
    {
        const model::AnalysisNode& node = makeNode(kind, true, access, first, last);
        entry.definitions.push_back(&node);
        entry.definitionFiles.push_back(m_fileNames.emplace_back(std::move(file)));
        return node;
    }

    model::SymbolEntry root;

private:
    const model::AnalysisNode& makeNode(NodeKind kind, bool body, Access access, int first, int last)
    {
        model::AnalysisNode& node = m_nodes.emplace_back();
        node.kind = kind;
        node.classified = true;
        node.hasBody = body;
        switch (kind) {
        case NodeKind::Class:
        case NodeKind::Struct: node.detail = std::make_unique<model::ClassDetail>(); break;
        case NodeKind::Variable: node.detail = std::make_unique<model::VariableDetail>(); break;
        case NodeKind::ShortDeclare: node.detail = std::make_unique<model::ShortDeclareDetail>(); break;
        case NodeKind::Function: node.detail = std::make_unique<model::FunctionDetail>(); break;
        case NodeKind::OverloadMethod: node.detail = std::make_unique<model::OperatorDetail>(); break;
        case NodeKind::OverloadFunctionMethod: node.detail = std::make_unique<model::OperatorFunctionDetail>(); break;
        default: break;
        }
        model::setAccess(node, access);
        if (first > 0) {
            node.tokens.push_back(&m_tokens.emplace_back(model::Token{first, model::tok::Identifier, model::TokenString("a")}));
            node.tokens.push_back(&m_tokens.emplace_back(model::Token{last, '}', model::TokenString()}));
        }
        return node;
    }

    std::deque<model::AnalysisNode> m_nodes;
    std::deque<std::string> m_fileNames;  // what definitionFiles name
    std::deque<model::Token> m_tokens;
};

// "name rel=X,Y at=X,Y size=WxH title=WxH marker=M [sep=a,b] [open] [list]"
inline std::string geometry(const MacroBox& box)
{
    std::ostringstream out;
    out << box.entry->name << " rel=" << box.relX << ',' << box.relY << " at=" << box.x << ',' << box.y
        << " size=" << box.width << 'x' << box.height << " title=" << box.titleWidth << 'x' << box.titleHeight
        << " marker=" << box.markerSize;
    if (!box.separators.empty()) {
        out << " sep=";
        for (std::size_t i = 0; i < box.separators.size(); ++i) out << (i ? "," : "") << box.separators[i];
    }
    if (box.expanded) out << " open";
    if (box.memberList) out << " list";
    return out.str();
}

// `describe(box)` of every box in pre-order, one per line, indented two blanks per level.
template <typename Describe>
std::string describeTree(const std::vector<MacroBox>& boxes, Describe describe)
{
    struct Item {
        const MacroBox* box;
        int depth;
    };
    std::string out;
    std::vector<Item> pending;
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) pending.push_back({&*it, 0});
    while (!pending.empty()) {
        const Item item = pending.back();
        pending.pop_back();
        out += std::string(static_cast<std::size_t>(item.depth) * 2, ' ') + describe(*item.box) + "\n";
        for (auto it = item.box->children.rbegin(); it != item.box->children.rend(); ++it) {
            pending.push_back({&*it, item.depth + 1});
        }
    }
    return out;
}

// "name kind" per box.
inline std::string outline(const std::vector<MacroBox>& boxes)
{
    return describeTree(boxes, [](const MacroBox& box) { return box.entry->name + " " + std::to_string(box.kind()); });
}

inline std::string geometryTree(const std::vector<MacroBox>& boxes)
{
    return describeTree(boxes, [](const MacroBox& box) { return geometry(box); });
}

// The first box in pre-order whose entry is named `name`; null when none is.
inline MacroBox* findBox(std::vector<MacroBox>& boxes, std::string_view name)
{
    MacroBox* found = nullptr;
    visitBoxes(boxes, [&](MacroBox& box) {
        if (!found && box.entry->name == name) found = &box;
        return !found;
    });
    return found;
}

}  // namespace qm::macro::testing
