// The driver runs, per context:
//   every context    PreprocessingAnalyzer
//   declarations     KeywordDeclarationAnalyzer, FunctionAnalyzer, VariableAnalyzer
//   struct, class    AccessAnalyzer, KeywordDeclarationAnalyzer, FunctionAnalyzer, VariableAnalyzer
//   statements       StatementAnalyzer
//   expression       ExpressionAnalyzer
// FunctionAnalyzer and VariableAnalyzer (typed declarations: functions, variables, declarator
// lists), StatementAnalyzer (function bodies) and ExpressionAnalyzer are not written yet: the
// run... functions below are where they plug in, and for now leave the node as it is.
#include "parser/classify_nodes.h"

#include "parser/access_analyzer.h"
#include "parser/keyword_declaration_analyzer.h"
#include "parser/preprocessing_analyzer.h"

namespace qm::parser {

using model::Access;
using model::AnalysisNode;
using model::NodeKind;
using model::ParseContext;

namespace {

// Functions and operator functions with their parameters; gets the previous sibling (null for
// the first node) because a declaration may go on from it.
void runFunctionAnalyzer(AnalysisNode& /*node*/, const AnalysisNode* /*previous*/) {}

// Variables, short declarations and declarator lists after an aggregate body.
void runVariableAnalyzer(AnalysisNode& /*node*/, const AnalysisNode* /*previous*/) {}

// Statements of function bodies.
void runStatementAnalyzer(AnalysisNode& /*node*/) {}

// Calls, `new` and `delete` inside an expression statement.
void runExpressionAnalyzer(AnalysisNode& /*node*/) {}

void classifyLevel(std::vector<AnalysisNode>& nodes, ParseContext context, const std::atomic<bool>& stop, int depth)
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
        PreprocessingAnalyzer(node).analyze();
        switch (context) {
        case ParseContext::Declarations:
            if (i > 0) previous = &nodes[i - 1];
            KeywordDeclarationAnalyzer(node).analyze();
            runFunctionAnalyzer(node, previous);
            runVariableAnalyzer(node, previous);
            break;
        case ParseContext::StructBody:
        case ParseContext::ClassBody:
            if (i > 0) previous = &nodes[i - 1];
            AccessAnalyzer(node, access).analyze();
            KeywordDeclarationAnalyzer(node).analyze();
            runFunctionAnalyzer(node, previous);
            runVariableAnalyzer(node, previous);
            if (context == ParseContext::ClassBody) {
                model::setAccess(node, access);
            }
            break;
        case ParseContext::Statements:
            runStatementAnalyzer(node);
            break;
        case ParseContext::Expression:
            runExpressionAnalyzer(node);
            break;
        case ParseContext::DirectivesOnly:
            break;
        }
        classifyLevel(node.children, model::childContext(node.kind), stop, depth + 1);
    }
}

}  // namespace

void classifyNodes(std::vector<AnalysisNode>& nodes, ParseContext context, const std::atomic<bool>& stop)
{
    classifyLevel(nodes, context, stop, 0);
}

}  // namespace qm::parser
