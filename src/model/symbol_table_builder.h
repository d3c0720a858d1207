// Merging the analysis trees of one run into the symbol table.
#pragma once

#include "model/source_unit.h"
#include "model/symbol_table.h"

#include <span>

namespace qm::model {

// Rebuilds `root` (emptied first) from `units` and their included units, depth first, in order;
// `counters` restart at 0. Declaration nodes met in declaration, struct-body and class-body
// contexts become entries; `void A::B::f(int) {}` is recorded as a definition of (f, 1) inside B
// inside A, creating placeholder entries (kind 61) for scopes not seen yet. Every entry's parent
// is set at the end. The tree is walked with explicit stacks, so its depth is not limited by the
// call stack.
void buildSymbolTable(std::span<SourceUnit* const> units, SymbolEntry& root, NamelessCounters& counters);

}  // namespace qm::model
