// StatementAnalyzer: the statements of function bodies. Grouping hands a statement over either as
// one node holding header and governed statement (`if (a) x = 1;`) or as a header node whose
// children are a block (`if (a) { ... }`). Both shapes come out the same: the header keeps its
// tokens, its condition goes into the detail and whatever it governs becomes its children, which
// the driver then classifies as statements in turn. Anything that is not a recognised statement
// header, local declarations included, is an expression statement.
#pragma once

#include "model/node_kind.h"
#include "parser/node_analyzer.h"

#include <cstddef>

namespace qm::parser {

class StatementAnalyzer : public NodeAnalyzer {
public:
    using NodeAnalyzer::NodeAnalyzer;
    void analyze() override;

    // Searches over the node's tokens. Each returns the index found, or 0 when there is none;
    // 0 is never a real answer because the statement keyword is token 0.
    //
    // The `)` that closes a `(` opened just before `from`: in `if ( f ( x ) ) y ;` searched
    // from 2 it is token 6.
    std::size_t findClosingParen(std::size_t from) const noexcept;
    // The first `;` at or after `from`.
    std::size_t findSemicolon(std::size_t from) const noexcept;
    // The first `:` at or after `from`.
    std::size_t findColon(std::size_t from) const noexcept;

private:
    void classifyLocalType();
    void classifyLabel();
    void classifyJump();
    void classifyException();
    void classifyDo();
    void classifyConditional();
    void classifyFor();
    void classifyParenthesisedHeader(model::NodeKind kind);

    // Makes the tokens from `index` on the node's governed child, when there are any.
    void splitAt(std::size_t index);
    // Classifies the node as `kind` with the tokens [first, end) as its condition.
    void classifyWithCondition(model::NodeKind kind, std::size_t first, std::size_t end);
    model::AnalysisNode tokenRange(std::size_t first, std::size_t end) const;
};

}  // namespace qm::parser
