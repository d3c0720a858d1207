#include "parser/parse_unit.h"

#include "parser/classify_nodes.h"
#include "parser/group_tokens.h"

#include <string>

namespace qm::parser {

namespace {

namespace tok = model::tok;

bool isDirectiveWord(model::TokenCode code) noexcept { return code >= tok::Include && code <= tok::Undef; }

// The scanner reads `line`, `error`, `include`, `defined` and the other directive words as
// directive tokens wherever they stand. They are directive words only as the word after a `#`
// that starts a line, and `defined` only inside a directive line; everywhere else they are
// names (`namespace error`, `void line()`, `obj.error()`), and become identifiers here.
void turnStrayDirectiveWordsIntoNames(std::vector<model::Token>& tokens)
{
    bool lineStart = true;     // no token yet on this line
    bool directiveLine = false;
    std::size_t directiveWordAt = 0;  // index of the word right after the line's `#`
    model::TokenCode previous = tok::Newline;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        model::Token& token = tokens[i];
        const model::TokenCode code = token.code;
        if (code == tok::Newline) {
            // A line continued by `\` goes on as the same line.
            if (previous != '\\') {
                lineStart = true;
                directiveLine = false;
            }
            previous = code;
            continue;
        }
        if (lineStart) {
            lineStart = false;
            if (code == '#') {
                directiveLine = true;
                directiveWordAt = i + 1;
            }
        }
        if (isDirectiveWord(code) && !(directiveLine && (i == directiveWordAt || code == tok::Defined))) {
            token.text = model::TokenString(model::fixedSpelling(code));
            token.code = tok::Identifier;
        }
        previous = code;
    }
}

}  // namespace

void parseUnit(model::SourceUnit& unit, const std::atomic<bool>& stop, frontend::LogSink& log)
{
    turnStrayDirectiveWordsIntoNames(unit.tokens);
    if (groupTokens(unit.tokens, unit.nodes).tooDeep) {
        log.writeLine(unit.fileName + ": nesting too deep");
    }
    const ClassifyResult classified = classifyNodes(unit.nodes, model::ParseContext::Declarations, stop);
    if (classified.unclosedAttributeLine != 0) {
        log.writeLine(unit.fileName + ": attribute not closed in line " + std::to_string(classified.unclosedAttributeLine));
    }
}

}  // namespace qm::parser
