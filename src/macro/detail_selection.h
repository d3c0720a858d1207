// DetailSelection: the element picked in the macro diagram and what the detail view shows for
// it. The document keeps it; the macro view writes it and the detail view reads it.
#pragma once

#include "model/analysis_node.h"
#include "model/symbol_table.h"

namespace qm::macro {

enum class DetailMode : int {
    None = 0,          // nothing to show
    Flowchart = 1,     // the flowchart of a function
    ClassDiagram = 2,  // the class diagram of a class, struct or union
};

struct DetailSelection {
    // Root of the symbol table that class diagrams look bases up in; none for flowcharts.
    const model::SymbolEntry* classRoot = nullptr;
    const model::SymbolEntry* entry = nullptr;
    // The first definition of the picked entry: what the detail view draws.
    const model::AnalysisNode* definition = nullptr;
    // The detail view must rebuild its picture.
    bool changed = false;
    DetailMode detailMode = DetailMode::None;
};

}  // namespace qm::macro
