// `quillmarsh-cli list`: one analysis run, then every name that --function and --class take,
// with its kind, parameter count and the file and line where it is defined.
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/symbol_listing.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qm::cli {

namespace {

struct ListOptions {
    AnalysisOptions analysis;
    std::string kind = "all";
    std::string match;
    bool json = false;
};

// One line of the listing: a definition (or declaration) of an entry, or the entry alone.
struct Row {
    std::string name;  // what --function or --class takes for exactly this place
    const model::SymbolEntry* entry;
    const SymbolSite* site;
};

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

int runList(const ListOptions& options)
{
    static const std::map<std::string, KindFilter> kKinds{{"all", KindFilter::All},
                                                          {"function", KindFilter::Function},
                                                          {"class", KindFilter::Class},
                                                          {"namespace", KindFilter::Namespace},
                                                          {"variable", KindFilter::Variable}};
    const auto filter = kKinds.find(options.kind);
    if (filter == kKinds.end()) {
        std::cerr << "--kind: expected function, class, namespace, variable or all, not '" << options.kind << "'\n";
        return kExitUsage;
    }
    if (const int status = checkInputsGiven(options.analysis); status != kExitSuccess) {
        return status;
    }
    const AnalysisRunPtr run = runAnalysis(options.analysis);
    if (!run) {
        return kExitInputError;
    }
    const TokenFiles files(run->engine);
    const std::vector<ListedSymbol> symbols = listSymbols(run->engine.result(), files, filter->second);
    const std::string match = lower(options.match);

    // A function with several definitions gets one row for each, named with its @FILE:LINE,
    // since each has a flowchart of its own. Other entries (a namespace opened in every file)
    // get one row, with their first definition.
    std::vector<Row> rows;
    for (const ListedSymbol& symbol : symbols) {
        if (!match.empty() && lower(symbol.path).find(match) == std::string::npos) {
            continue;
        }
        if (symbol.entry->definitions.size() > 1 && matchesKind(symbol.entry->kind, KindFilter::Function)) {
            for (const SymbolSite& site : symbol.sites) {
                rows.push_back({symbol.path + "@" + siteText(site), symbol.entry, &site});
            }
        } else {
            rows.push_back({symbol.path, symbol.entry, symbol.sites.empty() ? nullptr : &symbol.sites.front()});
        }
    }

    if (options.json) {
        JsonStreamWriter out(stdout);
        std::string& b = out.buffer();
        b.append("{\"symbols\": [");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            if (i) b.append(", ");
            b.append("{\"path\": ");
            appendJsonString(b, row.name);
            b.append(", \"name\": ");
            appendJsonString(b, row.entry->name);
            appendIntMember(b, "kind", model::toInt(row.entry->kind));
            b.append(", \"kindName\": ");
            appendJsonString(b, model::nodeKindName(row.entry->kind));
            appendIntMember(b, "parameterCount", row.entry->parameterCount);
            appendIntMember(b, "definitions", static_cast<long long>(row.entry->definitions.size()));
            b.append(", \"file\": ");
            appendJsonString(b, row.site ? row.site->file : std::string());
            appendIntMember(b, "line", row.site ? row.site->line : 0);
            b.push_back('}');
            out.maybeFlush();
        }
        b.append("]}\n");
        return kExitSuccess;
    }

    // Columns: name, kind, parameter count, FILE:LINE, the first two padded to their widest.
    std::size_t nameWidth = 0;
    std::size_t kindWidth = 0;
    std::vector<std::string> kinds;
    kinds.reserve(rows.size());
    for (const Row& row : rows) {
        kinds.push_back(kindWord(row.entry->kind));
        nameWidth = std::max(nameWidth, row.name.size());
        kindWidth = std::max(kindWidth, kinds.back().size());
    }
    // A very long name keeps its line from pushing every other one far right.
    nameWidth = std::min<std::size_t>(nameWidth, 60);
    std::string line;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        line = row.name;
        line.append(row.name.size() < nameWidth ? nameWidth - row.name.size() : 0, ' ');
        line.append("  ").append(kinds[i]).append(kindWidth - kinds[i].size(), ' ');
        line.append("  ").append(std::to_string(row.entry->parameterCount));
        line.append("  ").append(row.site ? siteText(*row.site) : std::string("-"));
        std::cout << line << '\n';
    }
    if (rows.empty()) {
        std::cerr << "no " << (options.kind == "all" ? std::string("names") : options.kind + " names")
                  << (options.match.empty() ? std::string() : " matching '" + options.match + "'") << " found\n";
    }
    return kExitSuccess;
}

}  // namespace

void addListCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ListOptions>();
    CLI::App* cmd = app.add_subcommand(
        "list", "Run one analysis over the inputs and list the names that --function and --class take, one per "
                "line: name, kind, parameter count, FILE:LINE of the definition");
    addAnalysisOptions(*cmd, options->analysis);
    cmd->add_option("--kind", options->kind, "Which names: function, class, namespace, variable or all (default)")
        ->type_name("KIND");
    cmd->add_option("--match", options->match, "Only names that contain TEXT (in any letter case)")
        ->type_name("TEXT");
    cmd->add_flag("--json", options->json,
                  "Print {\"symbols\": [{\"path\", \"name\", \"kind\", \"kindName\", \"parameterCount\", "
                  "\"definitions\", \"file\", \"line\"}, ...]} instead");
    cmd->callback([&action, options] { action = [options] { return runList(*options); }; });
}

}  // namespace qm::cli
