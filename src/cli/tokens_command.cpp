// `quillmarsh-cli tokens FILE`: the raw token sequence of one file, as the analysis sees it
// before preprocessing.
#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace qm::cli {

namespace {

struct TokensOptions {
    std::string path;
    bool verbose = false;
};

int runTokens(const TokensOptions& options)
{
    const std::string& path = options.path;
    frontend::setUnknownCharacterLimit(options.verbose ? 0 : frontend::kDefaultUnknownCharacterLimit);
    frontend::LogSink log([](std::string_view line) { std::cerr << line << '\n'; });
    std::vector<model::Token> tokens;
    frontend::FileStamp stamp;
    if (!frontend::tokenizeFile(path, tokens, stamp, log)) {
        return kExitInputError;
    }
    JsonStreamWriter writer(stdout);
    std::string& out = writer.buffer();
    out.append("{\"file\": ");
    appendJsonString(out, path);
    out.append(", \"size\": ");
    out.append(std::to_string(stamp.size));
    out.append(", \"tokens\": [");
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (i != 0) out.append(", ");
        appendTokenJson(out, tokens[i]);
        writer.maybeFlush();
    }
    out.append("]}\n");
    return kExitSuccess;
}

}  // namespace

void addTokensCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<TokensOptions>();
    CLI::App* cmd = app.add_subcommand("tokens", "Print the raw token sequence of one source file as JSON");
    cmd->add_option("FILE", options->path, "The source file")->required();
    cmd->add_flag("--verbose", options->verbose,
                  "Write every unknown-character message (without it, the first 100 and a count)");
    cmd->callback([&action, options] { action = [options] { return runTokens(*options); }; });
}

}  // namespace qm::cli
