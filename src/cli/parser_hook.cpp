// The parser that analysis runs of the command-line program use.
#include "cli/cli_command.h"
#include "frontend/analysis_engine.h"

namespace qm::cli {

void installParser(frontend::AnalysisEngine& engine)
{
    // Units keep their preprocessed tokens without nodes until the parser library exists.
    engine.setParser(nullptr);
}

}  // namespace qm::cli
