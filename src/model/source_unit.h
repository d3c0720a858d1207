// SourceUnit: one analysed occurrence of a source file, with its preprocessed tokens, its
// top-level nodes and the units of the files it includes.
#pragma once

#include "model/analysis_node.h"
#include "model/token.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::model {

// Counters that number anonymous classes, structs, unions, namespaces and enums during one
// symbol-table build ("Nameless Class1", "Nameless Class2", ...).
struct NamelessCounters {
    std::int32_t classes = 0;
    std::int32_t structs = 0;
    std::int32_t unions = 0;
    std::int32_t namespaces = 0;
    std::int32_t enums = 0;
};

struct SourceUnit {
    std::vector<Token> tokens;  // after preprocessing, newline tokens included
    std::vector<AnalysisNode> nodes;  // top-level nodes in source order
    std::string fileName;             // the path as the project lists it
    // Units of the files this one includes, parsed and merged after it, depth first.
    std::vector<std::unique_ptr<SourceUnit>> includedUnits;
    NamelessCounters* namelessCounters = nullptr;  // set by the symbol-table build
};

}  // namespace qm::model
