// The classification driver: visits every vector of sibling nodes in its context and runs the
// analyzers of that context over each node, in a fixed order, until one of them decides it.
#pragma once

#include "model/analysis_node.h"
#include "model/parse_context.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace qm::parser {

// Node trees deeper than this are not classified below it. Grouping already bounds the depth of
// brace blocks; this also holds for trees built by other means.
constexpr int kMaxClassifyDepth = 1024;

struct ClassifyResult {
    // The line of the first attribute whose brackets never close (`[[nodiscard int f();`), 0
    // when there is none. The declaration is analysed with the attribute left in.
    std::int32_t unclosedAttributeLine = 0;
};

// Classifies `nodes` in `context` and their children in the context that each node's final kind
// gives them. Returns at once, leaving the rest unclassified, when `stop` is set; it is read
// before every node.
ClassifyResult classifyNodes(model::NodeList& nodes, model::ParseContext context,
                             const std::atomic<bool>& stop);

}  // namespace qm::parser
