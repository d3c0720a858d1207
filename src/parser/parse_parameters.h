// Cutting a parenthesised list into its parameters (or a call's arguments).
#pragma once

#include "model/analysis_node.h"

#include <cstddef>
#include <vector>

namespace qm::parser {

// The parameters of the list whose `(` is token `open` of `node`: the tokens up to the matching
// `)` cut at top-level commas; empty pieces are skipped. `f(a, g(b, c), d)` gives three
// parameters, the second `g ( b , c )`. When the `(` is never closed the tokens up to the node's
// end form the last parameter.
std::vector<model::ParameterRecord> parseParameters(const model::AnalysisNode& node, std::size_t open);

}  // namespace qm::parser
