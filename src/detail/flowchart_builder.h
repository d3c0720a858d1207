// FlowchartBuilder: makes the element tree of one function's flowchart from the function's
// analysis node and owns it; the Flowchart that lays the tree out refers to it.
#pragma once

#include "detail/flow_element.h"
#include "model/analysis_node.h"

#include <functional>
#include <string_view>
#include <utility>

namespace qm::detail {

class FlowchartBuilder {
public:
    // Receives one log line (without its line feed).
    using LogLine = std::function<void(std::string_view line)>;

    FlowchartBuilder() = default;
    explicit FlowchartBuilder(LogLine log) : m_log(std::move(log)) {}
    FlowchartBuilder(const FlowchartBuilder&) = delete;
    FlowchartBuilder& operator=(const FlowchartBuilder&) = delete;

    // Replaces the element tree by the flowchart of `function`: its statements converted and
    // normalised. A node that is neither a function (kind 22) nor an operator method (kind 58)
    // gives an empty tree. A failure on the way is written to the log as one line (its message;
    // failures without one are dropped) and leaves the tree as far as it had got. The tree
    // points at nodes of `function`'s unit, which must outlive it.
    void build(const model::AnalysisNode& function);

    // The function body's elements, the list a Flowchart lays out.
    FlowElementList& elements() noexcept { return m_root.children; }
    const FlowElementList& elements() const noexcept { return m_root.children; }

    // The container element: its children are the body; its node is the function node.
    const FlowElement& root() const noexcept { return m_root; }

private:
    FlowElement m_root;
    LogLine m_log;
};

}  // namespace qm::detail
