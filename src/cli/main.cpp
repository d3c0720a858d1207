// quillmarsh-cli: the analysis and drawing of the desktop program, without a window.
// Results go to standard output as JSON; log lines and messages go to standard error.
#include "cli/cli_command.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace qm::cli;
    CLI::App app{"Quillmarsh command-line program: analyses C and C++ sources and prints the results as JSON."};
    app.name("quillmarsh-cli");
    app.require_subcommand(1);
    CommandAction action;
    addTokensCommand(app, action);
    addEvalCommand(app, action);
    addAnalyzeCommand(app, action);
    addProjectCommand(app, action);
    addThemeCommand(app, action);
    addMacroCommand(app, action);
    addClassCommand(app, action);
    addFlowCommand(app, action);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }
    try {
        return action ? action() : kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return kExitInputError;
    }
}
