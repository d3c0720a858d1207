// Depth-first walks over a flowchart's element tree with an explicit stack, so that a tree as
// deep as its hostile input does not overflow the call stack.
#pragma once

#include "detail/flow_element.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace qm::detail {

// Visits every element of `list` and of the lists below it, an element before its children,
// lists in order. `visit(list, index, context)` is called with the element's list and index and
// the context its list was entered with; it returns the context for the element's children, or
// std::nullopt to leave them out. `visit` may change the element's fields but must not add or
// remove elements. `List` is FlowElementList or const FlowElementList.
template <typename List, typename Context, typename Visit>
void walkElements(List& list, Context context, Visit&& visit)
{
    struct Frame {
        List* list;
        std::size_t index;
        Context context;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{&list, 0, std::move(context)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.index == frame.list->size()) {
            stack.pop_back();
            continue;
        }
        List& current = *frame.list;
        const std::size_t index = frame.index++;
        std::optional<Context> inner = visit(current, index, std::as_const(frame.context));
        if (inner && !current[index].children.empty()) {
            stack.push_back(Frame{&current[index].children, 0, std::move(*inner)});
        }
    }
}

// Calls `visit(element)` for every element of the tree, an element before its children.
template <typename List, typename Visit>
void forEachElement(List& list, Visit&& visit)
{
    struct NoContext {};
    walkElements(list, NoContext{}, [&](List& current, std::size_t index, const NoContext&) {
        visit(current[index]);
        return std::optional<NoContext>(NoContext{});
    });
}

}  // namespace qm::detail
