#include "parser/make_analysis_engine.h"

#include "parser/parse_unit.h"

namespace qm::parser {

std::unique_ptr<frontend::AnalysisEngine> makeAnalysisEngine(frontend::LogSink& log)
{
    auto engine = std::make_unique<frontend::AnalysisEngine>(log);
    engine->setParser(parseUnit);
    return engine;
}

}  // namespace qm::parser
