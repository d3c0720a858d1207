// The inputs and options shared by the commands that analyse sources (analyze, and the drawing
// commands): which files, which include directories and predefined words, which run flags.
#pragma once

#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace qm::cli {

struct AnalysisOptions {
    std::vector<std::string> inputs;
    std::vector<std::string> includeDirectories;  // -I
    std::vector<std::string> defines;             // -D NAME[=VALUE]
    std::string optionsDir;                       // --options-dir
    int includeList = 0;                          // --include-list
    bool parseVcHeader = false;
    bool preprocessSameFile = false;
    int jobs = 0;  // --jobs: parsing threads, 0 one per core
    bool verbose = false;  // every unknown-character message, not the first 100 of each file
};

// Registers the positional inputs and the analysis options on `command`.
void addAnalysisOptions(CLI::App& command, AnalysisOptions& options);

// A run needs something to analyse: without inputs, says so and gives the usage-error status.
int checkInputsGiven(const AnalysisOptions& options);

// Turns `-D NAME[=VALUE]` into a predefined word; the value is 1 when omitted.
frontend::PredefinedWord parseDefine(const std::string& text);

// Collects the project files from the inputs and the run's settings. Writes a message for every
// input that is skipped, missing or holds no source file to standard error; returns false when
// an input does not exist, a project or workspace input cannot be read or is no such file, or
// the inputs hold no C or C++ file at all (the command then exits with the input-error status).
bool buildRunSettings(const AnalysisOptions& options, frontend::RunSettings& settings);

// One finished analysis run with the parser installed; its log lines went to standard error as
// they were written. The symbol table is engine.result().
struct AnalysisRun {
    AnalysisRun();

    frontend::LogSink log;
    const std::unique_ptr<frontend::AnalysisEngine> engineOwner;
    frontend::AnalysisEngine& engine;
};

// A command's analysis lives until the process ends, and its memory is left to the operating
// system then: freeing a large analysis unit by unit took about a seventh of a whole run. The
// run stays reachable (for leak checkers too) from a list that is never freed.
struct LeaveToExit {
    void operator()(AnalysisRun* run) const noexcept;
};
using AnalysisRunPtr = std::unique_ptr<AnalysisRun, LeaveToExit>;

// Runs the analysis the options describe, synchronously. Null when an input cannot be read (the
// message is written; the command exits with the input-error status).
AnalysisRunPtr runAnalysis(const AnalysisOptions& options);

}  // namespace qm::cli
