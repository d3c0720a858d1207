// VariableAnalyzer: the variable declarations that FunctionAnalyzer leaves, found from the
// positions of a few top-level tokens: `std::vector<int> v;`, `A::B c[4], d[2];`,
// `Foo *p = 0;`, and operator functions with a qualified name (`A& A::operator=(const A&)`).
// Runs after FunctionAnalyzer; the first recogniser that matches decides the node.
#pragma once

#include "parser/node_analyzer.h"

#include <vector>

namespace qm::parser {

class VariableAnalyzer : public NodeAnalyzer {
public:
    using NodeAnalyzer::NodeAnalyzer;
    void analyze() override;

    // Indices of the top-level tokens that the recognisers look at; 0 means absent (no
    // recogniser cares about a token at index 0).
    struct Positions {
        std::size_t angleOpen = 0, angleClose = 0;  // the last top-level `<` and its `>`
        std::size_t parenOpen = 0, parenClose = 0;  // the last top-level `(` and its `)`
        std::size_t equals = 0;                     // the last top-level `=`
        std::size_t comma = 0;                      // the last top-level `,`
        std::vector<std::size_t> runStarts;         // first `[` of each run of `[...]` groups
        std::vector<std::size_t> runEnds;           // last `]` of each run
        bool hasOperator = false;                   // `operator` at top level
    };
    static Positions preScan(const model::TokenRefs& tokens);

private:
    bool tryTemplateTyped();
    bool tryArray();
    bool tryIdentifierTyped();
    bool tryQualifiedOperator();

    // Reads array dimensions, an initializer and further declarators from `index` on into
    // `detail` (further declarators go to `detail.more`, in source order).
    void declaratorTail(model::VariableDetail& detail, std::size_t index);

    Positions m_at;
};

}  // namespace qm::parser
