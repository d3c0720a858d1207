#include "detail/flowchart_builder.h"

#include "detail/flow_passes.h"

#include <exception>

namespace qm::detail {

void FlowchartBuilder::build(const model::AnalysisNode& function)
{
    m_root = FlowElement();
    if (function.kind != model::NodeKind::Function && function.kind != model::NodeKind::OverloadMethod
        && function.kind != model::NodeKind::OverloadFunctionMethod) {
        return;
    }
    m_root = FlowElement(function);
    try {
        m_root.children = convertStatements(function);
        FlowElementList& body = m_root.children;
        replaceBraceBlocks(body);
        attachDanglingElses(body);
        splitLabels(body);
        groupTryHandlers(body);
        spreadSwitchCases(body);
        joinDoWhile(body);
        mergeStatementRuns(body);
    } catch (const std::exception& e) {
        // The flowchart is shown as far as it was built; the reason goes to the log.
        if (m_log) {
            m_log(e.what());
        }
    } catch (...) {
    }
}

}  // namespace qm::detail
