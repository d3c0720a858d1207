// Turning a function's statement tree into flowchart elements, and the passes that reshape the
// element tree into what the flowchart draws. FlowchartBuilder runs them in the order declared
// here; each pass works without recursion, however deep the tree.
#pragma once

#include "detail/flow_element.h"
#include "model/analysis_node.h"

namespace qm::detail {

// One element per statement node below `function`, children converted the same way, in source
// order; preprocessing lines are left out at every level.
FlowElementList convertStatements(const model::AnalysisNode& function);

// Every brace block ([Just Brace]) is replaced in place by its statements.
void replaceBraceBlocks(FlowElementList& list);


// An `else` or `else if` that the statement parser left behind an `if` written without braces is
// moved into that `if`'s body behind the innermost `if` that can take it, so that
// `if (a) if (b) x; else y;` pairs the `else` with `if (b)`. Works at every level.
void attachDanglingElses(FlowElementList& list);

// A labelled statement becomes a plain statement element that shows the label, followed by the
// statements the label governed.
void splitLabels(FlowElementList& list);

// A `try` and the `catch` handlers that follow it become one try element whose children are its
// branches, side by side like the cases of a switch: the try's block (a [Just Brace] element
// that shows the try node and holds the block's statements), then each handler with its
// statements. A handler with no `try` before it is removed with its block. Works at every level.
void groupTryHandlers(FlowElementList& list);

// In every switch body, case labels written one after another become side-by-side cases, and the
// statements after a case label become that case's children.
void spreadSwitchCases(FlowElementList& list);

// The `while (...);` that closes a `do` loop is joined to the loop: the do element shows both
// nodes.
void joinDoWhile(FlowElementList& list);

// Consecutive plain statements become one element that shows all their nodes; a `throw` ends its
// run, since nothing after it in the box would run.
void mergeStatementRuns(FlowElementList& list);

}  // namespace qm::detail
