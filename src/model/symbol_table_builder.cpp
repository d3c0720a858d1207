#include "model/symbol_table_builder.h"

#include "model/parse_context.h"
#include "model/token_text.h"

#include <string>
#include <vector>

namespace qm::model {

namespace {

class SymbolTableBuilder {
public:
    SymbolTableBuilder(NamelessCounters& counters) : m_counters(counters) {}

    void mergeUnit(SourceUnit& unit, SymbolTable& rootTable)
    {
        // Units in pre-order: the unit itself, then each included unit with its own includes.
        std::vector<SourceUnit*> pending{&unit};
        while (!pending.empty()) {
            SourceUnit* current = pending.back();
            pending.pop_back();
            current->namelessCounters = &m_counters;
            walk(*current, rootTable);
            for (auto it = current->includedUnits.rbegin(); it != current->includedUnits.rend(); ++it) {
                pending.push_back(it->get());
            }
        }
    }

private:
    struct Frame {
        const std::vector<AnalysisNode>* nodes;
        std::size_t next;
        SymbolTable* table;
        ParseContext context;
    };

    static bool mergesInContext(ParseContext context)
    {
        return context == ParseContext::Declarations || context == ParseContext::StructBody
               || context == ParseContext::ClassBody;
    }

    // Walks the unit's nodes in source order; each node is merged (in merging contexts) before
    // its children are walked with the table the merge yields.
    void walk(const SourceUnit& unit, SymbolTable& rootTable)
    {
        std::vector<Frame> stack{{&unit.nodes, 0, &rootTable, ParseContext::Declarations}};
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.nodes->size()) {
                stack.pop_back();
                continue;
            }
            const AnalysisNode& node = (*frame.nodes)[frame.next++];
            SymbolTable* childTable = frame.table;
            if (mergesInContext(frame.context)) {
                childTable = &merge(node, *frame.table, unit);
            }
            if (!node.children.empty()) {
                const ParseContext context = childContext(node.kind);
                stack.push_back({&node.children, 0, childTable, context});
            }
        }
    }

    std::string namelessName(NodeKind kind)
    {
        switch (kind) {
        case NodeKind::Class: return "Nameless Class" + std::to_string(++m_counters.classes);
        case NodeKind::Struct: return "Nameless Struct" + std::to_string(++m_counters.structs);
        case NodeKind::Union: return "Nameless Union" + std::to_string(++m_counters.unions);
        case NodeKind::Namespace: return "Nameless Namespace" + std::to_string(++m_counters.namespaces);
        default: return "Nameless Enum" + std::to_string(++m_counters.enums);
        }
    }

    void record(SymbolEntry& entry, const AnalysisNode& node, const SourceUnit& unit)
    {
        entry.isTemplate = m_templatePending ? 1 : 0;
        m_templatePending = false;
        if (node.hasBody) {
            entry.definitions.push_back(&node);
            entry.definitionFiles.push_back(unit.fileName);
        } else {
            entry.declarations.push_back(&node);
        }
    }

    // Merges `node` into `table` and returns the table for the node's children.
    SymbolTable& merge(const AnalysisNode& node, SymbolTable& table, const SourceUnit& unit)
    {
        switch (node.kind) {
        case NodeKind::Class:
        case NodeKind::Struct:
        case NodeKind::Union:
        case NodeKind::Namespace: {
            std::string name = aggregateName(node);
            if (name.empty()) {
                name = namelessName(node.kind);
            }
            SymbolEntry& entry = table.findOrInsert(name, 0, node.kind);
            entry.kind = node.kind;
            record(entry, node, unit);
            return entry.childTable();
        }
        case NodeKind::Enum: {
            const auto* d = node.detailAs<TextDetail>();
            std::string name = d ? d->text : std::string();
            if (name.empty()) {
                name = namelessName(NodeKind::Enum);
            }
            record(table.findOrInsert(name, 0, node.kind), node, unit);
            return table;
        }
        case NodeKind::Template:
            m_templatePending = true;
            return table;
        case NodeKind::Variable:
            if (const auto* d = node.detailAs<VariableDetail>()) {
                record(table.findOrInsert(d->name.name, 0, node.kind), node, unit);
            }
            return table;
        case NodeKind::ClassDeclare:
        case NodeKind::StructDeclare:
            if (const auto* d = node.detailAs<ClassDeclareDetail>()) {
                record(table.findOrInsert(d->name.name, 0, node.kind), node, unit);
            }
            return table;
        case NodeKind::ShortDeclare:
            if (const auto* d = node.detailAs<ShortDeclareDetail>()) {
                record(table.findOrInsert(d->name, 0, node.kind), node, unit);
            }
            return table;
        case NodeKind::Function:
            if (const auto* d = node.detailAs<FunctionDetail>()) {
                mergeFunction(node, table, unit, d->name.scope, d->name.name, count(d->parameters));
            }
            return table;
        case NodeKind::OverloadMethod:
            if (const auto* d = node.detailAs<OperatorDetail>()) {
                record(table.findOrInsert(TokenText(d->operatorTokens, false), count(d->parameters), node.kind),
                       node, unit);
            }
            return table;
        case NodeKind::OverloadFunctionMethod:
            if (const auto* d = node.detailAs<OperatorFunctionDetail>()) {
                mergeFunction(node, table, unit, d->scope, TokenText(d->operatorTokens, false),
                              count(d->parameters));
            }
            return table;
        default:
            return table;
        }
    }

    // Descends through `scope` (creating placeholder entries of kind 61 for unknown components)
    // and records the function in the innermost table.
    void mergeFunction(const AnalysisNode& node, SymbolTable& table, const SourceUnit& unit,
                       const std::vector<std::string>& scope, const std::string& name, std::int32_t parameters)
    {
        SymbolTable* current = &table;
        for (const std::string& component : scope) {
            current = &current->findOrInsert(component, 0, NodeKind::ScopePlaceholder).childTable();
        }
        record(current->findOrInsert(name, parameters, node.kind), node, unit);
    }

    static std::string aggregateName(const AnalysisNode& node)
    {
        if (const auto* d = node.detailAs<ClassDetail>()) {
            return d->name.name;
        }
        if (const auto* d = node.detailAs<TextDetail>()) {
            return d->text;
        }
        return {};
    }

    static std::int32_t count(const std::vector<ParameterRecord>& parameters)
    {
        return static_cast<std::int32_t>(parameters.size());
    }

    NamelessCounters& m_counters;
    bool m_templatePending = false;
};

void linkParents(SymbolEntry& root)
{
    std::vector<SymbolEntry*> pending{&root};
    while (!pending.empty()) {
        SymbolEntry* entry = pending.back();
        pending.pop_back();
        if (!entry->children) {
            continue;
        }
        for (auto& [key, child] : *entry->children) {
            child.parent = entry;
            pending.push_back(&child);
        }
    }
}

}  // namespace

void buildSymbolTable(std::span<SourceUnit* const> units, SymbolEntry& root, NamelessCounters& counters)
{
    root = SymbolEntry();
    counters = NamelessCounters{};
    SymbolTable& rootTable = root.childTable();
    SymbolTableBuilder builder(counters);
    for (SourceUnit* unit : units) {
        builder.mergeUnit(*unit, rootTable);
    }
    linkParents(root);
}

}  // namespace qm::model
