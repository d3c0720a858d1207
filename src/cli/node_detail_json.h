// The `detail` object of a node in the `tree` dump: the node's detail record in the shape the
// command-line contract gives for its kind.
#pragma once

#include "model/analysis_node.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace qm::cli {

// The detail of `node` as JSON; none when the node has no detail.
std::optional<nlohmann::json> nodeDetailJson(const model::AnalysisNode& node);

}  // namespace qm::cli
