#include "model/symbol_table_builder.h"

#include "model/parse_context.h"
#include "model/token_text.h"

#include <string>
#include <vector>

namespace qm::model {

namespace {

// Merges units into one table; the counters and a pending `template` carry over from one unit to
// the next, as the units are read one after another.
class UnitMerger {
public:
    UnitMerger(NamelessCounters& counters, bool& templatePending)
        : m_counters(counters), m_templatePending(templatePending)
    {
    }

    void mergeUnit(const SourceUnit& unit, SymbolTable& rootTable)
    {
        // Units in pre-order: the unit itself, then each included unit with its own includes.
        std::vector<const SourceUnit*> pending{&unit};
        while (!pending.empty()) {
            const SourceUnit* current = pending.back();
            pending.pop_back();
            walk(*current, rootTable);
            for (auto it = current->includedUnits.rbegin(); it != current->includedUnits.rend(); ++it) {
                pending.push_back(it->get());
            }
        }
    }

private:
    struct Frame {
        const NodeList* nodes;
        std::size_t next;
        SymbolTable* table;
        ParseContext context;
        // In a function body: the function's entry, whose table takes the classes defined there.
        SymbolEntry* function;
    };

    // The table a node merged into yields for its children, and the entry it created or found.
    struct Merged {
        SymbolTable* table;
        SymbolEntry* entry;
    };

    // A class, struct, union or enum defined in a function body.
    static bool isLocalType(const AnalysisNode& node)
    {
        return node.hasBody && (node.kind == NodeKind::Class || node.kind == NodeKind::Struct
                                || node.kind == NodeKind::Union || node.kind == NodeKind::Enum);
    }

    static bool mergesInContext(ParseContext context)
    {
        return context == ParseContext::Declarations || context == ParseContext::StructBody
               || context == ParseContext::ClassBody;
    }

    // Walks the unit's nodes in source order; each node is merged (in merging contexts) before
    // its children are walked with the table the merge yields.
    void walk(const SourceUnit& unit, SymbolTable& rootTable)
    {
        std::vector<Frame> stack{{&unit.nodes, 0, &rootTable, ParseContext::Declarations, nullptr}};
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.nodes->size()) {
                stack.pop_back();
                continue;
            }
            const AnalysisNode& node = (*frame.nodes)[frame.next++];
            Merged merged{frame.table, frame.function};
            if (mergesInContext(frame.context)) {
                merged = merge(node, *frame.table, unit);
            } else if (frame.context == ParseContext::Statements && isLocalType(node)) {
                // void f ( ) { struct Local { ... } ; }   the struct belongs to f.
                merged = merge(node, frame.function ? frame.function->childTable() : *frame.table, unit);
            }
            if (!node.children.empty()) {
                const ParseContext context = childContext(node.kind);
                SymbolEntry* function = frame.function;
                if (context == ParseContext::Statements && mergesInContext(frame.context)) {
                    function = merged.entry;
                }
                stack.push_back({&node.children, 0, merged.table, context, function});
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

    // Merges `node` into `table`; returns the table for the node's children and the entry.
    Merged merge(const AnalysisNode& node, SymbolTable& table, const SourceUnit& unit)
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
            // class Outer :: Inner { ... }   defined in the table of its scope.
            SymbolTable* current = &table;
            if (const auto* d = node.detailAs<ClassDetail>()) {
                current = &scopeTable(table, d->name.scope);
            }
            SymbolEntry& entry = current->findOrInsert(name, 0, node.kind);
            entry.kind = node.kind;
            record(entry, node, unit);
            return {&entry.childTable(), &entry};
        }
        case NodeKind::Enum: {
            const auto* d = node.detailAs<TextDetail>();
            std::string name = d ? d->text : std::string();
            if (name.empty()) {
                name = namelessName(NodeKind::Enum);
            }
            SymbolEntry& entry = table.findOrInsert(name, 0, node.kind);
            record(entry, node, unit);
            return {&table, &entry};
        }
        case NodeKind::Template:
            m_templatePending = true;
            return {&table, nullptr};
        case NodeKind::Variable:
            if (const auto* d = node.detailAs<VariableDetail>()) {
                // int Shop :: count = 0 ;   the definition of a member, kept with the member.
                SymbolEntry& entry = scopeTable(table, d->name.scope).findOrInsert(d->name.name, 0, node.kind);
                record(entry, node, unit);
                return {&table, &entry};
            }
            return {&table, nullptr};
        case NodeKind::ClassDeclare:
        case NodeKind::StructDeclare:
            if (const auto* d = node.detailAs<ClassDeclareDetail>()) {
                SymbolEntry& entry = table.findOrInsert(d->name.name, 0, node.kind);
                record(entry, node, unit);
                return {&table, &entry};
            }
            return {&table, nullptr};
        case NodeKind::ShortDeclare:
            if (const auto* d = node.detailAs<ShortDeclareDetail>()) {
                SymbolEntry& entry = table.findOrInsert(d->name, 0, node.kind);
                record(entry, node, unit);
                return {&table, &entry};
            }
            return {&table, nullptr};
        case NodeKind::Function:
            if (const auto* d = node.detailAs<FunctionDetail>()) {
                return {&table, &mergeFunction(node, table, unit, d->name.scope, d->name.name, count(d->parameters))};
            }
            return {&table, nullptr};
        case NodeKind::OverloadMethod:
            if (const auto* d = node.detailAs<OperatorDetail>()) {
                SymbolEntry& entry = table.findOrInsert(TokenText(d->operatorTokens, false), count(d->parameters), node.kind);
                record(entry, node, unit);
                return {&table, &entry};
            }
            return {&table, nullptr};
        case NodeKind::OverloadFunctionMethod:
            if (const auto* d = node.detailAs<OperatorFunctionDetail>()) {
                return {&table, &mergeFunction(node, table, unit, d->scope, TokenText(d->operatorTokens, false),
                                               count(d->parameters))};
            }
            return {&table, nullptr};
        default:
            return {&table, nullptr};
        }
    }

    // The table of the scope `A :: B` below `table`, with placeholder entries of kind 61 for the
    // components not seen yet.
    static SymbolTable& scopeTable(SymbolTable& table, const std::vector<std::string>& scope)
    {
        SymbolTable* current = &table;
        for (const std::string& component : scope) {
            current = &current->findOrInsert(component, 0, NodeKind::ScopePlaceholder).childTable();
        }
        return *current;
    }

    // Descends through `scope` and records the function in the innermost table.
    SymbolEntry& mergeFunction(const AnalysisNode& node, SymbolTable& table, const SourceUnit& unit,
                               const std::vector<std::string>& scope, const std::string& name, std::int32_t parameters)
    {
        SymbolEntry& entry = scopeTable(table, scope).findOrInsert(name, parameters, node.kind);
        record(entry, node, unit);
        return entry;
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
    bool& m_templatePending;
};

}  // namespace

SymbolTableBuilder::SymbolTableBuilder(SymbolEntry& root, NamelessCounters& counters)
    : m_root(root), m_counters(counters)
{
    m_root = SymbolEntry();
    m_counters = NamelessCounters{};
}

void SymbolTableBuilder::add(const SourceUnit& unit)
{
    UnitMerger(m_counters, m_templatePending).mergeUnit(unit, m_root.childTable());
}

void buildSymbolTable(std::span<SourceUnit* const> units, SymbolEntry& root, NamelessCounters& counters)
{
    SymbolTableBuilder builder(root, counters);
    for (const SourceUnit* unit : units) {
        builder.add(*unit);
    }
}

}  // namespace qm::model
