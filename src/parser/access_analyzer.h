// AccessAnalyzer: what only class, struct and union bodies hold: access labels, which change the
// access of the members after them, and operator methods (`bool operator==(const X&) const;`).
#pragma once

#include "model/node_kind.h"
#include "parser/node_analyzer.h"

namespace qm::parser {

class AccessAnalyzer : public NodeAnalyzer {
public:
    // `access` is the current access of the enclosing body; a label changes it.
    AccessAnalyzer(model::AnalysisNode& node, model::Access& access) : NodeAnalyzer(node), m_access(access) {}
    void analyze() override;

private:
    bool classifyLabel();
    bool stepOverMacroLabel();
    bool looksLikeBitField() const;
    bool classifyOperatorMethod();

    model::Access& m_access;
};

}  // namespace qm::parser
