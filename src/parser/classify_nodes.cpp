// The driver runs, per context:
//   every context    PreprocessingAnalyzer
//   declarations     KeywordDeclarationAnalyzer, FunctionAnalyzer, VariableAnalyzer
//   struct, class    AccessAnalyzer, KeywordDeclarationAnalyzer, FunctionAnalyzer, VariableAnalyzer
//   statements       StatementAnalyzer
//   expression       ExpressionAnalyzer
// Every analyzer skips a node that an earlier one has classified.
#include "parser/classify_nodes.h"

#include "parser/access_analyzer.h"
#include "parser/declaration_prefix.h"
#include "parser/expression_analyzer.h"
#include "parser/function_analyzer.h"
#include "parser/group_tokens.h"
#include "parser/keyword_declaration_analyzer.h"
#include "parser/preprocessing_analyzer.h"
#include "parser/statement_analyzer.h"
#include "parser/variable_analyzer.h"

namespace qm::parser {

using model::Access;
using model::AnalysisNode;
using model::NodeList;
using model::NodeKind;
using model::ParseContext;

namespace {

// Typed declarations: functions and variables, then the shapes found from token positions.
// `previous` is the sibling before the node (null for the first one).
void runTypedDeclarationAnalyzers(AnalysisNode& node, const AnalysisNode* previous)
{
    FunctionAnalyzer(node, previous).analyze();
    VariableAnalyzer(node).analyze();
}

// Statements of function bodies.
void runStatementAnalyzer(AnalysisNode& node) { StatementAnalyzer(node).analyze(); }

// Takes attributes and unknown macros out of a declaration before its shape is read.
void prepareDeclaration(AnalysisNode& node, ClassifyResult& result)
{
    if (node.classified) return;
    const PrefixCleanup cleanup = removeDeclarationNoise(node);
    if (cleanup.unclosedLine != 0 && result.unclosedAttributeLine == 0) {
        result.unclosedAttributeLine = cleanup.unclosedLine;
    }
}

void classifyLevel(NodeList& nodes, ParseContext context, const std::atomic<bool>& stop, int depth,
                   ClassifyResult& result)
{
    if (depth > kMaxClassifyDepth) {
        return;
    }
    Access access = Access::Private;
    const AnalysisNode* previous = nullptr;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (stop.load(std::memory_order_relaxed)) {
            return;
        }
        AnalysisNode& node = nodes[i];
        if (isObjectiveCBlock(node)) continue;  // not C++: it stays Unknown
        PreprocessingAnalyzer(node).analyze();
        switch (context) {
        case ParseContext::Declarations:
            if (i > 0) previous = &nodes[i - 1];
            prepareDeclaration(node, result);
            joinOldStyleDefinition(nodes, i);
            KeywordDeclarationAnalyzer(node).analyze();
            runTypedDeclarationAnalyzers(node, previous);
            break;
        case ParseContext::StructBody:
        case ParseContext::ClassBody:
            if (i > 0) previous = &nodes[i - 1];
            prepareDeclaration(node, result);
            {
                const std::size_t before = node.tokens.size();
                AccessAnalyzer(node, access).analyze();
                // A macro label was stepped over: the declaration after it is cleaned as one.
                if (node.tokens.size() != before) prepareDeclaration(node, result);
            }
            KeywordDeclarationAnalyzer(node).analyze();
            runTypedDeclarationAnalyzers(node, previous);
            if (context == ParseContext::ClassBody) {
                model::setAccess(node, access);
            }
            break;
        case ParseContext::Statements:
            runStatementAnalyzer(node);
            break;
        case ParseContext::Expression:
            ExpressionAnalyzer(node).analyze();
            break;
        case ParseContext::DirectivesOnly:
            break;
        }
        classifyLevel(node.children, model::childContext(node.kind), stop, depth + 1, result);
    }
}

}  // namespace

ClassifyResult classifyNodes(NodeList& nodes, ParseContext context, const std::atomic<bool>& stop)
{
    ClassifyResult result;
    classifyLevel(nodes, context, stop, 0, result);
    return result;
}

}  // namespace qm::parser
