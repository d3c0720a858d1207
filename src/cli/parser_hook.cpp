// The parser that analysis runs of the command-line program use.
#include "cli/cli_command.h"
#include "frontend/analysis_engine.h"
#include "parser/parse_unit.h"

namespace qm::cli {

void installParser(frontend::AnalysisEngine& engine)
{
    engine.setParser(parser::parseUnit);
}

}  // namespace qm::cli
