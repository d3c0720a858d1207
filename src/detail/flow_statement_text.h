// The texts a flowchart shows for its statements: conditions, the parts of a `for` header, whole
// statements and case labels, each the tokens' text (spaced unless said otherwise).
#pragma once

#include "detail/flow_element.h"
#include "model/analysis_node.h"

#include <string>

namespace qm::detail {

// The condition (or returned value, or case value) of an if, else if, while, switch, case or
// return node: `a > b` for `if (a > b)`. Empty for a node without one.
std::string conditionText(const model::AnalysisNode& node);

// The three parts of a `for` header; empty parts for a node that carries none.
struct ForHeaderText {
    std::string init;
    std::string condition;
    std::string step;
};
ForHeaderText forHeaderText(const model::AnalysisNode& node);

// The node's own tokens: `x = 1 ;`.
std::string statementText(const model::AnalysisNode& node);

// A handler's head as its box shows it: `catch ( const E & e )`, `catch ( ... )`.
std::string catchText(const model::AnalysisNode& node);

// The value of a case, unspaced: `1` for `case 1:`, `A::B` for `case A::B:`.
std::string caseLabelText(const model::AnalysisNode& node);

// The closing `while` node of a do loop: its second node when that is a while node, else null.
const model::AnalysisNode* closingWhileOf(const FlowElement& element);

}  // namespace qm::detail
