// The pieces every quillmarsh-cli command shares: how a command is registered and its exit codes.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace qm::frontend {
class AnalysisEngine;
}

namespace qm::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitInputError = 1,  // the input names something missing or unreadable
    kExitUsage = 2,
};

// Set by the command that the command line chose; main() runs it after parsing.
using CommandAction = std::function<int()>;

void addTokensCommand(CLI::App& app, CommandAction& action);
void addEvalCommand(CLI::App& app, CommandAction& action);
void addAnalyzeCommand(CLI::App& app, CommandAction& action);
void addProjectCommand(CLI::App& app, CommandAction& action);
void addThemeCommand(CLI::App& app, CommandAction& action);
void addMacroCommand(CLI::App& app, CommandAction& action);
void addClassCommand(CLI::App& app, CommandAction& action);
void addFlowCommand(CLI::App& app, CommandAction& action);
void addListCommand(CLI::App& app, CommandAction& action);

}  // namespace qm::cli
