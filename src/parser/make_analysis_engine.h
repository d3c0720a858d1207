// The one way to make an analysis engine that parses what it preprocesses: the engine itself
// knows nothing of the parser (the parser is built on the front end), so every program gets its
// engine here rather than installing the parser by hand and perhaps forgetting it.
#pragma once

#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"

#include <memory>

namespace qm::parser {

// An engine writing to `log` (which must outlive it) that parses every unit with parseUnit.
std::unique_ptr<frontend::AnalysisEngine> makeAnalysisEngine(frontend::LogSink& log);

}  // namespace qm::parser
