// The parser's entry point for the analysis engine.
#pragma once

#include "frontend/log_sink.h"
#include "model/source_unit.h"

#include <atomic>

namespace qm::parser {

// Groups the unit's tokens into its nodes and classifies them as declarations. Only this unit
// is parsed: the engine calls this once for each included unit too. Brace blocks nested too
// deeply write "<file name>: nesting too deep" to `log`, once per file.
void parseUnit(model::SourceUnit& unit, const std::atomic<bool>& stop, frontend::LogSink& log);

}  // namespace qm::parser
