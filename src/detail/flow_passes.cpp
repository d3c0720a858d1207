#include "detail/flow_passes.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace qm::detail {

using model::AnalysisNode;
using model::NodeKind;

namespace {

bool isPreprocessing(NodeKind kind) noexcept
{
    return kind >= NodeKind::Preprocessing && kind <= NodeKind::PreprocessingNull;
}

// A list of the tree and the kind of the first node of the element that owns it (the
// function's kind for the top-level list).
struct ListRef {
    FlowElementList* list;
    NodeKind owner;
};

// Every list of the tree below `root`, each after the list that holds its owner. Walking the
// result backwards visits every list after all the lists inside it, and rewriting a list then
// moves only elements whose own lists are already done, so the pointers still to be visited stay
// valid. `descend(element)` says whether the element's children are included.
template <typename Descend>
std::vector<ListRef> collectLists(FlowElementList& root, Descend descend)
{
    std::vector<ListRef> lists{{&root, NodeKind::Function}};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        for (FlowElement& element : *lists[i].list) {
            // An element's kind is its first node's, except for the label boxes that splitLabels
            // makes, which have no children.
            if (!element.children.empty() && descend(element)) {
                lists.push_back({&element.children, element.kind});
            }
        }
    }
    return lists;
}

// Rewrites every list of the tree, inner lists before the lists that hold them.
// `rewrite(list, owner)` streams the list's elements into a new list.
template <typename Descend, typename Rewrite>
void rewriteInnerListsFirst(FlowElementList& root, Descend descend, Rewrite rewrite)
{
    std::vector<ListRef> lists = collectLists(root, descend);
    for (auto it = lists.rbegin(); it != lists.rend(); ++it) {
        rewrite(*it->list, it->owner);
    }
}

template <typename Rewrite>
void rewriteAllLists(FlowElementList& root, Rewrite rewrite)
{
    rewriteInnerListsFirst(root, [](const FlowElement&) { return true; }, rewrite);
}

// What spliceTopDown does with one element.
enum class Splice { Keep, Drop, ByChildren };

// Rewrites every list of the tree from the top down. Each element is offered to
// `decide(element, out)` once: Keep appends it to the list, Drop removes it with its subtree,
// ByChildren puts its children in its place, where they are offered in turn (`decide` may
// append elements of its own to `out` first). Replacing nested elements this way moves every
// element once, however deep the nesting; rewriting inner lists first would move the statements
// of `a: b: c: ... x;` up through every level. A list none of whose elements `affected` names
// is kept as it is (decide would keep every element of it).
template <typename Affected, typename Decide>
void spliceTopDown(FlowElementList& root, Affected affected, Decide decide)
{
    std::vector<FlowElementList*> work{&root};
    FlowElementList pending;
    while (!work.empty()) {
        FlowElementList& list = *work.back();
        work.pop_back();
        if (std::none_of(list.begin(), list.end(), affected)) {
            for (FlowElement& element : list) {
                if (!element.children.empty()) work.push_back(&element.children);
            }
            continue;
        }
        pending.clear();
        pending.reserve(list.size());
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            pending.push_back(std::move(*it));
        }
        FlowElementList out;
        out.reserve(list.size());
        while (!pending.empty()) {
            FlowElement element = std::move(pending.back());
            pending.pop_back();
            switch (decide(element, out)) {
            case Splice::Keep:
                out.push_back(std::move(element));
                break;
            case Splice::Drop:
                break;
            case Splice::ByChildren:
                for (auto it = element.children.rbegin(); it != element.children.rend(); ++it) {
                    pending.push_back(std::move(*it));
                }
                element.children.clear();
                break;
            }
        }
        list = std::move(out);
        // The list no longer changes, so pointers to its elements' children stay valid.
        for (FlowElement& element : list) {
            if (!element.children.empty()) {
                work.push_back(&element.children);
            }
        }
    }
}

