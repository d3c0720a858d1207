// Merging the analysis trees of one run into the symbol table.
#pragma once

#include "model/source_unit.h"
#include "model/symbol_table.h"

#include <span>

namespace qm::model {

// Builds a symbol table one project file at a time, so that a run can merge each file as soon as
// it is parsed and has little left to do when it ends. Adding units in some order gives exactly
// what buildSymbolTable gives for the same units in the same order.
class SymbolTableBuilder {
public:
    // Empties `root` and restarts `counters`; both are built in place and must outlive the
    // builder. Every entry names its parent as soon as it is inserted.
    SymbolTableBuilder(SymbolEntry& root, NamelessCounters& counters);
    SymbolTableBuilder(const SymbolTableBuilder&) = delete;
    SymbolTableBuilder& operator=(const SymbolTableBuilder&) = delete;

    // Merges `unit` and the units it includes, depth first, after everything added before.
    void add(const SourceUnit& unit);

private:
    SymbolEntry& m_root;
    NamelessCounters& m_counters;
    bool m_templatePending = false;  // a `template` node waits for the entry it applies to
};

// Rebuilds `root` (emptied first) from `units` and their included units, depth first, in order;
// `counters` restart at 0. Declaration nodes met in declaration, struct-body and class-body
// contexts become entries; `void A::B::f(int) {}` is recorded as a definition of (f, 1) inside B
// inside A, creating placeholder entries (kind 61) for scopes not seen yet. Every entry names its
// parent. The tree is walked with explicit stacks, so its depth is not limited by the
// call stack.
void buildSymbolTable(std::span<SourceUnit* const> units, SymbolEntry& root, NamelessCounters& counters);

}  // namespace qm::model
