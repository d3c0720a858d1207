// Grouping: cutting a unit's token stream into nodes before anything is understood. A node ends
// at `;`, at the end of a directive line, after an access label's `:`, or at a brace block,
// whose contents become the node's children. An Objective-C block in a C++ file (Apple
// platforms' native code) is one node of plain tokens.
#pragma once

#include "model/analysis_node.h"
#include "model/token.h"

#include <cstddef>
#include <span>
#include <vector>

namespace qm::parser {

// Blocks nested deeper than this many braces are not grouped further: their tokens, braces
// included, stay plain tokens of the node at this depth.
constexpr int kMaxBlockDepth = 256;

struct GroupingResult {
    std::size_t end = 0;    // index of the token where grouping stopped (the count when it ran out)
    bool tooDeep = false;   // some block was deeper than kMaxBlockDepth
};

// Groups `tokens` into `target`. A stray `}` at the outer level ends grouping at the next token,
// so that `int a; } int b;` gives the single node `int a ;`. Directive words outside directive
// lines (`void line();`) are turned into identifiers on the way.
// The nodes hold no spare capacity afterwards (see trimToSize). `newlineBefore`, when given,
// says where newline tokens were taken out of `tokens` (model::LineBreaks): they count as the
// token before as if they were still there.
GroupingResult groupTokens(std::span<model::Token> tokens, model::NodeList& target,
                           const std::vector<bool>& newlineBefore = {});

// Whether `node` is an Objective-C block (`@interface` / `@implementation` / `@protocol` ...
// `@end`) that grouping made one node of: it stays Unknown.
bool isObjectiveCBlock(const model::AnalysisNode& node);

// Gives back the room that growing left in the node vectors and token arrays of a tree: a tree
// is kept as long as its unit, and vectors grown by doubling hold a quarter more on average.
void trimToSize(model::NodeList& nodes);

}  // namespace qm::parser