// Whether the else element `orphan`, standing right behind `before`, belongs to an `if` inside
// `before`. Walks down the chain of last children of `before` to the innermost statement and
// answers, level by level on the way back up:
//   1  the element can take the else (an `else if`, an `if` with a brace body or without a
//      pending else, or an `if` whose inner statement cannot take it);
//   0  the else has been moved into the element's body, behind the `if` that takes it;
//   2  a non-`if` statement with a brace body;  3  a statement without children;
//   4  a non-`if` statement whose last child is already an else.
// An answer 1 one level down moves the else into the current element's children, right behind
// that child. Returns the answer for `before`.
int placeDanglingElse(FlowElement& before, FlowElement& orphan)
{
    std::vector<FlowElement*> chain;
    FlowElement* element = &before;
    int answer = 0;
    for (;;) {
        const NodeKind first = element->firstNodeKind();
        const bool isIf = first == NodeKind::IfStatement;
        const bool hasBody = !element->nodes.empty() && element->nodes.front() && element->nodes.front()->hasBody;
        if (first == NodeKind::ElseIfStatement) {
            answer = 1;
            break;
        }
        if (hasBody) {
            answer = isIf ? 1 : 2;
            break;
        }
        if (element->children.empty()) {
            answer = 3;
            break;
        }
        FlowElement& last = element->children.back();
        if (last.firstNodeKind() == NodeKind::ElseStatement) {
            answer = isIf ? 1 : 4;
            break;
        }
        chain.push_back(element);
        element = &last;
    }
    for (auto it = chain.rbegin(); it != chain.rend() && answer != 0; ++it) {
        FlowElement& level = **it;
        if (answer == 1) {
            level.children.push_back(std::move(orphan));
            answer = 0;
        } else if (level.firstNodeKind() == NodeKind::IfStatement) {
            answer = 1;
        }
    }
    return answer;
}

// The try that a handler standing right behind `element` belongs to: `element` itself, or the try
// that ends the statements it governs without braces, as in `if (a) try {...} catch (...) {...}`
// or `case 1: try {...} catch (...) {...}`. Null when there is none. Tries of inner lists have
// their block element already.
FlowElement* tryThatEnds(FlowElement& element)
{
    FlowElement* x = &element;
    while (x->kind != NodeKind::TryStatement) {
        if (x->hasBody || x->children.empty()) {
            return nullptr;
        }
        x = &x->children.back();
    }
    return x;
}

}  // namespace

FlowElementList convertStatements(const AnalysisNode& function)
{
    FlowElementList result;
    struct Job {
        const AnalysisNode* source;
        FlowElementList* target;
    };
    std::vector<Job> jobs{{&function, &result}};
    while (!jobs.empty()) {
        const Job job = jobs.back();
        jobs.pop_back();
        const auto& sources = job.source->children;
        // The target is filled once and never grows again, so pointers to its elements'
        // children stay valid until their jobs have run.
        job.target->reserve(static_cast<std::size_t>(std::count_if(
            sources.begin(), sources.end(), [](const AnalysisNode& n) { return !isPreprocessing(n.kind); })));
        for (const AnalysisNode& node : sources) {
            if (!isPreprocessing(node.kind)) {
                job.target->emplace_back(node);
            }
        }
        for (FlowElement& element : *job.target) {
            if (!element.nodes.front()->children.empty()) {
                jobs.push_back({element.nodes.front(), &element.children});
            }
        }
    }
    return result;
}

void replaceBraceBlocks(FlowElementList& root)
{
    auto isBrace = [](const FlowElement& element) { return element.kind == NodeKind::JustBrace; };
    spliceTopDown(root, isBrace, [&](const FlowElement& element, FlowElementList&) {
        return isBrace(element) ? Splice::ByChildren : Splice::Keep;
    });
}

void attachDanglingElses(FlowElementList& root)
{
    rewriteAllLists(root, [](FlowElementList& list, NodeKind) {
        auto isElse = [](const FlowElement& e) {
            return e.kind == NodeKind::ElseIfStatement || e.kind == NodeKind::ElseStatement;
        };
        if (list.size() < 2 || std::none_of(list.begin() + 1, list.end(), isElse)) {
            return;
        }
        FlowElementList out;
        out.reserve(list.size());
        for (FlowElement& element : list) {
            if (isElse(element) && !out.empty() && placeDanglingElse(out.back(), element) == 0) {
                continue;
            }
            out.push_back(std::move(element));
        }
        list = std::move(out);
    });
}

void splitLabels(FlowElementList& root)
{
    auto isLabel = [](const FlowElement& element) {
        return element.kind == NodeKind::LabelStatement && !element.nodes.empty();
    };
    spliceTopDown(root, isLabel, [&](const FlowElement& element, FlowElementList& out) {
        if (!isLabel(element)) {
            return Splice::Keep;
        }
        // `end: x++;` shows as a box with `end :` followed by `x++;`, which may be a label
        // itself. A label that governs a brace block keeps every statement of it.
        FlowElement mark(*element.nodes.front());
        mark.kind = NodeKind::ExpressionStatement;
        out.push_back(std::move(mark));
        return Splice::ByChildren;
    });
}

