#include "parser/parse_unit.h"

#include "parser/classify_nodes.h"
#include "parser/group_tokens.h"

#include <string>

namespace qm::parser {

void parseUnit(model::SourceUnit& unit, const std::atomic<bool>& stop, frontend::LogSink& log)
{
    // The preprocessor writes its output thin already; a text parsed as it is is thinned here.
    unit.lineBreaks.takeOutOf(unit.tokens);
    const std::vector<bool> newlineBefore = unit.lineBreaks.newlineFlags(unit.tokens.size());
    if (groupTokens(unit.tokens, unit.nodes, newlineBefore).tooDeep) {
        log.writeLine(unit.fileName + ": nesting too deep");
    }
    const ClassifyResult classified = classifyNodes(unit.nodes, model::ParseContext::Declarations, stop);
    if (classified.unclosedAttributeLine != 0) {
        log.writeLine(unit.fileName + ": attribute not closed in line " + std::to_string(classified.unclosedAttributeLine));
    }
}

}  // namespace qm::parser
