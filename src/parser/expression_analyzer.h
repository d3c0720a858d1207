// ExpressionAnalyzer: the statements of a brace block that follows an expression statement
// (`for (;;) { ... }`, a lambda body, an initializer list). A node that calls functions or uses
// `new` or `delete` becomes an Expression with one call record per call, so the diagrams can
// show who calls whom.
#pragma once

#include "parser/node_analyzer.h"

namespace qm::parser {

class ExpressionAnalyzer : public NodeAnalyzer {
public:
    using NodeAnalyzer::NodeAnalyzer;
    void analyze() override;

    // Argument tokens copied into one node's call records at most (a multiple of its token
    // count): nested calls copy their arguments once per level, and a line of 100,000 nested
    // calls must not cost quadratic memory. Calls past the budget are not recorded.
    static constexpr std::size_t kArgumentBudgetFactor = 16;
};

}  // namespace qm::parser