void groupTryHandlers(FlowElementList& root)
{
    rewriteAllLists(root, [](FlowElementList& list, NodeKind) {
        const bool hasException = std::any_of(list.begin(), list.end(), [](const FlowElement& e) {
            return e.kind == NodeKind::TryStatement || e.kind == NodeKind::CatchStatement;
        });
        if (!hasException) {
            return;
        }
        // `try {a;} catch (E&) {b;} catch (...) {c;}` arrives as three siblings: the try's
        // statements move into a block element, and the handlers join it as further branches.
        FlowElementList out;
        out.reserve(list.size());
        FlowElement* currentTry = nullptr;
        bool afterCatch = false;
        for (FlowElement& element : list) {
            if (element.kind == NodeKind::CatchStatement) {
                if (!afterCatch && !out.empty()) {
                    currentTry = tryThatEnds(out.back());
                }
                afterCatch = true;
                if (currentTry) {
                    currentTry->children.push_back(std::move(element));
                }
                continue;
            }
            afterCatch = false;
            currentTry = nullptr;
            out.push_back(std::move(element));
            FlowElement& kept = out.back();
            if (kept.kind == NodeKind::TryStatement && !kept.nodes.empty() && kept.nodes.front()) {
                FlowElement block(*kept.nodes.front());
                block.kind = NodeKind::JustBrace;
                block.children = std::move(kept.children);
                kept.children.clear();
                kept.children.push_back(std::move(block));
            }
        }
        list = std::move(out);
    });
}

void spreadSwitchCases(FlowElementList& root)
{
    rewriteAllLists(root, [](FlowElementList& list, NodeKind owner) {
        if (owner != NodeKind::SwitchStatement) {
            return;
        }
        // Case labels written one after another arrive nested, `case 1: case 2: f();` as
        // Case 1 > Case 2 > f(). Each outer label is emitted emptied, and its inner label is
        // looked at next, followed by the outer label's further statements.
        FlowElementList pending;
        pending.reserve(list.size());
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            pending.push_back(std::move(*it));
        }
        FlowElementList flat;
        flat.reserve(list.size());
        while (!pending.empty()) {
            FlowElement element = std::move(pending.back());
            pending.pop_back();
            if (isCaseKind(element.kind) && !element.children.empty() && isCaseKind(element.children.front().kind)) {
                FlowElementList inner = std::move(element.children);
                element.children.clear();
                for (std::size_t i = inner.size(); i-- > 0;) {
                    pending.push_back(std::move(inner[i]));
                }
            }
            flat.push_back(std::move(element));
        }
        // Statements after a case label belong to it; those before the first label stay.
        FlowElementList out;
        out.reserve(flat.size());
        std::size_t lastCase = 0;
        bool seenCase = false;
        for (FlowElement& element : flat) {
            if (isCaseKind(element.kind)) {
                lastCase = out.size();
                seenCase = true;
                out.push_back(std::move(element));
            } else if (seenCase) {
                out[lastCase].children.push_back(std::move(element));
            } else {
                out.push_back(std::move(element));
            }
        }
        list = std::move(out);
    });
}

void joinDoWhile(FlowElementList& root)
{
    rewriteAllLists(root, [](FlowElementList& list, NodeKind) {
        const auto doThenWhile = std::adjacent_find(list.begin(), list.end(), [](const FlowElement& a, const FlowElement& b) {
            return a.kind == NodeKind::DoStatement && b.kind == NodeKind::WhileStatement;
        });
        if (doThenWhile == list.end()) {
            return;
        }
        FlowElementList out;
        out.reserve(list.size());
        for (FlowElement& element : list) {
            // Only a do that has not got its while yet takes one: in
            // `do {...} while (a); while (b) {...}` the second loop stays a loop.
            if (element.firstNodeKind() == NodeKind::WhileStatement && !out.empty() &&
                out.back().firstNodeKind() == NodeKind::DoStatement && out.back().nodes.size() == 1) {
                out.back().nodes.push_back(element.nodes.front());
                continue;
            }
            out.push_back(std::move(element));
        }
        list = std::move(out);
    });
}

void mergeStatementRuns(FlowElementList& root)
{
    rewriteInnerListsFirst(
        root, [](const FlowElement& e) { return e.kind != NodeKind::ExpressionStatement; },
        [](FlowElementList& list, NodeKind) {
            const auto run = std::adjacent_find(list.begin(), list.end(), [](const FlowElement& a, const FlowElement& b) {
                return a.kind == NodeKind::ExpressionStatement && b.kind == NodeKind::ExpressionStatement;
            });
            if (run == list.end()) {
                return;
            }
            FlowElementList out;
            out.reserve(list.size());
            for (FlowElement& element : list) {
                if (element.kind == NodeKind::ExpressionStatement && !out.empty() &&
                    out.back().kind == NodeKind::ExpressionStatement && !element.nodes.empty() &&
                    !endsWithThrow(out.back())) {
                    out.back().nodes.push_back(element.nodes.front());
                    continue;
                }
                out.push_back(std::move(element));
            }
            list = std::move(out);
        });
}

}  // namespace qm::detail
