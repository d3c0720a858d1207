// NodeAnalyzer: the common shape of the analyzers that classify one node. The driver creates one
// analyzer per node on the stack and calls analyze(); the first analyzer that recognises the
// node's tokens sets its kind and detail and marks it classified, and every later one skips it.
#pragma once

#include "model/analysis_node.h"
#include "model/token.h"

#include <cstddef>

namespace qm::parser {

class NodeAnalyzer {
public:
    explicit NodeAnalyzer(model::AnalysisNode& node) : m_node(node) {}
    NodeAnalyzer(const NodeAnalyzer&) = delete;
    NodeAnalyzer& operator=(const NodeAnalyzer&) = delete;
    virtual ~NodeAnalyzer() = default;

    virtual void analyze() = 0;

protected:
    std::size_t tokenCount() const noexcept { return m_node.tokens.size(); }
    // The code of token `index`, or EndOfInput past the node's last token: shape tests may ask
    // for a token the node does not have without reading past its end.
// GCC 12 at -O3 takes the null start of an empty stretch of tokens (never read: the index is
// checked first) for an array of no tokens when the code is read out of its bit-field.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    model::TokenCode codeAt(std::size_t index) const noexcept
    {
        if (index >= m_node.tokens.size()) return model::tok::EndOfInput;
        return static_cast<model::TokenCode>(m_node.tokens[index]->code);
    }
#pragma GCC diagnostic pop
    bool isIdentifierAt(std::size_t index) const noexcept { return codeAt(index) == model::tok::Identifier; }
    bool isPointerOrReferenceAt(std::size_t index) const noexcept
    {
        const model::TokenCode code = codeAt(index);
        return code == '*' || code == '&';
    }
    // The index after the run of `*` and `&` that starts at `index`, with the `const` and
    // `volatile` that qualify a pointer (`char * const * p`) taken into the run.
    std::size_t skipPointers(std::size_t index) const noexcept
    {
        bool afterPointer = false;
        for (;; ++index) {
            if (isPointerOrReferenceAt(index)) {
                afterPointer = true;
            } else if (!afterPointer || (codeAt(index) != model::tok::Const && codeAt(index) != model::tok::Volatile)) {
                return index;
            }
        }
    }
    // The node's tokens [begin, end).
    model::TokenRefs tokenSlice(std::size_t begin, std::size_t end) const
    {
        return model::TokenRefs(m_node.tokens.begin() + static_cast<std::ptrdiff_t>(begin),
                                m_node.tokens.begin() + static_cast<std::ptrdiff_t>(end));
    }

    // Gives the node its kind and detail and marks it decided.
    void classifyAs(model::NodeKind kind, std::unique_ptr<model::NodeDetail> detail = nullptr)
    {
        m_node.kind = kind;
        m_node.detail = std::move(detail);
        m_node.classified = true;
    }

    model::AnalysisNode& m_node;
};

}  // namespace qm::parser
