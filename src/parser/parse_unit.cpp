#include "parser/parse_unit.h"

#include "parser/classify_nodes.h"
#include "parser/group_tokens.h"

namespace qm::parser {

void parseUnit(model::SourceUnit& unit, const std::atomic<bool>& stop, frontend::LogSink& log)
{
    if (groupTokens(unit.tokens, unit.nodes).tooDeep) {
        log.writeLine(unit.fileName + ": nesting too deep");
    }
    classifyNodes(unit.nodes, model::ParseContext::Declarations, stop);
}

}  // namespace qm::parser
