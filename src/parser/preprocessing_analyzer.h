// PreprocessingAnalyzer: classifies directive lines (`#include "a.h"`, `#ifdef X`, a lone `#`).
// It runs in every context, so directives are found even below nodes nobody else understands.
#pragma once

#include "parser/node_analyzer.h"

namespace qm::parser {

class PreprocessingAnalyzer : public NodeAnalyzer {
public:
    using NodeAnalyzer::NodeAnalyzer;
    void analyze() override;

private:
    bool classifyInclude();
};

}  // namespace qm::parser
