// `quillmarsh-cli analyze`: one analysis run over the inputs, with the parts of the result that
// --dump names.
#include "cli/analysis_json.h"
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "frontend/analysis_engine.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <set>
#include <sstream>

namespace qm::cli {

namespace {

struct AnalyzeOptions {
    AnalysisOptions analysis;
    std::string dump = "log,symbols";
};

int runAnalyze(const AnalyzeOptions& options)
{
    std::set<std::string> parts;
    std::stringstream list(options.dump);
    for (std::string part; std::getline(list, part, ',');) {
        if (part != "log" && part != "units" && part != "tokens" && part != "tree" && part != "symbols") {
            std::cerr << "--dump: unknown part '" << part << "' (log, units, tokens, tree, symbols)\n";
            return kExitUsage;
        }
        parts.insert(part);
    }
    const bool dumpUnits = parts.count("units") || parts.count("tokens") || parts.count("tree");

    if (const int status = checkInputsGiven(options.analysis); status != kExitSuccess) {
        return status;
    }
    const AnalysisRunPtr run = runAnalysis(options.analysis);
    if (!run) {
        return kExitInputError;
    }
    frontend::AnalysisEngine& engine = run->engine;

    JsonStreamWriter out(stdout);
    std::string& b = out.buffer();
    b.push_back('{');
    bool first = true;
    auto key = [&](std::string_view name) {
        if (!first) b.append(", ");
        first = false;
        appendJsonString(b, name);
        b.append(": ");
    };
    if (parts.count("log")) {
        key("log");
        b.push_back('[');
        const auto lines = run->log.takeLines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i) b.append(", ");
            appendJsonString(b, lines[i]);
        }
        b.push_back(']');
    }
    if (dumpUnits) {
        key("units");
        b.push_back('[');
        const UnitDumpOptions unitOptions{parts.count("tokens") > 0, parts.count("tree") > 0};
        for (std::size_t i = 0; i < engine.files().size(); ++i) {
            if (i) b.append(", ");
            writeUnitJson(out, *engine.files()[i]->rootUnit, unitOptions);
        }
        b.push_back(']');
    }
    if (parts.count("symbols")) {
        key("symbols");
        writeSymbolsJson(out, engine.result());
    }
    b.append("}\n");
    return kExitSuccess;
}

}  // namespace

void addAnalyzeCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<AnalyzeOptions>();
    CLI::App* cmd = app.add_subcommand("analyze", "Run one analysis over the inputs and print the parts of the result "
                                                  "that --dump names, as JSON");
    addAnalysisOptions(*cmd, options->analysis);
    cmd->add_option("--dump", options->dump,
                    "Comma-separated parts: log, units, tokens (units with their preprocessed tokens), tree (units "
                    "with their nodes), symbols; default log,symbols")
        ->type_name("LIST");
    cmd->callback([&action, options] { action = [options] { return runAnalyze(*options); }; });
}

}  // namespace qm::cli
