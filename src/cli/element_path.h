// ELEMENT arguments of the drawing commands: a path through the symbol table such as `A::B::f`,
// optionally followed by `/N` to pick the entry with N parameters (`A::B::f/2`).
#pragma once

#include "model/symbol_table.h"

#include <string>
#include <string_view>

namespace qm::cli {

// The entry that `path` names below `root`, or null. Components are separated by `::`; each
// names the entry with the smallest parameter count among those of that name, except that a
// trailing `/N` (N decimal digits) picks the last component's count. A `/` not followed by
// digits only belongs to the name, so the operator entry `/` is `A::/` (or `A:://2`).
const model::SymbolEntry* findElement(const model::SymbolEntry& root, std::string_view path);

// findElement for a drawing command: when nothing is found, "<path>: no such element" goes to
// standard error and the result is null.
const model::SymbolEntry* findElementOrReport(const model::SymbolEntry& root, std::string_view path);

}  // namespace qm::cli
