#include "parser/preprocessing_analyzer.h"

namespace qm::parser {

namespace tok = model::tok;
using model::NodeKind;

bool PreprocessingAnalyzer::classifyInclude()
{
    auto include = std::make_unique<model::IncludeDetail>();
    // # include "a.h"
    if (codeAt(1) == tok::Include && tokenCount() == 3
        && (codeAt(2) == tok::StringLiteral || codeAt(2) == tok::QuotedHeaderName)) {
        include->quoted = true;
        include->header = std::string(m_node.tokens[2]->text.view());
    // # include<a.h>   (the header name is one token)
    } else if (codeAt(1) == tok::AngleInclude && tokenCount() == 2) {
        include->quoted = false;
        include->header = std::string(m_node.tokens[1]->text.view());
    } else {
        return false;
    }
    classifyAs(NodeKind::PreprocessingInclude, std::move(include));
    return true;
}

void PreprocessingAnalyzer::analyze()
{
    if (m_node.classified || codeAt(0) != '#') {
        return;
    }
    if (tokenCount() == 1) {
        classifyAs(NodeKind::PreprocessingNull);
        return;
    }
    auto withCondition = [this](NodeKind kind) {
        auto condition = std::make_unique<model::ConditionTokensDetail>();
        condition->tokens.assign(m_node.tokens.begin() + 2, m_node.tokens.end());
        classifyAs(kind, std::move(condition));
    };
    switch (codeAt(1)) {
    case tok::Include:
    case tok::AngleInclude: classifyInclude(); break;
    case tok::Define: classifyAs(NodeKind::PreprocessingDefine); break;
    case tok::Undef: classifyAs(NodeKind::PreprocessingUndef); break;
    case tok::If: withCondition(NodeKind::PreprocessingIf); break;
    case tok::Ifdef: withCondition(NodeKind::PreprocessingIfdef); break;
    case tok::Ifndef: withCondition(NodeKind::PreprocessingIfndef); break;
    case tok::Elif: withCondition(NodeKind::PreprocessingElif); break;
    case tok::Else: classifyAs(NodeKind::PreprocessingElse); break;
    case tok::Endif: classifyAs(NodeKind::PreprocessingEndif); break;
    case tok::Line: classifyAs(NodeKind::PreprocessingLine); break;
    case tok::Pragma: classifyAs(NodeKind::PreprocessingPragma); break;
    case tok::ErrorDirective: classifyAs(NodeKind::PreprocessingError); break;
    default: break;
    }
}

}  // namespace qm::parser
