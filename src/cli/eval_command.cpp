// `quillmarsh-cli eval EXPR`: the value of an #if condition.
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace qm::cli {

namespace {

struct EvalOptions {
    std::vector<std::string> defines;
    std::string expression;
};

int runEval(const EvalOptions& options)
{
    frontend::LogSink log([](std::string_view line) { std::cerr << line << '\n'; });
    frontend::MacroTable macros;
    for (const std::string& define : options.defines) {
        const frontend::PredefinedWord word = parseDefine(define);
        macros.defineValue(word.name, word.value);
    }
    std::vector<model::Token> tokens;
    frontend::tokenizeText(options.expression, tokens, frontend::writeDiagnosticsToStderr);
    // The expression is one line: line feeds inside it end it as they would end an #if line.
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].code == model::tok::Newline) {
            tokens.resize(i);
            break;
        }
    }
    const std::vector<std::string> noDirectories;
    const std::atomic<bool> stop{false};
    frontend::PreprocessEnvironment env{macros, noDirectories, false, stop, log, nullptr};
    try {
        std::cout << frontend::evaluateIfCondition(std::move(tokens), env) << '\n';
        return kExitSuccess;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return kExitInputError;
    }
}

}  // namespace

void addEvalCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<EvalOptions>();
    CLI::App* cmd = app.add_subcommand("eval", "Evaluate the condition of an #if line and print its value");
    cmd->add_option("-D", options->defines, "A predefined word, value 1 when omitted (repeatable)")
        ->type_name("NAME[=VALUE]");
    cmd->add_option("EXPR", options->expression, "The text after #if")->required();
    cmd->callback([&action, options] { action = [options] { return runEval(*options); }; });
}

}  // namespace qm::cli
