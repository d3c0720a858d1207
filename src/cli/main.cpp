// quillmarsh-cli: the analysis and drawing of the desktop program, without a window.
// Results go to standard output as JSON; log lines and messages go to standard error.
#include "cli/cli_command.h"
#include "cli/huge_page_heap.h"

#include <CLI/CLI.hpp>

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace {

// The names of the commands, for the message about an unknown one.
std::string commandNames(const CLI::App& app)
{
    std::string names;
    for (const CLI::App* command : app.get_subcommands({})) {
        if (!names.empty()) names += ", ";
        names += command->get_name();
    }
    return names;
}

}  // namespace

// Read by the leak checker of sanitizer builds only. An analysis is left to the end of the
// process (LeaveToExit), reachable from a static; the long texts of its tokens are reached
// through pointers that are 4-aligned inside the 12-byte tokens, which the checker follows only
// when told to look at unaligned words.
extern "C" const char* __lsan_default_options()
{
    return "use_unaligned=1";
}

int main(int argc, char** argv)
{
    using namespace qm::cli;
    restartWithHugePageHeap(argv, [argc, argv] { return namesManySources(argc, argv); });
    CLI::App app{"Quillmarsh command-line program: analyses C and C++ sources and prints the results as JSON.\n"
                 "Start with `quillmarsh-cli list SOURCES` to see the names that flow --function and class --class take."};
    app.name("quillmarsh-cli");
    app.set_version_flag("--version", std::string("quillmarsh-cli ") + QM_VERSION)->trigger_on_parse();
    app.require_subcommand(1);
    CommandAction action;
    addTokensCommand(app, action);
    addEvalCommand(app, action);
    addAnalyzeCommand(app, action);
    addListCommand(app, action);
    addProjectCommand(app, action);
    addThemeCommand(app, action);
    addMacroCommand(app, action);
    addClassCommand(app, action);
    addFlowCommand(app, action);

    // A first word that is no option and no command: say so, rather than that a command is missing.
    if (argc > 1 && argv[1][0] != '-') {
        bool known = false;
        for (const CLI::App* command : app.get_subcommands({})) {
            known = known || command->get_name() == argv[1];
        }
        if (!known) {
            std::cerr << "quillmarsh-cli: unknown command '" << argv[1] << "'; the commands are " << commandNames(app)
                      << " (quillmarsh-cli --help says more)\n";
            return kExitUsage;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
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
